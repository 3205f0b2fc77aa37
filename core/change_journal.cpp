#include "change_journal.h"

#include "journal_pass.h"
#include "paths.h"

#include <algorithm>

namespace tarnwick {

namespace {

// The directory that holds an entry: the path up to and with its last separator.
std::string_view directoryOf(std::string_view path)
{
    const std::size_t cut = path.rfind(kSeparator);
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view nameOf(std::string_view path)
{
    return path.substr(directoryOf(path).size());
}

// Entry names kept for one directory, and for all: past these the directory is read whole.
constexpr std::size_t kNamesPerDirectory = 64;
constexpr std::size_t kNames = 32768;

// The parent of a directory path that ends with a separator.
std::string_view parentOf(std::string_view directory)
{
    if (directory.size() < 2)
        return {};
    return directoryOf(directory.substr(0, directory.size() - 1));
}

// The number of watches in use is counted again after this long: other programs take and give back theirs.
constexpr std::chrono::seconds kLimitAge {60};

} // namespace

ChangeJournal::ChangeJournal(std::unique_ptr<JournalSource> source)
    : m_source(std::move(source))
{
    m_source->surroundingsChanged(); // what later passes compare with
    m_reader = std::thread([this] { readLoop(); });
}

ChangeJournal::~ChangeJournal()
{
    close();
    const std::lock_guard lock(m_mutex);
    dropAll();
}

std::shared_ptr<ChangeJournal> ChangeJournal::ForThisSystem()
{
    std::unique_ptr<JournalSource> source = SystemJournalSource();
    if (!source)
        return nullptr;
    return std::make_shared<ChangeJournal>(std::move(source));
}

void ChangeJournal::close()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        m_closed = true;
        m_stamp = 0;
    }
    // the reader waits outside the lock, so it hears the interruption at once
    m_source->interrupt();
    if (m_reader.joinable())
        m_reader.join();
}

void ChangeJournal::forget()
{
    const std::lock_guard lock(m_mutex);
    dropAll();
    m_roots.clear();
    m_dirty.clear();
    m_names = 0;
    m_arrived.clear();
    m_stamp = 0;
    m_listed.clear();
}

std::size_t ChangeJournal::watchCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_pathsOf.size();
}

void ChangeJournal::readLoop()
{
    while (m_source->wait()) {
        const std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        drain();
    }
}

void ChangeJournal::drain()
{
    try {
        m_events.clear();
        m_source->read(m_events);
        for (const JournalEvent &event : m_events)
            take(event);
    } catch (...) {
        // out of memory: what the reports said is lost, so nothing is trusted (breaking allocates nothing)
        breakEverything();
    }
    if (m_events.capacity() > 4096)
        std::vector<JournalEvent>().swap(m_events);
}

void ChangeJournal::take(const JournalEvent &event)
{
    using Kind = JournalEvent::Kind;
    if (event.kind == Kind::Lost && event.watch == JournalEvent::kEveryWatch) {
        breakEverything();
        return;
    }
    const auto found = m_pathsOf.find(event.watch);
    if (found == m_pathsOf.end())
        return; // a watch dropped here, or one not yet taken in: its directory is read after this anyway
    for (const std::string &path : found->second) {
        switch (event.kind) {
        case Kind::Entry:
        case Kind::EntryWritten:
            markDirty(path, directoryOf(event.name), nameOf(event.name), event.kind == Kind::Entry);
            break;
        case Kind::DirectoryArrived:
            markDirty(path, directoryOf(event.name), nameOf(event.name), true);
            markArrived(path, event.name);
            break;
        case Kind::Self:
            markDirty(path, {}, {}, true);
            break;
        case Kind::SelfDeleted:
        case Kind::SelfMoved:
            // below a top, the parent's watch reports it too; a top has no watched parent
            if (m_roots.contains(path))
                breakRootsHolding(path);
            markDirty(parentOf(path), {}, {}, true);
            break;
        case Kind::WatchEnded:
        case Kind::Lost:
            if (event.kind == Kind::Lost || !m_deleted.contains(event.watch))
                breakRootsHolding(path);
            break;
        }
    }
    if (event.kind == Kind::SelfDeleted) {
        m_deleted.insert(event.watch);
    } else if (event.kind == Kind::WatchEnded) {
        // the system dropped it: nothing to remove
        m_deleted.erase(event.watch);
        for (const std::string &path : found->second)
            m_watchOf.erase(path);
        m_pathsOf.erase(found);
    }
}

