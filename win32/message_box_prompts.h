#pragma once

#include "app/toolkit.h"

#include <windows.h>

#include <string>

namespace tarnwick::win32 {

// Message boxes with the application title as caption and no icon, the error report, and the shell's folder
// browser, all modal to the main window.
class MessageBoxPrompts final : public app::Prompts
{
public:
    explicit MessageBoxPrompts(HWND owner);

    void setApplicationTitle(std::string_view title) override;
    void message(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::string browseForFolder(std::string_view title) override;

    // Whether one of these dialogs is open (its own message loop runs).
    bool open() const { return m_open > 0; }
    // The program is closing: ends the open dialogs as if cancelled; from now on none opens.
    void closeAll();

private:
    int show(std::string_view text, const std::wstring &caption, UINT type);

    HWND m_owner;
    std::wstring m_title = L"Tarnwick";
    int m_open = 0;
    bool m_closing = false;
};

} // namespace tarnwick::win32
