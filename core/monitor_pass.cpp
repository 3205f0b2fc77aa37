#include "monitor_pass.h"

#include "enumeration.h"
#include "path_index.h"
#include "paths.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace tarnwick {

std::string_view ActionText(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Added:
        return "Added file";
    case ChangeKind::Removed:
        return "Removed file";
    case ChangeKind::Modified:
        return "Modified file";
    }
    return {};
}

const Snapshot *SnapshotStore::find(const std::string &folder) const
{
    const auto it = m_snapshots.find(folder);
    return it == m_snapshots.end() ? nullptr : &it->second;
}

void SnapshotStore::store(const std::string &folder, Snapshot snapshot)
{
    m_snapshots.insert_or_assign(folder, std::move(snapshot));
}

std::size_t SnapshotStore::memoryUsage() const
{
    std::size_t bytes = 0;
    for (const auto &[folder, snapshot] : m_snapshots)
        bytes += folder.capacity() + snapshot.files.memoryUsage() + snapshot.times.capacity() * sizeof(FileTime);
    return bytes;
}

bool RecordSnapshot(const std::string &folder, Snapshot &snapshot, std::vector<std::string> &unreadable,
                    std::vector<PassFailure> &failures, const std::atomic<bool> *cancel)
{
    const FolderVisitor visit = [&](const std::string &directory, DirectoryContents &contents) {
        switch (contents.status) {
        case ReadStatus::Ok:
            snapshot.files.appendFolder(directory, contents.names, contents.nameEnds);
            snapshot.times.insert(snapshot.times.end(), contents.times.begin(), contents.times.end());
            break;
        case ReadStatus::Vanished:
            break;
        case ReadStatus::Failed:
            failures.push_back({directory, contents.error});
            unreadable.push_back(directory);
            break;
        case ReadStatus::Unreadable:
            unreadable.push_back(directory);
            break;
        }
    };
    return WalkTree({folder}, true, ReadOptions {true, true}, cancel, visit);
}

namespace {

// The entries of the previous snapshot that lie in or below a directory that could not be read this time
// are taken over unchanged: nothing is known about them, and they must not look removed.
void carryOver(const Snapshot &previous, const std::vector<std::string> &unreadable, Snapshot &snapshot)
{
    const std::unordered_set<std::string_view> blocked(unreadable.begin(), unreadable.end());
    std::vector<char> carried(previous.files.folders().size(), 0);
    for (std::size_t f = 0; f < carried.size(); ++f) {
        std::string_view folder = previous.files.folders()[f];
        while (!folder.empty()) {
            if (blocked.contains(folder)) {
                carried[f] = 1;
                break;
            }
            // up to the parent, keeping its separator
            const std::size_t cut = folder.rfind(kSeparator, folder.size() - 2);
            if (folder.size() < 2 || cut == std::string_view::npos)
                break;
            folder = folder.substr(0, cut + 1);
        }
    }
    for (std::size_t i = 0; i < previous.files.size(); ++i) {
        if (carried[previous.files.folderIndex(i)]) {
            snapshot.files.appendFrom(previous.files, i);
            snapshot.times.push_back(previous.times[i]);
        }
    }
}

} // namespace

namespace {

// The general comparison over hash indexes of whole paths.
std::vector<Change> compareByIndex(const Snapshot &previous, const Snapshot &current)
{
    const FolderIds ids(current.files, previous.files);
    const std::vector<std::uint32_t> &currentIds = ids.first();
    const std::vector<std::uint32_t> &previousIds = ids.second();
    const PathIndex previousIndex(previous.files, previousIds);

    std::vector<Change> changes;
    std::vector<std::size_t> modified;
    for (std::size_t i = 0; i < current.files.size(); ++i) {
        const std::uint32_t folder = currentIds[current.files.folderIndex(i)];
        const std::string_view name = current.files.name(i);
        bool found = false;
        previousIndex.forEachEqual(folder, name, [&](std::size_t j) {
            found = true;
            if (IsLater(current.times[i], previous.times[j]))
                modified.push_back(i);
        });
        if (!found)
            changes.push_back({ChangeKind::Added, current.files.path(i)});
    }

    const PathIndex currentIndex(current.files, currentIds);
    for (std::size_t j = 0; j < previous.files.size(); ++j) {
        if (!currentIndex.contains(previousIds[previous.files.folderIndex(j)], previous.files.name(j)))
            changes.push_back({ChangeKind::Removed, previous.files.path(j)});
    }
    for (const std::size_t i : modified)
        changes.push_back({ChangeKind::Modified, current.files.path(i)});
    return changes;
}

// The folder texts of a list, each with its one slot; nothing when a folder's entries lie apart.
std::optional<std::unordered_map<std::string_view, std::size_t>> slotsByFolder(const FileList &files)
{
    std::unordered_map<std::string_view, std::size_t> slots;
    slots.reserve(files.folders().size());
    for (std::size_t slot = 0; slot < files.folders().size(); ++slot)
        if (!slots.emplace(files.folders()[slot], slot).second)
            return std::nullopt;
    return slots;
}

} // namespace

