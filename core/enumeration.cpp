#include "enumeration.h"

#include "directory_reader.h"
#include "paths.h"
#include "platform.h"

#include <algorithm>

namespace tarnwick {

DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options)
{
    return platform::ReadDirectory(WithTrailingSeparator(folder), options, true);
}

bool WalkTree(const std::vector<std::string> &folders, bool recurse, const ReadOptions &options,
              const std::atomic<bool> *cancel, const FolderVisitor &visit)
{
    std::vector<std::string> level = folders;
    bool top = true;
    while (!level.empty()) {
        std::vector<ReadRequest> requests;
        requests.reserve(level.size());
        for (const std::string &folder : level)
            requests.push_back({folder, top});
        DirectoryReader reader(std::move(requests), options, cancel);
        std::vector<std::string> next;
        for (const std::string &folder : level) {
            std::optional<DirectoryContents> contents = reader.next();
            if (!contents)
                return false;
            visit(folder, *contents);
            if (recurse && contents->status == ReadStatus::Ok) {
                for (const std::string &name : contents->subfolders) {
                    std::string child = folder;
                    child.append(name);
                    child.push_back(kSeparator);
                    next.push_back(std::move(child));
                }
            }
        }
        level = std::move(next);
        top = false;
    }
    return cancel == nullptr || !cancel->load();
}

std::vector<EnumerationFailure> GetSubDirectories2016(std::vector<std::string> &folders, bool recurse,
                                                      const std::atomic<bool> *cancel)
{
    std::vector<EnumerationFailure> failures;
    std::vector<std::string> roots;
    for (const std::string &folder : folders) {
        if (FolderExists(folder) && !platform::PathTooLong(folder, {}))
            roots.push_back(WithTrailingSeparator(folder));
    }
    std::vector<std::string> found;
    std::size_t rootsVisited = 0;
    const FolderVisitor visit = [&](const std::string &folder, DirectoryContents &contents) {
        const bool isRoot = rootsVisited < roots.size();
        if (isRoot)
            ++rootsVisited;
        switch (contents.status) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::Vanished:
        case ReadStatus::Unreadable:
            if (isRoot) {
                // the first entry equal to the folder is taken out
                const auto it = std::find_if(folders.begin(), folders.end(), [&](const std::string &entry) {
                    return WithTrailingSeparator(entry) == folder;
                });
                if (it != folders.end())
                    folders.erase(it);
            }
            return;
        case ReadStatus::Failed:
            failures.push_back({ShownPath(folder), contents.error});
            break;
        }
        if (!isRoot)
            found.push_back(folder);
        // a row is a path that can be shown as it is; the files below are monitored through the listed parent
        std::erase_if(contents.subfolders, [&](const std::string &name) {
            return HasUnsafeChars(name) || platform::PathTooLong(folder, name);
        });
        if (!recurse) {
            for (const std::string &name : contents.subfolders)
                found.push_back(folder + name + kSeparator);
        }
    };
    WalkTree(roots, recurse, ReadOptions {false, false}, cancel, visit);
    folders.insert(folders.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return failures;
}

} // namespace tarnwick
