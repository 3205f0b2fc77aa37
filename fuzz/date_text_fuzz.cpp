// Dates written in the user's locale and read back, with patterns and names taken from the input.
// Input: "year month day hour minute second" on the first line, a text to read on the second, then the format
// (date_format.h).

#include "date_format.h"
#include "fuzz_input.h"

#include "core/date.h"

#include <string>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

int DaysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::string Case(const DateParts &parts, std::string_view text, const DateTextFormat &format)
{
    std::string shown;
    for (const int value : {parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second})
        shown += std::to_string(value) + ' ';
    return shown + "written " + Escaped(text) + " with " + Escaped(format.datePattern) + " / " +
        Escaped(format.timePattern) + " " + Escaped(format.amText) + " " + Escaped(format.pmText);
}

bool ValidParts(const DateParts &parts)
{
    return parts.month >= 1 && parts.month <= 12 && parts.day >= 1 &&
        parts.day <= DaysInMonth(parts.year, parts.month) && parts.hour >= 0 && parts.hour < 24 && parts.minute >= 0 &&
        parts.minute < 60 && parts.second >= 0 && parts.second < 60;
}

void CheckReadsBack(const DateParts &parts, const DateTextFormat &format)
{
    const Date date = DateFromParts(parts);
    const std::string text = DateToText(date, format);
    const std::optional<Date> back = TextToDate(text, format);
    Require(back.has_value(), "a written date reads back", Case(parts, text, format));

    Date expected = date;
    const bool dayZero = parts.year == 1899 && parts.month == 12 && parts.day == 30;
    const bool midnight = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
    if (!dayZero && midnight) {
        // The date alone: a text that is also a time alone is read as that time, the form a stored time of day
        // has.
        if (const std::optional<Date> time = TextToDate(text, TimeAloneFormat(format)))
            expected = *time;
    }
    Require(*back == expected, "a written date reads back as itself", Case(parts, text, format));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Lines lines(AsText(data, size));
    const std::vector<std::int64_t> numbers = lines.numbers(0, 6);
    const std::string_view text = lines[1];
    const DateTextFormat format = ReadFormat(lines, 2);

    DateParts parts;
    parts.year = ShortYear(format) ? Within(numbers[0], 1950, 2049) : Within(numbers[0], 1, 9999);
    parts.month = Within(numbers[1], 1, 12);
    parts.day = Within(numbers[2], 1, DaysInMonth(parts.year, parts.month));
    parts.hour = Within(numbers[3], 0, 23);
    parts.minute = Within(numbers[4], 0, 59);
    parts.second = Within(numbers[5], 0, 59);

    // Any format and any text: a date read is a real calendar date, and writing never fails.
    if (const std::optional<Date> read = TextToDate(text, format))
        Require(ValidParts(PartsFromDate(*read)), "a date read is a calendar date", Escaped(text));
    DateToText(DateFromParts(parts), format);

    if (!ReadsBack(format))
        return 0;
    CheckReadsBack(parts, format);
    DateParts midnight = parts;
    midnight.hour = midnight.minute = midnight.second = 0;
    CheckReadsBack(midnight, format);
    DateParts timeAlone = parts;
    timeAlone.year = 1899;
    timeAlone.month = 12;
    timeAlone.day = 30;
    CheckReadsBack(timeAlone, format);
    return 0;
}
