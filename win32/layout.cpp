#include "layout.h"

#include "dpi.h"
#include "text.h"

#include <commctrl.h>

#include <algorithm>

namespace tarnwick::win32 {

namespace {

// A closed drop-down list is its item height and this border high.
constexpr int kDropDownBorder = 6;
// The twips each item of an open drop-down list takes, and the list's own border.
constexpr int kDropDownItemTwips = 255;
constexpr int kDropDownListTwips = 60;

} // namespace

RECT ControlRect(const app::ControlDesign &design, int dpi)
{
    const app::TwipRect twips = app::InWindow(design);
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    int height = TwipsToPixels(twips.height, dpi);
    if (design.kind == app::ControlKind::DropDownList)
        height += TwipsToPixels(static_cast<int>(design.items.size()) * kDropDownItemTwips + kDropDownListTwips, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi), top + height};
}

void LayOut(HWND window, DWORD style, DWORD exStyle, const std::function<HWND(app::Control)> &control, HWND tooltip,
            const DesignFonts &fonts, int dpi)
{
    const RECT frame = WindowRectFor(TwipsToPixels(app::kClientWidth, dpi), TwipsToPixels(app::kClientHeight, dpi),
                                     style, exStyle, dpi);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const app::ControlDesign &design : app::kControls) {
        const HWND handle = control(design.control);
        ::SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[design.font]), FALSE);
        const RECT rect = ControlRect(design, dpi);
        ::SetWindowPos(handle, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (design.kind == app::ControlKind::DropDownList) {
            // closed, it keeps the design's height
            const int closed = TwipsToPixels(design.rect.height, dpi) - kDropDownBorder;
            ::SendMessageW(handle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(closed, 1));
        }
    }
    if (tooltip != nullptr) {
        ::SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[app::FontRole::Window]), FALSE);
        ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(6000, dpi));
    }
    ::InvalidateRect(window, nullptr, TRUE);
}

void SetColumns(HWND list, const std::vector<app::Column> &columns, int dpi)
{
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    for (int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); count > 0; --count)
        ::SendMessageW(list, LVM_DELETECOLUMN, 0, 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring text = Wide(columns[i].header);
        LVCOLUMNW column {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = TwipsToPixels(columns[i].twips, dpi);
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void ScaleColumns(HWND list, const std::vector<app::Column> &columns, int dpi)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, i, TwipsToPixels(columns[i].twips, dpi));
}

} // namespace tarnwick::win32
