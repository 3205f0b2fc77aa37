#include "harness.h"

#include "app/folder_list.h"
#include "app/procedure.h"
#include "app/window_design.h"
#include "schedule/monitoring_switch.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::Control;
using app::SettingKey;

std::vector<std::pair<std::string, int>> headers(const FakeView &view, Control listView)
{
    std::vector<std::pair<std::string, int>> result;
    const auto it = view.columns.find(listView);
    if (it != view.columns.end())
        for (const app::Column &column : it->second)
            result.emplace_back(column.header, column.twips);
    return result;
}

TEST(StartUp, AFirstStartShowsAndStoresTheDefaults)
{
    Harness harness;
    harness.clock.time = At(2026, 12, 7, 10, 11, 12);
    app::Application &app = harness.start();
    const FakeView &view = harness.view;

    EXPECT_EQ(view.text(Control::Form1), "Tarnwick");
    EXPECT_EQ(harness.prompts.title, "Tarnwick");
    EXPECT_EQ(app.applicationTitle(), "Tarnwick");
    EXPECT_EQ(headers(view, Control::ListView1), (std::vector<std::pair<std::string, int>> {{"Folder(s)", 7000}}));
    EXPECT_EQ(headers(view, Control::ListView2),
              (std::vector<std::pair<std::string, int>> {{"Time", 2200}, {"Action", 2200}, {"File", 3100}}));

    EXPECT_TRUE(view.checked.at(Control::Option3));
    EXPECT_FALSE(view.checked.at(Control::Option4));
    EXPECT_FALSE(view.checked.at(Control::Option5));
    EXPECT_FALSE(view.enabled.at(Control::dtpWeekly));
    EXPECT_FALSE(view.enabled.at(Control::cboWeekly));
    EXPECT_EQ(view.timeOfDay, 10 * 3600 + 11 * 60 + 12);
    EXPECT_EQ(view.text(Control::cboWeekly), "Monday");
    EXPECT_EQ(view.text(Control::Text1), "0");
    EXPECT_EQ(view.text(Control::Text2), "0");
    EXPECT_EQ(view.text(Control::Text3), "5");
    EXPECT_EQ(view.text(Control::PushButton5), app::kTurnOnCaption);
    EXPECT_EQ(view.text(Control::Frame4), app::kOffStatus);
    EXPECT_EQ(view.progress, std::make_pair(100, 0));
    EXPECT_FALSE(harness.timer.running);
    EXPECT_TRUE(view.folderRows.empty());
    EXPECT_FALSE(view.visible.at(Control::Check8));
    EXPECT_TRUE(harness.trayIcon.shown);
    EXPECT_EQ(harness.trayIcon.tip, "Tarnwick");
    EXPECT_EQ(app.historyLogPath(), harness.tree.path("temp/Tarnwick.txt"));
    EXPECT_FALSE(app.formLoading());
    EXPECT_TRUE(harness.prompts.errors.empty());
    EXPECT_TRUE(harness.prompts.messages.empty());

    // restoring ran the handlers, so the defaults are stored now; the switch and the options only when used
    EXPECT_EQ(harness.stored(SettingKey::Option3), "True");
    EXPECT_EQ(harness.stored(SettingKey::Option4), "False");
    EXPECT_EQ(harness.stored(SettingKey::Option5), "False");
    EXPECT_EQ(harness.stored(SettingKey::WeeklyTime), "10:11:12");
    EXPECT_EQ(harness.stored(SettingKey::Weekly), "Monday");
    EXPECT_EQ(harness.stored(SettingKey::Text1), "0");
    EXPECT_EQ(harness.stored(SettingKey::Text3), "5");
    EXPECT_EQ(harness.stored(SettingKey::StartStopState), std::nullopt);
    EXPECT_EQ(harness.stored(SettingKey::WindowsStartup), std::nullopt);
    EXPECT_EQ(harness.stored(SettingKey::Folders), std::nullopt);
    EXPECT_TRUE(harness.autostart.calls.empty());

    EXPECT_FALSE(app.startsHidden());
    app.showWindow();
    EXPECT_EQ(view.windowCalls, (std::vector<std::string> {"centre", "showNormal"}));
}

