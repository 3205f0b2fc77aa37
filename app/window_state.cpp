#include "window_state.h"

#include "sys_tray.h"
#include "toolkit.h"

namespace tarnwick::app {

WindowState::WindowState(View &view, cSysTray &tray)
    : m_view(view)
    , m_tray(tray)
{
}

void WindowState::beforeShowing()
{
    if (!m_shownOnce)
        m_view.centre();
    m_shownOnce = true;
    m_hiddenInTray = false;
}

void WindowState::showNormal()
{
    beforeShowing();
    m_view.showNormal();
}

void WindowState::showMinimized()
{
    beforeShowing();
    m_view.showMinimized();
}

void WindowState::Form_Resize()
{
    if (m_hiddenInTray || !m_tray.trayAvailable())
        return;
    m_hiddenInTray = true;
    // never shown yet: there is nothing to hide
    if (m_shownOnce)
        m_view.hideWindow();
    m_tray.ShowBalloon(kTrayBalloonText, "Tarnwick", 5, true);
}

void WindowState::restoreFromTray()
{
    beforeShowing();
    m_view.bringToFront();
}

void WindowState::windowShown()
{
    m_shownOnce = true;
    m_hiddenInTray = false;
}

} // namespace tarnwick::app
