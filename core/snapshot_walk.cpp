// Recording the listed trees: one breadth-first walk over all of them, each directory read once.

#include "directory_reader.h"
#include "journal_pass.h"
#include "monitor_pass.h"
#include "paths.h"
#include "platform.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <unordered_set>

namespace tarnwick {

namespace {

enum class Action : std::uint8_t {
    Read, // a subfolder found by a walk: not through a symbolic link
    ReadListed, // a listed folder, which may be reached through a symbolic link
    CarryOver, // below a directory that could not be read: what the previous pass recorded is kept
    TakeOver, // the change journal says it did not change: what the previous pass recorded is taken over
    Restat, // the change journal says only some files were written: taken over, with those files examined again
};

class Walk
{
public:
    Walk(const std::vector<std::string> &folders, const Snapshot &previous, std::vector<PassFailure> &failures,
         const std::atomic<bool> *cancel, JournalPass *journal)
        : m_folders(folders)
        , m_previous(previous)
        , m_failures(failures)
        , m_cancel(cancel)
        , m_journal(journal)
        , m_reached(folders.size(), 0)
    {
        for (std::size_t i = 0; i < folders.size(); ++i)
            m_folderByHash.emplace(Snapshot::HashPath(folders[i]), i);
        if (!folders.empty())
            m_current.reserveLike(previous);
    }

    bool run()
    {
        // Folders listed below another listed folder are met by its walk. Those that are not (below a symbolic
        // link, or below a directory that could not be read) start a walk of their own afterwards.
        for (std::vector<std::size_t> tops = unreachedTops(); !tops.empty(); tops = unreachedTops()) {
            m_paths.clear();
            for (const std::size_t i : tops) {
                const std::uint32_t top = m_current.addTop(m_folders[i]);
                Pending pending {m_previous.find(m_folders[i]), Action::ReadListed, false, true};
                if (m_journal != nullptr) {
                    pending.tree = m_journal->startTree(top, m_folders[i]);
                    pending.arrived = m_journal->arrived(m_folders[i]);
                }
                m_pending.push_back(pending);
                m_paths.push_back(m_folders[i]);
                m_reached[i] = 1;
            }
            if (!walkLevels())
                return false;
        }
        m_current.finish();
        return true;
    }

    Snapshot take() { return std::move(m_current); }

private:
    struct Pending {
        std::uint32_t previous; // the directory with the same path in the previous snapshot, or kNone
        Action action;
        bool isNew; // new to a recorded parent at this pass, or below such a directory
        bool listed;
        std::uint32_t tree = 0; // the journal's number of its tree
        bool arrived = false; // the journal says it arrived, or a directory above it did
        bool reported = false; // in a tree the journal guides: read as new, or because its listing changed
    };

    bool cancelled() const { return m_cancel != nullptr && m_cancel->load(); }

    // The listed folders not met yet that no other such folder holds, in list order.
    std::vector<std::size_t> unreachedTops() const
    {
        std::vector<std::size_t> unreached;
        for (std::size_t i = 0; i < m_folders.size(); ++i)
            if (!m_reached[i])
                unreached.push_back(i);
        // sorted, a folder's descendants follow it together
        std::vector<std::size_t> sorted = unreached;
        std::sort(sorted.begin(), sorted.end(),
                  [&](std::size_t a, std::size_t b) { return m_folders[a] < m_folders[b]; });
        std::vector<char> top(m_folders.size(), 0);
        const std::string *holder = nullptr;
        for (const std::size_t i : sorted) {
            if (holder != nullptr && m_folders[i].starts_with(*holder))
                continue;
            top[i] = 1;
            holder = &m_folders[i];
        }
        std::erase_if(unreached, [&](std::size_t i) { return !top[i]; });
        return unreached;
    }

