#include "schedule/schedule.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace tarnwick::schedule {
namespace {

constexpr int Hms(int h, int m, int s)
{
    return h * 3600 + m * 60 + s;
}

// 6 December 2026, a Sunday; kSunday + n falls on the weekday n.
constexpr std::int64_t kSunday = 46362;

constexpr Now At(int weekday, int secondOfDay)
{
    return {kSunday + weekday, secondOfDay};
}

// Monitoring on, the mode's countdown at so many seconds.
Status Left(std::int64_t seconds, Mode mode = Mode::Interval)
{
    return {true, mode, seconds};
}

constexpr int kWednesday = 3;

TickInputs Interval(std::string h, std::string m, std::string s)
{
    TickInputs inputs;
    inputs.mode = Mode::Interval;
    inputs.interval = {std::move(h), std::move(m), std::move(s)};
    return inputs;
}

TickInputs TimeOfDay(Mode mode, int time, std::optional<int> weekday = 1)
{
    TickInputs inputs;
    inputs.mode = mode;
    inputs.timeOfDay = time;
    inputs.weekday = weekday;
    return inputs;
}

TEST(Numeric, FollowsTheRuleAndTheConversionAgrees)
{
    struct Case {
        const char *text;
        const char *separator;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"1.5", ".", 1.5},
        {"-2", ".", -2.0},
        {"+3", ".", 3.0},
        {"1e3", ".", 1000.0},
        {"1,5", ",", 1.5},
        {" 7 ", ".", 7.0},
        {".5", ".", 0.5},
        {"5.", ".", 5.0},
        {"2E-1", ".", 0.2},
        {"1.5", ",", {}},
        {"", ".", {}},
        {" ", ".", {}},
        {"abc", ".", {}},
        {"1.2.3", ".", {}},
        {"e5", ".", {}},
        {"1e", ".", {}},
        {".", ".", {}},
        {"--1", ".", {}},
        {"1 000", ".", {}},
        {"0x10", ".", {}},
        {"1,000", ".", {}},
        {"\xd9\xab", "\xd9\xab", {}},
        {"3\xd9\xab"
         "5",
         "\xd9\xab", 3.5},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IsNumeric(c.text, c.separator), c.value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(ToNumber(c.text, c.separator), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(ToNumber("1e999", "."), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToNumber("-1e999", "."), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToNumber("1e-999", "."), 0.0);
}

TEST(RoundHalfEven, RoundsHalvesToEvenAndRefusesOverflow)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
    EXPECT_EQ(RoundHalfEven(2147483647.0), INT32_MAX);
    EXPECT_EQ(RoundHalfEven(2147483648.0), std::nullopt);
    EXPECT_EQ(RoundHalfEven(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(RoundHalfEven(std::nan("")), std::nullopt);
}

TEST(IntervalTick, CountsDownAndComesDueEveryFifthTick)
{
    Scheduler scheduler;
    const TickInputs inputs = Interval("0", "0", "5");
    for (int round = 0; round < 3; ++round) {
        for (const int left : {4, 3, 2, 1}) {
            const TickResult result = scheduler.tick(inputs, {});
            EXPECT_EQ(result.status, Left(left));
            EXPECT_FALSE(result.due);
            EXPECT_EQ(result.barMaximum, 5);
        }
        const TickResult fifth = scheduler.tick(inputs, {});
        EXPECT_EQ(fifth.status, Left(0));
        EXPECT_EQ(fifth.barValue, 5);
        EXPECT_TRUE(fifth.due);
        EXPECT_EQ(scheduler.ElapsedSeconds, 0) << "the next interval counts from the pass";
    }
}

TEST(IntervalTick, RoundsTheSumHalfToEven)
{
    const std::pair<const char *, int> cases[] = {{"2.5", 2}, {"1.5", 2}, {"0.4", 0}};
    for (const auto &[seconds, total] : cases) {
        Scheduler scheduler;
        scheduler.tick(Interval("0", "0", seconds), {});
        EXPECT_EQ(scheduler.TotalSeconds, total) << seconds;
    }
    Scheduler scheduler;
    scheduler.tick(Interval("0.5", "-1.5", "0"), {});
    EXPECT_EQ(scheduler.TotalSeconds, 1710);
}

TEST(IntervalTick, RepairsWhatIsNotANumber)
{
    Scheduler scheduler;
    const TickResult result = scheduler.tick(Interval("", "abc", "x"), {});
    EXPECT_EQ(result.repairs[0], "0");
    EXPECT_EQ(result.repairs[1], "0");
    EXPECT_EQ(result.repairs[2], "5");
    EXPECT_EQ(scheduler.TotalSeconds, 5);

    const TickResult fine = scheduler.tick(Interval("1", "2", "3"), {});
    for (const auto &repair : fine.repairs)
        EXPECT_FALSE(repair.has_value());
}

TEST(IntervalTick, AnIntervalThatOverflowsIsReportedAndTheOldOneKept)
{
    Scheduler scheduler;
    scheduler.tick(Interval("0", "0", "10"), {});
    const TickResult result = scheduler.tick(Interval("1e999", "0", "0"), {});
    EXPECT_TRUE(result.intervalOverflow);
    EXPECT_EQ(scheduler.TotalSeconds, 10);
    EXPECT_EQ(result.status, Left(8));
    EXPECT_TRUE(scheduler.tick(Interval("596524", "0", "0"), {}).intervalOverflow) << "hours beyond 32 bits";
    EXPECT_FALSE(scheduler.tick(Interval("596523", "0", "0"), {}).intervalOverflow);
}

TEST(IntervalTick, ALoweredIntervalComesDueAtTheNextTick)
{
    Scheduler scheduler;
    for (int i = 0; i < 8; ++i)
        scheduler.tick(Interval("0", "0", "30"), {});
    const TickResult result = scheduler.tick(Interval("0", "0", "5"), {});
    EXPECT_EQ(result.status, Left(-4)) << "the interval is shorter than the time counted";
    EXPECT_FALSE(result.barValue.has_value()) << "the bar keeps its value";
    EXPECT_TRUE(result.due);
}

TEST(IntervalTick, LongIntervalsComeDue)
{
    Scheduler scheduler;
    const TickInputs twoHours = Interval("2", "0", "0");
    for (int tick = 1; tick < 7200; ++tick)
        ASSERT_FALSE(scheduler.tick(twoHours, {}).due) << tick;
    EXPECT_TRUE(scheduler.tick(twoHours, {}).due);

    // zero or less: due at every tick, so at most one pass a second
    Scheduler zero;
    EXPECT_TRUE(zero.tick(Interval("0", "0", "0"), {}).due);
    EXPECT_TRUE(zero.tick(Interval("0", "0", "-3"), {}).due);
}

TEST(DailyTick, IsDueOnceAtItsSecond)
{
    Scheduler scheduler;
    const int nine = Hms(9, 0, 0);
    scheduler.baseCountdown(nine, At(1, Hms(8, 59, 50)));
    EXPECT_EQ(scheduler.TotalSeconds, 10);

    TickResult before = scheduler.tick(TimeOfDay(Mode::Daily, nine), At(1, Hms(8, 59, 58)));
    EXPECT_EQ(before.status, Left(2, Mode::Daily));
    EXPECT_EQ(before.barValue, 8);
    EXPECT_FALSE(before.due);
    TickResult at = scheduler.tick(TimeOfDay(Mode::Daily, nine), At(1, nine));
    EXPECT_EQ(at.status, Left(0, Mode::Daily));
    EXPECT_EQ(at.barValue, 10);
    EXPECT_TRUE(at.due);
    TickResult after = scheduler.tick(TimeOfDay(Mode::Daily, nine), At(1, nine + 1));
    EXPECT_FALSE(after.due);
    EXPECT_EQ(after.status, (Status {true, Mode::Daily, std::nullopt})) << "no countdown once the time has passed";
    EXPECT_EQ(after.barValue, 0);
}

TEST(DailyTick, CountsFromMidnightToTheNextTime)
{
    Scheduler scheduler;
    scheduler.baseCountdown(Hms(9, 0, 0), At(1, Hms(18, 0, 0)));
    EXPECT_EQ(scheduler.TotalSeconds, -Hms(9, 0, 0)) << "based after the time: negative";
    EXPECT_EQ(scheduler.tick(TimeOfDay(Mode::Daily, Hms(9, 0, 0)), At(1, Hms(23, 59, 59))).status,
              (Status {true, Mode::Daily, std::nullopt}));
    const TickResult midnight = scheduler.tick(TimeOfDay(Mode::Daily, Hms(9, 0, 0)), At(2, 0));
    EXPECT_EQ(midnight.status, Left(Hms(9, 0, 0), Mode::Daily));
    EXPECT_EQ(midnight.barMaximum, -Hms(9, 0, 0));
}

TEST(WeeklyTick, IsDueOnlyOnItsWeekday)
{
    const int nine = Hms(9, 0, 0);
    const TickInputs weekly = TimeOfDay(Mode::Weekly, nine, kWednesday);
    for (int weekday = 0; weekday < 7; ++weekday) {
        Scheduler scheduler;
        scheduler.baseCountdown(nine, At(weekday, Hms(8, 0, 0)));
        const TickResult before = scheduler.tick(weekly, At(weekday, Hms(8, 30, 0)));
        EXPECT_EQ(before.status, Left(1800, Mode::Weekly)) << "the countdown runs to today's time every day";
        EXPECT_EQ(scheduler.tick(weekly, At(weekday, nine)).due, weekday == 3) << weekday;
    }
    Scheduler scheduler;
    EXPECT_FALSE(scheduler.tick(TimeOfDay(Mode::Weekly, nine, std::nullopt), At(3, nine)).due) << "no day chosen";
}

TEST(NowOf, TakesTheDayAndTheSecondOfALocalDate)
{
    struct Case {
        Date date;
        std::int64_t day;
        int secondOfDay;
        int weekday;
    };
    const Case cases[] = {
        {0.0, 0, 0, 6}, // 30 December 1899, a Saturday
        {1.5, 1, Hms(12, 0, 0), 0},
        {46363.75, 46363, Hms(18, 0, 0), 1}, // 7 December 2026, a Monday
        {46363 + 0.999999999, 46364, 0, 2}, // rounds into the next day
        {-1.25, -1, Hms(6, 0, 0), 5}, // before day 0 the fraction still counts from midnight
        {-8.0, -8, 0, 5},
        {-7.0, -7, 0, 6},
    };
    for (const Case &c : cases) {
        const Now now = NowOf(c.date);
        EXPECT_EQ(now.day, c.day) << c.date;
        EXPECT_EQ(now.secondOfDay, c.secondOfDay) << c.date;
        EXPECT_EQ(now.weekday(), c.weekday) << c.date;
    }
}

// When the previous tick (or the switch-on) was at one moment and the next tick comes at another, is the daily
// or weekly pass due? Daily at 09:00 on Monday unless a case says otherwise.
TEST(TimeOfDayTick, ADueTimeBetweenTwoTicksIsNeverSkipped)
{
    const int nine = Hms(9, 0, 0);
    struct Case {
        const char *name;
        Mode mode;
        int time;
        Now previous;
        Now now;
        bool due;
        std::optional<int> day = kWednesday;
    };
    const Case cases[] = {
        {"tick in the very second", Mode::Daily, nine, At(1, nine - 1), At(1, nine), true},
        {"late tick", Mode::Daily, nine, At(1, nine - 1), At(1, nine + 7), true},
        {"not yet", Mode::Daily, nine, At(1, Hms(8, 0, 0)), At(1, nine - 1), false},
        {"previous tick in the second itself", Mode::Daily, nine, At(1, nine), At(1, nine + 1), false},
        {"suspend of hours", Mode::Daily, nine, At(1, Hms(2, 0, 0)), At(1, Hms(14, 0, 0)), true},
        {"suspend over midnight", Mode::Daily, Hms(23, 30, 0), At(1, Hms(22, 0, 0)), At(2, Hms(1, 0, 0)), true},
        {"a time of midnight", Mode::Daily, 0, At(1, Hms(23, 59, 59)), At(2, 0), true},
        {"several days missed", Mode::Daily, nine, At(1, Hms(8, 0, 0)), At(4, Hms(10, 0, 0)), true},
        {"over midnight, not reaching the time", Mode::Daily, nine, At(1, Hms(10, 0, 0)), At(2, Hms(8, 0, 0)), false},
        {"weekly on another day", Mode::Weekly, nine, At(2, Hms(8, 0, 0)), At(2, Hms(10, 0, 0)), false},
        {"weekly on its day", Mode::Weekly, nine, At(3, nine - 1), At(3, nine), true},
        {"weekly, suspended over its day", Mode::Weekly, nine, At(2, Hms(8, 0, 0)), At(4, Hms(8, 0, 0)), true},
        {"weekly, suspended over other days only", Mode::Weekly, nine, At(4, Hms(10, 0, 0)), At(9, Hms(10, 0, 0)),
         false},
        {"weekly, suspended over a week", Mode::Weekly, nine, At(4, Hms(10, 0, 0)), At(12, Hms(10, 0, 0)), true},
        {"weekly, a day the list does not name", Mode::Weekly, nine, At(3, Hms(8, 0, 0)), At(3, Hms(10, 0, 0)), false,
         std::nullopt},
    };
    for (const Case &c : cases) {
        Scheduler scheduler;
        scheduler.SwitchedOn(c.previous);
        EXPECT_EQ(scheduler.tick(TimeOfDay(c.mode, c.time, c.day), c.now).due, c.due) << c.name;

        // a tick and basing the countdown count as the previous moment just as switching on does
        Scheduler ticked;
        ticked.tick(Interval("0", "1", "0"), c.previous);
        EXPECT_EQ(ticked.tick(TimeOfDay(c.mode, c.time, c.day), c.now).due, c.due) << c.name << ", after a tick";
        Scheduler based;
        based.baseCountdown(c.time, c.previous);
        EXPECT_EQ(based.tick(TimeOfDay(c.mode, c.time, c.day), c.now).due, c.due) << c.name << ", after basing";
    }
}

TEST(TimeOfDayTick, MissedOccurrencesRunOnce)
{
    const int nine = Hms(9, 0, 0);
    const TickInputs daily = TimeOfDay(Mode::Daily, nine);
    Scheduler scheduler;
    scheduler.SwitchedOn(At(1, Hms(8, 0, 0)));
    EXPECT_TRUE(scheduler.tick(daily, At(4, Hms(10, 0, 0))).due) << "three missed days";
    EXPECT_FALSE(scheduler.tick(daily, At(4, Hms(10, 0, 1))).due);
    EXPECT_FALSE(scheduler.tick(daily, At(5, nine - 1)).due);
    EXPECT_TRUE(scheduler.tick(daily, At(5, nine)).due) << "the next day as usual";

    // a fast timer may tick twice within the second of the time
    EXPECT_FALSE(scheduler.tick(daily, At(5, nine)).due);
}

TEST(TimeOfDayTick, AClockSetBackNeverRunsAnOccurrenceTwice)
{
    // the end of summer time: the clock goes from 03:00 back to 02:00, past a daily time of 02:30
    const int time = Hms(2, 30, 0);
    const TickInputs daily = TimeOfDay(Mode::Daily, time);
    Scheduler scheduler;
    scheduler.SwitchedOn(At(1, Hms(2, 0, 0)));
    EXPECT_TRUE(scheduler.tick(daily, At(1, time)).due);
    EXPECT_FALSE(scheduler.tick(daily, At(1, Hms(2, 59, 59))).due);
    for (int second : {Hms(2, 0, 0), time - 1, time, time + 1})
        EXPECT_FALSE(scheduler.tick(daily, At(1, second)).due) << second;
    // nor does switching off and on again in the repeated hour
    scheduler.SwitchedOn(At(1, Hms(2, 10, 0)));
    EXPECT_FALSE(scheduler.tick(daily, At(1, Hms(2, 40, 0))).due);

    EXPECT_FALSE(scheduler.tick(daily, At(2, time - 1)).due);
    EXPECT_TRUE(scheduler.tick(daily, At(2, time)).due) << "the next day's occurrence is a new one";
}

TEST(IntervalTick, TheCountHoldsWhileAPassRuns)
{
    Scheduler scheduler;
    const TickInputs inputs = Interval("0", "0", "5");
    for (int tick = 1; tick < 5; ++tick)
        scheduler.tick(inputs, {});
    ASSERT_TRUE(scheduler.tick(inputs, {}).due);
    for (int tick = 0; tick < 3; ++tick) {
        const TickResult during = scheduler.tick(inputs, {}, true);
        EXPECT_EQ(during.status, Left(5)) << "the next interval counts from the end of the pass";
        EXPECT_EQ(during.barValue, 0);
        EXPECT_FALSE(during.due);
    }
    EXPECT_FALSE(scheduler.tick(Interval("0", "0", "0"), {}, true).due) << "even an interval of zero waits";
    for (const int left : {4, 3, 2, 1})
        EXPECT_EQ(scheduler.tick(inputs, {}).status, Left(left));
    EXPECT_TRUE(scheduler.tick(inputs, {}).due);
}

TEST(Tick, DoesNothingWithoutAMode)
{
    Scheduler scheduler;
    const TickResult result = scheduler.tick(TimeOfDay(Mode::None, 0), At(0, 0));
    EXPECT_FALSE(result.status.has_value());
    EXPECT_FALSE(result.due);
}

} // namespace
} // namespace tarnwick::schedule
