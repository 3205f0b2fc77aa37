#include "core/date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarnwick {
namespace {

// Fixes the process's time zone for one test and puts the previous one back. On Windows the zone is the
// system's, fixed when the process starts (Wine takes it from TZ): the test then runs only when that zone is
// US Eastern, as the Windows test run sets it.
class EasternTime
{
public:
    EasternTime()
    {
#ifdef _WIN32
        TIME_ZONE_INFORMATION zone {};
        ::GetTimeZoneInformation(&zone);
        m_active = zone.Bias == 300 && zone.DaylightBias == -60;
#else
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        set("EST5EDT");
#endif
    }
    ~EasternTime()
    {
#ifndef _WIN32
        set(m_old.empty() ? nullptr : m_old.c_str());
#endif
    }
    bool active() const
    {
        return m_active;
    }

private:
#ifndef _WIN32
    static void set(const char *zone)
    {
        if (zone != nullptr)
            ::setenv("TZ", zone, 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
#endif
    std::string m_old;
    bool m_active = true;
};

DateTextFormat unitedStates()
{
    DateTextFormat format;
    format.datePattern = "M/d/yyyy";
    format.timePattern = "h:mm:ss AP";
    return format;
}

TEST(FileTimeToDate, ConvertsToLocalTime)
{
    const EasternTime zone;
    if (!zone.active())
        GTEST_SKIP() << "needs the US Eastern time zone (TZ=EST5EDT)";
    // 1 January 2000 05:00:00 UTC is local midnight five hours west of Greenwich.
    EXPECT_DOUBLE_EQ(FileTimeToDate(946702800), 36526.0);
    // noon of the same local day
    EXPECT_DOUBLE_EQ(FileTimeToDate(946702800 + 12 * 3600), 36526.5);
}

TEST(FileTimeToDate, FollowsDaylightSavingOfTheFileTime)
{
    const EasternTime zone;
    if (!zone.active())
        GTEST_SKIP() << "needs the US Eastern time zone (TZ=EST5EDT)";
    // 1 July 2021 16:00:00 UTC is 12:00 daylight time; 1 January 2021 17:00:00 UTC is 12:00 standard time.
    EXPECT_EQ(SecondsOfDay(FileTimeToDate(1625155200)), 12 * 3600);
    EXPECT_EQ(SecondsOfDay(FileTimeToDate(1609520400)), 12 * 3600);
}

TEST(DateParts, RoundTripsAcrossTheEpochAndLeapDays)
{
    const DateParts cases[] = {
        {1899, 12, 30, 0, 0, 0}, {1899, 12, 29, 6, 0, 0},  {1900, 3, 1, 23, 59, 59},
        {2000, 2, 29, 12, 0, 1}, {2026, 12, 7, 4, 20, 36}, {1970, 1, 1, 0, 0, 0},
    };
    for (const DateParts &parts : cases) {
        const DateParts back = PartsFromDate(DateFromParts(parts));
        EXPECT_EQ(back.year, parts.year);
        EXPECT_EQ(back.month, parts.month);
        EXPECT_EQ(back.day, parts.day);
        EXPECT_EQ(back.hour, parts.hour);
        EXPECT_EQ(back.minute, parts.minute);
        EXPECT_EQ(back.second, parts.second);
    }
    EXPECT_DOUBLE_EQ(DateFromParts({2000, 1, 1, 0, 0, 0}), 36526.0);
    // before the epoch the time of day still counts forward from the start of the day
    EXPECT_DOUBLE_EQ(DateFromParts({1899, 12, 29, 6, 0, 0}), -1.25);
}

TEST(DateToText, FollowsTheFormatAndTheMidnightAndDayZeroRules)
{
    struct Case {
        DateParts parts;
        const char *us;
        const char *neutral;
    };
    const Case cases[] = {
        {{2026, 12, 7, 4, 20, 36}, "12/7/2026 4:20:36 AM", "2026-12-07 04:20:36"},
        {{2026, 12, 7, 16, 5, 9}, "12/7/2026 4:05:09 PM", "2026-12-07 16:05:09"},
        {{2026, 12, 7, 12, 0, 0}, "12/7/2026 12:00:00 PM", "2026-12-07 12:00:00"},
        {{2026, 12, 7, 0, 0, 1}, "12/7/2026 12:00:01 AM", "2026-12-07 00:00:01"},
        // midnight: the date alone
        {{2026, 12, 8, 0, 0, 0}, "12/8/2026", "2026-12-08"},
        // day zero: the time alone
        {{1899, 12, 30, 13, 30, 0}, "1:30:00 PM", "13:30:00"},
    };
    for (const Case &c : cases) {
        const Date date = DateFromParts(c.parts);
        EXPECT_EQ(DateToText(date, unitedStates()), c.us);
        EXPECT_EQ(DateToText(date, DateTextFormat {}), c.neutral);
    }
}

TEST(DateToText, WritesNamesQuotedTextAndNoTimeZone)
{
    DateTextFormat format;
    format.datePattern = "dddd, d. MMMM yy 'um'";
    format.timePattern = "HH:mm:ss t";
    format.monthNames[11] = "Dezember";
    format.dayNames[1] = "Montag";
    EXPECT_EQ(DateToText(DateFromParts({2026, 12, 7, 9, 8, 7}), format), "Montag, 7. Dezember 26 um 09:08:07");
}

DateTextFormat withPatterns(std::string date, std::string time)
{
    DateTextFormat format;
    format.datePattern = std::move(date);
    format.timePattern = std::move(time);
    return format;
}

TEST(TextToDate, ReadsBackWhatDateToTextWrote)
{
    const DateTextFormat formats[] = {
        DateTextFormat {},
        unitedStates(),
        // Danish: the time alone "01.01.00" also reads as 1 January of year 0
        withPatterns("dd.MM.yyyy", "HH.mm.ss t"),
        // blanks in a row
        withPatterns("M/d/yyyy", "h:mm  ss AP"),
    };
    const DateParts cases[] = {
        {2026, 12, 7, 4, 20, 36}, {2026, 12, 7, 23, 59, 59}, {2026, 12, 8, 0, 0, 0},
        {1899, 12, 30, 9, 0, 0},  {2024, 2, 29, 12, 30, 0},  {1899, 12, 30, 1, 1, 0},
    };
    for (const DateTextFormat &format : formats) {
        for (const DateParts &parts : cases) {
            const Date date = DateFromParts(parts);
            const auto back = TextToDate(DateToText(date, format), format);
            ASSERT_TRUE(back.has_value()) << DateToText(date, format);
            EXPECT_DOUBLE_EQ(*back, date) << DateToText(date, format);
        }
    }
}

TEST(TextToDate, RefusesWhatIsNotADateOrTime)
{
    const char *bad[] = {"", "abc", "25:00:00", "12:61:00", "2026-02-30", "13:00:00 PM", "9:00:00 XM", "12/7"};
    for (const char *text : bad) {
        EXPECT_FALSE(TextToDate(text, unitedStates()).has_value()) << text;
        EXPECT_FALSE(TextToDate(text, DateTextFormat {}).has_value()) << text;
    }
    EXPECT_DOUBLE_EQ(*TextToDate("9:00:00 pm", unitedStates()), 21.0 / 24.0);
}

} // namespace
} // namespace tarnwick
