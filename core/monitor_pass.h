#pragma once

#include "file_list.h"

#include <atomic>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

enum class ChangeKind { Added, Removed, Modified };

// "Added file", "Removed file" or "Modified file".
std::string_view ActionText(ChangeKind kind);

struct Change {
    ChangeKind kind;
    std::string path;

    bool operator==(const Change &) const = default;
};

struct PassFailure {
    std::string folder;
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

// The snapshots of the previous pass, kept by folder path (ending with a separator), so that removing,
// clearing or reordering listed folders never makes one folder be compared with another's snapshot.
class SnapshotStore
{
public:
    const Snapshot *find(const std::string &folder) const;
    void store(const std::string &folder, Snapshot snapshot);
    std::size_t size() const { return m_snapshots.size(); }
    void clear() { m_snapshots.clear(); }
    std::size_t memoryUsage() const;

private:
    std::unordered_map<std::string, Snapshot> m_snapshots;
};

// One inspection of the listed folders. Every folder that exists is recorded anew; where the store holds a
// previous snapshot of it, the differences are reported. A folder that is missing keeps its old snapshot.
// A directory that exists but cannot be read keeps the entries its previous snapshot held below it, so its
// files do not look removed. Cancellation (checked between directories) leaves the store as it was for the
// folder being walked and reports what was found before.
PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel = nullptr);

// Builds the snapshot of one folder tree (the folder ending with a separator). Directories that cannot be
// read are listed in unreadable. Returns false when cancelled.
bool RecordSnapshot(const std::string &folder, Snapshot &snapshot, std::vector<std::string> &unreadable,
                    std::vector<PassFailure> &failures, const std::atomic<bool> *cancel);

// What changed between two snapshots of one folder tree, in report order. Each snapshot holds a path at most
// once, as a walk gives it.
std::vector<Change> CompareSnapshots(const Snapshot &previous, const Snapshot &current);

} // namespace tarnwick
