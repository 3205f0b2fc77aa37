#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::schedule {

enum class Mode { None, Interval, Daily, Weekly };

// A number as the interval boxes take it: blanks around it, an optional sign, digits with at most one decimal
// separator (the user's), at least one digit, and an optional exponent. The empty text is not a number.
bool IsNumeric(std::string_view text, std::string_view decimalSeparator);

// The value of a text that IsNumeric accepts (a value beyond the range of double becomes infinite); nothing
// for any other text.
std::optional<double> ToNumber(std::string_view text, std::string_view decimalSeparator);

// Rounded to the nearest whole number, halves to the even one; nothing when it does not fit 32 bits.
std::optional<std::int32_t> RoundHalfEven(double value);

// Seconds from now to today's occurrence of a time of day (both as seconds since midnight); negative once
// that time has passed today.
std::int32_t SecondsUntil(int nowSecondOfDay, int targetSecondOfDay);

// What one tick reads from the schedule controls.
struct TickInputs {
    Mode mode = Mode::Interval;
    std::array<std::string, 3> interval = {"0", "0", "5"}; // hours, minutes, seconds as typed
    std::string decimalSeparator = ".";
    int timeOfDay = 0; // the time picker, seconds since midnight
    std::optional<int> weekday; // the day list's day, 0 = Sunday; none while it names no day
};

// A local date and time as days since 30 December 1899 00:00:00, the fraction being the time of day.
using Date = double;

// The local calendar day and time of day of one tick.
struct Now {
    std::int64_t day = 0; // whole days since 30 December 1899, a Saturday
    int secondOfDay = 0;
    int weekday() const; // 0 = Sunday
};

// The day and second of a local Date, rounded to the nearest second as dates are shown.
Now NowOf(Date localDate);

// What the status line has to tell: whether automatic monitoring is on and, while it is, how long until the next
// pass. The window words it.
struct Status {
    bool on = false;
    Mode mode = Mode::None; // the schedule that counts down
    // The seconds left, negative when an interval was shortened below the time already counted; absent while the
    // time of a daily or weekly schedule has passed for today.
    std::optional<std::int64_t> secondsLeft;

    bool operator==(const Status &) const = default;
};

// What one tick found.
struct TickResult {
    std::optional<Status> status; // absent when no mode is selected
    std::optional<std::int32_t> barMaximum;
    std::optional<std::int32_t> barValue; // absent: leave the bar as it is
    // Interval boxes whose text was not a number, with the text that replaces it ("0", "0", "5").
    std::array<std::optional<std::string>, 3> repairs;
    bool due = false;
    // The interval did not fit a count of seconds; the previous length was kept for this tick.
    bool intervalOverflow = false;
};

// The countdown of automatic monitoring: one tick a second while it is on.
//
// A daily or weekly pass is due at the first tick at or after its time when the previous tick (or the moment
// monitoring was switched on or the countdown based) was before it. Ticks may come late, stop during a suspend
// or find the clock set back: a missed occurrence runs once at the next tick, however many were missed, and an
// occurrence that has run never runs again.
class Scheduler
{
public:
    // While a pass runs the interval count holds, so the next interval counts from the end of the pass, and
    // the interval mode is never due; the daily and weekly modes still report an occurrence that comes due.
    TickResult tick(const TickInputs &inputs, const Now &now, bool passRunning = false);

    // Daily and weekly: the countdown's full length becomes the seconds from now to the chosen time of day.
    void baseCountdown(int timeOfDay, const Now &now);

    // Automatic monitoring was switched on: occurrences before now are not caught up.
    void SwitchedOn(const Now &now) { m_previous = instantOf(now); }

    // Choosing the interval mode starts its count over.
    void restartInterval() { ElapsedSeconds = 0; }

    std::int32_t ElapsedSeconds = 0;
    std::int32_t TotalSeconds = 0;

private:
    // Seconds on the local clock since day 0; occurrences and ticks are compared in it.
    static std::int64_t instantOf(const Now &now) { return now.day * 86400 + now.secondOfDay; }
    bool occurrenceDue(const TickInputs &inputs, const Now &now);
    void tickTimeOfDay(const TickInputs &inputs, const Now &now, TickResult &result);
    void tickInterval(const TickInputs &inputs, bool passRunning, TickResult &result);

    std::optional<std::int64_t> m_previous; // the previous tick, or when monitoring was switched on or based
    std::optional<std::int64_t> m_lastRun; // the latest occurrence found due
};

} // namespace tarnwick::schedule
