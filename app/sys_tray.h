#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarnwick::app {

class TrayIcon;

// The longest part of a UTF-8 text that takes at most the given number of UTF-16 units (the unit the platforms'
// tray fields count in), never cut inside a character.
std::string CutToUtf16Units(std::string_view text, std::size_t units);

// The notification-area icon control: one icon with a tip, balloon messages and mouse events, over the platform's
// TrayIcon. Nothing is shown until InTray is set; setting it again changes nothing; clearing it, or destroying the
// control, removes the icon.
class cSysTray
{
public:
    static constexpr std::size_t kTipLength = 127;
    static constexpr std::size_t kBalloonTitleLength = 63;
    static constexpr std::size_t kBalloonTextLength = 255;

    // The mouse and balloon messages the platform reports on the icon.
    enum Message {
        MouseMoved = 512,
        LeftButtonDown = 513,
        LeftButtonUp = 514,
        LeftDoubleClick = 515,
        RightButtonDown = 516,
        RightButtonUp = 517,
        RightDoubleClick = 518,
        BalloonHidden = 1027,
        BalloonTimedOut = 1028,
        BalloonClicked = 1029,
    };

    explicit cSysTray(TrayIcon &icon);
    ~cSysTray();
    cSysTray(const cSysTray &) = delete;
    cSysTray &operator=(const cSysTray &) = delete;

    const std::string &TrayTip() const { return m_tip; }
    void setTrayTip(std::string_view tip);

    bool InTray() const { return m_inTray; }
    void setInTray(bool show);

    // Shows a balloon at the icon and returns at once; the platform takes it away after showTimer seconds (when
    // above 0) or when clicked. With showOnce, only the first such balloon of this control is shown.
    void ShowBalloon(std::string_view tip, std::string_view title, int showTimer, bool showOnce);
    bool balloonOpen() const { return m_balloonOpen; }

    // Whether the desktop has a notification area.
    bool trayAvailable() const;

    // A message of the platform about the icon (Message); raises the matching event.
    void TrayNotify(int message, int id = 0);

    // Button 1 is the left, 2 the right mouse button; id is the icon's (0).
    std::function<void(int id)> MouseMove;
    std::function<void(int button, int id)> MouseDown;
    std::function<void(int button, int id)> MouseUp;
    std::function<void(int button, int id)> MouseDblClick;

private:
    TrayIcon &m_icon;
    std::string m_tip = "Telnet Server";
    bool m_inTray = false;
    bool m_balloonOpen = false;
    int m_onceCount = 0;
};

} // namespace tarnwick::app
