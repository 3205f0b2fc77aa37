#pragma once

#include "journal_source.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarnwick {

// What reports said of one directory's entries since the last pass.
struct ChangedEntries {
    bool all = false; // too many to keep, or the directory itself changed: every entry is examined
    bool listing = false; // an entry was created, removed or renamed: the directory lists other names
    std::vector<std::string> names; // the entries named, unless all
};

// Which directories of the listed trees changed between two passes, as the operating system reports it, so that a
// pass reads only those and takes every other directory over from the previous snapshot. It is a hint, never the
// truth: a tree is taken over only while one unbroken watch has covered it since the pass that recorded it, and
// every doubt (a lost report, a watch that could not be added or ended unexplained, a file system that does not
// report changes made elsewhere, a folder replaced behind its watch, a changed table of mounts) makes that tree
// walk in full at its next pass.
//
// A reader thread drains the reports as they arrive, so a busy tree cannot overflow the system's queue between
// two passes an hour apart, and coalesces them into sets of directories: the directories whose entries changed
// (with the names of those entries, up to a number), and the directories that arrived with everything below them.
// The sets are bounded; past the bound every tree walks. The reader waits on the system's queue and on a wake-up
// of its own (an eventfd, an event) together, never on the lock, so closing wakes it at once and it ends; a poll
// from the pass thread alone could not drain between passes.
// A pass (RunMonitorPass) takes the sets at its start, after reading what is queued at that moment. Thread-safe.
class ChangeJournal
{
public:
    explicit ChangeJournal(std::unique_ptr<JournalSource> source);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal &) = delete;
    ChangeJournal &operator=(const ChangeJournal &) = delete;

    // The system's journal, or nothing where the system offers none.
    static std::shared_ptr<ChangeJournal> ForThisSystem();

    // Ends the reader at once (closing the program); the passes that follow walk, as without a journal.
    void close();
    // Drops every watch: nothing is listed any more. The next pass walks what is listed then, and watches it.
    void forget();

    // How many watches it holds.
    std::size_t watchCount() const;

private:
    friend class JournalPass;

    struct Root {
        bool trusted = false; // one unbroken watch has covered the tree since the pass that recorded it
        bool watched = false; // its directories are watched
        std::uint64_t breaks = 0; // how often a report said the watch of the tree was broken
        std::uint32_t directories = 0; // at its last pass, for the limit of watches
        std::optional<FileIdentity> identity; // of the top, when watched
    };

    void readLoop();
    // Reads and takes in what is queued. Needs the lock.
    void drain();
    void take(const JournalEvent &event);
    // The directory (and below it, a relative path ending with a separator) had the entry changed (listing: created,
    // removed or renamed); no entry: the directory itself, or any of its entries.
    void markDirty(std::string_view directory, std::string_view below, std::string_view entry, bool listing);
    // The entry of the directory arrived, with everything below it.
    void markArrived(std::string_view directory, std::string_view name);
    void breakRootsHolding(const std::string &path);
    void breakEverything();
    // Maps a path to a watch, dropping it from the watch that held it before. Needs the lock.
    void attach(const std::string &path, int watch);
    void detach(const std::string &path);
    void dropAll();
    std::size_t dirtyBound() const;
    // How many watches this program may hold, counted again when the count is old. Needs the lock.
    std::size_t watchLimit(bool recount);

    std::unique_ptr<JournalSource> m_source;
    mutable std::mutex m_mutex;
    bool m_closed = false;
    std::thread m_reader;
    std::vector<JournalEvent> m_events; // read, not yet taken in
    std::string m_scratch;

    std::unordered_map<int, std::vector<std::string>> m_pathsOf; // by watch: the directories it covers
    std::unordered_map<std::string, int> m_watchOf; // by directory path
    std::unordered_set<int> m_deleted; // watches whose directory was deleted: their end is explained

    std::unordered_map<std::string, Root> m_roots; // by the path of the top
    std::uint64_t m_overflows = 0; // how often reports were lost for every watch
    std::unordered_map<std::string, ChangedEntries> m_dirty; // directories whose entries changed
    std::size_t m_names = 0; // entry names kept in m_dirty
    std::unordered_set<std::string> m_arrived; // directories that arrived, with everything below them
    std::size_t m_directories = 0; // in the last pass's snapshot, for the bound of the sets
    std::size_t m_limit = 0;
    std::chrono::steady_clock::time_point m_limitCounted;
    bool m_limitKnown = false;

    // What the last pass recorded: the store it left, the folders it was given, and how many directories it must
    // read again whatever the reports say (not read at that pass, or holding files whose times change elsewhere).
    std::uint64_t m_stamp = 0;
    std::vector<std::string> m_listed;
    std::size_t m_alwaysRead = 0;
};

} // namespace tarnwick