    // Walks level by level from the directories added last, until no level is left.
    bool walkLevels()
    {
        std::uint32_t levelBegin = m_current.directoryCount() - static_cast<std::uint32_t>(m_paths.size());
        while (levelBegin < m_current.directoryCount()) {
            if (cancelled())
                return false;
            const std::uint32_t levelEnd = m_current.directoryCount();
            std::vector<ReadRequest> requests;
            m_hints.clear();
            for (std::uint32_t d = levelBegin; d < levelEnd; ++d) {
                Pending &pending = m_pending[d];
                const std::string &path = m_paths[d - levelBegin];
                if (pending.action == Action::CarryOver)
                    continue;
                Need need = Need::Read;
                if (m_journal != nullptr) {
                    if (m_journal->guided(pending.tree))
                        need = mustRead(d, path);
                    if (need == Need::TakeOver)
                        pending.action = Action::TakeOver;
                    else if (need == Need::Restat)
                        pending.action = Action::Restat;
                }
                if (pending.action == Action::TakeOver || pending.action == Action::Restat)
                    continue;
                ReadHint *hint = nullptr;
                if (need == Need::ReadNamed)
                    hint = &m_hints.emplace_back(m_previous, pending.previous, m_journal->changes(path)->names);
                // Watched just before it is read, so that what changes after the read is reported. A directory read
                // for its named entries has been watched without a break since its last read.
                const bool watch = m_journal != nullptr && need == Need::Read;
                requests.push_back({path, pending.action == Action::ReadListed, hint, watch, pending.tree});
            }
            // the watches are added by the reading threads, each before its read: adding one costs the kernel
            // about as much as reading a folder, and so they overlap
            DirectoryReader reader(std::move(requests), ReadOptions {true, true}, m_cancel,
                                   [journal = m_journal](const ReadRequest &request) {
                                       journal->beforeRead(request.tree, request.path, request.followLink);
                                   });
            m_nextPaths.clear();
            for (std::uint32_t d = levelBegin; d < levelEnd; ++d) {
                const std::string &path = m_paths[d - levelBegin];
                m_current.beginDirectory();
                if (m_pending[d].action == Action::CarryOver) {
                    carryOver(d, path, true);
                    continue;
                }
                if (m_pending[d].action == Action::TakeOver) {
                    takeOver(d, path);
                    continue;
                }
                if (m_pending[d].action == Action::Restat) {
                    if (!restat(d, path)) // something else than written files: the directory is read whole
                        record(d, path, platform::ReadDirectory(path, ReadOptions {true, true}, m_current.isTop(d)));
                    continue;
                }
                std::optional<DirectoryContents> contents = reader.next();
                if (!contents)
                    return false;
                record(d, path, *contents);
            }
            std::swap(m_paths, m_nextPaths);
            levelBegin = levelEnd;
        }
        return true;
    }

    enum class Need : std::uint8_t {
        TakeOver, // unchanged: taken over as the previous pass recorded it
        Restat, // only files written where they are: taken over, with the files reports named examined again
        ReadNamed, // read, examining only the entries reports named
        Read, // read whole
    };

    // In a tree the journal guides: whether a directory must be read, or is taken over as the previous pass
    // recorded it. Notes in its pending entry whether it is read on a report (or as new).
    Need mustRead(std::uint32_t d, const std::string &path)
    {
        Pending &pending = m_pending[d];
        pending.reported = true; // what is new may hold a new name of a file
        if (pending.arrived)
            return Need::Read;
        const std::uint32_t before = pending.previous;
        if (before == Snapshot::kNone)
            return Need::Read;
        // in the same place as before: the same parent, or a top then and now
        if (m_current.isTop(d) ? !m_previous.isTop(before)
                               : m_previous.parent(before) != m_pending[m_current.parent(d)].previous)
            return Need::Read;
        // below a directory that could not be read now, a walk tries it all the same
        if (!m_current.isTop(d) && (m_current.flags(m_current.parent(d)) & Snapshot::kCarried) != 0)
            return Need::Read;
        if (m_previous.state(before) != DirectoryState::Recorded ||
            (m_previous.flags(before) & Snapshot::kCarried) != 0)
            return Need::Read; // not read at the last pass: read whenever it can be, as a walk would
        for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
            if (m_previous.state(child) == DirectoryState::Gone)
                return Need::Read;
        // a time there can change with no report about it
        const bool isVolatile = (m_previous.flags(before) & Snapshot::kVolatile) != 0;
        const ChangedEntries *changed = m_journal->changes(path);
        // only a created or renamed entry can be a new name of a file
        pending.reported = changed != nullptr && (changed->listing || changed->all);
        if (changed != nullptr) {
            if (isVolatile || changed->all)
                return Need::Read;
            return changed->listing ? Need::ReadNamed : Need::Restat;
        }
        return isVolatile ? Need::Read : Need::TakeOver;
    }

