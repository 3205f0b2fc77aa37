#include "fakes.h"

#include "app/application.h"
#include "app/procedure.h"
#include "app/settings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::SettingKey;

TEST(Settings, EveryKeyHasItsNameAndDefault)
{
    struct Case {
        SettingKey key;
        const char *name;
        const char *defaultText;
    };
    const Case cases[] = {
        {SettingKey::Folders, "Folders", ""},
        {SettingKey::Option5, "Option5", "0"},
        {SettingKey::Option4, "Option4", "0"},
        {SettingKey::Option3, "Option3", "1"},
        {SettingKey::Weekly, "Weekly", "Monday"},
        {SettingKey::Text1, "Text1", "0"},
        {SettingKey::Text2, "Text2", "0"},
        {SettingKey::Text3, "Text3", "5"},
        {SettingKey::StartStopState, "StartStopState", "Off"},
        {SettingKey::WindowsStartup, "Windows Startup", "Off"},
        {SettingKey::Minimized, "Minimized", "Off"},
    };
    MemorySettingsStore store;
    FakeClock clock;
    app::Settings settings(store, clock, DateTextFormat {}, ".");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(app::Definition(c.key).name, c.name);
        EXPECT_EQ(settings.text(c.key), c.defaultText);
        // a stored text wins over the default, the empty text included
        store.values[c.name] = "";
        EXPECT_EQ(settings.text(c.key), "");
    }
    EXPECT_TRUE(store.writes.empty()) << "reading never writes";
}

TEST(Settings, TheWeeklyTimeDefaultsToTheTimeOfDayNow)
{
    MemorySettingsStore store;
    FakeClock clock;
    clock.time = At(2026, 12, 7, 10, 11, 12);
    app::Settings settings(store, clock, DateTextFormat {}, ".");
    EXPECT_EQ(app::Definition(SettingKey::WeeklyTime).name, "Weekly Time");
    EXPECT_EQ(settings.text(SettingKey::WeeklyTime), "10:11:12");
    EXPECT_EQ(settings.timeOfDay(SettingKey::WeeklyTime), 10 * 3600 + 11 * 60 + 12);

    settings.saveTimeOfDay(SettingKey::WeeklyTime, 7 * 3600 + 8 * 60 + 9);
    EXPECT_EQ(store.stored("Weekly Time"), "07:08:09");
    EXPECT_EQ(settings.timeOfDay(SettingKey::WeeklyTime), 7 * 3600 + 8 * 60 + 9);
    store.values["Weekly Time"] = "00:00:00";
    EXPECT_EQ(settings.timeOfDay(SettingKey::WeeklyTime), 0) << "midnight is a time";
    // a date before the time is ignored
    store.values["Weekly Time"] = "2020-02-03 21:00:05";
    EXPECT_EQ(settings.timeOfDay(SettingKey::WeeklyTime), 21 * 3600 + 5);
    store.values["Weekly Time"] = "noon";
    EXPECT_THROW(settings.timeOfDay(SettingKey::WeeklyTime), std::runtime_error);
}

