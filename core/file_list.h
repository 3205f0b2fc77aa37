#pragma once

#include "date.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// An ordered list of full file paths, one snapshot of a folder tree. Paths are kept as folder (ending with a
// separator) plus name, with each folder stored once and the names back to back, so that a million entries
// stay small.
class FileList
{
public:
    FileList() = default;
    FileList(std::initializer_list<std::string_view> paths);
    static FileList fromPaths(const std::vector<std::string> &paths);

    std::size_t size() const { return m_nameEnds.size(); }
    bool empty() const { return m_nameEnds.empty(); }

    std::string_view folder(std::size_t i) const { return m_folders[m_folderOf[i]]; }
    std::uint32_t folderIndex(std::size_t i) const { return m_folderOf[i]; }
    std::string_view name(std::size_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : m_nameEnds[i - 1];
        return std::string_view(m_names).substr(begin, m_nameEnds[i] - begin);
    }
    std::string path(std::size_t i) const;
    std::vector<std::string> paths() const;

    const std::vector<std::string> &folders() const { return m_folders; }
    // Entries of one folder come together: folder slot s holds the entries from folderBegin(s) to
    // folderBegin(s + 1) (or the end). A folder text can have more than one slot when its entries are apart.
    std::size_t folderBegin(std::size_t slot) const { return m_folderBegin[slot]; }
    std::size_t folderEnd(std::size_t slot) const
    {
        return slot + 1 < m_folderBegin.size() ? m_folderBegin[slot + 1] : size();
    }

    // Appends one entry; the folder must end with a separator.
    void append(std::string_view folder, std::string_view name);
    // Appends every name of a listing (names back to back, each ending at its nameEnds entry).
    void appendFolder(std::string_view folder, std::string_view names, const std::vector<std::uint32_t> &nameEnds);
    // Appends entry i of another list.
    void appendFrom(const FileList &other, std::size_t i);

    void reserve(std::size_t entries, std::size_t nameBytes);
    std::size_t memoryUsage() const;

private:
    std::uint32_t folderSlot(std::string_view folder);

    std::vector<std::string> m_folders;
    std::vector<std::uint32_t> m_folderBegin;
    std::vector<std::uint32_t> m_folderOf;
    std::vector<std::uint32_t> m_nameEnds;
    std::string m_names;
};

// Last-write times parallel to a FileList: entry j is the time of entry j.
using TimeList = std::vector<FileTime>;

struct Snapshot {
    FileList files;
    TimeList times;
};

} // namespace tarnwick
