#include "schedule/monitoring_switch.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tarnwick::schedule {

// Failures show the actions by name rather than as bytes.
void PrintTo(const Actions &actions, std::ostream *os)
{
    auto field = [os](const char *name, const auto &value) {
        if (value)
            *os << ' ' << name << '=' << *value;
    };
    auto state = [os](const char *name, const std::optional<SwitchState> &value) {
        if (value)
            *os << ' ' << name << '=' << (*value == SwitchState::On ? "on" : "off");
    };
    *os << '{';
    state("shownState", actions.shownState);
    state("saveState", actions.saveState);
    if (actions.timer)
        *os << " timer=" << (*actions.timer ? "start" : "stop");
    if (actions.status) {
        *os << " status=" << (actions.status->on ? "on" : "off") << '/' << static_cast<int>(actions.status->mode);
        field("/left", actions.status->secondsLeft);
    }
    field("barMaximum", actions.barMaximum);
    field("barValue", actions.barValue);
    for (const auto &repair : actions.repairs)
        field("repair", repair);
    if (actions.intervalOverflow)
        *os << " intervalOverflow";
    if (actions.startPass)
        *os << " startPass=" << (*actions.startPass == PassKind::Scheduled ? "scheduled" : "manual");
    *os << " }";
}

namespace {

constexpr int Hms(int h, int m, int s)
{
    return h * 3600 + m * 60 + s;
}

constexpr std::int64_t kMonday = 46363; // 7 December 2026

constexpr Now Monday(int secondOfDay)
{
    return {kMonday, secondOfDay};
}

// An interval of one second: every tick finds the pass due unless one runs.
TickInputs EverySecond()
{
    TickInputs inputs;
    inputs.interval = {"0", "0", "1"};
    return inputs;
}

TickInputs Daily(int time)
{
    TickInputs inputs;
    inputs.mode = Mode::Daily;
    inputs.timeOfDay = time;
    return inputs;
}

Actions SwitchedOn(bool saved)
{
    Actions actions;
    actions.shownState = SwitchState::On;
    actions.timer = true;
    if (saved)
        actions.saveState = SwitchState::On;
    return actions;
}

Actions SwitchedOff(bool saved)
{
    Actions actions;
    actions.timer = false;
    actions.status = Status {};
    actions.barValue = 0;
    actions.shownState = SwitchState::Off;
    if (saved)
        actions.saveState = SwitchState::Off;
    return actions;
}

Actions Started(PassKind kind)
{
    Actions actions;
    actions.startPass = kind;
    return actions;
}

// The interval mode's countdown: monitoring on, so many seconds left.
Status IntervalLeft(std::int64_t seconds)
{
    return {true, Mode::Interval, seconds};
}

Actions Shown(std::int64_t secondsLeft, std::int32_t maximum, std::int32_t value, std::optional<PassKind> start)
{
    Actions actions;
    actions.status = IntervalLeft(secondsLeft);
    actions.barMaximum = maximum;
    actions.barValue = value;
    actions.startPass = start;
    return actions;
}

Actions CaptionOnly(SwitchState shown)
{
    Actions actions;
    actions.shownState = shown;
    return actions;
}

enum class From { New, Off, On, ManualPass, ScheduledPass, ScheduledPassSwitchedOff, ReportOpen };
enum class Event { Click, ManualRun, Tick, PassFinished, RestoreOn, RestoreOff, RestoreOther };

MonitoringSwitch Prepared(From from)
{
    MonitoringSwitch machine;
    switch (from) {
    case From::New:
        break;
    case From::Off:
        machine.restore("Off", EverySecond(), {});
        break;
    case From::On:
        machine.click(EverySecond(), {});
        break;
    case From::ManualPass:
        machine.manualRun();
        break;
    case From::ScheduledPass:
        machine.click(EverySecond(), {});
        machine.tick(EverySecond(), {});
        break;
    case From::ScheduledPassSwitchedOff:
        machine.click(EverySecond(), {});
        machine.tick(EverySecond(), {});
        machine.click(EverySecond(), {});
        break;
    case From::ReportOpen:
        machine.click(EverySecond(), {});
        machine.reportOpened();
        break;
    }
    return machine;
}

Actions Apply(MonitoringSwitch &machine, Event event)
{
    switch (event) {
    case Event::Click:
        return machine.click(EverySecond(), {});
    case Event::ManualRun:
        return machine.manualRun();
    case Event::Tick:
        return machine.tick(EverySecond(), {});
    case Event::PassFinished:
        return machine.passFinished();
    case Event::RestoreOn:
        return machine.restore("On", EverySecond(), {});
    case Event::RestoreOff:
        return machine.restore("Off", EverySecond(), {});
    case Event::RestoreOther:
        return machine.restore("on", EverySecond(), {});
    }
    return {};
}

using State = MonitoringSwitch::State;
constexpr std::optional<PassKind> kIdle;
constexpr std::optional<PassKind> kManual = PassKind::Manual;
constexpr std::optional<PassKind> kScheduled = PassKind::Scheduled;

TEST(MonitoringSwitch, EachStateAnswersEachEvent)
{
    struct Case {
        From from;
        Event event;
        Actions actions;
        State state;
        std::optional<PassKind> running;
    };
    const Case cases[] = {
        {From::New, Event::Click, SwitchedOn(true), State::On, kIdle},
        {From::New, Event::RestoreOn, SwitchedOn(false), State::On, kIdle},
        {From::New, Event::RestoreOff, SwitchedOff(false), State::Off, kIdle},
        {From::New, Event::RestoreOther, {}, State::Off, kIdle},
        {From::New, Event::Tick, {}, State::Off, kIdle},
        {From::Off, Event::Click, SwitchedOn(true), State::On, kIdle},
        {From::Off, Event::ManualRun, Started(PassKind::Manual), State::Off, kManual},
        {From::Off, Event::PassFinished, {}, State::Off, kIdle},
        {From::On, Event::Click, SwitchedOff(true), State::Off, kIdle},
        {From::On, Event::ManualRun, {}, State::On, kIdle},
        {From::On, Event::Tick, Shown(0, 1, 1, PassKind::Scheduled), State::On, kScheduled},
        {From::On, Event::RestoreOn, CaptionOnly(SwitchState::On), State::On, kIdle},
        {From::On, Event::RestoreOff, SwitchedOff(false), State::Off, kIdle},
        {From::ManualPass, Event::Click, {}, State::Off, kManual},
        {From::ManualPass, Event::RestoreOn, {}, State::Off, kManual},
        {From::ManualPass, Event::ManualRun, {}, State::Off, kManual},
        {From::ManualPass, Event::Tick, {}, State::Off, kManual},
        {From::ManualPass, Event::PassFinished, {}, State::Off, kIdle},
        {From::ScheduledPass, Event::Click, SwitchedOff(true), State::Off, kScheduled},
        {From::ScheduledPass, Event::ManualRun, {}, State::On, kScheduled},
        // the status line stays current; the count waits for the end of the pass
        {From::ScheduledPass, Event::Tick, Shown(1, 1, 0, std::nullopt), State::On, kScheduled},
        {From::ScheduledPass, Event::PassFinished, {}, State::On, kIdle},
        {From::ScheduledPassSwitchedOff, Event::Click, SwitchedOn(true), State::On, kScheduled},
        {From::ScheduledPassSwitchedOff, Event::ManualRun, {}, State::Off, kScheduled},
        {From::ScheduledPassSwitchedOff, Event::Tick, {}, State::Off, kScheduled},
        {From::ScheduledPassSwitchedOff, Event::PassFinished, {}, State::Off, kIdle},
        {From::ReportOpen, Event::Tick, {}, State::On, kIdle},
        {From::ReportOpen, Event::Click, SwitchedOff(true), State::Off, kIdle},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << static_cast<int>(c.from) << ", event "
                                        << static_cast<int>(c.event));
        MonitoringSwitch machine = Prepared(c.from);
        EXPECT_EQ(Apply(machine, c.event), c.actions);
        EXPECT_EQ(machine.state(), c.state);
        EXPECT_EQ(machine.runningPass(), c.running);
    }
}

