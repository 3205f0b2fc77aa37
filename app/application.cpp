#include "application.h"

#include "clock.h"
#include "date_text.h"
#include "error_report.h"
#include "folder_list_controller.h"
#include "history_controller.h"
#include "main_window.h"
#include "monitor_controller.h"
#include "prompts.h"
#include "schedule_controller.h"
#include "settings.h"
#include "startup_options.h"

#include "core/paths.h"
#include "folders/folder_picker.h"
#include "history/history_log_file.h"
#include "history/history_model.h"
#include "history/launcher.h"

#include <QApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tarnwick {

QString ApplicationTitle(const QString &productTitle)
{
    QString title = productTitle;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

Application::Application(MainWindow &window, Services services, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_services(std::move(services))
    , m_dateFormat(SystemDateTextFormat())
    , m_historyModel(std::make_unique<HistoryModel>())
{
    m_folderList = std::make_unique<FolderListController>(m_window.ListView1, m_services.settings, m_services.prompts,
                                                          m_services.picker, &m_window);
    m_monitor = std::make_unique<MonitorController>(m_services.prompts, m_services.clock, QString(), m_dateFormat);
    m_history = std::make_unique<HistoryController>(*m_historyModel, m_services.prompts, m_services.launcher);
    m_monitor->setRowSink([this](const QString &timeText, const std::vector<Change> &changes) {
        m_historyModel->appendChanges(timeText, changes);
    });
    m_schedule = std::make_unique<ScheduleController>(m_window, m_services.settings, m_services.prompts,
                                                      m_services.clock, *m_monitor, *m_folderList);
    m_startupOptions = std::make_unique<StartupOptions>(m_window, m_services.settings, m_services.prompts,
                                                        m_services.autostart, [this] { return m_formLoading; });
    m_tray = std::make_unique<cSysTray>(nullptr, m_services.trayAvailable);
    m_window.ListView2->setModel(m_historyModel.get());
    wireControls();
}

Application::~Application()
{
    Form_QueryUnload();
}

void Application::wireControls()
{
    MainWindow &w = m_window;
    FolderListController *folders = m_folderList.get();
    HistoryController *history = m_history.get();
    connect(w.PushButton3, &QPushButton::clicked, folders, [folders] { folders->PushButton3_Click(); });
    connect(w.PushButton4, &QPushButton::clicked, folders, [folders] { folders->PushButton4_Click(); });
    connect(w.PushButton7, &QPushButton::clicked, folders, [folders] { folders->PushButton7_Click(); });
    connect(w.PushButton8, &QPushButton::clicked, folders, [folders] { folders->PushButton8_Click(); });
    connect(w.PushButton1, &QPushButton::clicked, this, [history] { history->PushButton1_Click(); });
    connect(w.PushButton2, &QPushButton::clicked, this, [history] { history->PushButton2_Click(); });
    connect(w.PushButton12, &QPushButton::clicked, this, [history] { history->PushButton12_Click(); });
    connect(w.PushButton11, &QPushButton::clicked, this, [history] { history->PushButton11_Click(); });
    connect(&w, &MainWindow::closing, this, &Application::Form_QueryUnload);
    connect(&w, &MainWindow::minimized, this, &Application::Form_Resize);
    // Shown again by any means (the tray icon, the window manager): the next minimise hides it again.
    connect(&w, &MainWindow::shown, this, [this] { m_hiddenInTray = false; });
    connect(m_tray.get(), &cSysTray::activationRequested, this, &Application::restoreFromTray);
}

void Application::Form_Load()
{
    Procedure procedure(m_services.prompts, u"Tarnwick2021/08/31.Form1.Form_Load "_s);
    const QString folder = m_services.applicationFolder;

    procedure.step([&] {
        if (FileAppears((folder + u"/x/o.cjs"_s).toStdString()))
            m_window.applySkinColours();
    });
    procedure.step([&] {
        m_formLoading = true;
        m_window.setWindowTitle(QLatin1String(kProductTitle));
        m_window.setWindowIcon(ApplicationIcon());
    });
    procedure.step([&] { m_applicationTitle = ApplicationTitle(QLatin1String(kProductTitle)); });
    procedure.step([&] { VisitMakerSite(); });
    procedure.step([&] { loadPointer(); });
    procedure.step([&] {
        m_window.ListView1->setHeaderLabels({u"Folder(s)"_s});
        m_window.ListView1->setColumnWidth(0, Twips(7000));
    });
    procedure.step([&] {
        QHeaderView *header = m_window.ListView2->horizontalHeader();
        header->resizeSection(0, Twips(2200));
        header->resizeSection(1, Twips(2200));
        header->resizeSection(2, Twips(3100));
    });
    procedure.step([&] { m_schedule->restoreOption(schedule::Mode::Weekly); });
    procedure.step([&] { m_schedule->restoreOption(schedule::Mode::Daily); });
    procedure.step([&] { m_schedule->restoreOption(schedule::Mode::Interval); });
    procedure.step([&] { m_schedule->restoreWeeklyTime(); });
    procedure.step([&] { m_schedule->restoreWeekday(); });
    procedure.step([&] { m_schedule->restoreIntervalBox(0); });
    procedure.step([&] { m_schedule->restoreIntervalBox(1); });
    procedure.step([&] { m_schedule->restoreIntervalBox(2); });
    procedure.step([&] {
        m_historyLogPath = HistoryLogPath(QLatin1String(kProductTitle), m_services.temporaryFolder);
        m_monitor->setHistoryLogPath(m_historyLogPath);
        m_history->setHistoryLogPath(m_historyLogPath);
    });
    procedure.step([&] { m_folderList->restore(m_services.settings.value(SettingKey::Folders)); });
    procedure.step([&] { m_schedule->restoreMonitoringState(); });
    procedure.step([&] {
        m_tray->setTrayTip(QLatin1String(kProductTitle));
        m_tray->setInTray(true);
    });
    procedure.step([&] { m_startupOptions->restoreChecks(); });
    procedure.step([&] { m_startMinimized = m_startupOptions->applyVisibility(); });
    procedure.step([&] { m_formLoading = false; });
}

void Application::VisitMakerSite()
{
    if (m_services.drawPercent && m_services.drawPercent() == 7)
        m_services.launcher.openUrl(QUrl(QLatin1String(kMakerSite)));
}

void Application::loadPointer()
{
    const QString cursorFile = m_services.applicationFolder + u"/HAND-M.CUR"_s;
    QCursor cursor(Qt::PointingHandCursor);
    if (FileAppears(cursorFile.toStdString())) {
        const QPixmap picture(cursorFile);
        if (!picture.isNull())
            cursor = QCursor(picture);
    }
    m_window.setButtonCursor(cursor);
}

void Application::showWindow()
{
    if (m_startMinimized) {
        m_window.showMinimized();
        return;
    }
    m_window.centre();
    m_window.show();
}

void Application::Form_Resize()
{
    if (!(m_window.windowState() & Qt::WindowMinimized) || m_hiddenInTray)
        return;
    // Without a notification area the window stays an ordinary minimised window, so it is never lost.
    if (!m_tray->trayAvailable())
        return;
    m_hiddenInTray = true;
    // after the state change has been handled
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_hiddenInTray || !(m_window.windowState() & Qt::WindowMinimized))
                return; // shown again meanwhile
            // The state goes back to normal when the window comes back: clearing it now would map the
            // window again on X11.
            m_window.hide();
            m_tray->ShowBalloon(u"has been minimized to the system tray.\n"
                                u"Click on the blue 'Q' icon (Q for Quelvane) to bring the software back."_s,
                                QLatin1String(kProductTitle), 5, true);
        },
        Qt::QueuedConnection);
}

void Application::restoreFromTray()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
    m_hiddenInTray = false;
}

void Application::Form_QueryUnload()
{
    if (m_closed)
        return;
    m_closed = true;
    Procedure procedure(m_services.prompts, u"Tarnwick2021/08/31.Form1.Form_QueryUnload "_s);
    procedure.step([&] { m_window.Timer1->stop(); });
    procedure.step([&] { m_tray->setInTray(false); });
    procedure.step([&] { m_monitor->cancelAndWait(); });
    procedure.step([&] { m_folderList->cancelAndWait(); });
    Q_EMIT closed();
}

} // namespace tarnwick