TEST(StartUp, StartsFromTheStoredSettings)
{
    Harness harness;
    harness.clock.time = At(2026, 12, 7, 8, 0, 0);
    harness.store(SettingKey::Option5, "True");
    harness.store(SettingKey::Option4, "False");
    harness.store(SettingKey::Option3, "False");
    harness.store(SettingKey::WeeklyTime, "09:30:00");
    harness.store(SettingKey::Weekly, "Friday");
    harness.store(SettingKey::Text1, "1");
    harness.store(SettingKey::Text2, "2.5");
    harness.store(SettingKey::Text3, "abc");
    harness.store(SettingKey::StartStopState, "On");
    const std::string folder = harness.tree.folder("watched");
    harness.store(SettingKey::Folders, folder + std::string(app::kStoredFolderSeparator));
    app::Application &app = harness.start();
    const FakeView &view = harness.view;

    EXPECT_TRUE(view.checked.at(Control::Option5));
    EXPECT_FALSE(view.checked.at(Control::Option3));
    EXPECT_TRUE(view.enabled.at(Control::dtpWeekly));
    EXPECT_TRUE(view.enabled.at(Control::cboWeekly));
    EXPECT_EQ(view.timeOfDay, 9 * 3600 + 30 * 60);
    EXPECT_EQ(view.text(Control::cboWeekly), "Friday");
    EXPECT_EQ(view.text(Control::Text1), "1");
    EXPECT_EQ(view.text(Control::Text2), "2.5");
    EXPECT_EQ(view.text(Control::Text3), "abc");
    EXPECT_EQ(view.folderRows, std::vector<std::string> {folder});
    EXPECT_EQ(view.text(Control::PushButton5), app::kTurnOffCaption);
    EXPECT_TRUE(harness.timer.running);
    EXPECT_EQ(app.schedule().monitoringSwitch().state(), schedule::MonitoringSwitch::State::On);
    // the weekly countdown is based at start-up, against the restored time
    EXPECT_EQ(app.schedule().monitoringSwitch().scheduler().TotalSeconds, 5400);
    // no pass at start-up itself, and the status line waits for the first tick
    EXPECT_EQ(harness.queuedWorker.pending(), 0u);
    EXPECT_FALSE(view.texts.contains(Control::Frame4));
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST(StartUp, AStoredValueThatCannotBeReadFailsOnlyItsStep)
{
    struct Case {
        SettingKey key;
        const char *text;
        int line;
    };
    const Case cases[] = {
        {SettingKey::Option5, "maybe", 114},   {SettingKey::Option4, "maybe", 116},  {SettingKey::Option3, "", 118},
        {SettingKey::WeeklyTime, "noon", 120}, {SettingKey::Weekly, "Someday", 122},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        Harness harness;
        harness.store(c.key, c.text);
        harness.store(SettingKey::Text1, "7");
        const std::string folder = harness.tree.folder("watched");
        harness.store(SettingKey::Folders, folder + std::string(app::kStoredFolderSeparator));
        harness.store(SettingKey::StartStopState, "On");
        harness.start();
        ASSERT_EQ(harness.prompts.errors.size(), 1u);
        const std::string &report = harness.prompts.errors.front();
        EXPECT_NE(report.find(std::string("\"") + c.text + "\""), std::string::npos) << report;
        EXPECT_NE(report.find("\nin Tarnwick2021/08/31.Form1.Form_Load at line " + std::to_string(c.line) + "\n"),
                  std::string::npos)
            << report;
        // the steps after it still ran
        EXPECT_EQ(harness.view.text(Control::Text1), "7");
        EXPECT_EQ(harness.view.folderRows, std::vector<std::string> {folder});
        EXPECT_TRUE(harness.timer.running);
        EXPECT_TRUE(harness.trayIcon.shown);
        EXPECT_FALSE(harness.app().formLoading());
    }
}

TEST(StartUp, SettingsThatCannotBeReadAreToldOnceAndTheDefaultsApply)
{
    Harness harness;
    const std::string problem = "The settings file /home/u/.config/Quelvane.ini cannot be read: it is not a text "
                                "file. Tarnwick starts with its defaults and leaves the file as it is.";
    harness.settings.problem = problem;
    int readsBeforeTheMessage = -1;
    harness.prompts.onMessage = [&](std::string_view) { readsBeforeTheMessage = harness.settings.reads; };
    harness.start();
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {problem});
    EXPECT_EQ(readsBeforeTheMessage, 0) << "told before anything reads a setting";
    EXPECT_TRUE(harness.prompts.errors.empty());
    EXPECT_EQ(harness.view.text(Control::Text3), "5");
    EXPECT_EQ(harness.view.text(Control::PushButton5), app::kTurnOnCaption);
    EXPECT_TRUE(harness.trayIcon.shown);
}

