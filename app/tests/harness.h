#pragma once

#include "fakes.h"

#include "app/application.h"
#include "app/settings.h"
#include "core/tests/temp_tree.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace tarnwick::testing {

// An Application over the fakes, with its own application folder and TEMP folder in a temporary tree.
// Settings are put in the store before start(); the application is destroyed (and so closed) before the fakes.
class Harness
{
public:
    // worker: another Worker than the queued fake (a real one); it must outlive the harness.
    explicit Harness(app::Worker *worker = nullptr)
        : m_worker(worker != nullptr ? *worker : queuedWorker)
    {
        tree.makeFolder("program");
        tree.makeFolder("temp");
    }

    // Builds the application and runs its start-up sequence.
    app::Application &start()
    {
        application = std::make_unique<app::Application>(app::Services {
            view,
            prompts,
            launcher,
            clipboard,
            clock,
            random,
            autostart,
            trayIcon,
            timer,
            m_worker,
            settings,
            app::Locale {DateTextFormat {}, decimalSeparator},
            programFolder(),
            tempFolder(),
            [this] {
                if (desktop.empty())
                    throw std::runtime_error("The desktop folder cannot be located.");
                return desktop;
            },
        });
        application->Form_Load();
        return *application;
    }

    app::Application &app() { return *application; }

    void store(app::SettingKey key, const std::string &text) { settings.values[name(key)] = text; }
    std::optional<std::string> stored(app::SettingKey key) const { return settings.stored(name(key)); }

    std::string programFolder() const { return tree.path("program"); }
    std::string tempFolder() const { return tree.path("temp"); }

    TempTree tree;
    FakeView view;
    ScriptedPrompts prompts;
    RecordingLauncher launcher;
    RecordingClipboard clipboard;
    FakeClock clock;
    FixedRandomDraw random;
    RecordingAutostart autostart;
    FakeTrayIcon trayIcon;
    RecordingTimer timer;
    QueuedWorker queuedWorker;
    MemorySettingsStore settings;
    std::string decimalSeparator = ".";
    // The user's desktop folder as the platform gives it (no trailing separator); empty: it cannot be located.
    std::string desktop = tree.path("Desktop");
    std::unique_ptr<app::Application> application;

private:
    static std::string name(app::SettingKey key) { return std::string(app::Definition(key).name); }

    app::Worker &m_worker;
};

} // namespace tarnwick::testing