TEST(MonitoringSwitch, SwitchingOffAndOnDuringAPassNeverStartsASecondOne)
{
    MonitoringSwitch machine;
    machine.click(EverySecond(), {});
    ASSERT_EQ(machine.tick(EverySecond(), {}).startPass, PassKind::Scheduled);
    machine.click(EverySecond(), {});
    machine.click(EverySecond(), {});
    for (int tick = 0; tick < 3; ++tick)
        EXPECT_FALSE(machine.tick(EverySecond(), {}).startPass.has_value()) << tick;
    EXPECT_EQ(machine.passFinished(), Actions {});

    // the pass ended (or could not start): monitoring goes on and the next interval starts the next pass
    EXPECT_EQ(machine.state(), State::On);
    EXPECT_EQ(machine.tick(EverySecond(), {}).startPass, PassKind::Scheduled);
}

TEST(MonitoringSwitch, ADailyPassDueDuringARunningPassStartsWhenItEnds)
{
    const int nine = Hms(9, 0, 0);
    MonitoringSwitch machine;
    machine.click(EverySecond(), Monday(Hms(8, 59, 40)));
    for (int second = Hms(8, 59, 41); second < Hms(8, 59, 50); ++second)
        machine.tick(EverySecond(), Monday(second));
    ASSERT_EQ(machine.runningPass(), PassKind::Scheduled);

    // the user moves to the daily mode while that pass runs long past nine
    machine.optionChosen(Mode::Daily, nine, Monday(Hms(8, 59, 55)));
    const Actions atNine = machine.tick(Daily(nine), Monday(nine));
    EXPECT_EQ(atNine.status, (Status {true, Mode::Daily, 0})) << "the status line stays current";
    EXPECT_FALSE(atNine.startPass.has_value());
    EXPECT_TRUE(machine.passWaiting());
    EXPECT_FALSE(machine.tick(Daily(nine), Monday(nine + 1)).startPass.has_value());

    EXPECT_EQ(machine.passFinished(), Started(PassKind::Scheduled));
    EXPECT_EQ(machine.runningPass(), PassKind::Scheduled);
    EXPECT_EQ(machine.passFinished(), Actions {}) << "once";
    EXPECT_FALSE(machine.tick(Daily(nine), Monday(nine + 40)).startPass.has_value());

    // switched off meanwhile: the waiting pass is dropped
    MonitoringSwitch other;
    other.click(Daily(nine), Monday(nine - 2));
    ASSERT_EQ(other.tick(Daily(nine), Monday(nine)).startPass, PassKind::Scheduled);
    other.tick(Daily(nine), {kMonday + 1, nine});
    ASSERT_TRUE(other.passWaiting());
    other.click(Daily(nine), {kMonday + 1, nine + 5});
    other.click(Daily(nine), {kMonday + 1, nine + 6});
    EXPECT_EQ(other.passFinished(), Actions {});
}

