#pragma once

// Hash indexes over FileLists, shared by the comparisons. Internal to core.

#include "file_list.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// Gives every distinct folder text of two lists one number, so that entries of both can be compared by
// (folder number, name) without building full paths.
class FolderIds
{
public:
    FolderIds(const FileList &a, const FileList &b)
    {
        std::unordered_map<std::string_view, std::uint32_t> ids;
        ids.reserve(a.folders().size() + b.folders().size());
        auto number = [&ids](const FileList &list, std::vector<std::uint32_t> &out) {
            out.reserve(list.folders().size());
            for (const std::string &folder : list.folders())
                out.push_back(ids.try_emplace(folder, static_cast<std::uint32_t>(ids.size())).first->second);
        };
        number(a, m_first);
        number(b, m_second);
    }

    const std::vector<std::uint32_t> &first() const { return m_first; }
    const std::vector<std::uint32_t> &second() const { return m_second; }

private:
    std::vector<std::uint32_t> m_first;
    std::vector<std::uint32_t> m_second;
};

inline std::uint64_t HashEntry(std::uint32_t folderId, std::string_view name)
{
    std::uint64_t h = (folderId + 1) * 0x9E3779B97F4A7C15ULL ^ name.size();
    const char *p = name.data();
    std::size_t n = name.size();
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
        p += 8;
        n -= 8;
    }
    std::uint64_t v = 0;
    std::memcpy(&v, p, n);
    h = (h ^ v) * 0x94D049BB133111EBULL;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

// Open addressing over the entries of one list. Equal entries are met in the order of the list, as a nested
// scan would meet them, because they are inserted in that order and never removed.
class PathIndex
{
public:
    PathIndex(const FileList &list, const std::vector<std::uint32_t> &folderIds)
        : m_list(list)
        , m_folderIds(folderIds)
    {
        std::size_t capacity = 16;
        while (capacity < list.size() * 2)
            capacity *= 2;
        m_mask = capacity - 1;
        m_slots.assign(capacity, Slot {});
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::uint64_t h = HashEntry(folderIds[list.folderIndex(i)], list.name(i));
            std::size_t slot = h & m_mask;
            while (m_slots[slot].entry != 0)
                slot = (slot + 1) & m_mask;
            m_slots[slot] = Slot {static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(h >> 32)};
        }
    }

    // Calls the function with every equal entry, in the order of the list.
    template<typename Function>
    void forEachEqual(std::uint32_t folderId, std::string_view name, Function &&function) const
    {
        scan(folderId, name, [&](std::size_t j) {
            function(j);
            return true;
        });
    }

    bool contains(std::uint32_t folderId, std::string_view name) const
    {
        bool found = false;
        scan(folderId, name, [&](std::size_t) {
            found = true;
            return false;
        });
        return found;
    }

private:
    // Visits the equal entries while the visitor returns true.
    template<typename Visitor>
    void scan(std::uint32_t folderId, std::string_view name, Visitor &&visit) const
    {
        const std::uint64_t h = HashEntry(folderId, name);
        const auto tag = static_cast<std::uint32_t>(h >> 32);
        for (std::size_t slot = h & m_mask; m_slots[slot].entry != 0; slot = (slot + 1) & m_mask) {
            const Slot &s = m_slots[slot];
            if (s.tag != tag)
                continue;
            const std::size_t j = s.entry - 1;
            if (m_folderIds[m_list.folderIndex(j)] == folderId && m_list.name(j) == name && !visit(j))
                return;
        }
    }

    struct Slot {
        std::uint32_t entry = 0; // position + 1; 0 is an empty slot
        std::uint32_t tag = 0;
    };

    const FileList &m_list;
    const std::vector<std::uint32_t> &m_folderIds;
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
};

// Later to the second in local time. Equal file times are equal local times, so the conversion is only
// paid for files whose time changed.
inline bool IsLater(FileTime now, FileTime before)
{
    return now != before && FileTimeToDate(now) > FileTimeToDate(before);
}

} // namespace tarnwick
