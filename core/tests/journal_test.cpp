// The pass guided by the change journal (inotify) against a fresh walk of the same trees, on random sequences of
// changes; faults injected into the journal's source, each of which must make the pass walk and report as the
// walk does; which directories a guided pass opens, as the kernel tells.

#include "core/change_journal.h"
#include "core/monitor_pass.h"
#include "core/paths.h"
#include "print_change.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {
namespace {

using testing::PathOf;
using testing::TempTree;
using testing::TextOf;

constexpr FileTime T = 1700000000;

std::string describe(const std::vector<Change> &changes)
{
    std::ostringstream text;
    for (const Change &change : changes)
        text << "  " << ActionText(change.kind) << " " << change.path << "\n";
    return text.str();
}

// Directories of a snapshot that a guided pass took over without reading them.
std::size_t takenOver(const SnapshotStore &store)
{
    std::size_t count = 0;
    for (std::uint32_t d = 0; d < store.snapshot().directoryCount(); ++d)
        count += (store.snapshot().flags(d) & Snapshot::kUnchanged) != 0;
    return count;
}

// A source that passes everything through to the system's, with faults made to order.
class FaultySource final : public JournalSource
{
public:
    explicit FaultySource(std::unique_ptr<JournalSource> inner)
        : m_inner(std::move(inner))
    {
    }

    // Faults, set by the test between passes; the journal calls the source under its lock.
    std::atomic<int> failWatchAt {-1}; // the watch call that number (from 0) fails
    std::atomic<WatchStatus> failure {WatchStatus::NoRoom};
    std::atomic<bool> loseNextReports {false}; // the reports queued at the next read are lost, as in a full queue
    std::atomic<bool> overflow {false}; // a full queue is reported at the next read
    std::atomic<int> endWatch {-1}; // this watch ends at the next read with no deletion to explain it
    std::atomic<std::size_t> limit {SIZE_MAX};
    std::atomic<int> watchCalls {0};

    bool watchesEachDirectory() const override { return m_inner->watchesEachDirectory(); }
    WatchResult watch(const std::string &path, bool top) override
    {
        if (watchCalls++ == failWatchAt.load())
            return WatchResult {failure.load(), -1, {}};
        WatchResult result = m_inner->watch(path, top);
        if (result.watch >= 0)
            lastWatch = result.watch;
        return result;
    }
    void unwatch(int watch) override { m_inner->unwatch(watch); }
    std::optional<FileIdentity> identify(const std::string &path) override { return m_inner->identify(path); }
    std::size_t watchLimit(std::size_t held) override { return std::min(limit.load(), m_inner->watchLimit(held)); }
    bool surroundingsChanged() override { return m_inner->surroundingsChanged(); }
    void read(std::vector<JournalEvent> &events) override
    {
        const std::size_t before = events.size();
        m_inner->read(events);
        if (loseNextReports.exchange(false)) {
            events.resize(before);
            events.push_back({JournalEvent::Kind::Lost, JournalEvent::kEveryWatch, {}});
        }
        if (overflow.exchange(false))
            events.push_back({JournalEvent::Kind::Lost, JournalEvent::kEveryWatch, {}});
        if (const int ended = endWatch.exchange(-1); ended >= 0)
            events.push_back({JournalEvent::Kind::WatchEnded, ended, {}});
    }
    bool wait() override { return m_inner->wait(); }
    void interrupt() override { m_inner->interrupt(); }

    std::atomic<int> lastWatch {-1};

private:
    std::unique_ptr<JournalSource> m_inner;
};

// Random changes below the work folder: "r" and "s" hold the listed folders, "o" is outside them.
class RandomChanges
{
public:
    // locks: folders are also made unreadable and readable again (the process must not be privileged)
    RandomChanges(const TempTree &tree, std::uint32_t seed, bool locks = false)
        : m_tree(tree)
        , m_random(seed)
        , m_locks(locks)
    {
        for (const char *area : {"r", "s", "o"})
            m_tree.makeFolder(area);
        for (int i = 0; i < 10; ++i)
            makeFolder(pick(folders()) + "/" + folderName());
        for (int i = 0; i < 16; ++i)
            writeFile(pick(folders()) + "/" + fileName());
    }

