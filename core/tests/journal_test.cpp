// The pass guided by the change journal against a fresh walk of the same trees, on random sequences of changes;
// faults injected into the journal's source, each of which must make the pass walk and report as the walk does.

#include "core/change_journal.h"
#include "core/monitor_pass.h"
#include "core/paths.h"
#include "print_change.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#ifdef __linux__
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifdef __linux__

// Random changes below the work folder: "r" and "s" hold the listed folders, "o" is outside them.
class RandomChanges
{
public:
    RandomChanges(const TempTree &tree, std::uint32_t seed)
        : m_tree(tree)
        , m_random(seed)
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
        switch (m_random() % 14) {
        case 0:
            writeFile(folder + "/" + fileName());
            return "create in " + folder;
        case 1:
            if (file.empty())
                return "nothing";
            m_tree.remove(file);
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
                m_tree.remove(file);
                makeFolder(file);
                if (m_random() % 2)
                    writeFile(file + "/" + fileName());
                return "file to folder " + file;
            }
            if (isArea(folder))
                return "nothing";
            m_tree.remove(folder);
            writeFile(folder);
            return "folder to file " + folder;
        }
        case 11: {
            if (isArea(folder))
                return "nothing";
            m_tree.remove(folder);
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
        default: {
            if (file.empty())
                return "nothing";
            const std::string link = folder + "/" + fileName();
            std::error_code ignored;
            std::filesystem::create_symlink(PathOf(m_tree.path(file)), PathOf(m_tree.path(link)), ignored);
            return "symbolic link " + link + " to " + file;
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
        if (!std::filesystem::is_directory(PathOf(m_tree.path(file.substr(0, file.rfind('/'))))))
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
        folders.push_back(folder);
        std::error_code error;
        std::vector<std::string> children;
        for (std::filesystem::directory_iterator it(PathOf(m_tree.path(folder)), error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = TextOf(it->path().filename());
            if (it->is_symlink())
                continue;
            if (it->is_directory())
                children.push_back(folder + "/" + name);
            else if (files != nullptr)
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
};

// Runs seeded sequences of changes, each followed by a pass guided by the journal and a pass that walks;
// gives the first difference, if any. takenOver counts the directories the guided passes did not read.
std::string compareWithWalks(std::uint32_t firstSeed, int rounds, std::size_t &directoriesTakenOver)
{
    // one journal for every round, as the program keeps one: closing one waits for the kernel
    ChangeJournal journal(SystemJournalSource());
    for (int round = 0; round < rounds; ++round) {
        const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(round);
        TempTree tree;
        RandomChanges random(tree, seed);
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

#endif

} // namespace
} // namespace tarnwick
