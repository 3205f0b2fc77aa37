#include "window_design.h"

#include <algorithm>

namespace tarnwick::app {

std::optional<int> DayOfList(std::string_view text)
{
    const auto day = std::find(kDayNames.begin(), kDayNames.end(), text);
    if (day == kDayNames.end())
        return std::nullopt;
    return static_cast<int>(day - kDayNames.begin());
}

} // namespace tarnwick::app
