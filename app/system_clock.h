#pragma once

#include "toolkit.h"

namespace tarnwick::app {

// The machine's local date and time, to the second.
class SystemClock final : public Clock
{
public:
    Date now() const override { return CurrentDate(); }
};

} // namespace tarnwick::app
