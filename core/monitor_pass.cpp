#include "monitor_pass.h"

#include "journal_pass.h"
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

struct PassRunner {
    static PassResult run(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel, const PassOptions &options)
    {
        // The new snapshot is built apart and takes the old one's place only at the end, so that a pass that is
        // cancelled or fails part-way leaves the store as it was and the next pass reports what this one missed.
        const std::vector<std::string> listed = ListedFolders(folders);
        PassResult result;
        std::optional<JournalPass> journal;
        if (options.journal != nullptr) {
            journal.emplace(*options.journal, store, listed, options.walk);
            if (journal->unchanged()) {
                journal->keep();
                result.filesSeen = store.m_snapshot.fileCount();
                return result;
            }
        }
        JournalPass *guide = journal ? &*journal : nullptr;
        std::optional<Snapshot> current = RecordSnapshot(listed, store.m_snapshot, result.failures, cancel, guide);
        if (current && guide != nullptr && guide->walkRequested()) {
            guide->walkEverything();
            result.failures.clear();
            current = RecordSnapshot(listed, store.m_snapshot, result.failures, cancel, guide);
        }
        if (current) {
            result.changes = CompareSnapshots(store.m_snapshot, *current, listed);
            result.filesSeen = current->fileCount();
        }
        if (!current || (cancel != nullptr && cancel->load()))
            return PassResult {{}, {}, true, 0};
        const std::uint64_t stamp = nextStamp();
        if (guide != nullptr)
            guide->commit(*current, stamp);
        // swapped, not moved: a moved-to string keeps its old buffer when the new text is short
        std::swap(store.m_snapshot, *current);
        store.m_stamp = stamp;
        current.reset();
        platform::ReleaseFreedMemory();
        return result;
    }

    static std::uint64_t nextStamp()
    {
        static std::atomic<std::uint64_t> last {0};
        return ++last;
    }
};

PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel)
{
    return PassRunner::run(folders, store, cancel, PassOptions {});
}

PassResult RunMonitorPass(const std::vector<std::string> &folders, SnapshotStore &store,
                          const std::atomic<bool> *cancel, const PassOptions &options)
{
    return PassRunner::run(folders, store, cancel, options);
}

} // namespace tarnwick
