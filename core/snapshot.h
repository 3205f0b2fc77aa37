#pragma once

#include "date.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a snapshot knows of one directory.
enum class DirectoryState : std::uint8_t {
    Recorded, // its files and subdirectories were read, at this pass or (carried over) at an earlier one
    Unknown, // it exists, but its contents were never read
    Gone, // its parent listed it, but it vanished before it could be read: as if it had not been listed
};

// The directories of the monitored trees at one pass, each held once: its path (a top directory's full path,
// or its parent and its name), the names and last-write times of its files in listing order, and its
// subdirectories in listing order. Directories are recorded breadth first, so the files of one directory lie
// together and so do its subdirectories. A directory is found by its path through a hash of that path.
class Snapshot
{
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // Flags kept with a directory.
    static constexpr std::uint8_t kCarried = 1; // taken over from the previous pass, not read at this one
    static constexpr std::uint8_t kAppearedNew = 2; // Unknown, and new to its recorded parent when first seen
    // Holds a symbolic link to a file or a file with other names: a time can change with no report about it.
    static constexpr std::uint8_t kVolatile = 4;
    // Taken over from the previous pass, which the change journal says it did not change: the same as there.
    static constexpr std::uint8_t kUnchanged = 8;

    std::uint32_t directoryCount() const { return static_cast<std::uint32_t>(m_directories.size()); }
    std::uint32_t fileCount() const { return static_cast<std::uint32_t>(m_fileTimes.size()); }

    bool isTop(std::uint32_t d) const { return m_directories[d].parent == kNone; }
    std::uint32_t parent(std::uint32_t d) const { return m_directories[d].parent; }
    // A top directory's name is its full path, ending with a separator.
    std::string_view name(std::uint32_t d) const
    {
        const std::uint32_t begin = d == 0 ? 0 : m_directories[d - 1].nameEnd;
        return std::string_view(m_directoryNames).substr(begin, m_directories[d].nameEnd - begin);
    }
    DirectoryState state(std::uint32_t d) const { return m_directories[d].state; }
    std::uint8_t flags(std::uint32_t d) const { return m_directories[d].flags; }
    std::uint64_t pathHash(std::uint32_t d) const { return m_directories[d].hash; }
    std::uint32_t firstChild(std::uint32_t d) const { return m_directories[d].firstChild; }
    std::uint32_t childEnd(std::uint32_t d) const { return m_directories[d].firstChild + m_directories[d].childCount; }
    std::uint32_t firstFile(std::uint32_t d) const { return d == 0 ? 0 : m_directories[d - 1].fileEnd; }
    std::uint32_t fileEnd(std::uint32_t d) const { return m_directories[d].fileEnd; }

    std::string_view fileName(std::uint32_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : m_fileNameEnds[i - 1];
        return std::string_view(m_fileNames).substr(begin, m_fileNameEnds[i] - begin);
    }
    FileTime fileTime(std::uint32_t i) const { return m_fileTimes[i]; }

    // The full path of a directory, ending with a separator.
    std::string path(std::uint32_t d) const;
    void appendPath(std::uint32_t d, std::string &out) const;
    bool hasPath(std::uint32_t d, std::string_view path) const;
    // The directory with the path (ending with a separator), or kNone. Gone directories are never found.
    // Needs finish().
    std::uint32_t find(std::string_view path) const;
    // The directory with the path of directory d of another snapshot, or kNone; parentMatch is the one with the
    // path of d's parent (kNone when there is none, or d is a top). Needs finish().
    std::uint32_t findSame(const Snapshot &other, std::uint32_t d, std::uint32_t parentMatch) const;

    // Building: directories are added as tops or as subdirectories of the directory being filled, and filled
    // in the order they were added, each between beginDirectory() and endDirectory().
    std::uint32_t addTop(std::string_view path);
    void beginDirectory();
    std::uint32_t addSubdirectory(std::string_view name);
    void addFile(std::string_view name, FileTime time);
    // A listing's files: the names back to back, each ending at its nameEnds entry.
    void addFiles(std::string_view names, const std::vector<std::uint32_t> &nameEnds,
                  const std::vector<FileTime> &times);
    // Files first to end of another snapshot.
    void copyFiles(const Snapshot &from, std::uint32_t first, std::uint32_t end);
    // Another time for a file of the directory being filled.
    void setFileTime(std::uint32_t i, FileTime time) { m_fileTimes[i] = time; }
    void endDirectory(DirectoryState state, std::uint8_t flags = 0);
    // The directory that beginDirectory() opened, or the next one to be filled.
    std::uint32_t filling() const { return m_filled; }
    // Room for about as much as another snapshot holds, so that an unchanged tree is recorded without regrowth.
    void reserveLike(const Snapshot &other);
    // Ends the building: every directory added has been filled. Builds the index of paths.
    void finish();

    static std::uint64_t HashPath(std::string_view path, std::uint64_t seed = kHashSeed);

private:
    static constexpr std::uint64_t kHashSeed = 0xCBF29CE484222325ULL;

    struct Directory {
        std::uint64_t hash;
        std::uint32_t parent;
        std::uint32_t nameEnd;
        std::uint32_t fileEnd;
        std::uint32_t firstChild;
        std::uint32_t childCount;
        DirectoryState state;
        std::uint8_t flags;
    };

    std::uint32_t addDirectory(std::uint32_t parent, std::string_view name, std::uint64_t hash);
    // Calls match with each directory whose path has the hash until it returns true; gives that one or kNone.
    template<typename Match>
    std::uint32_t probe(std::uint64_t hash, Match &&match) const;
    void checkFileRoom(std::size_t files, std::size_t nameBytes) const;

    std::vector<Directory> m_directories;
    std::string m_directoryNames;
    std::string m_fileNames;
    std::vector<std::uint32_t> m_fileNameEnds;
    std::vector<FileTime> m_fileTimes;
    std::vector<std::uint32_t> m_index; // directory + 1 by path hash, open addressing; 0 is empty
    std::uint32_t m_filled = 0;
    bool m_open = false;
};

} // namespace tarnwick
