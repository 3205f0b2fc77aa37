#pragma once

// Where the design's controls go. The design is in twips; Qt places widgets in device-independent pixels (96 to
// the inch) and scales them to the screen's DPI itself, so the conversion is the one at 96 dpi.

#include "app/window_design.h"

#include <QRect>
#include <QSize>

namespace tarnwick {

// Twips at 96 dots per inch: 15 to a pixel.
constexpr int Twips(int twips)
{
    return (twips + 7) / 15;
}

// A control's geometry within its container.
QRect GeometryOf(const app::TwipRect &rect);
// The window's fixed client area.
QSize ClientSize();

} // namespace tarnwick
