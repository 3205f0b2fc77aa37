#pragma once

#include "core/date.h"
#include "tray/sys_tray.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tarnwick {

class Autostart;
class Clock;
class FolderListController;
class FolderPicker;
class HistoryController;
class HistoryModel;
class Launcher;
class MainWindow;
class MonitorController;
class Prompts;
class ScheduleController;
class Settings;
class StartupOptions;

// What the program takes from its surroundings; tests give fakes.
struct Services {
    Settings &settings;
    Prompts &prompts;
    const Clock &clock;
    Launcher &launcher;
    FolderPicker &picker;
    Autostart &autostart;
    // Whether the desktop has a notification area; empty asks Qt.
    cSysTray::Availability trayAvailable;
    // A whole number from 1 to 100, drawn afresh at each call.
    std::function<int()> drawPercent;
    // The folder that holds the program (for the optional skin and cursor files).
    QString applicationFolder;
    // The folder of the history log.
    QString temporaryFolder;
};

// The product title and what start-up derives from it.
inline constexpr const char *kProductTitle = "Tarnwick";

// The application title: the product title cut before its last blank until it is 40 characters or shorter.
QString ApplicationTitle(const QString &productTitle);

// Form1's life: the start-up sequence, the wiring of the controls to their controllers, and closing.
class Application : public QObject
{
    Q_OBJECT
public:
    Application(MainWindow &window, Services services, QObject *parent = nullptr);
    ~Application() override;

    // The start-up sequence; every step runs under the error report and a failing one is skipped.
    void Form_Load();
    // Closing: stops the timer, cancels a running pass and waits for it, removes the tray icon.
    void Form_QueryUnload();

    bool formLoading() const { return m_formLoading; }
    const QString &applicationTitle() const { return m_applicationTitle; }
    const QString &historyLogPath() const { return m_historyLogPath; }

    HistoryModel &historyModel() { return *m_historyModel; }
    FolderListController &folderList() { return *m_folderList; }
    MonitorController &monitor() { return *m_monitor; }
    HistoryController &historyCommands() { return *m_history; }
    ScheduleController &schedule() { return *m_schedule; }
    StartupOptions &startupOptions() { return *m_startupOptions; }
    cSysTray &tray() { return *m_tray; }

    // Shows the window as start-up left it: normal and centred, or minimised (and so hidden in the tray)
    // when both start-up options are on.
    void showWindow();
    bool hiddenInTray() const { return m_hiddenInTray; }
    bool startsMinimized() const { return m_startMinimized; }

    // The window was minimised: hide it in the tray, when there is one, with a balloon the first time.
    void Form_Resize();
    // A mouse button was released over the tray icon: the window comes back.
    void restoreFromTray();

Q_SIGNALS:
    void closed();

private:
    void wireControls();
    void VisitMakerSite();
    void loadPointer();

    MainWindow &m_window;
    Services m_services;
    DateTextFormat m_dateFormat;
    std::unique_ptr<HistoryModel> m_historyModel;
    std::unique_ptr<FolderListController> m_folderList;
    std::unique_ptr<MonitorController> m_monitor;
    std::unique_ptr<HistoryController> m_history;
    std::unique_ptr<ScheduleController> m_schedule;
    std::unique_ptr<StartupOptions> m_startupOptions;
    std::unique_ptr<cSysTray> m_tray;
    bool m_formLoading = false;
    bool m_closed = false;
    bool m_hiddenInTray = false;
    bool m_startMinimized = false;
    QString m_applicationTitle;
    QString m_historyLogPath;
};

} // namespace tarnwick
