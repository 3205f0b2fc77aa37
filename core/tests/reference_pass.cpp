#include "reference_pass.h"

#include "core/paths.h"
#include "temp_tree.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <set>

namespace tarnwick::testing {

namespace {

enum class Read { Ok, Vanished, Unreadable };

Read readDirectory(const std::string &path, std::vector<std::pair<std::string, FileTime>> &files,
                   std::vector<std::string> &subdirectories)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(PathOf(path), error);
    if (error)
        return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ? Read::Vanished
                                                                                                    : Read::Unreadable;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const fs::path entry = it->path();
        const std::string name = TextOf(entry.filename());
        const fs::file_status own = fs::symlink_status(entry, error);
        if (error)
            return Read::Unreadable;
        if (fs::is_directory(own)) {
            subdirectories.push_back(name);
            continue;
        }
        if (name.front() == '~')
            continue;
        const fs::file_status target = fs::status(entry, error);
        if (error || !fs::is_regular_file(target))
            continue;
        const auto written = fs::last_write_time(entry, error);
        if (error)
            return Read::Unreadable;
        const auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
        files.emplace_back(name, static_cast<FileTime>(seconds.time_since_epoch().count()));
    }
    return error ? Read::Unreadable : Read::Ok;
}

} // namespace

std::optional<ReferencePass::Walked> ReferencePass::walk(const std::string &folder, const Tree *previous)
{
    Walked walked;
    Tree &tree = walked.tree;
    auto known = [&](const std::string &path) -> const Directory * {
        if (previous == nullptr)
            return nullptr;
        const auto it = previous->find(path);
        return it == previous->end() ? nullptr : &it->second;
    };
    // takes over what the previous snapshot held at and below a directory that cannot be read now
    auto carry = [&](const std::string &path, bool isNew) {
        const Directory *before = known(path);
        if (before == nullptr) {
            tree[path] = Directory {false, isNew, {}, {}};
            return;
        }
        std::deque<std::string> queue {path};
        while (!queue.empty()) {
            const std::string at = queue.front();
            queue.pop_front();
            const Directory *old = known(at);
            if (old == nullptr)
                continue;
            tree[at] = *old;
            if (at == path && !old->known)
                tree[at].appearedNew = old->appearedNew || isNew;
            for (const std::string &name : old->subdirectories)
                queue.push_back(at + name + kSeparator);
        }
    };

    const Directory *root = known(folder);
    std::deque<std::pair<std::string, Seen>> queue {
        {folder, root != nullptr && root->known ? Seen::Old : Seen::FirstTime}};
    while (!queue.empty()) {
        const auto [path, seen] = queue.front();
        queue.pop_front();
        Directory directory;
        directory.known = true;
        const Read read = readDirectory(path, directory.files, directory.subdirectories);
        if (read == Read::Vanished) {
            if (path == folder)
                return std::nullopt;
            continue;
        }
        if (read == Read::Unreadable) {
            carry(path, seen == Seen::New);
            continue;
        }
        for (const std::string &name : directory.subdirectories) {
            const std::string child = path + name + kSeparator;
            Seen childSeen = seen;
            if (seen == Seen::Old) {
                const Directory *before = known(child);
                const Directory *parent = known(path);
                const bool held = std::find(parent->subdirectories.begin(), parent->subdirectories.end(), name) !=
                    parent->subdirectories.end();
                if (!held || before == nullptr)
                    childSeen = Seen::New;
                else if (before->known)
                    childSeen = Seen::Old;
                else
                    childSeen = before->appearedNew ? Seen::New : Seen::FirstTime;
            }
            queue.emplace_back(child, childSeen);
        }
        tree[path] = std::move(directory);
        walked.seen[path] = seen;
    }
    return walked;
}

std::vector<Change> ReferencePass::compare(const std::string &folder, const Tree &previous, const Walked &current)
{
    struct Entry {
        std::string path;
        FileTime time;
        std::string directory;
    };
    // the files of a tree, breadth first
    auto flatten = [&](const Tree &tree) {
        std::vector<Entry> entries;
        std::deque<std::string> queue {folder};
        while (!queue.empty()) {
            const std::string path = queue.front();
            queue.pop_front();
            const auto it = tree.find(path);
            if (it == tree.end())
                continue;
            for (const auto &[name, time] : it->second.files)
                entries.push_back({path + name, time, path});
            for (const std::string &name : it->second.subdirectories)
                queue.push_back(path + name + kSeparator);
        }
        return entries;
    };
    const std::vector<Entry> before = flatten(previous);
    const std::vector<Entry> now = flatten(current.tree);
    auto contains = [](const std::vector<Entry> &list, const std::string &path) {
        for (const Entry &entry : list)
            if (entry.path == path)
                return true;
        return false;
    };
    std::vector<Change> changes;
    for (const Entry &entry : now) {
        const auto seen = current.seen.find(entry.directory);
        if (seen != current.seen.end() && seen->second == Seen::FirstTime)
            continue;
        if (!contains(before, entry.path))
            changes.push_back({ChangeKind::Added, ShownPath(entry.path)});
    }
    for (const Entry &entry : before)
        if (!contains(now, entry.path))
            changes.push_back({ChangeKind::Removed, ShownPath(entry.path)});
    for (const Entry &entry : now)
        for (const Entry &old : before)
            if (entry.path == old.path && FileTimeToDate(entry.time) > FileTimeToDate(old.time))
                changes.push_back({ChangeKind::Modified, ShownPath(entry.path)});
    return changes;
}

std::vector<Change> ReferencePass::run(const std::vector<std::string> &folders)
{
    std::vector<Change> changes;
    std::set<std::pair<ChangeKind, std::string>> reported;
    std::set<std::string> done;
    for (const std::string &listed : folders) {
        const std::string folder = WithTrailingSeparator(listed);
        if (!done.insert(folder).second)
            continue;
        const auto before = m_snapshots.find(folder);
        const Tree *previous = before == m_snapshots.end() ? nullptr : &before->second;
        std::optional<Walked> current = walk(folder, previous);
        if (!current)
            continue; // missing: the snapshot is kept
        if (previous != nullptr) {
            for (Change &change : compare(folder, *previous, *current))
                if (reported.emplace(change.kind, change.path).second)
                    changes.push_back(std::move(change));
        }
        m_snapshots[folder] = std::move(current->tree);
    }
    return changes;
}

} // namespace tarnwick::testing
