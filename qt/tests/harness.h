#pragma once

#include "app/application.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "fakes.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tarnwick::testing {

// A main window with its application over fakes, and its own settings file, temporary folder and
// application folder.
class Harness
{
public:
    Harness()
    {
        QDir(folder.path()).mkpath(QStringLiteral("temp"));
        QDir(folder.path()).mkpath(QStringLiteral("program"));
    }

    // Writes the settings file before the application starts.
    void prepareSettings(const QByteArray &section)
    {
        QFile file(settingsPath());
        file.open(QIODevice::WriteOnly);
        file.write("[Tarnwick]\n" + section);
    }

    Application &start()
    {
        settings = std::make_unique<Settings>(settingsPath());
        window = std::make_unique<MainWindow>();
        application = std::make_unique<Application>(*window,
                                                    Services {*settings, prompts, clock, launcher, picker, autostart,
                                                              [this] { return trayAvailable; }, [this] { return draw; },
                                                              folder.filePath(QStringLiteral("program")),
                                                              folder.filePath(QStringLiteral("temp"))});
        application->Form_Load();
        return *application;
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("settings.ini")); }
    // What the settings file holds now, read afresh.
    QString stored(SettingKey key) const { return Settings(settingsPath()).value(key); }
    QString tempFolder() const { return folder.filePath(QStringLiteral("temp")); }
    QString programFolder() const { return folder.filePath(QStringLiteral("program")); }

    QTemporaryDir folder;
    std::unique_ptr<Settings> settings;
    ScriptedPrompts prompts;
    FakeClock clock;
    RecordingLauncher launcher;
    ScriptedPicker picker;
    RecordingAutostart autostart;
    bool trayAvailable = false;
    int draw = 50;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Application> application;
};

} // namespace tarnwick::testing
