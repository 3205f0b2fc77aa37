#include "system_locale.h"

#include "text.h"

#include <windows.h>

namespace tarnwick::win32 {

namespace {

std::string localeText(LCTYPE type, const std::string &fallback)
{
    wchar_t buffer[128] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
    return length > 1 ? Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : fallback;
}

} // namespace

std::string PatternOf(std::wstring_view pattern)
{
    std::wstring result;
    for (std::size_t i = 0; i < pattern.size();) {
        const wchar_t c = pattern[i];
        if (c == L'\'') {
            // quoted text, '' inside it being one quote, copied with its quotes
            std::size_t j = i + 1;
            while (j < pattern.size()) {
                if (pattern[j] == L'\'') {
                    if (j + 1 < pattern.size() && pattern[j + 1] == L'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const std::size_t end = j < pattern.size() ? j + 1 : j;
            result.append(pattern.substr(i, end - i));
            if (j >= pattern.size())
                result.push_back(L'\'');
            i = end;
            continue;
        }
        std::size_t j = i;
        while (j < pattern.size() && pattern[j] == c)
            ++j;
        const std::size_t count = j - i;
        switch (c) {
        case L't':
            result += L"AP";
            break;
        case L'y':
            result += count <= 2 ? L"yy" : L"yyyy";
            break;
        case L'g':
            // the era: not written; a blank it leaves behind goes with it
            if (j < pattern.size() && pattern[j] == L' ')
                ++j;
            break;
        default:
            result.append(pattern.substr(i, count));
            break;
        }
        i = j;
    }
    return Narrow(result);
}

app::Locale UserLocale()
{
    app::Locale locale;
    DateTextFormat &format = locale.dateFormat;
    wchar_t pattern[128] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, pattern, 128) > 1)
        format.datePattern = PatternOf(pattern);
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STIMEFORMAT, pattern, 128) > 1)
        format.timePattern = PatternOf(pattern);
    format.amText = localeText(LOCALE_S1159, format.amText);
    format.pmText = localeText(LOCALE_S2359, format.pmText);
    for (int month = 0; month < 12; ++month) {
        format.monthNames[month] =
            localeText(LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(month), format.monthNames[month]);
        format.shortMonthNames[month] =
            localeText(LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(month), format.shortMonthNames[month]);
    }
    // Windows counts the days from Monday (LOCALE_SDAYNAME1); the format from Sunday.
    for (int day = 0; day < 7; ++day) {
        const int index = (day + 1) % 7;
        format.dayNames[index] = localeText(LOCALE_SDAYNAME1 + static_cast<LCTYPE>(day), format.dayNames[index]);
        format.shortDayNames[index] =
            localeText(LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(day), format.shortDayNames[index]);
    }
    locale.decimalSeparator = localeText(LOCALE_SDECIMAL, locale.decimalSeparator);
    return locale;
}

} // namespace tarnwick::win32
