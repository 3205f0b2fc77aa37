#include "sys_tray.h"

#include <QTimer>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace tarnwick {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/tarnwick/tarnwick-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

namespace {

// The text cut to a length, never between the two halves of a character outside the basic plane.
QString cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    qsizetype end = length;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

} // namespace

cSysTray::cSysTray(QObject *parent, Availability availability)
    : QObject(parent)
    , m_availability(std::move(availability))
    , m_icon(ApplicationIcon())
    , m_balloonTimer(new QTimer(this))
{
    m_balloonTimer->setSingleShot(true);
    connect(m_balloonTimer, &QTimer::timeout, this, &cSysTray::balloonClosed);
}

cSysTray::~cSysTray()
{
    setInTray(false);
}

bool cSysTray::trayAvailable() const
{
    return m_availability ? m_availability() : QSystemTrayIcon::isSystemTrayAvailable();
}

void cSysTray::setTrayIcon(const QIcon &icon)
{
    // an icon that draws nothing (no picture, or a file that is not one) is not an icon
    if (icon.isNull() || icon.pixmap(QSize(16, 16)).isNull())
        return;
    m_icon = icon;
    if (m_trayIcon)
        m_trayIcon->setIcon(m_icon);
}

void cSysTray::setTrayTip(const QString &tip)
{
    m_tip = cut(tip, kTipLength);
    if (m_trayIcon)
        m_trayIcon->setToolTip(m_tip);
}

void cSysTray::setInTray(bool show)
{
    if (show == m_inTray)
        return;
    m_inTray = show;
    if (show) {
        m_trayIcon = std::make_unique<QSystemTrayIcon>(m_icon);
        m_trayIcon->setToolTip(m_tip);
        connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, &cSysTray::activated);
        connect(m_trayIcon.get(), &QSystemTrayIcon::messageClicked, this, &cSysTray::balloonClosed);
        m_trayIcon->show();
    } else {
        m_trayIcon->hide();
        m_trayIcon.reset();
        m_balloonTimer->stop();
        m_balloonOpen = false;
    }
}

void cSysTray::ShowBalloon(const QString &tip, const QString &title, int showTimer, bool showOnce)
{
    if (showOnce && m_onceCount >= 1)
        return;
    const QString text = cut(tip, kBalloonTextLength);
    const QString caption = cut(title, kBalloonTitleLength);
    const int milliseconds = showTimer > 0 ? static_cast<int>(std::min<qint64>(qint64(showTimer) * 1000, INT_MAX)) : 0;
    if (m_trayIcon)
        m_trayIcon->showMessage(caption, text, QSystemTrayIcon::NoIcon, milliseconds);
    m_balloonOpen = true;
    if (showOnce)
        ++m_onceCount;
    if (milliseconds > 0)
        m_balloonTimer->start(milliseconds);
    Q_EMIT balloonShown(caption, text);
}

void cSysTray::balloonClosed()
{
    m_balloonTimer->stop();
    m_balloonOpen = false;
}

void cSysTray::activated(QSystemTrayIcon::ActivationReason reason)
{
    constexpr int id = 0;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        Q_EMIT MouseDown(1, id);
        Q_EMIT MouseUp(1, id);
        Q_EMIT activationRequested();
        break;
    case QSystemTrayIcon::Context:
        Q_EMIT MouseDown(2, id);
        Q_EMIT MouseUp(2, id);
        Q_EMIT activationRequested();
        break;
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT MouseDblClick(1, id);
        break;
    default: // the middle button and anything else raise nothing
        break;
    }
}

} // namespace tarnwick
