#pragma once

// What a pass knows of a directory it reads again because the change journal named some of its entries. Internal
// to core.

#include "snapshot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarnwick {

// The directory's files as the previous pass recorded them, and the entries that reports named since: a file not
// named kept its time, so it need not be examined again. Used by one reading thread.
class ReadHint
{
public:
    ReadHint(const Snapshot &previous, std::uint32_t directory, const std::vector<std::string> &changed);

    // The time recorded for a file that no report named since; nothing for any other name.
    std::optional<FileTime> unchangedTime(std::string_view name);

private:
    std::uint32_t lookUp(std::string_view name);

    const Snapshot &m_previous;
    std::uint32_t m_first;
    std::uint32_t m_end;
    std::uint32_t m_next; // a listing of an unchanged directory comes in the same order: tried first
    std::unordered_set<std::string_view> m_changed;
    std::vector<std::uint32_t> m_slots; // file + 1 by name, open addressing, made at the first miss; 0 is empty
};

} // namespace tarnwick
