#pragma once

#include "app/application.h"

#include <string>
#include <string_view>

namespace tarnwick::win32 {

// A date or time pattern of the Windows locale settings in the pattern language of DateTextFormat: the
// designator (t, tt) becomes AP, a one-letter year yy, the era (g) goes; quoted text stays as it is.
std::string PatternOf(std::wstring_view windowsPattern);

// The user's short date, long time, designators, month and day names and decimal separator.
app::Locale UserLocale();

} // namespace tarnwick::win32