std::size_t ChangeJournal::dirtyBound() const
{
    return std::max(m_directories, m_watchOf.size()) + 4096;
}

void ChangeJournal::markDirty(std::string_view directory, std::string_view below, std::string_view entry, bool listing)
{
    if (directory.empty())
        return;
    m_scratch.assign(directory);
    m_scratch.append(below);
    auto found = m_dirty.find(m_scratch);
    if (found == m_dirty.end()) {
        if (m_dirty.size() >= dirtyBound()) {
            breakEverything(); // more changed than the trees hold: walking them is cheaper than keeping count
            return;
        }
        found = m_dirty.emplace(m_scratch, ChangedEntries {}).first;
    }
    ChangedEntries &changed = found->second;
    changed.listing = changed.listing || listing;
    if (changed.all)
        return;
    if (entry.empty() || changed.names.size() >= kNamesPerDirectory || m_names >= kNames) {
        m_names -= changed.names.size();
        changed.all = true;
        std::vector<std::string>().swap(changed.names);
        return;
    }
    if (std::find(changed.names.begin(), changed.names.end(), entry) == changed.names.end()) {
        changed.names.emplace_back(entry);
        ++m_names;
    }
}

void ChangeJournal::markArrived(std::string_view directory, std::string_view name)
{
    m_scratch.assign(directory);
    m_scratch.append(name);
    m_scratch.push_back(kSeparator);
    if (m_arrived.contains(m_scratch))
        return;
    if (m_arrived.size() >= dirtyBound()) {
        breakEverything();
        return;
    }
    m_arrived.insert(m_scratch);
}

void ChangeJournal::breakRootsHolding(const std::string &path)
{
    for (auto &[top, root] : m_roots) {
        if (path.starts_with(top)) {
            root.trusted = false;
            ++root.breaks;
        }
    }
}

void ChangeJournal::breakEverything()
{
    ++m_overflows;
    for (auto &[top, root] : m_roots) {
        root.trusted = false;
        ++root.breaks;
    }
    // every tree walks: what changed where no longer matters
    std::unordered_map<std::string, ChangedEntries>().swap(m_dirty);
    std::unordered_set<std::string>().swap(m_arrived);
    m_names = 0;
}

void ChangeJournal::attach(const std::string &path, int watch)
{
    const auto found = m_watchOf.find(path);
    if (found != m_watchOf.end()) {
        if (found->second == watch)
            return;
        detach(path); // the path leads to another directory now
    }
    m_watchOf.emplace(path, watch);
    m_pathsOf[watch].push_back(path);
}

void ChangeJournal::detach(const std::string &path)
{
    const auto found = m_watchOf.find(path);
    if (found == m_watchOf.end())
        return;
    const int watch = found->second;
    m_watchOf.erase(found);
    const auto paths = m_pathsOf.find(watch);
    if (paths == m_pathsOf.end())
        return;
    std::erase(paths->second, path);
    if (paths->second.empty()) {
        m_pathsOf.erase(paths);
        m_deleted.erase(watch);
        m_source->unwatch(watch);
    }
}

void ChangeJournal::dropAll()
{
    for (const auto &[watch, paths] : m_pathsOf)
        m_source->unwatch(watch);
    m_pathsOf.clear();
    m_watchOf.clear();
    m_deleted.clear();
}

