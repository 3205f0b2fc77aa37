#pragma once

#include "toolkit.h"

#include <chrono>
#include <random>

namespace tarnwick::app {

// A uniform whole number from 1 to 100, seeded from the clock.
class SystemRandomDraw final : public RandomDraw
{
public:
    int percent() override { return m_percent(m_engine); }

private:
    std::mt19937 m_engine {static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count())};
    std::uniform_int_distribution<int> m_percent {1, 100};
};

} // namespace tarnwick::app
