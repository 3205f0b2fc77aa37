#include "window_design.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick::app {

std::optional<int> DayOfList(std::string_view text)
{
    const auto day = std::find(kDayNames.begin(), kDayNames.end(), text);
    if (day == kDayNames.end())
        return std::nullopt;
    return static_cast<int>(day - kDayNames.begin());
}

const ControlDesign &DesignOf(Control control)
{
    const auto design = std::find_if(kControls.begin(), kControls.end(),
                                     [control](const ControlDesign &row) { return row.control == control; });
    if (design == kControls.end())
        throw std::invalid_argument("The window's design has no such control.");
    return *design;
}

TwipRect InWindow(const ControlDesign &design)
{
    TwipRect rect = design.rect;
    for (Control container = design.container; container != Control::Form1;) {
        const ControlDesign &outer = DesignOf(container);
        rect.left += outer.rect.left;
        rect.top += outer.rect.top;
        container = outer.container;
    }
    return rect;
}

} // namespace tarnwick::app