TEST(StartUp, AnUnknownMonitoringStateLeavesTheSwitchAsDesigned)
{
    Harness harness;
    harness.store(SettingKey::StartStopState, "on");
    app::Application &app = harness.start();
    EXPECT_FALSE(harness.view.texts.contains(Control::PushButton5));
    EXPECT_FALSE(harness.view.texts.contains(Control::Frame4));
    EXPECT_FALSE(harness.timer.running);
    EXPECT_EQ(app.schedule().monitoringSwitch().state(), schedule::MonitoringSwitch::State::Off);
    // the first click switches on
    app.PushButton5_Click();
    EXPECT_EQ(harness.view.text(Control::PushButton5), app::kTurnOffCaption);
    EXPECT_TRUE(harness.timer.running);
    EXPECT_EQ(harness.stored(SettingKey::StartStopState), "On");
}

TEST(StartUp, TheSkinAndCursorFilesAreUsedWhenPresent)
{
    struct Case {
        bool skin;
        bool cursor;
    };
    for (const Case c : {Case {false, false}, Case {true, false}, Case {false, true}, Case {true, true}}) {
        SCOPED_TRACE(::testing::Message() << "skin " << c.skin << ", cursor " << c.cursor);
        Harness harness;
        if (c.skin)
            harness.tree.writeFile("program/x/o.cjs");
        if (c.cursor)
            harness.tree.writeFile("program/HAND-M.CUR");
        // files of those names elsewhere do not count
        harness.tree.writeFile("o.cjs");
        harness.tree.writeFile("program/o.cjs");
        harness.start();
        EXPECT_EQ(harness.view.skinApplied, c.skin ? 1 : 0);
        EXPECT_EQ(harness.view.buttonPointer, c.cursor ? harness.tree.path("program/HAND-M.CUR") : std::string());
        EXPECT_TRUE(harness.prompts.errors.empty());
    }
}

TEST(StartUp, TheMakersSiteIsVisitedOnSeven)
{
    for (const int draw : {1, 6, 7, 8, 100}) {
        SCOPED_TRACE(draw);
        Harness harness;
        harness.random.value = draw;
        harness.start();
        EXPECT_EQ(harness.random.draws, 1);
        EXPECT_EQ(harness.launcher.urls,
                  draw == 7 ? std::vector<std::string> {"https://www.quelvane.example/"} : std::vector<std::string> {});
    }
}

TEST(StartUp, AFailingStepIsReportedAndTheRestRuns)
{
    Harness harness;
    harness.random.value = 7;
    harness.launcher.fail = true;
    harness.store(SettingKey::Text3, "9");
    harness.start();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(harness.prompts.errors.front(),
              app::ErrorReportText("no web browser", app::Form1Location("Form_Load"), 106));
    EXPECT_EQ(harness.view.text(Control::Text3), "9");
    EXPECT_TRUE(harness.trayIcon.shown);
    EXPECT_FALSE(harness.app().formLoading());
}

TEST(StartUp, ClosingRunsOnceAndRemovesTheTrayIcon)
{
    Harness harness;
    harness.store(SettingKey::StartStopState, "On");
    app::Application &app = harness.start();
    ASSERT_TRUE(harness.timer.running);
    app.Form_QueryUnload();
    EXPECT_TRUE(app.closed());
    EXPECT_FALSE(harness.timer.running);
    EXPECT_FALSE(harness.trayIcon.shown);
    EXPECT_EQ(harness.queuedWorker.waits, 1);
    // a tick already queued does nothing, and closing again changes nothing
    app.Timer1_Timer();
    EXPECT_FALSE(harness.view.texts.contains(Control::Frame4));
    app.Form_QueryUnload();
    harness.application.reset();
    EXPECT_EQ(harness.timer.stops, 1);
    EXPECT_EQ(harness.trayIcon.hides, 1);
    EXPECT_EQ(harness.queuedWorker.waits, 1);
    EXPECT_TRUE(harness.prompts.errors.empty());
}

} // namespace
} // namespace tarnwick::testing
