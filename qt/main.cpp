#include "desktop_launcher.h"
#include "ini_settings_store.h"
#include "main_window.h"
#include "message_box_prompts.h"
#include "qt_adapters.h"
#include "qt_tray_icon.h"
#include "single_instance.h"
#include "system_locale.h"
#include "termination_signals.h"
#include "xdg_autostart.h"

#include "app/application.h"
#include "app/system_clock.h"
#include "app/system_random_draw.h"
#include "core/paths.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    using namespace tarnwick;
    // First of all: a termination request from now on is kept, whatever the program is doing when it comes.
    TerminationSignals::install();

    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(u"Quelvane"_s);
    QApplication::setApplicationName(u"Tarnwick"_s);
    // The window may hide in the tray; the program ends when the window is closed, not when it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());

    SingleInstance instance(SingleInstance::defaultFolder());
    if (!instance.claim())
        return 0; // the running copy shows its window
    TerminationSignals termination;

    MainWindow window;
    MessageBoxPrompts prompts(&window);
    IniSettingsStore settings;
    app::SystemClock clock;
    app::SystemRandomDraw random;
    DesktopLauncher launcher;
    QtClipboard clipboard;
    XdgAutostart autostart(QCoreApplication::applicationFilePath());
    QtTrayIcon tray;
    QtTimer timer(window.timer1());
    QtWorker worker;

    app::Application application(app::Services {
        window,
        prompts,
        launcher,
        clipboard,
        clock,
        random,
        autostart,
        tray,
        timer,
        worker,
        settings,
        LocaleOf(QLocale::system()),
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString(),
        TemporaryFolder(),
        [] {
            const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
            if (desktop.isEmpty())
                throw std::runtime_error("The desktop folder cannot be located.");
            return QDir::toNativeSeparators(desktop).toStdString();
        },
    });
    window.connectTo(application);
    tray.setNotify([&application](int message) { application.TrayNotify(message); });
    QObject::connect(&instance, &SingleInstance::showRequested, &window,
                     [&application] { application.showRequested(); });
    QObject::connect(&window, &MainWindow::closed, &qapp, &QCoreApplication::quit);
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, [&application] {
        CloseModalDialogs();
        application.Form_QueryUnload();
        QCoreApplication::exit(0);
    });

    application.Form_Load();
    if (TerminationSignals::requested()) {
        // asked to end while starting (an open report, a slow machine): end now, cleanly
        application.Form_QueryUnload();
        return 0;
    }
    application.showWindow();
    return QApplication::exec();
}
