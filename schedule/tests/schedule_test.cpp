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

std::string Status(const std::string &countdown)
{
    return std::string(kStatusPrefix) + countdown;
}

TickInputs Interval(std::string h, std::string m, std::string s)
{
    TickInputs inputs;
    inputs.mode = Mode::Interval;
    inputs.interval = {std::move(h), std::move(m), std::move(s)};
    return inputs;
}

TickInputs TimeOfDay(Mode mode, int time, std::string day = "Monday")
{
    TickInputs inputs;
    inputs.mode = mode;
    inputs.timeOfDay = time;
    inputs.dayText = std::move(day);
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

TEST(FormatSeconds, ShowsTheMagnitudeWithinOneDay)
{
    const std::pair<std::int64_t, const char *> cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"}, {3600, "01:00:00"},      {86399, "23:59:59"},     {86400, "00:00:00"},
        {90061, "01:01:01"}, {-5, "00:00:05"}, {INT32_MIN, "03:14:08"}, {INT64_MIN, "15:30:08"},
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
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
        for (const char *countdown : {"00:00:04", "00:00:03", "00:00:02", "00:00:01"}) {
            const TickResult result = scheduler.Tick(inputs, {});
            EXPECT_EQ(result.status, Status(countdown));
            EXPECT_FALSE(result.due);
            EXPECT_EQ(result.barMaximum, 5);
        }
        const TickResult fifth = scheduler.Tick(inputs, {});
        EXPECT_EQ(fifth.status, Status("00:00:00"));
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
        scheduler.Tick(Interval("0", "0", seconds), {});
        EXPECT_EQ(scheduler.TotalSeconds, total) << seconds;
    }
    Scheduler scheduler;
    scheduler.Tick(Interval("0.5", "-1.5", "0"), {});
    EXPECT_EQ(scheduler.TotalSeconds, 1710);
}

TEST(IntervalTick, RepairsWhatIsNotANumber)
{
    Scheduler scheduler;
    const TickResult result = scheduler.Tick(Interval("", "abc", "x"), {});
    EXPECT_EQ(result.repairs[0], "0");
    EXPECT_EQ(result.repairs[1], "0");
    EXPECT_EQ(result.repairs[2], "5");
    EXPECT_EQ(scheduler.TotalSeconds, 5);

    const TickResult fine = scheduler.Tick(Interval("1", "2", "3"), {});
    for (const auto &repair : fine.repairs)
        EXPECT_FALSE(repair.has_value());
}

TEST(IntervalTick, AnIntervalThatOverflowsIsReportedAndTheOldOneKept)
{
    Scheduler scheduler;
    scheduler.Tick(Interval("0", "0", "10"), {});
    const TickResult result = scheduler.Tick(Interval("1e999", "0", "0"), {});
    EXPECT_TRUE(result.error.has_value());
    EXPECT_EQ(scheduler.TotalSeconds, 10);
    EXPECT_EQ(result.status, Status("00:00:08"));
    EXPECT_TRUE(scheduler.Tick(Interval("596524", "0", "0"), {}).error.has_value()) << "hours beyond 32 bits";
}

TEST(IntervalTick, ALoweredIntervalComesDueAtTheNextTick)
{
    Scheduler scheduler;
    for (int i = 0; i < 8; ++i)
        scheduler.Tick(Interval("0", "0", "30"), {});
    const TickResult result = scheduler.Tick(Interval("0", "0", "5"), {});
    EXPECT_EQ(result.status, Status("00:00:04")) << "the magnitude of the negative difference";
    EXPECT_FALSE(result.barValue.has_value()) << "the bar keeps its value";
    EXPECT_TRUE(result.due);
}

TEST(IntervalTick, LongIntervalsComeDue)
{
    Scheduler scheduler;
    const TickInputs twoHours = Interval("2", "0", "0");
    for (int tick = 1; tick < 7200; ++tick)
        ASSERT_FALSE(scheduler.Tick(twoHours, {}).due) << tick;
    EXPECT_TRUE(scheduler.Tick(twoHours, {}).due);

    // zero or less: due at every tick, so at most one pass a second
    Scheduler zero;
    EXPECT_TRUE(zero.Tick(Interval("0", "0", "0"), {}).due);
    EXPECT_TRUE(zero.Tick(Interval("0", "0", "-3"), {}).due);
}

TEST(DailyTick, IsDueOnceAtItsSecond)
{
    Scheduler scheduler;
    const int nine = Hms(9, 0, 0);
    scheduler.BaseCountdown(nine, {Hms(8, 59, 50), 1});
    EXPECT_EQ(scheduler.TotalSeconds, 10);

    TickResult before = scheduler.Tick(TimeOfDay(Mode::Daily, nine), {Hms(8, 59, 58), 1});
    EXPECT_EQ(before.status, Status("00:00:02"));
    EXPECT_EQ(before.barValue, 8);
    EXPECT_FALSE(before.due);
    TickResult at = scheduler.Tick(TimeOfDay(Mode::Daily, nine), {nine, 1});
    EXPECT_EQ(at.status, Status("00:00:00"));
    EXPECT_EQ(at.barValue, 10);
    EXPECT_TRUE(at.due);
    TickResult after = scheduler.Tick(TimeOfDay(Mode::Daily, nine), {nine + 1, 1});
    EXPECT_FALSE(after.due);
    EXPECT_EQ(after.status, std::string(kStatusPrefix)) << "the bare prefix once the time has passed";
    EXPECT_EQ(after.barValue, 0);
}

TEST(DailyTick, CountsFromMidnightToTheNextTime)
{
    Scheduler scheduler;
    scheduler.BaseCountdown(Hms(9, 0, 0), {Hms(18, 0, 0), 1});
    EXPECT_EQ(scheduler.TotalSeconds, -Hms(9, 0, 0)) << "based after the time: negative";
    EXPECT_EQ(scheduler.Tick(TimeOfDay(Mode::Daily, Hms(9, 0, 0)), {Hms(23, 59, 59), 1}).status,
              std::string(kStatusPrefix));
    const TickResult midnight = scheduler.Tick(TimeOfDay(Mode::Daily, Hms(9, 0, 0)), {0, 2});
    EXPECT_EQ(midnight.status, Status("09:00:00"));
    EXPECT_EQ(midnight.barMaximum, -Hms(9, 0, 0));
}

TEST(WeeklyTick, IsDueOnlyOnItsWeekday)
{
    const int nine = Hms(9, 0, 0);
    const TickInputs weekly = TimeOfDay(Mode::Weekly, nine, "Wednesday");
    for (int weekday = 0; weekday < 7; ++weekday) {
        Scheduler scheduler;
        scheduler.BaseCountdown(nine, {Hms(8, 0, 0), weekday});
        const TickResult before = scheduler.Tick(weekly, {Hms(8, 30, 0), weekday});
        EXPECT_EQ(before.status, Status("00:30:00 [Wednesday]")) << "the countdown runs to today's time every day";
        EXPECT_EQ(scheduler.Tick(weekly, {nine, weekday}).due, weekday == 3) << weekday;
    }
    Scheduler scheduler;
    EXPECT_FALSE(scheduler.Tick(TimeOfDay(Mode::Weekly, nine, "wednesday"), {nine, 3}).due) << "exact text";
}

TEST(Tick, DoesNothingWithoutAMode)
{
    Scheduler scheduler;
    const TickResult result = scheduler.Tick(TimeOfDay(Mode::None, 0), {0, 0});
    EXPECT_FALSE(result.status.has_value());
    EXPECT_FALSE(result.due);
}

} // namespace
} // namespace tarnwick::schedule