    // The journal says nothing changed here since the previous pass: its record is taken over as it is.
    void takeOver(std::uint32_t d, const std::string &path)
    {
        const std::uint32_t before = m_pending[d].previous;
        m_current.copyFiles(m_previous, m_previous.firstFile(before), m_previous.fileEnd(before));
        for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
            addSubdirectory(d, path, m_previous.name(child), child, true);
        m_current.endDirectory(DirectoryState::Recorded, Snapshot::kUnchanged);
    }

    // Only files were written, where they are: the previous record with those files examined again. False, with
    // nothing recorded, when a named entry is something else than a file the record holds.
    bool restat(std::uint32_t d, const std::string &path)
    {
        const std::uint32_t before = m_pending[d].previous;
        const std::uint32_t first = m_previous.firstFile(before);
        const std::uint32_t end = m_previous.fileEnd(before);
        m_updates.clear();
        for (const std::string &name : m_journal->changes(path)->names) {
            std::uint32_t file = first;
            while (file < end && m_previous.fileName(file) != name)
                ++file;
            if (file == end) {
                // a subdirectory reports about itself; a file whose name begins with "~" is never recorded
                if (name.front() == '~' || hasChild(before, name))
                    continue;
                return false;
            }
            FileTime time = 0;
            bool hardLinked = false;
            if (!platform::ExamineRegularFile(path + name, time, hardLinked))
                return false;
            if (hardLinked)
                m_journal->requestWalk();
            m_updates.emplace_back(file - first, time);
        }
        const std::uint32_t base = m_current.fileCount();
        m_current.copyFiles(m_previous, first, end);
        for (const auto &[offset, time] : m_updates)
            m_current.setFileTime(base + offset, time);
        for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
            addSubdirectory(d, path, m_previous.name(child), child, true);
        m_current.endDirectory(DirectoryState::Recorded);
        return true;
    }

    bool hasChild(std::uint32_t before, std::string_view name) const
    {
        for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
            if (m_previous.name(child) == name)
                return true;
        return false;
    }

    void record(std::uint32_t d, const std::string &path, const DirectoryContents &contents)
    {
        switch (contents.status) {
        case ReadStatus::Ok:
            if (contents.hardLinks && m_pending[d].reported && m_journal != nullptr)
                m_journal->requestWalk();
            m_current.addFiles(contents.names, contents.nameEnds, contents.times);
            for (const std::string &name : contents.subfolders)
                addSubdirectory(d, path, name, Snapshot::kNone);
            m_current.endDirectory(DirectoryState::Recorded,
                                   contents.hardLinks || contents.symbolicLinks ? Snapshot::kVolatile : 0);
            return;
        case ReadStatus::Vanished:
            // a listed folder that is missing keeps its snapshot; a subfolder that vanished is gone
            if (m_pending[d].listed)
                carryOver(d, path, false);
            else
                m_current.endDirectory(DirectoryState::Gone);
            return;
        case ReadStatus::Failed:
            m_failures.push_back({ShownPath(path), contents.error});
            break;
        case ReadStatus::Unreadable:
            break;
        }
        carryOver(d, path, true);
    }

    // Nothing could be read: what the previous pass recorded of the directory and below it is kept, except that
    // listed folders below it are read if they can be.
    void carryOver(std::uint32_t d, const std::string &path, bool exists)
    {
        const Pending pending = m_pending[d];
        if (pending.previous == Snapshot::kNone) {
            if (exists)
                m_current.endDirectory(DirectoryState::Unknown, pending.isNew ? Snapshot::kAppearedNew : 0);
            else
                m_current.endDirectory(DirectoryState::Gone);
            return;
        }
        const std::uint32_t before = pending.previous;
        if (m_previous.state(before) != DirectoryState::Recorded) {
            const bool appearedNew = pending.isNew || (m_previous.flags(before) & Snapshot::kAppearedNew) != 0;
            m_current.endDirectory(DirectoryState::Unknown, appearedNew ? Snapshot::kAppearedNew : 0);
            return;
        }
        m_current.copyFiles(m_previous, m_previous.firstFile(before), m_previous.fileEnd(before));
        for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
            if (m_previous.state(child) != DirectoryState::Gone)
                addSubdirectory(d, path, m_previous.name(child), child);
        m_current.endDirectory(DirectoryState::Recorded, Snapshot::kCarried);
    }

