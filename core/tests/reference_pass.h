#pragma once

#include "core/monitor_pass.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::testing {

// The monitoring pass made as plainly as possible, to check the engine against: every listed folder walks its
// own tree and keeps its own snapshot, the comparison is a nested scan over full paths, and each change is
// reported once, under the first listed folder that reports it. Slow; for small trees only.
class ReferencePass
{
public:
    std::vector<Change> run(const std::vector<std::string> &folders);

private:
    struct Directory {
        bool known = false; // its contents were read (now, or carried over from an earlier pass)
        bool appearedNew = false; // unknown, and new to its recorded parent when first seen
        std::vector<std::pair<std::string, FileTime>> files;
        std::vector<std::string> subdirectories;
    };
    using Tree = std::map<std::string, Directory>; // by path, ending with a separator

    // How a walk met a directory, against the listed folder's previous snapshot.
    enum class Seen { Old, New, FirstTime };

    struct Walked {
        Tree tree;
        std::map<std::string, Seen> seen; // of the directories read
    };

    static std::optional<Walked> walk(const std::string &folder, const Tree *previous);
    static std::vector<Change> compare(const std::string &folder, const Tree &previous, const Walked &current);

    std::map<std::string, Tree> m_snapshots; // by listed folder
};

} // namespace tarnwick::testing
