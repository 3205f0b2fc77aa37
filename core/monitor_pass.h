#pragma once

#include "snapshot.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class ChangeJournal;
class JournalPass;

enum class ChangeKind { Added, Removed, Modified };

// "Added file", "Removed file" or "Modified file".
std::string_view ActionText(ChangeKind kind);

struct Change {
    ChangeKind kind;
    std::string path; // as ShownPath shows it

    bool operator==(const Change &) const = default;
};

struct PassFailure {
    std::string folder; // as ShownPath shows it
    std::string description;
};

struct PassResult {
    // Folders in list order; within a folder additions in new order, removals in previous order,
    // modifications in new order; each change once, however many listed folders hold the file.
    std::vector<Change> changes;
    std::vector<PassFailure> failures;
    bool cancelled = false;
    std::size_t filesSeen = 0;
};

// What the previous pass recorded: every directory of the listed trees once, whatever the number of listed
// folders that hold it. Keyed by path, so removing, clearing or reordering listed folders never makes one
// folder be compared with another's snapshot.
class SnapshotStore
{
public:
    const Snapshot &snapshot() const { return m_snapshot; }

private:
    friend struct PassRunner;
    friend class JournalPass;
    Snapshot m_snapshot;
    std::uint64_t m_stamp = 0; // which pass left it, unique in the process; 0 for none
};

struct PassOptions {
    // What changed since the last pass, so that only that is read; nothing: everything is read.
    ChangeJournal *journal = nullptr;
    // Every directory is read whatever the journal says ("Monitor Folder Now (Test)", and at least hourly: a
    // write through a shared memory map makes no report).
    bool walk = false;
};

// One inspection of the listed folders (as the user listed them, with or without a trailing separator, in list
// order; duplicates and nesting allowed). Each directory below them is read at most once. Where a folder's tree
// was recorded before, the differences are reported, each change once, under the first listed folder whose tree
// holds it. A directory read for the first time (a listed folder never recorded, or a subfolder known to exist
// whose contents were never read) is recorded silently; a directory new to its recorded parent is reported with
// all its files added. A listed folder that is missing keeps its snapshot. A directory that exists but cannot be
// read keeps what the previous pass recorded below it, so its files do not look removed. Afterwards the store
// holds only what the listed folders need. A pass that is cancelled, or that throws, leaves the store as it was.
PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel = nullptr);
// The same, guided by a change journal where one is given: it reports exactly what the walk would.
PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel, const PassOptions &options);

// The listed folders each with a separator at the end, duplicates dropped, in list order.
std::vector<std::string> ListedFolders(const std::vector<std::string> &folders);

// Records the trees below the listed folders (as ListedFolders gives them) in one walk, reading each directory
// once. What cannot be read is taken over from previous. Failures to read are appended to failures. Nothing when
// cancelled (checked between directories).
std::optional<Snapshot> RecordSnapshot(const std::vector<std::string> &folders, const Snapshot &previous,
                                       std::vector<PassFailure> &failures, const std::atomic<bool> *cancel);

// What changed between two snapshots, as seen from each listed folder (as ListedFolders gives them), in report
// order. Each directory is compared once, however many listed folders hold it.
std::vector<Change> CompareSnapshots(const Snapshot &previous, const Snapshot &current,
                                     const std::vector<std::string> &folders);

} // namespace tarnwick