    // Listed folders: the areas and some folders in them, nested, repeated, some missing for now.
    std::vector<std::string> folderList()
    {
        std::vector<std::string> list = {m_tree.folder("r")};
        std::vector<std::string> candidates = folders();
        candidates.push_back("r/later");
        candidates.push_back("s/a/later");
        const int extra = static_cast<int>(m_random() % 4);
        for (int i = 0; i < extra; ++i) {
            const std::string folder = pick(candidates);
            if (!folder.starts_with("o"))
                list.push_back(m_random() % 2 ? m_tree.folder(folder) : m_tree.path(folder));
        }
        if (m_random() % 2)
            list.push_back(m_tree.folder("s"));
        return list;
    }

    // Set when the last change must be followed by a pass before any other change.
    bool passNow = false;

    // One change of the kinds a user's programs make; returns what it did, for the failure message.
    std::string change()
    {
        const std::vector<std::string> open = folders();
        const std::vector<std::string> present = files();
        const std::string folder = pick(open);
        const std::string file = present.empty() ? std::string() : pick(present);
        switch (m_random() % (m_locks ? 16 : 14)) {
        case 0:
            writeFile(folder + "/" + fileName());
            return "create in " + folder;
        case 1:
            if (file.empty())
                return "nothing";
            remove(file);
            return "delete " + file;
        case 2:
            if (file.empty())
                return "nothing";
            rewrite(file);
            return "rewrite " + file;
        case 3:
            if (file.empty())
                return "nothing";
            m_tree.setTime(file, T + 10 + static_cast<FileTime>(m_random() % 100));
            return "later time " + file;
        case 4:
            if (file.empty())
                return "nothing";
            m_tree.setTime(file, T - 10 - static_cast<FileTime>(m_random() % 100));
            return "earlier time " + file;
        case 5:
            if (file.empty())
                return "nothing";
            return rename(file, folder + "/" + fileName());
        case 6: {
            const std::string from = pick(open);
            if (isArea(from))
                return "nothing";
            return rename(from, pick(open) + "/" + folderName());
        }
        case 7: {
            // an atomic save: a temporary file, then renamed over the file
            const std::string target = file.empty() ? folder + "/" + fileName() : file;
            const std::string temporary = target.substr(0, target.rfind('/') + 1) + ".save.tmp";
            m_tree.writeFile(temporary, "saved!");
            return rename(temporary, target);
        }
        case 8: {
            // mkdir -p, and at once a file in the deepest folder
            const std::string deep = folder + "/" + folderName() + "/" + folderName() + "/" + folderName();
            makeFolder(deep);
            writeFile(deep + "/" + fileName());
            return "mkdir -p " + deep;
        }
        case 9: {
            // The new name in a listed tree, and a pass before anything else happens. A name given outside the
            // trees to a file inside (or moved out before a pass saw it) makes no report there, and neither does
            // a write under that name, as with a write through a shared memory map: the hourly walk sees both.
            std::vector<std::string> inside;
            for (const std::string &candidate : open)
                if (candidate.starts_with("r"))
                    inside.push_back(candidate);
            if (file.empty())
                return "nothing";
            const std::string link = pick(inside) + "/" + fileName();
            std::error_code ignored;
            std::filesystem::create_hard_link(PathOf(m_tree.path(file)), PathOf(m_tree.path(link)), ignored);
            passNow = true;
            return "hard link " + link + " to " + file;
        }
        case 10: {
            // a file replaced by a folder of the same name, or the other way round
            if (!file.empty() && m_random() % 2) {
                remove(file);
                makeFolder(file);
                if (m_random() % 2)
                    writeFile(file + "/" + fileName());
                return "file to folder " + file;
            }
            if (isArea(folder))
                return "nothing";
            remove(folder);
            writeFile(folder);
            return "folder to file " + folder;
        }
        case 11: {
            if (isArea(folder))
                return "nothing";
            remove(folder);
            return "delete folder " + folder;
        }
        case 12: {
            // into or out of a listed tree, through the outside area
            const std::string from = pick(open);
            if (isArea(from))
                return "nothing";
            const std::string area = from.starts_with("o") ? (m_random() % 2 ? "r" : "s") : "o";
            return rename(from, area + "/" + folderName());
        }
        case 13: {
            if (file.empty())
                return "nothing";
            const std::string link = folder + "/" + fileName();
            std::error_code ignored;
            std::filesystem::create_symlink(PathOf(m_tree.path(file)), PathOf(m_tree.path(link)), ignored);
            return "symbolic link " + link + " to " + file;
        }
        case 14: {
            // names that cannot be listed, entries that cannot be examined, or both
            if (isArea(folder))
                return "nothing";
            static const mode_t modes[] = {0000, 0444, 0111};
            const mode_t mode = modes[m_random() % 3];
            ::chmod(m_tree.path(folder).c_str(), mode);
            m_locked.push_back(folder);
            return "lock " + folder + " to " + std::to_string(mode);
        }
        default: {
            if (m_locked.empty())
                return "nothing";
            const std::size_t which = m_random() % m_locked.size();
            const std::string folder = m_locked[which];
            ::chmod(m_tree.path(folder).c_str(), 0755);
            m_locked.erase(m_locked.begin() + static_cast<std::ptrdiff_t>(which));
            return "unlock " + folder;
        }
        }
    }

private:
    template<typename T>
    const T &pick(const std::vector<T> &from)
    {
        return from[m_random() % from.size()];
    }

