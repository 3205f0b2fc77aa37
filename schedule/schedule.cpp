#include "schedule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarnwick::schedule {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number in the neutral form std::from_chars reads ("-12.5e3"), or nothing when the text is not one.
std::optional<std::string> neutralForm(std::string_view text, std::string_view separator)
{
    text = trimmed(text);
    std::string out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            out.push_back('-');
        ++i;
    }
    int digits = 0;
    bool separatorSeen = false;
    while (i < text.size()) {
        if (isDigit(text[i])) {
            out.push_back(text[i++]);
            ++digits;
        } else if (!separator.empty() && !separatorSeen && text.substr(i, separator.size()) == separator) {
            out.push_back('.');
            i += separator.size();
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            out.push_back(text[i++]);
        int exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            out.push_back(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

} // namespace

bool IsNumeric(std::string_view text, std::string_view decimalSeparator)
{
    return neutralForm(text, decimalSeparator).has_value();
}

std::optional<double> ToNumber(std::string_view text, std::string_view decimalSeparator)
{
    const std::optional<std::string> neutral = neutralForm(text, decimalSeparator);
    if (!neutral)
        return std::nullopt;
    double value = 0;
    const char *begin = neutral->data();
    const char *end = begin + neutral->size();
    const auto [last, error] = std::from_chars(begin, end, value);
    if (error == std::errc::result_out_of_range) {
        // beyond the range of double: infinite when the exponent is large, zero when it is very small
        const std::size_t e = neutral->find('e');
        const bool tiny = e != std::string::npos && (*neutral)[e + 1] == '-';
        const bool negative = neutral->front() == '-';
        if (tiny)
            return negative ? -0.0 : 0.0;
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    if (error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // the default rounding mode rounds halves to the even neighbour
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::int32_t SecondsUntil(int nowSecondOfDay, int targetSecondOfDay)
{
    return targetSecondOfDay - nowSecondOfDay;
}

int Now::weekday() const
{
    // day 0 was a Saturday
    return static_cast<int>((day % 7 + 13) % 7);
}

Now NowOf(Date localDate)
{
    // beyond any clock's reach; the bound keeps the day's count of seconds within 64 bits
    if (!std::isfinite(localDate) || std::fabs(localDate) > 1e12)
        return {};
    // Before day 0 the fraction still counts forward from the start of the day, as stored dates do.
    const double whole = std::trunc(localDate);
    auto seconds = static_cast<int>(std::llround(std::fabs(localDate - whole) * 86400.0));
    auto day = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    return {day, seconds};
}

void Scheduler::baseCountdown(int timeOfDay, const Now &now)
{
    TotalSeconds = SecondsUntil(now.secondOfDay, timeOfDay);
    m_previous = instantOf(now);
}

TickResult Scheduler::tick(const TickInputs &inputs, const Now &now, bool passRunning)
{
    TickResult result;
    // The count is not reset at an hour, so intervals of an hour or more come due too.
    if (!passRunning && ElapsedSeconds < std::numeric_limits<std::int32_t>::max())
        ++ElapsedSeconds;
    switch (inputs.mode) {
    case Mode::Weekly:
    case Mode::Daily:
        tickTimeOfDay(inputs, now, result);
        break;
    case Mode::Interval:
        tickInterval(inputs, passRunning, result);
        break;
    case Mode::None:
        break;
    }
    // every tick, whatever the mode, so that a mode chosen later does not catch up on its own past
    m_previous = instantOf(now);
    return result;
}

bool Scheduler::occurrenceDue(const TickInputs &inputs, const Now &now)
{
    if (inputs.timeOfDay < 0 || inputs.timeOfDay >= 86400)
        return false;
    const std::int64_t current = instantOf(now);
    // Without an earlier tick only a tick in the very second of the time finds it due.
    const std::int64_t previous = m_previous.value_or(current - 1);
    // the latest occurrence at or before now
    std::int64_t day = now.secondOfDay >= inputs.timeOfDay ? now.day : now.day - 1;
    if (inputs.mode == Mode::Weekly) {
        if (!inputs.weekday || *inputs.weekday < 0 || *inputs.weekday > 6)
            return false;
        day -= (Now {day, 0}.weekday() - *inputs.weekday + 7) % 7;
    }
    const std::int64_t occurrence = day * 86400 + inputs.timeOfDay;
    // Missed occurrences collapse into the latest one. Comparing with the last one run, not only with the
    // previous tick, keeps a clock set back from running an occurrence a second time.
    if (occurrence <= previous || (m_lastRun && occurrence <= *m_lastRun))
        return false;
    m_lastRun = occurrence;
    return true;
}

void Scheduler::tickTimeOfDay(const TickInputs &inputs, const Now &now, TickResult &result)
{
    result.barMaximum = TotalSeconds;
    const std::int32_t remaining = SecondsUntil(now.secondOfDay, inputs.timeOfDay);
    const std::int64_t elapsed = static_cast<std::int64_t>(TotalSeconds) - remaining;
    ElapsedSeconds = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        elapsed, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    Status status {true, inputs.mode, std::nullopt};
    if (remaining >= 0) {
        result.barValue = ElapsedSeconds;
        status.secondsLeft = remaining;
    } else {
        // the day's time has passed: no countdown until midnight
        result.barValue = 0;
    }
    result.status = status;
    result.due = occurrenceDue(inputs, now);
}

void Scheduler::tickInterval(const TickInputs &inputs, bool passRunning, TickResult &result)
{
    static constexpr std::array<const char *, 3> repaired = {"0", "0", "5"};
    std::array<double, 3> values {};
    for (std::size_t box = 0; box < 3; ++box) {
        std::optional<double> value = ToNumber(inputs.interval[box], inputs.decimalSeparator);
        if (!value) {
            result.repairs[box] = repaired[box];
            value = ToNumber(repaired[box], ".");
        }
        values[box] = *value;
    }
    const double sum = values[0] * 3600.0 + values[1] * 60.0 + values[2];
    if (const std::optional<std::int32_t> total = RoundHalfEven(sum))
        TotalSeconds = *total;
    else
        result.intervalOverflow = true;

    result.barMaximum = TotalSeconds;
    if (TotalSeconds >= ElapsedSeconds)
        result.barValue = ElapsedSeconds;
    result.status = Status {true, Mode::Interval,
                            static_cast<std::int64_t>(TotalSeconds) - static_cast<std::int64_t>(ElapsedSeconds)};
    // Due once the count reaches the interval; an interval below one second is due at every tick.
    if (!passRunning && ElapsedSeconds >= TotalSeconds) {
        result.due = true;
        ElapsedSeconds = 0;
    }
}

} // namespace tarnwick::schedule
