#pragma once

// The design's fonts as Qt fonts. Qt sizes them in points for the screen's DPI itself.

#include "app/window_design.h"

#include <QFont>

namespace tarnwick {

QFont DesignFont(app::FontRole role);

} // namespace tarnwick