    static bool isArea(const std::string &folder) { return folder == "r" || folder == "s" || folder == "o"; }

    std::string folderName()
    {
        static const char *const names[] = {"a", "b", "c", "later", "deep"};
        return names[m_random() % std::size(names)];
    }

    std::string fileName()
    {
        static const char *const names[] = {"f1.txt", "f2.txt", "g", "h h", "~lock", "a"};
        return names[m_random() % std::size(names)];
    }

    void makeFolder(const std::string &folder)
    {
        std::error_code ignored;
        std::filesystem::create_directories(PathOf(m_tree.path(folder)), ignored);
    }

    void writeFile(const std::string &file)
    {
        // only where a folder is, so that a file never turns into a folder's parent by accident
        std::error_code error;
        if (!std::filesystem::is_directory(PathOf(m_tree.path(file.substr(0, file.rfind('/')))), error))
            return;
        const int fd = ::open(m_tree.path(file).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const ssize_t ignored = ::write(fd, "x", 1);
            (void)ignored;
            ::close(fd);
        }
        m_tree.setTime(file, T + static_cast<FileTime>(m_random() % 3));
    }

    // The same bytes again: the size stays, the time becomes now.
    void rewrite(const std::string &file)
    {
        const int fd = ::open(m_tree.path(file).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd >= 0) {
            const ssize_t ignored = ::write(fd, "x", 1);
            (void)ignored;
            ::close(fd);
        }
    }

    void remove(const std::string &relative)
    {
        std::error_code ignored; // a locked folder below stays
        std::filesystem::remove_all(PathOf(m_tree.path(relative)), ignored);
    }

    std::string rename(const std::string &from, const std::string &to)
    {
        std::error_code ignored;
        std::filesystem::rename(PathOf(m_tree.path(from)), PathOf(m_tree.path(to)), ignored);
        return "rename " + from + " to " + to;
    }

    std::vector<std::string> folders() const
    {
        std::vector<std::string> result;
        for (const char *area : {"r", "s", "o"})
            collect(area, result, nullptr);
        return result;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> folders;
        std::vector<std::string> result;
        for (const char *area : {"r", "s", "o"})
            collect(area, folders, &result);
        return result;
    }

