#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QTimer;

namespace tarnwick {

// The program's icon: a blue "Q", for Quelvane.
QIcon ApplicationIcon();

// One icon in the desktop's notification area, with a tip, balloon messages and mouse events. Nothing is
// shown until InTray is set; setting it again changes nothing; clearing it, or destroying the control,
// removes the icon.
class cSysTray : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QIcon TrayIcon READ TrayIcon WRITE setTrayIcon)
    Q_PROPERTY(QString TrayTip READ TrayTip WRITE setTrayTip)
    Q_PROPERTY(bool InTray READ InTray WRITE setInTray)

public:
    // Whether the desktop has a notification area; the default asks Qt.
    using Availability = std::function<bool()>;

    static constexpr int kTipLength = 127;
    static constexpr int kBalloonTitleLength = 63;
    static constexpr int kBalloonTextLength = 255;

    explicit cSysTray(QObject *parent = nullptr, Availability availability = {});
    ~cSysTray() override;

    QIcon TrayIcon() const { return m_icon; }
    // A null icon is not a picture of an icon: it is ignored.
    void setTrayIcon(const QIcon &icon);

    QString TrayTip() const { return m_tip; }
    void setTrayTip(const QString &tip);

    bool InTray() const { return m_inTray; }
    void setInTray(bool show);

    // Shows a balloon at the icon and returns at once; it goes after showTimer seconds (when above 0) or when
    // clicked. With showOnce, only the first such balloon of this control is shown.
    void ShowBalloon(const QString &tip, const QString &title, int showTimer, bool showOnce);

    bool trayAvailable() const;
    bool balloonOpen() const { return m_balloonOpen; }
    // The icon as the desktop sees it (present only while InTray is set).
    const QSystemTrayIcon *icon() const { return m_trayIcon.get(); }
    QSystemTrayIcon *icon() { return m_trayIcon.get(); }

Q_SIGNALS:
    void MouseMove(int id);
    void MouseDown(int button, int id);
    void MouseUp(int button, int id);
    void MouseDblClick(int button, int id);
    // A mouse button (left or right) was released over the icon: the user wants the window back.
    void activationRequested();
    // A balloon was handed to the desktop.
    void balloonShown(const QString &title, const QString &text);

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void balloonClosed();

    Availability m_availability;
    QIcon m_icon; // the control's own picture until another is set
    QString m_tip = QStringLiteral("Telnet Server");
    bool m_inTray = false;
    bool m_balloonOpen = false;
    int m_onceCount = 0;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    QTimer *m_balloonTimer = nullptr;
};

} // namespace tarnwick
