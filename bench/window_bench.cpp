// A flood of changes through the real window (offscreen): a pass that reports N added files, and the longest
// stall of the UI thread, measured as the largest gap between the ticks of a 10 ms timer, from the start of
// the pass until the rows are in the history view and the log is written.
//
//   tarnwick-window-bench [--files N]   (default 1,000,000)

#include "qt/history_model.h"
#include "qt/ini_settings_store.h"
#include "qt/main_window.h"
#include "qt/qt_adapters.h"
#include "qt/qt_tray_icon.h"
#include "qt/system_locale.h"

#include "app/application.h"
#include "app/system_clock.h"
#include "core/paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace tarnwick;

// Nothing modal: the benchmark only counts what it is told.
class SilentPrompts final : public app::Prompts
{
public:
    void setApplicationTitle(std::string_view) override { }
    void message(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view) override { return false; }
    void errorReport(std::string_view text) override
    {
        std::fprintf(stderr, "error report: %.*s\n", int(text.size()), text.data());
    }
    std::string browseForFolder(std::string_view) override { return {}; }
    std::vector<std::string> messages;
};

class NoLauncher final : public app::Launcher
{
public:
    void openTextFile(const std::string &) override { }
    void openUrl(const std::string &) override { }
};

class NoAutostart final : public app::Autostart
{
public:
    bool registered() const override { return true; }
    void add() override { }
    void remove() override { }
};

class NoDraw final : public app::RandomDraw
{
public:
    int percent() override { return 1; }
};

} // namespace

int main(int argc, char **argv)
{
    long files = 1000000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--files" && i + 1 < argc) {
            files = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: %s [--files N]\n", argv[0]);
            return 2;
        }
    }
    if (files <= 0)
        return 2;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);

    const std::string root = TemporaryFolder() + "/tarnwick-window-bench-" + std::to_string(::getpid());
    const std::string watched = root + "/watched";
    std::filesystem::create_directories(watched);
    ::setenv("TEMP", root.c_str(), 1);
    // Folders of 1000 files; the folders exist, empty, when the first pass records the tree.
    const long folders = (files + 999) / 1000;
    for (long f = 0; f < folders; ++f)
        ::mkdir((watched + "/d" + std::to_string(f)).c_str(), 0755);

    MainWindow window;
    SilentPrompts prompts;
    IniSettingsStore settings(QString::fromStdString(root + "/Quelvane.ini"));
    settings.write("Folders", watched + "/|234SSDEPERATATORZZ|");
    NoLauncher launcher;
    QtClipboard clipboard;
    app::SystemClock clock;
    NoDraw draw;
    NoAutostart autostart;
    QtTrayIcon tray([] { return false; });
    QtTimer timer(window.timer1());
    QtWorker worker;
    app::Application application(app::Services {window, prompts, launcher, clipboard, clock, draw, autostart, tray,
                                                timer, worker, settings, LocaleOf(QLocale::system()), root, root,
                                                [] { return std::string(); }});
    window.connectTo(application);
    application.Form_Load();
    application.showWindow();

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    QElapsedTimer pass;
    int stage = 0;
    QTimer driver;
    driver.setInterval(1);
    QObject::connect(&driver, &QTimer::timeout, &driver, [&] {
        if (application.monitor().running())
            return;
        if (stage == 0) { // record the empty folders
            application.PushButton6_Click();
            stage = 1;
        } else if (stage == 1) { // the flood: files in every folder
            std::printf("creating %ld files ...\n", files);
            std::fflush(stdout);
            for (long i = 0; i < files; ++i) {
                const std::string file =
                    watched + "/d" + std::to_string(i / 1000) + "/file-" + std::to_string(i) + ".txt";
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
            sinceTick.start();
            probe.start();
            pass.start();
            application.PushButton6_Click();
            stage = 2;
        } else if (stage == 2 && window.historyModel().rowCount() >= files) {
            const qint64 elapsed = pass.elapsed();
            longestGap = std::max(longestGap, sinceTick.elapsed());
            const auto logSize = std::filesystem::file_size(application.historyLogPath());
            std::printf("%d rows in the history view, %.1f MiB of log, in %.2f s\n", window.historyModel().rowCount(),
                        logSize / 1048576.0, elapsed / 1000.0);
            std::printf("longest stall of the UI thread during the flood: %lld ms\n",
                        static_cast<long long>(longestGap));
            QCoreApplication::quit();
        }
    });
    driver.start();
    const int status = QApplication::exec();
    application.Form_QueryUnload();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return status;
}
