#include "application.h"

#include "procedure.h"
#include "window_design.h"

#include "core/history_log.h"
#include "core/paths.h"

namespace tarnwick::app {

namespace {

std::string inFolder(const std::string &folder, std::string_view relative)
{
    std::string path = WithTrailingSeparator(folder);
    for (const char c : relative)
        path.push_back(c == '/' ? kSeparator : c);
    return path;
}

} // namespace

std::string ApplicationTitle(std::string_view productTitle)
{
    std::string_view title = productTitle;
    do {
        const std::size_t blank = title.rfind(' ');
        if (blank == std::string_view::npos)
            break;
        title = title.substr(0, blank);
    } while (title.size() > 40);
    return std::string(title);
}

Application::Application(Services services)
    : m_services(std::move(services))
    , m_settings(m_services.settingsStore, m_services.clock, m_services.locale.dateFormat,
                 m_services.locale.decimalSeparator)
    , m_tray(m_services.trayIcon)
    , m_folders(m_services.view, m_services.prompts, m_settings, m_services.worker, m_services.desktopFolder)
    , m_monitor(m_services.view, m_services.prompts, m_services.worker, m_services.clock, m_services.locale.dateFormat)
    , m_history(m_services.view, m_services.prompts, m_services.launcher, m_services.clipboard)
    , m_schedule(m_services.view, m_services.prompts, m_settings, m_services.timer, m_services.clock, m_monitor,
                 m_folders)
    , m_startupOptions(m_services.view, m_services.prompts, m_settings, m_services.autostart,
                       [this] { return m_formLoading; })
    , m_window(m_services.view, m_tray)
{
    // Any button released over the tray icon brings the window back.
    m_tray.MouseUp = [this](int, int) { m_window.restoreFromTray(); };
}

Application::~Application()
{
    Form_QueryUnload();
}

void Application::Form_Load()
{
    View &view = m_services.view;
    Procedure procedure(m_services.prompts, Form1Location("Form_Load"));
    const std::string &folder = m_services.applicationFolder;

    procedure.step(100, [&] {
        if (FileAppears(inFolder(folder, "x/o.cjs")))
            view.applySkinColours();
    });
    procedure.step(102, [&] {
        m_formLoading = true;
        view.setText(Control::Form1, kProductTitle);
    });
    procedure.step(104, [&] {
        m_applicationTitle = ApplicationTitle(kProductTitle);
        m_services.prompts.setApplicationTitle(m_applicationTitle);
        // once, before anything reads a setting: the user would otherwise find an empty list and no reason
        if (const std::optional<std::string> problem = m_services.settingsStore.readProblem())
            m_services.prompts.message(*problem);
    });
    procedure.step(106, [&] { VisitMakerSite(); });
    procedure.step(108, [&] {
        const std::string cursor = inFolder(folder, "HAND-M.CUR");
        view.setButtonPointer(FileAppears(cursor) ? cursor : std::string());
    });
    procedure.step(110, [&] { view.setColumns(Control::ListView1, kFolderColumns); });
    procedure.step(112, [&] { view.setColumns(Control::ListView2, kHistoryColumns); });
    procedure.step(114, [&] { m_schedule.restoreOption(schedule::Mode::Weekly); });
    procedure.step(116, [&] { m_schedule.restoreOption(schedule::Mode::Daily); });
    procedure.step(118, [&] { m_schedule.restoreOption(schedule::Mode::Interval); });
    procedure.step(120, [&] { m_schedule.restoreWeeklyTime(); });
    procedure.step(122, [&] { m_schedule.restoreWeekday(); });
    procedure.step(124, [&] { m_schedule.restoreIntervalBox(0); });
    procedure.step(126, [&] { m_schedule.restoreIntervalBox(1); });
    procedure.step(128, [&] { m_schedule.restoreIntervalBox(2); });
    procedure.step(130, [&] {
        const std::string path = HistoryLogPath(kProductTitle, m_services.temporaryFolder);
        m_monitor.setHistoryLogPath(path);
        m_history.setHistoryLogPath(path);
    });
    procedure.step(132, [&] { m_folders.restore(m_settings.text(SettingKey::Folders)); });
    procedure.step(134, [&] { m_schedule.restoreMonitoringState(); });
    procedure.step(136, [&] {
        m_tray.setTrayTip(kProductTitle);
        m_tray.setInTray(true);
    });
    procedure.step(138, [&] { m_startupOptions.restoreChecks(); });
    procedure.step(140, [&] { m_startHidden = m_startupOptions.applyVisibility(); });
    m_formLoading = false;
}

void Application::VisitMakerSite()
{
    if (m_services.random.percent() == 7)
        m_services.launcher.openUrl(std::string(kMakerSite));
}

void Application::showWindow()
{
    if (!m_startHidden) {
        m_window.showNormal();
        return;
    }
    // Hidden exactly as a minimise hides it; without a tray, an ordinary minimised window.
    if (m_tray.trayAvailable())
        m_window.Form_Resize();
    else
        m_window.showMinimized();
}

void Application::Click(Control control)
{
    switch (control) {
    case Control::PushButton1:
        return PushButton1_Click();
    case Control::PushButton2:
        return PushButton2_Click();
    case Control::PushButton3:
        return PushButton3_Click();
    case Control::PushButton4:
        return PushButton4_Click();
    case Control::PushButton5:
        return PushButton5_Click();
    case Control::PushButton6:
        return PushButton6_Click();
    case Control::PushButton7:
        return PushButton7_Click();
    case Control::PushButton8:
        return PushButton8_Click();
    case Control::PushButton11:
        return PushButton11_Click();
    case Control::PushButton12:
        return PushButton12_Click();
    case Control::Option3:
        return Option3_Click();
    case Control::Option4:
        return Option4_Click();
    case Control::Option5:
        return Option5_Click();
    default:
        return;
    }
}

void Application::CheckClick(Control control, bool checked)
{
    if (control == Control::Check4)
        Check4_Click(checked);
    else if (control == Control::Check8)
        Check8_Click(checked);
}

void Application::Timer1_Timer()
{
    if (!m_closed)
        m_schedule.Timer1_Timer();
}

void Application::Form_QueryUnload()
{
    if (m_closed)
        return;
    m_closed = true;
    Procedure procedure(m_services.prompts, Form1Location("Form_QueryUnload"));
    procedure.step(100, [&] { m_services.timer.stop(); });
    procedure.step(102, [&] { m_tray.setInTray(false); });
    procedure.step(104, [&] {
        m_monitor.cancel();
        m_folders.cancel();
        m_services.worker.wait();
    });
}

} // namespace tarnwick::app
