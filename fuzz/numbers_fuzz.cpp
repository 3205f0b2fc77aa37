// The numbers typed into the interval boxes and the truth values read from the settings file.
// Input: the user's decimal separator on the first line, the text after it (line ends included).

#include "fuzz_input.h"

#include "app/settings.h"
#include "schedule/schedule.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

std::string Shown(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The same rounding worked out from the floor, not from the rounding mode.
std::optional<std::int32_t> ExpectedRounding(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 4e9)
        return std::nullopt;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double nearest = fraction < 0.5 ? floor : floor + 1;
    if (fraction == 0.5)
        nearest = std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
    if (nearest < std::numeric_limits<std::int32_t>::min() || nearest > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(nearest);
}

void CheckRounding(double value)
{
    const std::optional<std::int32_t> rounded = schedule::RoundHalfEven(value);
    const std::optional<std::int32_t> expected = ExpectedRounding(value);
    Require(rounded == expected, "halves round to the even neighbour; what does not fit 32 bits is nothing",
            Shown(value) + " -> " + (rounded ? std::to_string(*rounded) : "nothing"));
}

// A separator the number's own characters cannot be taken for.
bool PlainSeparator(std::string_view separator)
{
    if (separator.empty() || IsBlank(separator.front()) || IsBlank(separator.back()))
        return false;
    return separator.find_first_of("0123456789eE+-") == std::string_view::npos;
}

void CheckNumber(std::string_view text, std::string_view separator)
{
    const bool numeric = schedule::IsNumeric(text, separator);
    const std::optional<double> number = schedule::ToNumber(text, separator);
    Require(numeric == number.has_value(), "a text that passes IsNumeric converts, and only such a text",
            Escaped(text) + " with separator " + Escaped(separator));
    if (number) {
        Require(!std::isnan(*number), "a number is never NaN", Escaped(text));
        CheckRounding(*number);
    }

    // With the full stop the value is the C library's reading of the same text.
    if (schedule::IsNumeric(text, ".")) {
        const std::string plain(Trimmed(text));
        const double expected = std::strtod(plain.c_str(), nullptr);
        const double value = *schedule::ToNumber(text, ".");
        Require(value == expected && std::signbit(value) == std::signbit(expected), "the value strtod reads",
                Escaped(text) + " -> " + Shown(value) + ", strtod " + Shown(expected));
    }

    // ToTruth: the words True and False in any case, else what the number check accepts.
    const std::optional<bool> truth = app::ToTruth(text, separator);
    const std::string_view word = Trimmed(text);
    std::optional<bool> expected;
    if (EqualsIgnoringCase(word, "True"))
        expected = true;
    else if (EqualsIgnoringCase(word, "False"))
        expected = false;
    else if (const std::optional<double> full = schedule::ToNumber(text, "."))
        expected = *full != 0;
    else if (number)
        expected = *number != 0;
    Require(truth == expected, "ToTruth agrees with the number check", Escaped(text));
}

// A number written in the user's form reads back as the same number.
void CheckWritten(double value, std::string_view separator)
{
    if (!std::isfinite(value) || !PlainSeparator(separator))
        return;
    std::string text = Shown(value);
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    const std::optional<double> back = schedule::ToNumber(text, separator);
    Require(back.has_value() && *back == value, "a number written with the user's separator reads back",
            Escaped(text) + " with separator " + Escaped(separator));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // strtod is the reference with the full stop
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input = AsText(data, size);
    const std::size_t end = input.find('\n');
    const std::string_view separator = input.substr(0, end);
    const std::string_view text = end == std::string_view::npos ? std::string_view {} : input.substr(end + 1);

    CheckNumber(text, separator);
    CheckNumber(text, ".");
    if (const std::optional<double> number = schedule::ToNumber(text, separator))
        CheckWritten(*number, separator);

    // Any eight bytes as a double, NaN and infinities included, for the rounding and the written form.
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckRounding(raw);
        CheckWritten(raw, separator);
        CheckWritten(raw, ",");
    }
    return 0;
}
