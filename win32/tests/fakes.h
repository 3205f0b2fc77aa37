#pragma once

// Stand-ins for the interfaces the window tests do not exercise, so that a real Application runs over the real
// window without dialogs, processes or the registry.

#include "app/toolkit.h"

#include <map>
#include <string>
#include <vector>

namespace tarnwick::win32::testing {

class FakePrompts final : public app::Prompts
{
public:
    void setApplicationTitle(std::string_view) override { }
    void message(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view text) override
    {
        messages.emplace_back(text);
        return false;
    }
    void errorReport(std::string_view text) override { messages.emplace_back(text); }
    std::string browseForFolder(std::string_view) override { return {}; }

    std::vector<std::string> messages;
};

class FakeSettingsStore final : public app::SettingsStore
{
public:
    std::optional<std::string> read(std::string_view key) const override
    {
        const auto it = values.find(std::string(key));
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void write(std::string_view key, std::string_view text) override
    {
        values[std::string(key)] = std::string(text);
        writes.emplace_back(std::string(key) + "=" + std::string(text));
    }
    std::optional<std::string> readProblem() const override { return std::nullopt; }

    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
};

class FakeLauncher final : public app::Launcher
{
public:
    void openTextFile(const std::string &) override { }
    void openUrl(const std::string &) override { }
};

class FakeClipboard final : public app::Clipboard
{
public:
    void setText(const std::string &) override { }
};

class FixedClock final : public app::Clock
{
public:
    Date now() const override { return 44440.5; } // 2021-09-01 12:00
};

class NeverSeven final : public app::RandomDraw
{
public:
    int percent() override { return 50; }
};

class FakeAutostart final : public app::Autostart
{
public:
    bool registered() const override { return true; }
    void add() override { }
    void remove() override { }
};

class FakeTimer final : public app::Timer
{
public:
    void start() override { }
    void stop() override { }
};

class FakeTrayIcon final : public app::TrayIcon
{
public:
    bool available() const override { return true; }
    void show(const std::string &) override { }
    void hide() override { }
    void setTip(const std::string &) override { }
    void showBalloon(const std::string &title, const std::string &, int) override { balloons.push_back(title); }

    std::vector<std::string> balloons;
};

} // namespace tarnwick::win32::testing
