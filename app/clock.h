#pragma once

#include <QDateTime>

namespace tarnwick {

// The time of day as the program sees it; tests give it a fake one.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace tarnwick
