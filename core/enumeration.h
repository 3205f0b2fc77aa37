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
    Unreadable, // exists, but listing it was refused or broke off (permission, I/O error)
    Failed, // any other failure; described in DirectoryContents::error
};

struct DirectoryContents {
    ReadStatus status = ReadStatus::Ok;
    std::string error;

    // The files, in the order the directory lists them: names back to back, each ending at its nameEnds entry.
    std::string names;
    std::vector<std::uint32_t> nameEnds;
    std::vector<FileTime> times;

    // Qualifying subfolders (names only), in the order the directory lists them.
    std::vector<std::string> subfolders;

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

// Lists one directory (path ending with a separator). Subfolders that never qualify are left out: names with
// unsafe characters, "." and "..", symbolic links (never followed, so a link loop cannot hang a walk), paths
// over the platform's limit. Files are the entries FileIsPresent accepts, with names free of control characters.
DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options);

// Called for every folder of a walk, on the calling thread, in breadth-first order.
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

// Appends to the collection the qualifying subfolders of its entries, level by level (or only the direct
// ones when recurse is false), each the parent's path, the name and a separator. An entry that does not exist
// stays but adds nothing; an entry that vanished or cannot be listed is taken out. Other failures leave the
// entry in place and come back to the caller.
std::vector<EnumerationFailure> GetSubDirectories2016(std::vector<std::string> &folders, bool recurse,
                                                      const std::atomic<bool> *cancel = nullptr);

// The names of the files in a folder that match the pattern ("*" and "?" wildcards; "*.*" matches every
// name), hidden files included, subfolders left out, in the order the directory lists them.
std::vector<std::string> ListFiles(const std::string &folder, std::string_view pattern);

// True when the path is a regular file that can be reached (a link to one counts). Never opens the file,
// so FIFOs and devices cannot block it.
bool FileIsPresent(const std::string &path);

} // namespace tarnwick