std::size_t ChangeJournal::watchLimit(bool recount)
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_limitKnown || recount || now - m_limitCounted >= kLimitAge) {
        m_limit = m_source->watchLimit(m_pathsOf.size());
        m_limitCounted = now;
        m_limitKnown = true;
    }
    return m_limit;
}

JournalPass::JournalPass(ChangeJournal &journal, const SnapshotStore &store, const std::vector<std::string> &listed,
                         bool walk)
    : m_journal(journal)
    , m_listed(listed)
    , m_walk(walk)
{
    const std::lock_guard lock(journal.m_mutex);
    m_open = !journal.m_closed;
    if (!m_open)
        return;
    // what happened before this moment is queued now: the kernel queues a report before the call returns
    journal.drain();
    if (journal.m_source->surroundingsChanged())
        journal.breakEverything();
    m_overflowsAtStart = journal.m_overflows;
    m_stampMatches = store.m_stamp != 0 && store.m_stamp == journal.m_stamp;
    m_dirty.swap(journal.m_dirty);
    m_arrived.swap(journal.m_arrived);
    journal.m_names = 0;

    m_unchanged = !walk && m_stampMatches && journal.m_alwaysRead == 0 && m_dirty.empty() && m_arrived.empty() &&
        listed == journal.m_listed;
    for (auto it = journal.m_roots.begin(); m_unchanged && it != journal.m_roots.end(); ++it) {
        const ChangeJournal::Root &root = it->second;
        m_unchanged = root.trusted && root.identity && journal.m_source->identify(it->first) == root.identity;
    }
}

JournalPass::~JournalPass()
{
    if (m_committed || !m_open)
        return;
    // What this pass took from the journal went with it, and the store stays as it was: nothing is trusted.
    const std::lock_guard lock(m_journal.m_mutex);
    m_journal.m_stamp = 0;
}

std::size_t JournalPass::watchLimit()
{
    if (!m_limit)
        m_limit = m_journal.watchLimit(m_recountLimit);
    return *m_limit;
}

std::uint32_t JournalPass::startTree(std::uint32_t top, const std::string &path)
{
    Tree tree;
    tree.path = path;
    tree.top = top;
    if (m_open) {
        const std::lock_guard lock(m_journal.m_mutex);
        if (!m_journal.m_closed) {
            ChangeJournal::Root &root = m_journal.m_roots[path];
            tree.breaksAtStart = root.breaks;
            const bool same = root.identity && m_journal.m_source->identify(path) == root.identity;
            if (root.identity && !same) {
                // the folder watched was renamed or deleted: it is let go at once, so that it can really go
                m_journal.detach(path);
                root.identity.reset();
            }
            tree.guided =
                !m_walk && m_stampMatches && root.trusted && same && m_journal.m_overflows == m_overflowsAtStart;
            tree.watching = true;
            if (!tree.guided && root.directories > 0) {
                // a tree that would take more than its share of the watches is walked at every pass, unwatched
                m_recountLimit = true;
                const std::size_t mine = root.watched ? root.directories : 0;
                const std::size_t held = m_journal.m_pathsOf.size();
                const std::size_t otherTrees = held > mine ? held - mine : 0;
                tree.watching = otherTrees + root.directories <= watchLimit();
            }
        }
    }
    m_trees.push_back(std::move(tree));
    return static_cast<std::uint32_t>(m_trees.size() - 1);
}

