#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// A local date and time as days since 30 December 1899 00:00:00, the fraction being the time of day.
using Date = double;

// A file's last-write time: whole seconds since 1 January 1970 00:00:00 UTC. Fractions of a second are
// dropped where the time is read, so two writes within one second count as one time.
using FileTime = std::int64_t;

struct DateParts {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30; // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The date of a local calendar time (no range checks beyond the calendar arithmetic).
Date DateFromParts(const DateParts &parts);
DateParts PartsFromDate(Date date);

// A file time converted to local time, as a Date. Times the platform cannot convert give Date 0.
Date FileTimeToDate(FileTime time);

// The current local date and time, to the second.
Date CurrentDate();

// How a Date is written as text: Qt-style patterns (d dd ddd dddd M MM MMM MMMM yy yyyy h hh H HH m mm s ss
// AP ap A a, 'quoted text'), with the names the locale gives. The application fills it from the user's
// locale; the defaults are a neutral form that tests and tools can rely on.
struct DateTextFormat {
    std::string datePattern = "yyyy-MM-dd";
    std::string timePattern = "HH:mm:ss";
    std::string amText = "AM";
    std::string pmText = "PM";
    std::string monthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
    std::string shortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string dayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    std::string shortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

// The date, a blank and the time; the time alone when the day count is zero, the date alone when the time
// of day is exactly midnight.
std::string DateToText(Date date, const DateTextFormat &format);

// The inverse of DateToText under the same format: a date and time, a time alone or a date alone (a text that
// reads as either is the time).
std::optional<Date> TextToDate(std::string_view text, const DateTextFormat &format);

// Whole seconds of a Date's time of day (0..86399).
int SecondsOfDay(Date date);

} // namespace tarnwick
