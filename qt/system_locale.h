#pragma once

#include "app/application.h"

#include <QLocale>

namespace tarnwick {

// The user's short date, a blank and the long time (without time zone), with the locale's names, and its decimal
// separator.
app::Locale LocaleOf(const QLocale &locale);

} // namespace tarnwick
