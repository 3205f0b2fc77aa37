#include "harness.h"

#include "app/folder_list.h"
#include "app/procedure.h"
#include "app/window_design.h"
#include "schedule/monitoring_switch.h"
#include "schedule/schedule.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::Control;
using app::SettingKey;

const std::string kPrefix(app::kStatusPrefix);

constexpr int Hms(int h, int m, int s)
{
    return h * 3600 + m * 60 + s;
}

// A harness whose folder list holds one real, empty folder.
class ScheduleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.tree.makeFolder("watched");
        harness.store(SettingKey::Folders, harness.tree.folder("watched") + std::string(app::kStoredFolderSeparator));
    }
    app::Application &app() { return harness.app(); }
    std::string status() const { return harness.view.text(Control::Frame4); }
    bool passRunning() { return app().monitor().running(); }

    Harness harness;
};

TEST_F(ScheduleTest, OptionsEnableTheirControlsAndSaveAllThree)
{
    harness.clock.time = At(2026, 12, 7, 8, 0, 0);
    harness.store(SettingKey::WeeklyTime, "09:00:00");
    harness.start();
    struct Step {
        void (app::Application::*click)();
        Control option;
        bool picker;
        bool day;
        const char *stored; // Option5, Option4, Option3
    };
    const Step steps[] = {
        {&app::Application::Option4_Click, Control::Option4, true, false, "FTF"},
        {&app::Application::Option5_Click, Control::Option5, true, true, "TFF"},
        {&app::Application::Option3_Click, Control::Option3, false, false, "FFT"},
        {&app::Application::Option3_Click, Control::Option3, false, false, "FFT"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(app::ControlName(step.option));
        (app().*step.click)();
        for (const Control option : {Control::Option3, Control::Option4, Control::Option5})
            EXPECT_EQ(harness.view.checked.at(option), option == step.option);
        EXPECT_EQ(harness.view.enabled.at(Control::dtpWeekly), step.picker);
        EXPECT_EQ(harness.view.enabled.at(Control::cboWeekly), step.day);
        const std::string expected = step.stored;
        EXPECT_EQ(harness.stored(SettingKey::Option5), expected[0] == 'T' ? "True" : "False");
        EXPECT_EQ(harness.stored(SettingKey::Option4), expected[1] == 'T' ? "True" : "False");
        EXPECT_EQ(harness.stored(SettingKey::Option3), expected[2] == 'T' ? "True" : "False");
    }
    EXPECT_TRUE(harness.prompts.errors.empty());

    // choosing daily bases the countdown on the picker's time; so does moving the picker while daily
    app().Option4_Click();
    EXPECT_EQ(app().schedule().monitoringSwitch().scheduler().TotalSeconds, 3600);
    app().dtpWeekly_Change(Hms(10, 0, 0));
    EXPECT_EQ(app().schedule().monitoringSwitch().scheduler().TotalSeconds, 7200);
}

TEST_F(ScheduleTest, TheDayAndTheTimeAreSavedAtOnce)
{
    harness.start();
    app().cboWeekly_Change("Sunday");
    EXPECT_EQ(harness.stored(SettingKey::Weekly), "Sunday");
    EXPECT_EQ(app().schedule().weekday(), "Sunday");
    app().dtpWeekly_Change(Hms(7, 8, 9));
    EXPECT_EQ(harness.stored(SettingKey::WeeklyTime), "07:08:09");
    EXPECT_EQ(app().schedule().timeOfDay(), Hms(7, 8, 9));

    // a save that fails is reported by its handler, and the control keeps the value
    harness.settings.failWrites = true;
    app().cboWeekly_Change("Tuesday");
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(harness.prompts.errors[0],
              app::ErrorReportText("the settings file is read-only", app::Form1Location("cboWeekly_Change"), 100));
    EXPECT_EQ(app().schedule().weekday(), "Tuesday");
}

TEST_F(ScheduleTest, ASaveThatFailsIsReportedUnderItsOwnHandlersName)
{
    harness.start();
    harness.settings.failWrites = true;
    struct Case {
        const char *handler;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"Option3_Click", [&] { app().Option3_Click(); }},
        {"Option4_Click", [&] { app().Option4_Click(); }},
        {"Option5_Click", [&] { app().Option5_Click(); }},
        {"Text1_Change", [&] { app().Text_Change(0, "1"); }},
        {"Text2_Change", [&] { app().Text_Change(1, "2"); }},
        {"Text3_Change", [&] { app().Text_Change(2, "3"); }},
        {"dtpWeekly_Change", [&] { app().dtpWeekly_Change(Hms(7, 0, 0)); }},
        {"cboWeekly_Change", [&] { app().cboWeekly_Change("Friday"); }},
        {"Check4_Click", [&] { app().Check4_Click(true); }},
        {"Check8_Click", [&] { app().Check8_Click(true); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.handler);
        harness.prompts.errors.clear();
        c.act();
        ASSERT_FALSE(harness.prompts.errors.empty());
        const std::string location = std::string("\nin Tarnwick2021/08/31.Form1.") + c.handler + " at line ";
        for (const std::string &error : harness.prompts.errors)
            EXPECT_NE(error.find(location), std::string::npos) << error;
    }
}

TEST_F(ScheduleTest, EntriesAreSavedAsTypedAndCheckedOnLeaving)
{
    harness.start();
    app().Text_GotFocus(1);
    EXPECT_EQ(harness.view.selectedAll, std::vector<Control> {Control::Text2});

    // the message box takes the focus from the box itself: that is no second leaving
    int reentered = 0;
    harness.prompts.onMessage = [&](std::string_view) {
        if (reentered++ == 0)
            app().Text_LostFocus(1);
    };
    app().Text_Change(1, "abc");
    EXPECT_EQ(harness.stored(SettingKey::Text2), "abc");
    app().Text_LostFocus(1);
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"Must be a numeric entry."});
    EXPECT_EQ(harness.view.focused, std::vector<Control> {Control::Text2});
    EXPECT_EQ(app().schedule().intervalTexts()[1], "abc");

    for (const char *fine : {"1.5", "-2", " 3 ", "1e2"}) {
        app().Text_Change(0, fine);
        app().Text_LostFocus(0);
    }
    EXPECT_EQ(harness.prompts.messages.size(), 1u);
    EXPECT_EQ(harness.stored(SettingKey::Text1), "1e2");

    app().Text_Change(2, "");
    EXPECT_EQ(harness.stored(SettingKey::Text3), "");
    app().Text_LostFocus(2);
    EXPECT_EQ(harness.prompts.messages.size(), 2u);
    EXPECT_EQ(harness.view.focused.back(), Control::Text3);
}

