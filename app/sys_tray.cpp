#include "sys_tray.h"

#include "toolkit.h"

#include <climits>

namespace tarnwick::app {

std::string CutToUtf16Units(std::string_view text, std::size_t units)
{
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        // outside the basic plane a character takes two units
        const std::size_t width = length == 4 ? 2 : 1;
        if (used + width > units || i + length > text.size())
            break;
        used += width;
        i += length;
    }
    return std::string(text.substr(0, i));
}

cSysTray::cSysTray(TrayIcon &icon)
    : m_icon(icon)
{
}

cSysTray::~cSysTray()
{
    setInTray(false);
}

void cSysTray::setTrayTip(std::string_view tip)
{
    m_tip = CutToUtf16Units(tip, kTipLength);
    if (m_inTray)
        m_icon.setTip(m_tip);
}

void cSysTray::setInTray(bool show)
{
    if (show == m_inTray)
        return;
    m_inTray = show;
    if (show) {
        m_icon.show(m_tip);
    } else {
        m_icon.hide();
        m_balloonOpen = false;
    }
}

void cSysTray::ShowBalloon(std::string_view tip, std::string_view title, int showTimer, bool showOnce)
{
    if (showOnce && m_onceCount >= 1)
        return;
    const long long milliseconds = showTimer > 0 ? static_cast<long long>(showTimer) * 1000 : 0;
    m_icon.showBalloon(CutToUtf16Units(title, kBalloonTitleLength), CutToUtf16Units(tip, kBalloonTextLength),
                       milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds));
    m_balloonOpen = true;
    if (showOnce)
        ++m_onceCount;
}

bool cSysTray::trayAvailable() const
{
    return m_icon.available();
}

void cSysTray::TrayNotify(int message, int id)
{
    const auto raise = [](const std::function<void(int, int)> &event, int button, int icon) {
        if (event)
            event(button, icon);
    };
    switch (message) {
    case MouseMoved:
        if (MouseMove)
            MouseMove(id);
        break;
    case LeftButtonDown:
        raise(MouseDown, 1, id);
        break;
    case LeftButtonUp:
        raise(MouseUp, 1, id);
        break;
    case LeftDoubleClick:
        raise(MouseDblClick, 1, id);
        break;
    case RightButtonDown:
        raise(MouseDown, 2, id);
        break;
    case RightButtonUp:
        raise(MouseUp, 2, id);
        break;
    case RightDoubleClick:
        raise(MouseDblClick, 2, id);
        break;
    case BalloonHidden:
    case BalloonTimedOut:
    case BalloonClicked:
        m_balloonOpen = false;
        break;
    default: // the middle button, a balloon shown, and the like
        break;
    }
}

} // namespace tarnwick::app
