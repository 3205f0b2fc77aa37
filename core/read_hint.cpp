#include "read_hint.h"

#include <functional>

namespace tarnwick {

ReadHint::ReadHint(const Snapshot &previous, std::uint32_t directory, const std::vector<std::string> &changed)
    : m_previous(previous)
    , m_first(previous.firstFile(directory))
    , m_end(previous.fileEnd(directory))
    , m_next(m_first)
    , m_changed(changed.begin(), changed.end())
{
}

std::optional<FileTime> ReadHint::unchangedTime(std::string_view name)
{
    if (m_changed.contains(name))
        return std::nullopt;
    std::uint32_t found = Snapshot::kNone;
    if (m_next < m_end && m_previous.fileName(m_next) == name)
        found = m_next;
    else
        found = lookUp(name);
    if (found == Snapshot::kNone)
        return std::nullopt;
    m_next = found + 1;
    return m_previous.fileTime(found);
}

std::uint32_t ReadHint::lookUp(std::string_view name)
{
    if (m_first == m_end)
        return Snapshot::kNone;
    if (m_slots.empty()) {
        std::size_t capacity = 16;
        while (capacity < std::size_t {m_end - m_first} * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
        for (std::uint32_t i = m_first; i < m_end; ++i) {
            std::size_t slot = std::hash<std::string_view> {}(m_previous.fileName(i)) & (capacity - 1);
            while (m_slots[slot] != 0)
                slot = (slot + 1) & (capacity - 1);
            m_slots[slot] = i + 1;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = std::hash<std::string_view> {}(name)&mask; m_slots[slot] != 0; slot = (slot + 1) & mask)
        if (m_previous.fileName(m_slots[slot] - 1) == name)
            return m_slots[slot] - 1;
    return Snapshot::kNone;
}

} // namespace tarnwick
