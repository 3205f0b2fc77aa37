#pragma once

#include "core/date.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

namespace tarnwick {

// The user's short date, a blank and the long time (without time zone), with the locale's names.
DateTextFormat DateTextFormatOf(const QLocale &locale);
DateTextFormat SystemDateTextFormat();

Date DateOf(const QDateTime &local);

// A local date and time as text, to the second, by the rules of the history rows and log lines.
QString DateTimeText(const QDateTime &local, const DateTextFormat &format);

// A time of day alone, as the weekly time is stored.
QString TimeOfDayText(QTime time, const DateTextFormat &format);
// Reads a stored time of day back; nothing when the text is not a time.
std::optional<QTime> ParseTimeOfDay(const QString &text, const DateTextFormat &format);

} // namespace tarnwick