TEST(Settings, TruthValues)
{
    struct Case {
        const char *text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        {"True", true}, {"False", false}, {"true", true}, {" TRUE ", true}, {"fAlSe", false}, {"1", true},
        {"-1", true},   {"0", false},     {"0.0", false}, {"2,5", true},    {"0,0", false},   {"1e3", true},
        {"yes", {}},    {"", {}},         {"Truest", {}}, {"1 2", {}},      {"On", {}},       {"--1", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(app::ToTruth(c.text, ","), c.value);

        MemorySettingsStore store;
        FakeClock clock;
        app::Settings settings(store, clock, DateTextFormat {}, ",");
        store.values["Option4"] = c.text;
        if (c.value)
            EXPECT_EQ(settings.truth(SettingKey::Option4), *c.value);
        else
            EXPECT_THROW(settings.truth(SettingKey::Option4), std::runtime_error);
    }
    // the full stop is understood whatever the user's separator
    EXPECT_EQ(app::ToTruth("0.5", ","), true);
    EXPECT_EQ(app::ToTruth("0,5", "."), std::nullopt);
    EXPECT_EQ(app::TruthText(true), "True");
    EXPECT_EQ(app::TruthText(false), "False");
}

TEST(Settings, OnIsExactlyOn)
{
    MemorySettingsStore store;
    FakeClock clock;
    app::Settings settings(store, clock, DateTextFormat {}, ".");
    EXPECT_FALSE(settings.on(SettingKey::WindowsStartup)) << "absent";
    for (const char *text : {"on", "ON", " On", "On ", "True", "1"}) {
        store.values["Windows Startup"] = text;
        EXPECT_FALSE(settings.on(SettingKey::WindowsStartup)) << text;
    }
    settings.saveOnOff(SettingKey::WindowsStartup, true);
    EXPECT_EQ(store.stored("Windows Startup"), "On");
    EXPECT_TRUE(settings.on(SettingKey::WindowsStartup));
    settings.saveOnOff(SettingKey::WindowsStartup, false);
    EXPECT_EQ(store.stored("Windows Startup"), "Off");
}

TEST(Settings, AFailingWriteThrows)
{
    MemorySettingsStore store;
    store.failWrites = true;
    FakeClock clock;
    app::Settings settings(store, clock, DateTextFormat {}, ".");
    EXPECT_THROW(settings.save(SettingKey::Text1, "3"), std::runtime_error);
    EXPECT_THROW(settings.saveTruth(SettingKey::Option3, true), std::runtime_error);
}

TEST(ErrorReport, TextNamesTheFailureTheProcedureAndTheStep)
{
    EXPECT_EQ(app::ErrorReportText("Type mismatch", app::Form1Location("Form_Load"), 116),
              "Type mismatch\nin Tarnwick2021/08/31.Form1.Form_Load at line 116\n\n"
              "Please email screenshot of this message to support@quelvane.example");
    EXPECT_EQ(app::EnumerationLocation(), "Orvandel2021/08/31.AddFolder.GetSubDirectories2016 ");
}

TEST(ErrorReport, AProcedureGoesOnAfterAFailingStep)
{
    ScriptedPrompts prompts;
    app::Procedure procedure(prompts, app::Form1Location("PushButton7_Click"));
    std::vector<std::string> ran;
    EXPECT_TRUE(procedure.step(100, [&] { ran.emplace_back("first"); }));
    EXPECT_FALSE(procedure.step(102, [&] { throw std::runtime_error("Path not found"); }));
    EXPECT_TRUE(procedure.step(104, [&] { ran.emplace_back("third"); }));
    EXPECT_FALSE(procedure.step(106, [] { throw 42; }));
    EXPECT_EQ(ran, (std::vector<std::string> {"first", "third"}));
    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(prompts.errors[0], app::ErrorReportText("Path not found", app::Form1Location("PushButton7_Click"), 102));
    EXPECT_EQ(
        prompts.errors[1].rfind("Unknown failure\nin Tarnwick2021/08/31.Form1.PushButton7_Click at line 106\n", 0), 0u)
        << prompts.errors[1];
}

TEST(ApplicationTitle, IsCutAtBlanksUntilFortyOrShorter)
{
    struct Case {
        std::string product;
        std::string title;
    };
    const Case cases[] = {
        {"Tarnwick", "Tarnwick"},
        {"Tarnwick Folder Monitor", "Tarnwick Folder"}, // cut at least once
        {"Tarnwick watches the folders you pick and tells what changed", "Tarnwick watches the folders you pick"},
        {std::string(50, 'x'), std::string(50, 'x')}, // no blank: used whole
        {"a " + std::string(45, 'y'), "a"},
        // a cut that lands on exactly forty stops there; one character more is cut again
        {std::string(35, 'a') + " bbbb tail", std::string(35, 'a') + " bbbb"},
        {std::string(36, 'a') + " bbbb tail", std::string(36, 'a')},
    };
    for (const Case &c : cases)
        EXPECT_EQ(app::ApplicationTitle(c.product), c.title) << c.product;
}

} // namespace
} // namespace tarnwick::testing
