#pragma once

// The operating system's side of the change journal: it adds and drops watches and translates what they report.
// The journal (change_journal.h) decides what the reports mean; a source only translates. Tests wrap a source to
// inject faults.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// One report of a watch, in the journal's terms.
struct JournalEvent {
    enum class Kind : std::uint8_t {
        Entry, // an entry of the watched tree was created, removed or renamed: the directory's listing changed
        EntryWritten, // an entry was written or given other attributes where it is: its directory lists the same
        DirectoryArrived, // an entry that is (or may be) a directory was created or moved in: all below it is new
        Self, // the watched directory's own attributes changed (its permissions, say)
        SelfDeleted, // the watched directory was deleted; the watch ends
        SelfMoved, // the watched directory was moved away; the watch goes on where it went
        WatchEnded, // the system ended the watch
        Lost, // reports were lost (a full queue, an unmount): for every watch when watch is kEveryWatch
    };
    static constexpr int kEveryWatch = -1;

    Kind kind = Kind::Entry;
    int watch = kEveryWatch;
    // The entry, relative to the watched directory: one name on Linux, a relative path on Windows. Empty for the
    // watched directory itself.
    std::string name;
};

// Which directory a path leads to, to tell a watched folder from another one put in its place.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity &) const = default;
};

enum class WatchStatus : std::uint8_t {
    Watched,
    Vanished, // nothing at the path, or no directory
    Unsupported, // its file system does not report changes made elsewhere (network, FUSE, unknown types)
    NoRoom, // the user's limit of watches is reached
    Failed, // anything else: permission, a path too long, a folder replaced while it was being watched
};

struct WatchResult {
    WatchStatus status = WatchStatus::Failed;
    // The watch, whenever one was added or found (also when the status says it cannot be trusted), else -1.
    int watch = -1;
    FileIdentity identity; // of a top, when watched
};

// Every call but wait() and interrupt() is made under the journal's lock, so one at a time.
class JournalSource
{
public:
    virtual ~JournalSource() = default;

    // True when each directory has a watch of its own (inotify); false when one watch on a top covers its whole
    // tree (ReadDirectoryChangesW), and only tops are watched.
    virtual bool watchesEachDirectory() const = 0;
    // Watches a directory (its path ending with a separator) before it is read. A top may be reached through a
    // symbolic link, a directory below it never is. A directory already watched gives its watch again.
    virtual WatchResult watch(const std::string &path, bool top) = 0;
    virtual void unwatch(int watch) = 0;
    // What a top's path leads to now, to be compared with the identity its watch gave; nothing when it leads
    // to no directory, or to one that is being deleted.
    virtual std::optional<FileIdentity> identify(const std::string &path) = 0;
    // How many watches this program may hold in all, counted afresh.
    virtual std::size_t watchLimit(std::size_t held) = 0;
    // True when something changed that no watch reports (the table of mounts); false at the first call.
    virtual bool surroundingsChanged() = 0;
    // Appends the reports queued now, without waiting.
    virtual void read(std::vector<JournalEvent> &events) = 0;
    // Waits until reports may be queued, or interrupt() was called: then false, at once and ever after.
    virtual bool wait() = 0;
    virtual void interrupt() = 0;
};

// inotify on Linux, ReadDirectoryChangesW on Windows; nothing where the system has no journal or it cannot be
// opened (then passes walk, as without one).
std::unique_ptr<JournalSource> SystemJournalSource();

} // namespace tarnwick
