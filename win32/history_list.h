#pragma once

#include "app/history_rows.h"

#include <windows.h>

#include <commctrl.h>

namespace tarnwick::win32 {

// The history view (ListView2) as a virtual list view over the history rows (app/history_rows.h): the list view
// holds only their number and asks for a cell's text as it draws it, so a million rows arrive at once.
class HistoryList
{
public:
    explicit HistoryList(HWND list)
        : m_list(list)
    {
    }

    std::size_t size() const { return m_rows.size(); }
    // Appends the rows of one pass at the end, in one insertion.
    void append(app::HistoryBatch batch);
    void clear();
    // Answers the list view's LVN_GETDISPINFOW.
    void cellText(NMLVDISPINFOW &info) const;

private:
    HWND m_list;
    app::HistoryRows m_rows;
};

} // namespace tarnwick::win32