std::vector<Change> CompareSnapshots(const Snapshot &previous, const Snapshot &current)
{
    // Two snapshots of one tree list each folder's files together, mostly in the same order. Matching them
    // folder by folder, side by side while the names agree, avoids hashing every path; the result is the
    // same as the general comparison's.
    const auto previousSlots = slotsByFolder(previous.files);
    if (!previousSlots || !slotsByFolder(current.files))
        return compareByIndex(previous, current);

    const FileList &now = current.files;
    const FileList &before = previous.files;
    std::vector<Change> changes;
    std::vector<std::size_t> modified;
    std::vector<char> matched(before.size(), 0);
    auto match = [&](std::size_t i, std::size_t j) {
        matched[j] = 1;
        if (IsLater(current.times[i], previous.times[j]))
            modified.push_back(i);
    };
    std::unordered_map<std::string_view, std::size_t> names;
    for (std::size_t slot = 0; slot < now.folders().size(); ++slot) {
        std::size_t i = now.folderBegin(slot);
        const std::size_t end = now.folderEnd(slot);
        const auto other = previousSlots->find(now.folders()[slot]);
        if (other == previousSlots->end()) {
            for (; i < end; ++i)
                changes.push_back({ChangeKind::Added, now.path(i)});
            continue;
        }
        std::size_t j = before.folderBegin(other->second);
        const std::size_t otherEnd = before.folderEnd(other->second);
        for (; i < end && j < otherEnd && now.name(i) == before.name(j); ++i, ++j)
            match(i, j);
        if (i == end)
            continue;
        names.clear();
        for (; j < otherEnd; ++j)
            names.emplace(before.name(j), j);
        for (; i < end; ++i) {
            const auto found = names.find(now.name(i));
            if (found != names.end())
                match(i, found->second);
            else
                changes.push_back({ChangeKind::Added, now.path(i)});
        }
    }
    for (std::size_t j = 0; j < before.size(); ++j)
        if (!matched[j])
            changes.push_back({ChangeKind::Removed, before.path(j)});
    for (const std::size_t i : modified)
        changes.push_back({ChangeKind::Modified, now.path(i)});
    return changes;
}

PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel)
{
    PassResult result;
    std::unordered_set<std::string> walked;
    std::unordered_set<std::string> reported[3];
    for (const std::string &listed : folders) {
        if (cancel != nullptr && cancel->load()) {
            result.cancelled = true;
            break;
        }
        const std::string folder = WithTrailingSeparator(listed);
        // a folder listed twice is inspected once, against its one snapshot
        if (!walked.insert(folder).second || !FolderExists(folder))
            continue;

        Snapshot snapshot;
        std::vector<std::string> unreadable;
        if (!RecordSnapshot(folder, snapshot, unreadable, result.failures, cancel)) {
            result.cancelled = true;
            break;
        }
        const Snapshot *previous = store.find(folder);
        if (previous != nullptr) {
            if (!unreadable.empty())
                carryOver(*previous, unreadable, snapshot);
            for (Change &change : CompareSnapshots(*previous, snapshot)) {
                // a file below several listed folders is reported once
                if (folders.size() == 1 || reported[static_cast<int>(change.kind)].insert(change.path).second)
                    result.changes.push_back(std::move(change));
            }
        }
        result.filesSeen += snapshot.files.size();
        store.store(folder, std::move(snapshot));
    }
    return result;
}

} // namespace tarnwick