TEST_F(ScheduleTest, IntervalTicksCountDownAndRunSilentPasses)
{
    harness.start();
    app().PushButton5_Click();
    EXPECT_EQ(harness.view.text(Control::PushButton5), app::kTurnOffCaption);
    EXPECT_EQ(harness.stored(SettingKey::StartStopState), "On");
    EXPECT_TRUE(harness.timer.running);
    EXPECT_EQ(status(), app::kOffStatus) << "until the first tick";

    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        for (const char *countdown : {"00:00:04", "00:00:03", "00:00:02", "00:00:01"}) {
            app().Timer1_Timer();
            EXPECT_EQ(status(), kPrefix + countdown);
            EXPECT_FALSE(passRunning());
        }
        EXPECT_EQ(harness.view.progress, std::make_pair(5, 4));
        app().Timer1_Timer();
        ASSERT_TRUE(passRunning());
        EXPECT_EQ(harness.queuedWorker.pending(), 1u);
        // ticks go on during the pass; they start nothing
        app().Timer1_Timer();
        app().Timer1_Timer();
        EXPECT_TRUE(harness.timer.running);
        EXPECT_EQ(harness.queuedWorker.pending(), 1u);
        harness.queuedWorker.complete();
        EXPECT_FALSE(passRunning());
    }
    EXPECT_TRUE(harness.prompts.messages.empty()) << "scheduled passes are silent";
    EXPECT_TRUE(harness.prompts.errors.empty());

    // a box that is not a number is repaired at the next tick, and the repair is saved
    app().Text_Change(0, "x");
    app().Timer1_Timer();
    EXPECT_EQ(harness.view.text(Control::Text1), "0");
    EXPECT_EQ(harness.stored(SettingKey::Text1), "0");
}

TEST_F(ScheduleTest, SwitchingOffDuringAPassLeavesTheTimerStopped)
{
    harness.store(SettingKey::Text3, "1");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    app().Timer1_Timer();
    ASSERT_TRUE(passRunning());
    app().PushButton5_Click();
    EXPECT_EQ(status(), app::kOffStatus);
    EXPECT_EQ(harness.view.progress->second, 0);
    EXPECT_EQ(harness.stored(SettingKey::StartStopState), "Off");
    EXPECT_FALSE(harness.timer.running);
    app().Timer1_Timer(); // already queued when the timer stopped
    harness.queuedWorker.complete();
    EXPECT_FALSE(passRunning());
    EXPECT_FALSE(harness.timer.running);
    EXPECT_EQ(harness.queuedWorker.pending(), 0u);
    EXPECT_EQ(status(), app::kOffStatus);
}

