#pragma once

#include <string_view>

namespace tarnwick::app {

class View;
class cSysTray;

inline constexpr std::string_view kTrayBalloonText =
    "has been minimized to the system tray.\nClick on the blue 'Q' icon (Q for Quelvane) to bring the software back.";

// Where the main window is, for both front-ends: not shown yet, shown, or hidden in the tray. It is centred on the
// screen before it is first shown. Minimised, it goes into the tray when there is one, with a balloon the first
// time (without a tray it stays an ordinary minimised window, so it is never lost); hidden before it was ever
// shown, it simply stays hidden until it is brought back.
class WindowState
{
public:
    WindowState(View &view, cSysTray &tray);

    void showNormal();
    void showMinimized();
    // The window was minimised, or is to start hidden.
    void Form_Resize();
    // A mouse button was released over the tray icon, or another start of the program asked for the window: it
    // comes back, in front and with the focus.
    void restoreFromTray();
    // The window was shown, by whatever means: the next minimise hides it again.
    void windowShown();

    bool hiddenInTray() const { return m_hiddenInTray; }
    bool shownOnce() const { return m_shownOnce; }

private:
    void beforeShowing();

    View &m_view;
    cSysTray &m_tray;
    bool m_shownOnce = false;
    bool m_hiddenInTray = false;
};

} // namespace tarnwick::app
