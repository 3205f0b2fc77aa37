#pragma once

#include "date.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What reading one directory gave.
enum class ReadStatus {
    Ok,
    Vanished, // gone, or no longer a directory
    Unreadable, // exists, but its names cannot be listed or its entries cannot be examined (permission, I/O error)
    Failed, // any other failure; described in DirectoryContents::error
};

struct DirectoryContents {
    ReadStatus status = ReadStatus::Ok;
    std::string error;

    // The files, in the order the directory lists them: names back to back, each ending at its nameEnds entry.
    std::string names;
    std::vector<std::uint32_t> nameEnds;
    std::vector<FileTime> times;

    // The subdirectories (names only), in the order the directory lists them.
    std::vector<std::string> subfolders;

    // Files whose times can change with no report about this directory: a file with other names (hard links),
    // which can be written under those, and a symbolic link to a file, whose time is that of a file elsewhere.
    bool hardLinks = false;
    bool symbolicLinks = false;

    std::size_t fileCount() const { return nameEnds.size(); }
    std::string_view fileName(std::size_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : nameEnds[i - 1];
        return std::string_view(names).substr(begin, nameEnds[i] - begin);
    }
};

struct ReadOptions {
    bool files = true; // list files with their times; false lists subfolders only
    bool skipTilde = false; // leave out files whose names begin with "~"
};

// Lists one directory (path ending with a separator, which may be reached through a symbolic link). Every name
// is taken, however long the path and whatever bytes the name holds. Subfolders are real directories: symbolic
// links are never followed, so a link loop cannot hang a walk ("." and ".." are left out; on Windows so are
// folders that are exactly hidden and system). Files are regular files or symbolic links to one; FIFOs, sockets
// and devices are left out and never opened.
DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options);

// Called for every folder of a walk, on the calling thread, in breadth-first order. The visitor may take names
// out of contents.subfolders: those are not walked.
using FolderVisitor = std::function<void(const std::string &folder, DirectoryContents &contents)>;

// Walks the trees below the given folders (each ending with a separator) level by level: the folders
// themselves, then all their children (children of the first folder first, each in listing order), then the
// grandchildren, and so on. Each level is read on several threads and handed to the visitor in order.
// Returns false when cancelled (checked between directories).
bool WalkTree(const std::vector<std::string> &folders, bool recurse, const ReadOptions &options,
              const std::atomic<bool> *cancel, const FolderVisitor &visit);

struct EnumerationFailure {
    std::string folder;
    std::string description;
};

// Appends to the collection the subfolders of its entries, level by level (or only the direct ones when
// recurse is false), each the parent's path, the name and a separator. A subfolder whose name cannot be shown
// as it is (HasUnsafeChars) or whose path is over the platform's limit is left out with everything below it.
// An entry that does not exist stays but adds nothing; an entry that vanished or cannot be listed is taken
// out. Other failures leave the entry in place and come back to the caller.
std::vector<EnumerationFailure> GetSubDirectories2016(std::vector<std::string> &folders, bool recurse,
                                                      const std::atomic<bool> *cancel = nullptr);

} // namespace tarnwick
