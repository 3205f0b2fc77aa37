#pragma once

#include "folder_list.h"
#include "history_commands.h"
#include "monitor.h"
#include "schedule_controls.h"
#include "settings.h"
#include "startup_options.h"
#include "sys_tray.h"
#include "toolkit.h"
#include "window_state.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::app {

inline constexpr std::string_view kProductTitle = "Tarnwick";

// The application title: the product title cut before its last blank until it is 40 characters or shorter.
std::string ApplicationTitle(std::string_view productTitle);

// The user's conventions that the window's texts follow.
struct Locale {
    DateTextFormat dateFormat;
    std::string decimalSeparator = ".";
};

// What the program takes from its surroundings: the front-end's implementations of the toolkit interfaces.
struct Services {
    View &view;
    Prompts &prompts;
    Launcher &launcher;
    Clipboard &clipboard;
    const Clock &clock;
    RandomDraw &random;
    Autostart &autostart;
    TrayIcon &trayIcon;
    Timer &timer;
    Worker &worker;
    SettingsStore &settingsStore;
    Locale locale;
    // The folder that holds the program (for the optional skin and cursor files).
    std::string applicationFolder;
    // The folder of the history log.
    std::string temporaryFolder;
    // The user's desktop folder; throws std::runtime_error when it cannot be located.
    std::function<std::string()> desktopFolder;
};

// Form1's life: the start-up sequence, the events of its controls, and closing. A front-end builds the window,
// forwards every event here and implements the interfaces; it decides nothing itself.
class Application
{
public:
    explicit Application(Services services);
    ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    // The start-up sequence; every step runs under the error report and a failing one is skipped.
    void Form_Load();
    // After the start-up: the window shown normally (centred, as at its first showing), or hidden in the tray
    // exactly as a minimise would hide it when both start-up options are on.
    void showWindow();
    // Closing: stops the timer, removes the tray icon, stops a running pass or enumeration and waits for it.
    // Runs once, whatever closes the window.
    void Form_QueryUnload();
    bool closed() const { return m_closed; }

    // A push button or an option button was clicked: its handler below runs.
    void Click(Control control);
    // A check box was clicked and is now checked or not: its handler below runs.
    void CheckClick(Control control, bool checked);

    // Events of the window's controls.
    void PushButton1_Click() { m_history.PushButton1_Click(); }
    void PushButton2_Click() { m_history.PushButton2_Click(); }
    void PushButton3_Click() { m_folders.PushButton3_Click(); }
    void PushButton4_Click() { m_folders.PushButton4_Click(); }
    void PushButton5_Click() { m_schedule.PushButton5_Click(); }
    void PushButton6_Click() { m_schedule.PushButton6_Click(); }
    void PushButton7_Click() { m_folders.PushButton7_Click(); }
    void PushButton8_Click() { m_folders.PushButton8_Click(); }
    void PushButton11_Click() { m_history.PushButton11_Click(); }
    void PushButton12_Click() { m_history.PushButton12_Click(); }
    void ListView1_DblClick(std::optional<std::size_t> selected) { m_folders.ListView1_DblClick(selected); }
    void ListView1_KeyDown(int keyCode, std::optional<std::size_t> selected)
    {
        m_folders.ListView1_KeyDown(keyCode, selected);
    }
    void Option3_Click() { m_schedule.Option3_Click(); }
    void Option4_Click() { m_schedule.Option4_Click(); }
    void Option5_Click() { m_schedule.Option5_Click(); }
    void Text_Change(int box, std::string text) { m_schedule.Text_Change(box, std::move(text)); }
    void Text_GotFocus(int box) { m_schedule.Text_GotFocus(box); }
    void Text_LostFocus(int box) { m_schedule.Text_LostFocus(box); }
    void dtpWeekly_Change(int secondOfDay) { m_schedule.dtpWeekly_Change(secondOfDay); }
    void cboWeekly_Change(std::string text) { m_schedule.cboWeekly_Change(std::move(text)); }
    void Check4_Click(bool checked) { m_startupOptions.Check4_Click(checked); }
    void Check8_Click(bool checked) { m_startupOptions.Check8_Click(checked); }
    void Timer1_Timer();
    // The window was minimised.
    void Form_Resize() { m_window.Form_Resize(); }
    // The window was shown, by whatever means.
    void windowShown() { m_window.windowShown(); }
    // Another start of the program asked for this window: shown, in front, out of the tray if it was there.
    void showRequested() { m_window.restoreFromTray(); }
    // Whether the window is (to be) hidden in the tray: a hide the front-end put off until the minimise was handled
    // is dropped when the window has come back meanwhile.
    bool hiddenInTray() const { return m_window.hiddenInTray(); }
    // A message of the platform about the tray icon (cSysTray::Message).
    void TrayNotify(int message) { m_tray.TrayNotify(message); }

    bool formLoading() const { return m_formLoading; }
    const std::string &applicationTitle() const { return m_applicationTitle; }
    const std::string &historyLogPath() const { return m_monitor.historyLogPath(); }

    Settings &settings() { return m_settings; }
    FolderList &folderList() { return m_folders; }
    HistoryCommands &historyCommands() { return m_history; }
    Monitor &monitor() { return m_monitor; }
    ScheduleControls &schedule() { return m_schedule; }
    StartupOptions &startupOptions() { return m_startupOptions; }
    WindowState &windowState() { return m_window; }
    cSysTray &tray() { return m_tray; }
    bool startsHidden() const { return m_startHidden; }

private:
    void VisitMakerSite();

    Services m_services;
    Settings m_settings;
    cSysTray m_tray;
    FolderList m_folders;
    Monitor m_monitor;
    HistoryCommands m_history;
    ScheduleControls m_schedule;
    StartupOptions m_startupOptions;
    WindowState m_window;
    bool m_formLoading = false;
    bool m_closed = false;
    bool m_startHidden = false;
    std::string m_applicationTitle;
};

} // namespace tarnwick::app
