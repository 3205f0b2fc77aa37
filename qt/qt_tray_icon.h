#pragma once

#include "app/toolkit.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QTimer;

namespace tarnwick {

// The program's icon: a blue "Q", for Quelvane.
QIcon ApplicationIcon();

// The notification-area icon over QSystemTrayIcon. Clicks on the icon and the balloon's end come back as the
// tray control's messages (app::cSysTray::Message) through the notify function.
class QtTrayIcon final : public QObject, public app::TrayIcon
{
    Q_OBJECT
public:
    // available: whether there is a notification area; the default asks the desktop.
    explicit QtTrayIcon(std::function<bool()> available = {}, QObject *parent = nullptr);
    ~QtTrayIcon() override;

    void setNotify(std::function<void(int message)> notify) { m_notify = std::move(notify); }

    bool available() const override;
    void show(const std::string &tip) override;
    void hide() override;
    void setTip(const std::string &tip) override;
    void showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds) override;

Q_SIGNALS:
    // A balloon was handed to the desktop.
    void balloonShown(const QString &title, const QString &text);

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void notify(int message);

    std::function<bool()> m_available;
    std::function<void(int)> m_notify;
    // a child while shown, so that whoever looks at this object's children finds the icon the desktop sees
    QSystemTrayIcon *m_icon = nullptr;
    QTimer *m_balloonTimer = nullptr;
};

} // namespace tarnwick
