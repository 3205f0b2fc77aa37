#include "date_text.h"

namespace tarnwick {

DateTextFormat DateTextFormatOf(const QLocale &locale)
{
    DateTextFormat format;
    format.datePattern = locale.dateFormat(QLocale::ShortFormat).toStdString();
    format.timePattern = locale.timeFormat(QLocale::LongFormat).toStdString();
    format.amText = locale.amText().toStdString();
    format.pmText = locale.pmText().toStdString();
    for (int month = 1; month <= 12; ++month) {
        format.monthNames[month - 1] = locale.monthName(month, QLocale::LongFormat).toStdString();
        format.shortMonthNames[month - 1] = locale.monthName(month, QLocale::ShortFormat).toStdString();
    }
    for (int day = 1; day <= 7; ++day) {
        // Qt counts Monday as 1 and Sunday as 7; the format counts from Sunday.
        const int index = day % 7;
        format.dayNames[index] = locale.dayName(day, QLocale::LongFormat).toStdString();
        format.shortDayNames[index] = locale.dayName(day, QLocale::ShortFormat).toStdString();
    }
    return format;
}

DateTextFormat SystemDateTextFormat()
{
    return DateTextFormatOf(QLocale::system());
}

Date DateOf(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    return DateFromParts({date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()});
}

QString DateTimeText(const QDateTime &local, const DateTextFormat &format)
{
    return QString::fromStdString(DateToText(DateOf(local), format));
}

QString TimeOfDayText(QTime time, const DateTextFormat &format)
{
    // Day zero: the text holds the time alone (midnight included).
    const Date date = (time.hour() * 3600 + time.minute() * 60 + time.second()) / 86400.0;
    return QString::fromStdString(DateToText(date, format));
}

std::optional<QTime> ParseTimeOfDay(const QString &text, const DateTextFormat &format)
{
    const std::optional<Date> date = TextToDate(text.toStdString(), format);
    if (!date)
        return std::nullopt;
    const int seconds = SecondsOfDay(*date);
    return QTime(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

} // namespace tarnwick
