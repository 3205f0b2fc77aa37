#include "monitor_pass.h"

#include "platform.h"

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

PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel)
{
    // The new snapshot is built apart and takes the old one's place only at the end, so that a pass that is
    // cancelled or fails part-way leaves the store as it was and the next pass reports what this one missed.
    const std::vector<std::string> listed = ListedFolders(folders);
    PassResult result;
    std::optional<Snapshot> current = RecordSnapshot(listed, store.m_snapshot, result.failures, cancel);
    if (current) {
        result.changes = CompareSnapshots(store.m_snapshot, *current, listed);
        result.filesSeen = current->fileCount();
    }
    if (!current || (cancel != nullptr && cancel->load()))
        return PassResult {{}, {}, true, 0};
    // swapped, not moved: a moved-to string keeps its old buffer when the new text is short
    std::swap(store.m_snapshot, *current);
    current.reset();
    platform::ReleaseFreedMemory();
    return result;
}

} // namespace tarnwick
