#pragma once

#include "app/toolkit.h"

#include <windows.h>

#include <shellapi.h>

namespace tarnwick::win32 {

// The notification-area icon through Shell_NotifyIconW. The shell reports mouse and balloon events to the window
// with the callback message, the event in the low word of lParam (the numbers of app::cSysTray::Message).
// A balloon is taken away after its time by this class: current Windows ignores the time it is given. The
// window's thread runs the timer that does it (a timer of the window with the id kBalloonTimer and its own
// procedure), and the window then gets the callback message with BalloonTimedOut.
class TrayIcon final : public app::TrayIcon
{
public:
    TrayIcon(HWND window, UINT callbackMessage, HICON icon);
    ~TrayIcon() override;
    TrayIcon(const TrayIcon &) = delete;
    TrayIcon &operator=(const TrayIcon &) = delete;

    bool available() const override;
    void show(const std::string &tip) override;
    void hide() override;
    void setTip(const std::string &tip) override;
    void showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds) override;

    // Adds the icon again after the taskbar has been re-created (Explorer restarted), when it is shown.
    void restore();

    static constexpr UINT_PTR kBalloonTimer = 0x7A61;

private:
    static void CALLBACK balloonTimeUp(HWND window, UINT message, UINT_PTR id, DWORD time);
    NOTIFYICONDATAW record(UINT flags) const;
    bool add();
    void removeBalloon();

    HWND m_window;
    UINT m_callbackMessage;
    HICON m_icon;
    std::wstring m_tip;
    bool m_shown = false;
    bool m_added = false;
};

} // namespace tarnwick::win32
