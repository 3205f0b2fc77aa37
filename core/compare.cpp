#include "compare.h"

#include "path_index.h"

namespace tarnwick {

std::vector<std::size_t> ListMissing(const FileList &list, const FileList &other)
{
    const FolderIds ids(list, other);
    const PathIndex index(other, ids.second());
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!index.contains(ids.first()[list.folderIndex(i)], list.name(i)))
            missing.push_back(i);
    }
    return missing;
}

std::vector<std::size_t> ListModified(const FileList &current, const TimeList &currentTimes, const FileList &previous,
                                      const TimeList *stored)
{
    std::vector<std::size_t> modified;
    if (stored == nullptr)
        return modified;
    const FolderIds ids(current, previous);
    const PathIndex index(previous, ids.second());
    for (std::size_t i = 0; i < current.size(); ++i) {
        index.forEachEqual(ids.first()[current.folderIndex(i)], current.name(i), [&](std::size_t j) {
            if (IsLater(currentTimes[i], (*stored)[j]))
                modified.push_back(i);
        });
    }
    return modified;
}

} // namespace tarnwick
