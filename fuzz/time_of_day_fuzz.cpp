// The weekly time as the settings file stores it: written in the user's time format, read back at start-up.
// Input: a second of the day on the first line, a text to read on the second, then the format (date_format.h).

#include "date_format.h"
#include "fuzz_input.h"

#include "app/settings.h"
#include "core/date.h"

#include <string>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

std::string Case(int second, std::string_view text, const DateTextFormat &format)
{
    return std::to_string(second) + " written " + Escaped(text) + " with " + Escaped(format.datePattern) + " / " +
        Escaped(format.timePattern) + " " + Escaped(format.amText) + " " + Escaped(format.pmText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Lines lines(AsText(data, size));
    const int second = Within(lines.numbers(0, 1)[0], 0, 86399);
    const std::string_view text = lines[1];
    const DateTextFormat format = ReadFormat(lines, 2);

    // Any format and any text: a time read is a second of the day.
    const std::optional<int> read = app::ParseTimeOfDay(text, format);
    Require(!read || (*read >= 0 && *read < 86400), "a time read is a second of the day", Escaped(text));
    const std::string written = app::TimeOfDayText(second, format);
    const std::optional<int> back = app::ParseTimeOfDay(written, format);
    Require(!back || (*back >= 0 && *back < 86400), "a time read is a second of the day", Escaped(written));

    if (!ReadsBack(format))
        return 0;
    for (const int each : {second, read.value_or(0), 0, 1, 43199, 43200, 46861, 86399}) {
        const std::string time = app::TimeOfDayText(each, format);
        Require(app::ParseTimeOfDay(time, format) == each, "a stored time of day reads back", Case(each, time, format));
        // a date before the time is ignored (at midnight the text is the date alone)
        if (each == 0)
            continue;
        const Date withDate = DateFromParts({2026, 12, 7, each / 3600, each / 60 % 60, each % 60});
        const std::string dated = DateToText(withDate, format);
        Require(app::ParseTimeOfDay(dated, format) == each, "the time after a date reads back",
                Case(each, dated, format));
    }
    return 0;
}
