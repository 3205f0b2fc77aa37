#pragma once

// One pass's use of the change journal, internal to core: RunMonitorPass makes one, the walk asks it which trees
// it may take over, which directories changed, and adds the watches before it reads.

#include "change_journal.h"
#include "monitor_pass.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarnwick {

class JournalPass
{
public:
    // Takes what the journal gathered since the last pass, after reading what is queued now. walk: every
    // directory is read (and watched), whatever the journal says.
    JournalPass(ChangeJournal &journal, const SnapshotStore &store, const std::vector<std::string> &listed, bool walk);
    // A pass that did not commit (cancelled, failed) took the journal's findings with it: every tree walks next.
    ~JournalPass();
    JournalPass(const JournalPass &) = delete;
    JournalPass &operator=(const JournalPass &) = delete;

    // Nothing changed since the store was recorded and nothing of it must be read again: the store is current.
    bool unchanged() const { return m_unchanged; }
    // The unchanged store stays as it is.
    void keep() { m_committed = true; }

    // The walk starts a tree at a top (its index in the snapshot being built); gives the tree's number.
    std::uint32_t startTree(std::uint32_t top, const std::string &path);
    // Whether directories of the tree that did not change are taken over (else the tree is walked in full).
    bool guided(std::uint32_t tree) const { return m_trees[tree].guided; }
    // Whether the entries of the directory changed; whether it arrived, with all below it.
    bool dirty(const std::string &path) const { return m_dirty.contains(path); }
    // What reports said of the directory's entries; nothing when it did not change.
    const ChangedEntries *changes(const std::string &path) const
    {
        const auto found = m_dirty.find(path);
        return found == m_dirty.end() ? nullptr : &found->second;
    }
    bool arrived(const std::string &path) const { return m_arrived.contains(path); }
    // Watches a directory of the tree before it is read (top: the tree's top). Called by the reading threads.
    void beforeRead(std::uint32_t tree, const std::string &path, bool top);

    // A directory read on a report holds a file with several names: a write under another name may have changed
    // a directory that no report names, so the pass must walk everything.
    void requestWalk() { m_walkRequested = true; }
    bool walkRequested() const { return m_walkRequested; }
    // From now on every tree is walked in full; the walk starts again.
    void walkEverything();

    // The pass recorded current (the store's next state, under the given stamp) from the listed folders.
    void commit(const Snapshot &current, std::uint64_t stamp);

private:
    struct Tree {
        std::string path;
        std::uint32_t top = 0;
        bool guided = false;
        bool watching = false; // its directories are being watched
        bool failed = false; // a watch could not be added: the tree is not covered
        std::uint64_t breaksAtStart = 0;
        std::optional<FileIdentity> identity;
    };

    std::size_t watchLimit();

    ChangeJournal &m_journal;
    std::vector<std::string> m_listed;
    bool m_walk;
    bool m_open = false; // the journal was not closed when the pass began
    bool m_stampMatches = false; // the store is the one the journal's last pass left
    std::uint64_t m_overflowsAtStart = 0;
    bool m_unchanged = false;
    bool m_committed = false;
    bool m_walkRequested = false;
    bool m_recountLimit = false; // a tree is walked in full with watches: count the watches in use afresh
    std::optional<std::size_t> m_limit;
    std::unordered_map<std::string, ChangedEntries> m_dirty;
    std::unordered_set<std::string> m_arrived;
    std::vector<Tree> m_trees;
};

// RecordSnapshot, guided by the journal: directories of guided trees that did not change are taken over from
// previous, and every directory is watched before it is read.
std::optional<Snapshot> RecordSnapshot(const std::vector<std::string> &folders, const Snapshot &previous,
                                       std::vector<PassFailure> &failures, const std::atomic<bool> *cancel,
                                       JournalPass *journal);

} // namespace tarnwick