TEST(MonitoringSwitch, TicksWaitWhileAReportIsOpenAndThenCatchUp)
{
    const int nine = Hms(9, 0, 0);
    MonitoringSwitch machine;
    TickInputs tenSeconds;
    tenSeconds.interval = {"0", "0", "10"};
    TickInputs overflowing;
    overflowing.interval = {"1e999", "0", "0"};
    machine.click(tenSeconds, Monday(Hms(8, 0, 0)));
    machine.tick(tenSeconds, Monday(Hms(8, 0, 1)));
    const Actions failed = machine.tick(overflowing, Monday(Hms(8, 0, 2)));
    ASSERT_TRUE(failed.intervalOverflow);
    EXPECT_EQ(failed.status, IntervalLeft(8)) << "the previous length is kept";

    machine.reportOpened();
    EXPECT_EQ(machine.tick(overflowing, Monday(Hms(8, 0, 3))), Actions {});
    machine.optionChosen(Mode::Daily, nine, Monday(Hms(8, 59, 0)));
    EXPECT_EQ(machine.tick(Daily(nine), Monday(nine)), Actions {}) << "the due second passes under the report";
    machine.reportClosed();
    EXPECT_EQ(machine.tick(Daily(nine), Monday(nine + 30)).startPass, PassKind::Scheduled);
}

TEST(MonitoringSwitch, SwitchingOnAndTheScheduleControlsBaseTheCountdown)
{
    const int nine = Hms(9, 0, 0);
    MonitoringSwitch machine;
    machine.restore("On", Daily(Hms(9, 30, 0)), Monday(Hms(8, 0, 0)));
    EXPECT_EQ(machine.scheduler().TotalSeconds, 5400);

    machine.timeChanged(Mode::Daily, nine, Monday(Hms(8, 30, 0)));
    EXPECT_EQ(machine.scheduler().TotalSeconds, 1800);
    machine.optionChosen(Mode::Weekly, nine, Monday(Hms(8, 45, 0)));
    EXPECT_EQ(machine.scheduler().TotalSeconds, 900);
    machine.timeChanged(Mode::Weekly, Hms(10, 0, 0), Monday(Hms(8, 50, 0)));
    EXPECT_EQ(machine.scheduler().TotalSeconds, 900) << "the weekly length stays";

    // a time that passed while monitoring was off is not caught up when it is switched on again
    MonitoringSwitch offMeanwhile;
    offMeanwhile.click(EverySecond(), Monday(Hms(8, 0, 0)));
    offMeanwhile.tick(EverySecond(), Monday(Hms(8, 0, 1)));
    offMeanwhile.passFinished();
    offMeanwhile.click(EverySecond(), Monday(Hms(8, 0, 2)));
    offMeanwhile.click(EverySecond(), Monday(Hms(10, 0, 0)));
    EXPECT_FALSE(offMeanwhile.tick(Daily(nine), Monday(Hms(10, 0, 1))).startPass.has_value());

    // the interval count goes on across a switch-off and on, and starts over when its mode is chosen
    MonitoringSwitch interval;
    TickInputs tenSeconds;
    tenSeconds.interval = {"0", "0", "10"};
    interval.click(tenSeconds, {});
    interval.tick(tenSeconds, {});
    interval.tick(tenSeconds, {});
    interval.click(tenSeconds, {});
    interval.click(tenSeconds, {});
    EXPECT_EQ(interval.tick(tenSeconds, {}).status, IntervalLeft(7));
    interval.optionChosen(Mode::Interval, 0, {});
    EXPECT_EQ(interval.tick(tenSeconds, {}).status, IntervalLeft(9));
}

} // namespace
} // namespace tarnwick::schedule