TEST_F(ScheduleTest, SwitchingOffAndOnDuringAPassKeepsTheStatusLineCurrent)
{
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    for (int tick = 0; tick < 5; ++tick)
        app().Timer1_Timer();
    ASSERT_TRUE(passRunning());
    app().PushButton5_Click();
    app().PushButton5_Click();
    EXPECT_EQ(status(), app::kOffStatus);
    EXPECT_TRUE(harness.timer.running);
    for (int tick = 0; tick < 12; ++tick) {
        app().Timer1_Timer();
        EXPECT_EQ(status().rfind(kPrefix, 0), 0u) << status();
        EXPECT_NE(status(), kPrefix) << "the interval mode always shows a countdown";
        EXPECT_EQ(harness.queuedWorker.pending(), 1u) << "no second pass meanwhile";
    }
    harness.queuedWorker.complete();

    // monitoring goes on: the next interval ends in a pass
    int ticks = 0;
    while (!passRunning() && ticks < 5) {
        app().Timer1_Timer();
        ++ticks;
    }
    EXPECT_TRUE(passRunning());
    EXPECT_EQ(ticks, 5);
}

TEST_F(ScheduleTest, APassThatCannotBeHandedToTheWorkerIsReportedAndMonitoringGoesOn)
{
    harness.store(SettingKey::Text3, "2");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    harness.queuedWorker.refuse = true;
    app().Timer1_Timer();
    EXPECT_EQ(status(), kPrefix + "00:00:01");
    app().Timer1_Timer();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(harness.prompts.errors[0],
              app::ErrorReportText("no thread could be started", app::Form1Location("Timer1_Timer"), 114));
    EXPECT_FALSE(passRunning());
    EXPECT_FALSE(app().schedule().monitoringSwitch().runningPass().has_value());
    EXPECT_TRUE(harness.timer.running);

    harness.queuedWorker.refuse = false;
    app().Timer1_Timer();
    EXPECT_EQ(status(), kPrefix + "00:00:01") << "the next tick still counts down";
    app().Timer1_Timer();
    EXPECT_TRUE(passRunning()) << "and a later pass runs";
    EXPECT_EQ(harness.queuedWorker.pending(), 1u);
    EXPECT_EQ(harness.prompts.errors.size(), 1u);

    // the same for a pass run by hand: reported, and the button works again
    harness.queuedWorker.completeAll();
    app().PushButton5_Click();
    harness.queuedWorker.refuse = true;
    app().PushButton6_Click();
    ASSERT_EQ(harness.prompts.errors.size(), 2u);
    EXPECT_EQ(harness.prompts.errors[1],
              app::ErrorReportText("no thread could be started", app::Form1Location("PushButton6_Click"), 114));
    harness.queuedWorker.refuse = false;
    app().PushButton6_Click();
    harness.queuedWorker.completeAll();
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});
}

TEST_F(ScheduleTest, TheManualRunIsRefusedWhileMonitoringIsOnOrAPassRuns)
{
    harness.store(SettingKey::Text3, "1");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    app().PushButton6_Click();
    EXPECT_EQ(harness.queuedWorker.pending(), 0u);

    // switched off while a scheduled pass runs: the manual run still waits for it
    app().Timer1_Timer();
    ASSERT_EQ(harness.queuedWorker.pending(), 1u);
    app().PushButton5_Click();
    app().PushButton6_Click();
    EXPECT_EQ(harness.queuedWorker.pending(), 1u);
    harness.queuedWorker.complete();
    EXPECT_TRUE(harness.prompts.messages.empty());

    // now it runs, and switching on is refused until it has finished
    app().PushButton6_Click();
    EXPECT_EQ(harness.queuedWorker.pending(), 1u);
    app().PushButton6_Click();
    app().PushButton5_Click();
    EXPECT_EQ(harness.view.text(Control::PushButton5), app::kTurnOnCaption);
    EXPECT_FALSE(harness.timer.running);
    EXPECT_EQ(harness.queuedWorker.pending(), 1u);
    harness.queuedWorker.complete();
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});
    app().PushButton5_Click();
    EXPECT_EQ(harness.view.text(Control::PushButton5), app::kTurnOffCaption);
}

TEST_F(ScheduleTest, TheManualRunWithoutFoldersSaysSo)
{
    harness.settings.values.clear();
    harness.start();
    app().PushButton6_Click();
    app().PushButton6_Click();
    EXPECT_EQ(harness.prompts.messages, (std::vector<std::string> {"No folders added.", "No folders added."}));
    EXPECT_EQ(harness.queuedWorker.pending(), 0u);
    // the manual run touches neither the timer nor the status line
    EXPECT_FALSE(harness.timer.running);
    EXPECT_EQ(status(), app::kOffStatus);
    app().PushButton5_Click();
    EXPECT_TRUE(harness.timer.running);
}

