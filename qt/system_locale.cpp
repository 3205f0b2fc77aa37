#include "system_locale.h"

namespace tarnwick {

app::Locale LocaleOf(const QLocale &locale)
{
    app::Locale result;
    DateTextFormat &format = result.dateFormat;
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
    result.decimalSeparator = locale.decimalPoint().toStdString();
    return result;
}

} // namespace tarnwick