    // previous: the same directory in the previous snapshot when the parent is carried or taken over; kNone when
    // the parent was read, and the directory is looked up. takenOver: the parent was taken over.
    void addSubdirectory(std::uint32_t parent, const std::string &parentPath, std::string_view name,
                         std::uint32_t previous, bool takenOver = false)
    {
        const std::uint32_t child = m_current.addSubdirectory(name);
        std::string path = parentPath;
        path.append(name);
        path.push_back(kSeparator);
        const bool listed = markListed(child, path);
        const Pending parentPending = m_pending[parent];
        Pending pending {previous, Action::CarryOver, parentPending.isNew, listed};
        pending.tree = parentPending.tree;
        if (m_journal != nullptr)
            pending.arrived = parentPending.arrived || m_journal->arrived(path);
        if (takenOver) {
            pending.action = Action::Read; // or taken over in turn, when its level comes
        } else if (previous != Snapshot::kNone) {
            pending.action = listed ? Action::Read : Action::CarryOver;
        } else {
            pending.action = Action::Read;
            pending.previous = m_previous.findSame(m_current, child, parentPending.previous);
            const std::uint32_t previousParent = parentPending.previous;
            const bool known = pending.previous != Snapshot::kNone && previousParent != Snapshot::kNone &&
                m_previous.parent(pending.previous) == previousParent;
            if (!known && previousParent != Snapshot::kNone &&
                m_previous.state(previousParent) == DirectoryState::Recorded)
                pending.isNew = true;
        }
        m_pending.push_back(pending);
        m_nextPaths.push_back(std::move(path));
    }

    bool markListed(std::uint32_t directory, const std::string &path)
    {
        const auto [first, last] = m_folderByHash.equal_range(m_current.pathHash(directory));
        bool listed = false;
        for (auto it = first; it != last; ++it) {
            if (m_folders[it->second] == path) {
                m_reached[it->second] = 1;
                listed = true;
            }
        }
        return listed;
    }

    const std::vector<std::string> &m_folders;
    const Snapshot &m_previous;
    std::vector<PassFailure> &m_failures;
    const std::atomic<bool> *m_cancel;
    JournalPass *m_journal;
    std::vector<char> m_reached;
    std::unordered_multimap<std::uint64_t, std::size_t> m_folderByHash;
    Snapshot m_current;
    std::vector<Pending> m_pending; // per directory of m_current
    std::deque<ReadHint> m_hints; // of the level being walked; a deque keeps their places
    std::vector<std::pair<std::uint32_t, FileTime>> m_updates; // files examined again: place in the directory, time
    std::vector<std::string> m_paths; // of the level being walked
    std::vector<std::string> m_nextPaths;
};

} // namespace

std::vector<std::string> ListedFolders(const std::vector<std::string> &folders)
{
    std::vector<std::string> listed;
    listed.reserve(folders.size());
    std::unordered_set<std::string> seen;
    for (const std::string &folder : folders) {
        std::string normalized = WithTrailingSeparator(folder);
        if (seen.insert(normalized).second)
            listed.push_back(std::move(normalized));
    }
    return listed;
}

std::optional<Snapshot> RecordSnapshot(const std::vector<std::string> &folders, const Snapshot &previous,
                                       std::vector<PassFailure> &failures, const std::atomic<bool> *cancel)
{
    return RecordSnapshot(folders, previous, failures, cancel, nullptr);
}

std::optional<Snapshot> RecordSnapshot(const std::vector<std::string> &folders, const Snapshot &previous,
                                       std::vector<PassFailure> &failures, const std::atomic<bool> *cancel,
                                       JournalPass *journal)
{
    Walk walk(folders, previous, failures, cancel, journal);
    if (!walk.run())
        return std::nullopt;
    return walk.take();
}

} // namespace tarnwick