void JournalPass::beforeRead(std::uint32_t number, const std::string &path, bool top)
{
    // called by the reading threads: the lock guards the tree too
    const std::lock_guard lock(m_journal.m_mutex);
    Tree &tree = m_trees[number];
    if (!tree.watching)
        return;
    if (m_journal.m_closed) {
        tree.watching = false;
        return;
    }
    JournalSource &source = *m_journal.m_source;
    if (!top && !source.watchesEachDirectory())
        return; // the top's watch covers it
    if (!m_journal.m_watchOf.contains(path) && m_journal.m_pathsOf.size() >= watchLimit()) {
        tree.watching = false;
        tree.failed = true;
        return;
    }
    // A top walked in full gets a new watch: a folder deleted while watched may stay, pending, for as long as it is
    // held (Wine tells no one), and the walk that follows covers the moment without one.
    if (top && !tree.guided)
        m_journal.detach(path);
    const WatchResult result = source.watch(path, top);
    if (result.watch >= 0)
        m_journal.attach(path, result.watch);
    switch (result.status) {
    case WatchStatus::Watched:
        if (top)
            tree.identity = result.identity;
        return;
    case WatchStatus::Vanished:
        // below the top, the parent's watch reports what became of it
        if (top)
            tree.failed = true;
        return;
    case WatchStatus::NoRoom:
    case WatchStatus::Unsupported:
        // the user's limit, or a file system that does not report everything: the tree walks unwatched, and
        // gives back what it took
        tree.watching = false;
        tree.failed = true;
        return;
    case WatchStatus::Failed:
        tree.failed = true;
        return;
    }
}

void JournalPass::walkEverything()
{
    m_walk = true;
    m_walkRequested = false;
    m_trees.clear();
}

void JournalPass::commit(const Snapshot &current, std::uint64_t stamp)
{
    if (!m_open)
        return;
    // each directory's top, and the directories below each top; parents come before their children
    std::vector<std::uint32_t> topOf(current.directoryCount());
    std::vector<std::uint32_t> directoriesBelow(current.directoryCount(), 0);
    std::size_t alwaysRead = 0;
    for (std::uint32_t d = 0; d < current.directoryCount(); ++d) {
        topOf[d] = current.isTop(d) ? d : topOf[current.parent(d)];
        ++directoriesBelow[topOf[d]];
        if (current.state(d) != DirectoryState::Recorded ||
            (current.flags(d) & (Snapshot::kCarried | Snapshot::kVolatile)) != 0)
            ++alwaysRead;
    }
    std::vector<char> keepWatches(current.directoryCount(), 0);

    const std::lock_guard lock(m_journal.m_mutex);
    if (m_journal.m_closed)
        return;
    std::unordered_map<std::string, ChangeJournal::Root> roots;
    for (const Tree &tree : m_trees) {
        ChangeJournal::Root root = m_journal.m_roots[tree.path];
        root.trusted = tree.watching && !tree.failed && root.breaks == tree.breaksAtStart &&
            m_journal.m_overflows == m_overflowsAtStart;
        root.watched = tree.watching;
        root.directories = directoriesBelow[tree.top];
        if (tree.identity)
            root.identity = tree.identity;
        else if (!tree.guided)
            root.identity.reset();
        keepWatches[tree.top] = tree.watching;
        roots[tree.path] = std::move(root);
    }
    m_journal.m_roots = std::move(roots);

    // The watches of directories no longer listed go, and so do those of trees that walk unwatched and of
    // directories that could not be read (they are read, and watched again, at the next pass).
    const bool eachDirectory = m_journal.m_source->watchesEachDirectory();
    std::vector<std::string> unneeded;
    for (const auto &[path, watch] : m_journal.m_watchOf) {
        const std::uint32_t d = current.find(path);
        if (d == Snapshot::kNone || (!eachDirectory && !current.isTop(d)) || !keepWatches[topOf[d]] ||
            current.state(d) != DirectoryState::Recorded || (current.flags(d) & Snapshot::kCarried) != 0)
            unneeded.push_back(path);
    }
    for (const std::string &path : unneeded)
        m_journal.detach(path);

    m_journal.m_directories = current.directoryCount();
    m_journal.m_alwaysRead = alwaysRead;
    m_journal.m_listed = std::move(m_listed);
    m_journal.m_stamp = stamp;
    m_committed = true;
}

} // namespace tarnwick
