#include "history_list.h"

#include "text.h"

#include <algorithm>

namespace tarnwick::win32 {

void HistoryList::append(app::HistoryBatch batch)
{
    if (m_rows.append(std::move(batch)) == 0)
        return;
    ::SendMessageW(m_list, LVM_SETITEMCOUNT, m_rows.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ::InvalidateRect(m_list, nullptr, FALSE);
}

void HistoryList::clear()
{
    m_rows.clear();
    ::SendMessageW(m_list, LVM_SETITEMCOUNT, 0, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void HistoryList::cellText(NMLVDISPINFOW &info) const
{
    if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0 ||
        info.item.iItem < 0 || static_cast<std::size_t>(info.item.iItem) >= m_rows.size() || info.item.iSubItem < 0 ||
        info.item.iSubItem >= app::HistoryRows::ColumnCount)
        return;
    const std::wstring text = Wide(m_rows.text(static_cast<std::size_t>(info.item.iItem), info.item.iSubItem));
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    std::copy_n(text.data(), length, info.item.pszText);
    info.item.pszText[length] = L'\0';
}

} // namespace tarnwick::win32
