#pragma once

#include "core/monitor_pass.h"

#include <ostream>

namespace tarnwick {

// How GoogleTest shows a change in a failure message.
inline void PrintTo(const Change &change, std::ostream *out)
{
    *out << ActionText(change.kind) << " " << change.path;
}

} // namespace tarnwick