TEST_F(ScheduleTest, DailyAfterItsTimeShowsTheBarePrefixUntilMidnight)
{
    harness.clock.time = At(2026, 12, 7, 18, 0, 0);
    harness.store(SettingKey::Option4, "True");
    harness.store(SettingKey::Option3, "False");
    harness.store(SettingKey::WeeklyTime, "09:00:00");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    app().Timer1_Timer();
    EXPECT_EQ(status(), kPrefix);
    EXPECT_EQ(harness.view.progress->second, 0);
    EXPECT_FALSE(passRunning());

    harness.clock.time = At(2026, 12, 8, 0, 0, 0);
    app().Timer1_Timer();
    EXPECT_EQ(status(), kPrefix + "09:00:00");
    harness.clock.time = At(2026, 12, 8, 9, 0, 0);
    app().Timer1_Timer();
    EXPECT_TRUE(passRunning());
}

TEST_F(ScheduleTest, WeeklyCountsDownEveryDayNamingItsDayAndRunsOnItsDayOnly)
{
    harness.clock.time = At(2026, 12, 8, 8, 30, 0); // a Tuesday
    harness.store(SettingKey::Option5, "True");
    harness.store(SettingKey::Option3, "False");
    harness.store(SettingKey::WeeklyTime, "09:00:00");
    harness.store(SettingKey::Weekly, "Wednesday");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    app().Timer1_Timer();
    EXPECT_EQ(status(), kPrefix + "00:30:00 [Wednesday]");
    harness.clock.time = At(2026, 12, 8, 9, 0, 0);
    app().Timer1_Timer();
    EXPECT_FALSE(passRunning()) << "not on a Tuesday";

    harness.clock.time = At(2026, 12, 9, 9, 0, 0);
    app().Timer1_Timer();
    EXPECT_TRUE(passRunning());
}

TEST(StatusText, WordsWhatTheScheduleReports)
{
    using schedule::Mode;
    struct Case {
        schedule::Status status;
        const char *text;
    };
    const Case cases[] = {
        {{}, "Off."},
        {{true, Mode::Interval, 4}, "On. Next inspection will occur in: 00:00:04"},
        {{true, Mode::Interval, -4}, "On. Next inspection will occur in: 00:00:04"}, // a shortened interval
        {{true, Mode::Daily, Hms(9, 0, 0)}, "On. Next inspection will occur in: 09:00:00"},
        {{true, Mode::Daily, std::nullopt}, "On. Next inspection will occur in: "}, // today's time has passed
        {{true, Mode::Weekly, 1800}, "On. Next inspection will occur in: 00:30:00 [Wednesday]"},
        {{true, Mode::Weekly, std::nullopt}, "On. Next inspection will occur in: "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(app::StatusText(c.status, "Wednesday"), c.text) << c.text;
}

TEST(FormatSeconds, ShowsTheMagnitudeWithinOneDay)
{
    const std::pair<std::int64_t, const char *> cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"}, {3600, "01:00:00"},      {86399, "23:59:59"},     {86400, "00:00:00"},
        {90061, "01:01:01"}, {-5, "00:00:05"}, {INT32_MIN, "03:14:08"}, {INT64_MIN, "15:30:08"},
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(app::FormatSeconds(seconds), text) << seconds;
}

TEST(DayOfList, NamesTheListsDaysByTheirExactText)
{
    const std::pair<const char *, std::optional<int>> cases[] = {
        {"Sunday", 0},      {"Wednesday", 3}, {"Saturday", 6}, {"wednesday", std::nullopt}, {"Monday ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &[text, day] : cases)
        EXPECT_EQ(app::DayOfList(text), day) << '"' << text << '"';
}

TEST_F(ScheduleTest, ATickShowsOneReportAtATime)
{
    harness.store(SettingKey::Text1, "1e999");
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    // ticks arrive while the report is open, as the timer's would during a modal box
    int reentered = 0;
    harness.prompts.onError = [&](std::string_view) {
        if (reentered++ < 3)
            app().Timer1_Timer();
    };
    app().Timer1_Timer();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_NE(harness.prompts.errors[0].find("\nin Tarnwick2021/08/31.Form1.Timer1_Timer at line 102\n"),
              std::string::npos)
        << harness.prompts.errors[0];
    EXPECT_EQ(reentered, 1);

    // once it is closed, the next tick reports again
    harness.prompts.onError = nullptr;
    app().Timer1_Timer();
    EXPECT_EQ(harness.prompts.errors.size(), 2u);
}

} // namespace
} // namespace tarnwick::testing