    void collect(const std::string &folder, std::vector<std::string> &folders, std::vector<std::string> *files) const
    {
        if (std::find(m_locked.begin(), m_locked.end(), folder) != m_locked.end())
            return;
        folders.push_back(folder);
        std::error_code error;
        std::vector<std::string> children;
        for (std::filesystem::directory_iterator it(PathOf(m_tree.path(folder)), error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = TextOf(it->path().filename());
            std::error_code unknown; // below a locked folder
            if (it->is_symlink(unknown) || unknown)
                continue;
            if (it->is_directory(unknown))
                children.push_back(folder + "/" + name);
            else if (files != nullptr && !unknown)
                files->push_back(folder + "/" + name);
        }
        std::sort(children.begin(), children.end());
        if (files != nullptr)
            std::sort(files->begin(), files->end());
        for (const std::string &child : children)
            collect(child, folders, files);
    }

    const TempTree &m_tree;
    std::mt19937 m_random;
    const bool m_locks;
    std::vector<std::string> m_locked; // by the path they had when locked
};

// Runs seeded sequences of changes, each followed by a pass guided by the journal and a pass that walks;
// gives the first difference, if any. takenOver counts the directories the guided passes did not read.
std::string compareWithWalks(std::uint32_t firstSeed, int rounds, std::size_t &directoriesTakenOver, bool locks = false)
{
    // one journal for every round, as the program keeps one: closing one waits for the kernel
    ChangeJournal journal(SystemJournalSource());
    for (int round = 0; round < rounds; ++round) {
        const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(round);
        TempTree tree;
        RandomChanges random(tree, seed, locks);
        const std::vector<std::string> folders = random.folderList();
        journal.forget();
        SnapshotStore guided;
        SnapshotStore walked;
        std::string done;
        for (int step = 0; step < 8; ++step) {
            const int count = step == 0 ? 0 : 1 + static_cast<int>(seed % 3 + static_cast<std::uint32_t>(step) % 2);
            done += "before pass " + std::to_string(step) + ":\n";
            random.passNow = false;
            for (int i = 0; i < count && !random.passNow; ++i)
                done += "  " + random.change() + "\n";
            const std::vector<Change> actual = RunMonitorPass(folders, guided, nullptr, {&journal, false}).changes;
            const std::vector<Change> expected = RunMonitorPass(folders, walked).changes;
            directoriesTakenOver += takenOver(guided);
            if (actual != expected) {
                std::string list;
                for (const std::string &folder : folders)
                    list += "  " + folder + "\n";
                return "seed " + std::to_string(seed) + ", pass " + std::to_string(step) + "\nfolders:\n" + list +
                    "changes made:\n" + done + "walk:\n" + describe(expected) + "guided:\n" + describe(actual);
            }
        }
    }
    return {};
}

TEST(Journal, GuidedPassesReportWhatWalksReport)
{
    std::size_t directoriesTakenOver = 0;
    EXPECT_EQ(compareWithWalks(7000, 100, directoriesTakenOver), "");
    EXPECT_GT(directoriesTakenOver, 500U) << "the journal guided no pass: nothing was compared";
}

// With folders locked and unlocked too: a folder that cannot be watched makes its tree walk, one that can be
// watched but not read is read again at every pass.
TEST(Journal, GuidedPassesReportWhatWalksReportWhenFoldersCannotBeRead)
{
    TempTree work;
    EXPECT_EQ(testing::RunUnprivileged(work.path(""),
                                       [] {
                                           std::size_t directoriesTakenOver = 0;
                                           std::string result = compareWithWalks(9000, 60, directoriesTakenOver, true);
                                           if (result.empty() && directoriesTakenOver < 200)
                                               result = "the journal guided no pass: nothing was compared";
                                           return result;
                                       }),
              "");
}

// Which directories a pass opened, as the kernel tells: a directory is read by opening it.
class OpenedDirectories
{
public:
    explicit OpenedDirectories(const TempTree &tree)
        : m_tree(tree)
        , m_inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
    }
    ~OpenedDirectories() { ::close(m_inotify); }
    OpenedDirectories(const OpenedDirectories &) = delete;
    OpenedDirectories &operator=(const OpenedDirectories &) = delete;

    // Watches every directory below the work folder as it is now and forgets what was opened so far.
    void start()
    {
        m_all.clear();
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator it(m_tree.root(), error), end; !error && it != end;
             it.increment(error)) {
            if (!it->is_directory() || it->is_symlink())
                continue;
            const std::string relative = TextOf(std::filesystem::relative(it->path(), m_tree.root()));
            m_names[::inotify_add_watch(m_inotify, it->path().c_str(), IN_OPEN | IN_ONLYDIR)] = relative;
            m_all.insert(relative);
        }
        opened();
    }

    // The directories opened since start(), relative to the work folder.
    std::set<std::string> opened()
    {
        std::set<std::string> result;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_inotify, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if ((event->mask & IN_OPEN) && event->len == 0)
                    result.insert(m_names[event->wd]);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return result;
    }

    // Every directory of the folder (relative), as start() found them.
    std::set<std::string> all(const std::string &folder) const
    {
        std::set<std::string> result;
        for (const std::string &relative : m_all)
            if (relative == folder || relative.starts_with(folder + "/"))
                result.insert(relative);
        return result;
    }

private:
    const TempTree &m_tree;
    int m_inotify;
    std::map<int, std::string> m_names;
    std::set<std::string> m_all;
};

