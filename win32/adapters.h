#pragma once

// The adapters of app/'s interfaces that are a few lines each: the clipboard, Timer1, the launcher, and the
// program's folders.

#include "app/toolkit.h"

#include <windows.h>

#include <string>

namespace tarnwick::win32 {

// Puts the text on the clipboard as CF_UNICODETEXT; throws std::runtime_error when the clipboard cannot be had.
class Clipboard final : public app::Clipboard
{
public:
    explicit Clipboard(HWND owner)
        : m_owner(owner)
    {
    }
    void setText(const std::string &utf8) override;

private:
    HWND m_owner;
};

// Timer1: WM_TIMER once a second to the window, a fresh period at each start.
class Timer final : public app::Timer
{
public:
    Timer(HWND window, UINT_PTR id)
        : m_window(window)
        , m_id(id)
    {
    }
    void start() override { ::SetTimer(m_window, m_id, 1000, nullptr); }
    void stop() override { ::KillTimer(m_window, m_id); }

private:
    HWND m_window;
    UINT_PTR m_id;
};

// Notepad for the log, the shell for web addresses.
class Launcher final : public app::Launcher
{
public:
    explicit Launcher(HWND owner)
        : m_owner(owner)
    {
    }
    void openTextFile(const std::string &path) override;
    void openUrl(const std::string &url) override;

private:
    HWND m_owner;
};

// The command line that opens the file in Notepad: the path quoted as one argument.
std::wstring NotepadCommandLine(const std::string &path);

// The full path of the running program.
std::wstring ExecutablePath();
// The folder that holds the running program, without a trailing separator.
std::string ApplicationFolder();
// The user's desktop folder; throws std::runtime_error when it cannot be located.
std::string DesktopFolder();

} // namespace tarnwick::win32
