#pragma once

#include "qt/ini_settings_store.h"
#include "qt/main_window.h"
#include "qt/qt_adapters.h"
#include "qt/qt_tray_icon.h"
#include "qt/system_locale.h"

#include "app/application.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <stdexcept>

namespace tarnwick::testing {

// Answers the prompts from scripts and records what they showed.
class ScriptedPrompts final : public app::Prompts
{
public:
    void setApplicationTitle(std::string_view text) override { title = QString::fromStdString(std::string(text)); }
    void message(std::string_view text) override { messages.append(QString::fromStdString(std::string(text))); }
    bool askYesNo(std::string_view text) override
    {
        questions.append(QString::fromStdString(std::string(text)));
        return true;
    }
    void errorReport(std::string_view text) override { errors.append(QString::fromStdString(std::string(text))); }
    std::string browseForFolder(std::string_view text) override
    {
        titles.append(QString::fromStdString(std::string(text)));
        return folders.isEmpty() ? std::string() : folders.takeFirst().toStdString();
    }

    QString title;
    QStringList messages;
    QStringList questions;
    QStringList errors;
    QStringList titles;
    QStringList folders;
};

class RecordingLauncher final : public app::Launcher
{
public:
    void openTextFile(const std::string &path) override { textFiles.append(QString::fromStdString(path)); }
    void openUrl(const std::string &url) override { urls.append(QString::fromStdString(url)); }
    QStringList textFiles;
    QStringList urls;
};

class RecordingAutostart final : public app::Autostart
{
public:
    bool registered() const override { return entry; }
    void add() override
    {
        calls.append(QStringLiteral("add"));
        entry = true;
    }
    void remove() override
    {
        calls.append(QStringLiteral("remove"));
        entry = false;
    }
    bool entry = false;
    QStringList calls;
};

class FixedClock final : public app::Clock
{
public:
    Date now() const override { return date; }
    Date date = DateFromParts({2026, 12, 7, 4, 20, 36});
};

class FixedDraw final : public app::RandomDraw
{
public:
    int percent() override { return 50; }
};

// The real main window over the application, with fakes where a real adapter would open dialogs, start programs
// or register the program, and its own settings file, program folder and temporary folder.
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
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the settings file");
        file.write("[Tarnwick]\n" + section);
    }

    app::Application &start()
    {
        settings = std::make_unique<IniSettingsStore>(settingsPath());
        window = std::make_unique<MainWindow>();
        timer = std::make_unique<QtTimer>(window->timer1());
        tray = std::make_unique<QtTrayIcon>([this] { return trayAvailable; });
        application = std::make_unique<app::Application>(app::Services {
            *window,
            prompts,
            launcher,
            clipboard,
            clock,
            draw,
            autostart,
            *tray,
            *timer,
            worker,
            *settings,
            LocaleOf(QLocale::system()),
            programFolder().toStdString(),
            tempFolder().toStdString(),
            [this] { return desktop.toStdString(); },
        });
        window->connectTo(*application);
        tray->setNotify([this](int message) { application->TrayNotify(message); });
        application->Form_Load();
        return *application;
    }

    template<typename Widget>
    Widget *find(const QString &name) const
    {
        return window->findChild<Widget *>(name);
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("settings.ini")); }
    QString stored(const char *key) const
    {
        return QString::fromStdString(IniSettingsStore(settingsPath()).read(key).value_or("<absent>"));
    }
    QString tempFolder() const { return folder.filePath(QStringLiteral("temp")); }
    QString programFolder() const { return folder.filePath(QStringLiteral("program")); }

    QTemporaryDir folder;
    QString desktop = folder.filePath(QStringLiteral("Desktop"));
    ScriptedPrompts prompts;
    RecordingLauncher launcher;
    QtClipboard clipboard;
    FixedClock clock;
    FixedDraw draw;
    RecordingAutostart autostart;
    QtWorker worker;
    bool trayAvailable = false;
    std::unique_ptr<IniSettingsStore> settings;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QtTimer> timer;
    std::unique_ptr<QtTrayIcon> tray;
    std::unique_ptr<app::Application> application;
};

} // namespace tarnwick::testing
