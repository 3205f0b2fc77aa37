#include "qt_tray_icon.h"

#include "app/sys_tray.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace tarnwick {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/tarnwick/tarnwick-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

QtTrayIcon::QtTrayIcon(std::function<bool()> available, QObject *parent)
    : QObject(parent)
    , m_available(std::move(available))
    , m_balloonTimer(new QTimer(this))
{
    m_balloonTimer->setSingleShot(true);
    connect(m_balloonTimer, &QTimer::timeout, this, [this] { notify(app::cSysTray::BalloonTimedOut); });
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::available() const
{
    return m_available ? m_available() : QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::notify(int message)
{
    if (m_notify)
        m_notify(message);
}

void QtTrayIcon::show(const std::string &tip)
{
    hide();
    m_icon = new QSystemTrayIcon(ApplicationIcon(), this);
    m_icon->setToolTip(QString::fromStdString(tip));
    connect(m_icon, &QSystemTrayIcon::activated, this, &QtTrayIcon::activated);
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
        m_balloonTimer->stop();
        notify(app::cSysTray::BalloonClicked);
    });
    m_icon->show();
}

void QtTrayIcon::hide()
{
    m_balloonTimer->stop();
    if (m_icon == nullptr)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

void QtTrayIcon::setTip(const std::string &tip)
{
    if (m_icon)
        m_icon->setToolTip(QString::fromStdString(tip));
}

void QtTrayIcon::showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds)
{
    const QString caption = QString::fromStdString(title);
    const QString message = QString::fromStdString(text);
    if (m_icon)
        m_icon->showMessage(caption, message, QSystemTrayIcon::NoIcon, timeoutMilliseconds);
    if (timeoutMilliseconds > 0)
        m_balloonTimer->start(timeoutMilliseconds);
    Q_EMIT balloonShown(caption, message);
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports a whole click; the control speaks of the button going down and up.
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        notify(app::cSysTray::LeftButtonDown);
        notify(app::cSysTray::LeftButtonUp);
        break;
    case QSystemTrayIcon::Context:
        notify(app::cSysTray::RightButtonDown);
        notify(app::cSysTray::RightButtonUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        notify(app::cSysTray::LeftDoubleClick);
        break;
    default: // the middle button and anything else raise nothing
        break;
    }
}

} // namespace tarnwick
