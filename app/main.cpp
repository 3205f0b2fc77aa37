#include "application.h"
#include "autostart.h"
#include "clock.h"
#include "main_window.h"
#include "prompts.h"
#include "settings.h"
#include "unix_signals.h"

#include "core/paths.h"
#include "folders/folder_picker.h"
#include "history/launcher.h"

#include <QApplication>

#include <chrono>
#include <random>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(u"Quelvane"_s);
    QApplication::setApplicationName(u"Tarnwick"_s);
    // The window may hide in the tray; the program ends when the window is closed, not when it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    tarnwick::MainWindow window;
    tarnwick::MessageBoxPrompts prompts(&window, tarnwick::ApplicationTitle(QLatin1String(tarnwick::kProductTitle)));
    tarnwick::Settings settings;
    tarnwick::SystemClock clock;
    tarnwick::DesktopLauncher launcher;
    tarnwick::DialogFolderPicker picker;
    tarnwick::DesktopAutostart autostart(QCoreApplication::applicationFilePath());
    std::mt19937 random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> percent(1, 100);

    tarnwick::Application application(window,
                                      tarnwick::Services {
                                          settings,
                                          prompts,
                                          clock,
                                          launcher,
                                          picker,
                                          autostart,
                                          {},
                                          [&] { return percent(random); },
                                          QCoreApplication::applicationDirPath(),
                                          QString::fromStdString(tarnwick::TemporaryFolder()),
                                      });
    QObject::connect(&application, &tarnwick::Application::closed, &app, &QCoreApplication::quit);

    tarnwick::TerminationSignals termination;
    QObject::connect(&termination, &tarnwick::TerminationSignals::terminationRequested, &application, [&] {
        application.Form_QueryUnload();
        window.close();
    });

    application.Form_Load();
    application.showWindow();
    return QApplication::exec();
}
