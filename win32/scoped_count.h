#pragma once

namespace tarnwick::win32 {

// Adds one to a count for as long as it lives: a value being set (whose notifications are not forwarded), a
// dialog being open.
class ScopedCount
{
public:
    explicit ScopedCount(int &count)
        : m_count(count)
    {
        ++m_count;
    }
    ~ScopedCount() { --m_count; }
    ScopedCount(const ScopedCount &) = delete;
    ScopedCount &operator=(const ScopedCount &) = delete;

private:
    int &m_count;
};

} // namespace tarnwick::win32