// A listed tree watched by a journal over a faulty source, next to a store kept by walks alone.
class JournalPasses : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto source = std::make_unique<FaultySource>(SystemJournalSource());
        faults = source.get();
        journal = std::make_unique<ChangeJournal>(std::move(source));
        tree.writeFile("w/a.txt", T);
        tree.writeFile("w/s/b.txt", T);
        tree.writeFile("w/s/t/c.txt", T);
        tree.writeFile("w/u/d.txt", T);
        tree.makeFolder("outside");
    }

    // A guided pass and a walk over the same folders: the changes of both, and what the guided one opened.
    struct Passes {
        std::vector<Change> guided;
        std::vector<Change> walked;
        std::set<std::string> opened;
    };
    Passes pass(bool walk = false)
    {
        Passes passes;
        openings.start();
        passes.guided = RunMonitorPass(folders, guidedStore, nullptr, {journal.get(), walk}).changes;
        passes.opened = openings.opened();
        passes.walked = RunMonitorPass(folders, walkedStore).changes;
        return passes;
    }
    Change added(const std::string &relative) const { return {ChangeKind::Added, tree.path(relative)}; }

    TempTree tree;
    OpenedDirectories openings {tree};
    FaultySource *faults = nullptr;
    std::unique_ptr<ChangeJournal> journal;
    std::vector<std::string> folders = {tree.folder("w")};
    SnapshotStore guidedStore;
    SnapshotStore walkedStore;
};

using Opened = std::set<std::string>;

TEST_F(JournalPasses, ReadOnlyWhatReportsNamed)
{
    Passes passes = pass();
    EXPECT_EQ(passes.opened, openings.all("w")) << "the first pass walks";
    EXPECT_EQ(journal->watchCount(), 4U);
    EXPECT_EQ(pass().opened, Opened {}) << "nothing changed: nothing is read";

    tree.writeFile("w/s/t/new.txt", T);
    passes = pass();
    EXPECT_EQ(passes.guided, std::vector<Change> {added("w/s/t/new.txt")});
    EXPECT_EQ(passes.opened, Opened {"w/s/t"});

    tree.setTime("w/u/d.txt", T + 60);
    tree.setTime("w/a.txt", T - 60);
    passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.guided.size(), 1U);
    EXPECT_EQ(passes.opened, Opened {}) << "written files are examined where they are, their folders not read";

    tree.writeFile("w/n/m/e.txt", T);
    passes = pass();
    EXPECT_EQ(passes.guided, std::vector<Change> {added("w/n/m/e.txt")});
    EXPECT_EQ(passes.opened, (Opened {"w", "w/n", "w/n/m"})) << "a new folder is read with all below it";

    passes = pass(true);
    EXPECT_EQ(passes.opened, openings.all("w")) << "\"Monitor Folder Now (Test)\" walks";
}

enum class Fault { FullQueue, ReportsLost, WatchEndedUnexplained, NoRoomForAWatch, UnsupportedFileSystem, TopReplaced };

class JournalFaults : public JournalPasses, public ::testing::WithParamInterface<Fault>
{
};

// Each fault makes a pass walk the tree in full and report what the walk reports: at once where the fault is a
// report, at the pass after where it is a watch that could not be added (the pass that adds it reads that folder
// anyway). Once a walk has every watch in place again, the journal guides the passes again.
TEST_P(JournalFaults, MakeAPassWalk)
{
    const Fault fault = GetParam();
    // a folder whose parent is renamed: nothing reports that to the folder's own watch
    const std::string listed = fault == Fault::TopReplaced ? "w/s" : "w";
    folders = {tree.folder(listed)};
    pass();
    ASSERT_EQ(pass().opened, Opened {});

    const bool atWatch = fault == Fault::NoRoomForAWatch || fault == Fault::UnsupportedFileSystem;
    switch (fault) {
    case Fault::FullQueue:
        faults->overflow = true;
        break;
    case Fault::ReportsLost:
        faults->loseNextReports = true;
        break;
    case Fault::WatchEndedUnexplained:
        faults->endWatch = faults->lastWatch.load();
        break;
    case Fault::NoRoomForAWatch:
    case Fault::UnsupportedFileSystem:
        faults->failure = fault == Fault::NoRoomForAWatch ? WatchStatus::NoRoom : WatchStatus::Unsupported;
        faults->failWatchAt = faults->watchCalls.load();
        tree.makeFolder("w/s/new-folder");
        break;
    case Fault::TopReplaced:
        tree.rename("w", "w-before");
        tree.writeFile("w/s/t/c.txt", T);
        tree.writeFile("w/s/b.txt", T + 1);
        break;
    }
    // a change only a walk can see where the fault lost its report
    tree.setTime("w/s/t/c.txt", T + 30);
    tree.writeFile("w/s/new.txt", T);
    Passes passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_FALSE(passes.guided.empty());
    if (!atWatch) {
        EXPECT_EQ(passes.opened, openings.all(listed));
    }

    tree.setTime("w/s/t/c.txt", T + 40);
    passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_FALSE(passes.guided.empty());
    if (atWatch) {
        EXPECT_EQ(passes.opened, openings.all(listed));
    }

    tree.setTime("w/s/t/c.txt", T + 50);
    passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.opened, Opened {});
}

std::string FaultName(const ::testing::TestParamInfo<Fault> &info)
{
    static const char *const names[] = {"FullQueue",       "ReportsLost",           "WatchEndedUnexplained",
                                        "NoRoomForAWatch", "UnsupportedFileSystem", "TopReplaced"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(, JournalFaults,
                         ::testing::Values(Fault::FullQueue, Fault::ReportsLost, Fault::WatchEndedUnexplained,
                                           Fault::NoRoomForAWatch, Fault::UnsupportedFileSystem, Fault::TopReplaced),
                         FaultName);

TEST_F(JournalPasses, AFolderMovedOutOfTheTreeGoesWithItsWatches)
{
    pass();
    EXPECT_EQ(journal->watchCount(), 4U);
    tree.rename("w/s", "outside/s");
    Passes passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.guided.size(), 2U);
    EXPECT_EQ(passes.opened, Opened {"w"});
    EXPECT_EQ(journal->watchCount(), 2U) << "the watches of w/s and w/s/t are dropped";

    // what happens to it out there is no concern of the tree's, nor is its return a surprise
    tree.writeFile("outside/s/t/more.txt", T);
    EXPECT_EQ(pass().opened, Opened {});
    tree.rename("outside/s", "w/back");
    passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.guided.size(), 3U);
    EXPECT_EQ(passes.opened, (Opened {"w", "w/back", "w/back/t"}));
}

TEST_F(JournalPasses, ATreeThatWouldTakeMoreThanItsShareOfWatchesWalksUnwatched)
{
    faults->limit = 3;
    const Passes first = pass();
    EXPECT_EQ(first.opened, openings.all("w"));
    EXPECT_EQ(journal->watchCount(), 0U) << "what it took is given back";
    for (int i = 0; i < 2; ++i) {
        tree.writeFile("w/s/t/new" + std::to_string(i), T);
        const Passes passes = pass();
        EXPECT_EQ(passes.guided, passes.walked);
        EXPECT_EQ(passes.opened, openings.all("w"));
        EXPECT_EQ(journal->watchCount(), 0U);
    }
    faults->limit = 100;
    pass();
    EXPECT_EQ(pass().opened, Opened {}) << "with room again, it is watched";
}

TEST_F(JournalPasses, AFolderRemovedFromTheListDropsItsWatchesAtTheNextPass)
{
    folders = {tree.folder("w/s"), tree.folder("w/u")};
    pass();
    EXPECT_EQ(journal->watchCount(), 3U);
    folders = {tree.folder("w/u")};
    pass();
    EXPECT_EQ(journal->watchCount(), 1U);
    journal->forget();
    EXPECT_EQ(journal->watchCount(), 0U);
}

TEST_F(JournalPasses, AClosedJournalLeavesPassesToWalk)
{
    pass();
    journal->close();
    tree.writeFile("w/s/t/new.txt", T);
    const Passes passes = pass();
    EXPECT_EQ(passes.guided, std::vector<Change> {added("w/s/t/new.txt")});
    EXPECT_EQ(passes.opened, openings.all("w"));
}

TEST_F(JournalPasses, ACancelledPassLeavesTheNextToWalk)
{
    pass();
    tree.writeFile("w/s/t/new.txt", T);
    const std::atomic<bool> cancel {true};
    EXPECT_TRUE(RunMonitorPass(folders, guidedStore, &cancel, {journal.get(), false}).cancelled);
    // what the cancelled pass took from the journal went with it
    const Passes passes = pass();
    EXPECT_EQ(passes.guided, std::vector<Change> {added("w/s/t/new.txt")});
    EXPECT_EQ(passes.opened, openings.all("w"));
}

TEST_F(JournalPasses, ANewNameForAFileMakesThePassWalk)
{
    pass();
    std::filesystem::create_hard_link(PathOf(tree.path("w/s/b.txt")), PathOf(tree.path("w/u/b-again.txt")));
    Passes passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.opened, openings.all("w"));
    // both folders hold a file with two names now: they are read at every pass, and a write under either name
    // is seen under both
    tree.setTime("w/u/b-again.txt", T + 90);
    passes = pass();
    EXPECT_EQ(passes.guided, passes.walked);
    EXPECT_EQ(passes.guided.size(), 2U);
    EXPECT_EQ(passes.opened, (Opened {"w/s", "w/u"}));
}

} // namespace
} // namespace tarnwick
