#include "core/monitor_pass.h"
#include "core/paths.h"
#include "print_change.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#ifndef _WIN32
#include <climits>
#include <sys/stat.h>
#endif
#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#endif

namespace tarnwick {
namespace {

using testing::TempTree;

constexpr FileTime T = 1700000000;

class MonitorPass : public ::testing::Test
{
protected:
    PassResult pass(const std::vector<std::string> &folders) { return RunMonitorPass(folders, store); }
    Change added(const std::string &relative) const { return {ChangeKind::Added, tree.path(relative)}; }
    Change removed(const std::string &relative) const { return {ChangeKind::Removed, tree.path(relative)}; }
    Change modified(const std::string &relative) const { return {ChangeKind::Modified, tree.path(relative)}; }

    TempTree tree;
    SnapshotStore store;
};

TEST_F(MonitorPass, FirstPassRecordsSilently)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/s/b.txt", T);
    const PassResult result = pass({tree.folder("w")});
    EXPECT_TRUE(result.changes.empty());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.filesSeen, 2U);
    EXPECT_EQ(store.snapshot().fileCount(), 2U);
}

TEST_F(MonitorPass, ReportsAdditionsThenRemovalsThenModifications)
{
    tree.writeFile("w/keep.txt", T);
    tree.writeFile("w/old.txt", T);
    tree.writeFile("w/s/deep-old.txt", T);
    tree.writeFile("w/s/edit.txt", T);
    pass({tree.folder("w")});

    tree.writeFile("w/s/new.txt", T);
    tree.writeFile("w/new.txt", T);
    tree.remove("w/old.txt");
    tree.remove("w/s/deep-old.txt");
    tree.setTime("w/s/edit.txt", T + 1);
    tree.setTime("w/keep.txt", T + 5);
    const PassResult result = pass({tree.folder("w")});

    // additions: the folder's own files before its subfolder's; removals in the previous order
    const std::vector<Change> expected = {added("w/new.txt"),     added("w/s/new.txt"),
                                          removed("w/old.txt"),   removed("w/s/deep-old.txt"),
                                          modified("w/keep.txt"), modified("w/s/edit.txt")};
    EXPECT_EQ(result.changes, expected);
    EXPECT_TRUE(pass({tree.folder("w")}).changes.empty()) << "the new snapshot replaces the old one";
}

TEST_F(MonitorPass, ReportsByTheSecondOnly)
{
    tree.writeFile("w/a.txt", T, 100);
    pass({tree.folder("w")});
    tree.setTime("w/a.txt", T, 900000000);
    EXPECT_TRUE(pass({tree.folder("w")}).changes.empty()) << "a write within the same second";
    tree.setTime("w/a.txt", T - 60);
    EXPECT_TRUE(pass({tree.folder("w")}).changes.empty()) << "a time that moved backwards";
    tree.setTime("w/a.txt", T + 1);
    EXPECT_EQ(pass({tree.folder("w")}).changes, std::vector<Change> {modified("w/a.txt")});
}

TEST_F(MonitorPass, SkipsTildeFilesAndReportsMovesAsRemovalAndAddition)
{
    tree.writeFile("w/x/a.txt", T);
    pass({tree.folder("w")});
    tree.writeFile("w/~lock.tmp", T);
    tree.rename("w/x/a.txt", "w/a.txt");
    EXPECT_EQ(pass({tree.folder("w")}).changes, (std::vector<Change> {added("w/a.txt"), removed("w/x/a.txt")}));
}

TEST_F(MonitorPass, AMissingFolderKeepsItsSnapshotUntilItComesBack)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/b.txt", T);
    const std::vector<std::string> folders = {tree.folder("w")};
    pass(folders);

    tree.rename("w", "away");
    EXPECT_TRUE(pass(folders).changes.empty());
    EXPECT_EQ(store.snapshot().fileCount(), 2U);

    tree.remove("away/a.txt");
    tree.writeFile("away/c.txt", T);
    tree.rename("away", "w");
    EXPECT_EQ(pass(folders).changes, (std::vector<Change> {added("w/c.txt"), removed("w/a.txt")}));
}

TEST_F(MonitorPass, SnapshotsFollowTheFolderNotItsRow)
{
    tree.writeFile("one/a.txt", T);
    tree.writeFile("two/b.txt", T);
    pass({tree.folder("one"), tree.folder("two")});
    EXPECT_TRUE(pass({tree.folder("two"), tree.folder("one")}).changes.empty()) << "rows reordered";

    tree.writeFile("one/new.txt", T);
    tree.writeFile("two/new.txt", T);
    // folders in list order; a folder given without its separator is the same folder
    EXPECT_EQ(pass({tree.path("two"), tree.folder("one")}).changes,
              (std::vector<Change> {added("two/new.txt"), added("one/new.txt")}));
}

TEST_F(MonitorPass, ReportsEachChangeOnceUnderTheFirstListedFolderThatHoldsIt)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/s/b.txt", T);
    tree.writeFile("w/s/t/c.txt", T);
    const std::vector<std::string> folders = {tree.folder("w/s"), tree.folder("w"), tree.folder("w/s/t"),
                                              tree.path("w")};
    pass(folders);
    tree.writeFile("w/new.txt", T);
    tree.writeFile("w/s/t/new.txt", T);
    tree.remove("w/s/b.txt");
    tree.setTime("w/a.txt", T + 1);
    tree.setTime("w/s/t/c.txt", T + 1);
    // w/s first: its additions, removals and modifications; then what only w holds
    EXPECT_EQ(pass(folders).changes,
              (std::vector<Change> {added("w/s/t/new.txt"), removed("w/s/b.txt"), modified("w/s/t/c.txt"),
                                    added("w/new.txt"), modified("w/a.txt")}));
}

TEST_F(MonitorPass, AFolderListedLaterIsComparedWhenItsTreeWasRecorded)
{
    tree.writeFile("one/a.txt", T);
    tree.writeFile("two/b.txt", T);
    tree.writeFile("one/s/c.txt", T);
    pass({tree.folder("one")});
    tree.writeFile("one/s/new.txt", T);
    // two was never recorded: silent; one/s was recorded as part of one: compared, and reported first
    EXPECT_EQ(pass({tree.folder("two"), tree.folder("one/s"), tree.folder("one")}).changes,
              std::vector<Change> {added("one/s/new.txt")});
    tree.remove("two/b.txt");
    EXPECT_EQ(pass({tree.folder("one"), tree.folder("two")}).changes, std::vector<Change> {removed("two/b.txt")});
}

TEST_F(MonitorPass, ANewFolderIsReportedWithEverythingBelowIt)
{
    tree.writeFile("w/a.txt", T);
    pass({tree.folder("w")});
    tree.writeFile("w/new/b.txt", T);
    tree.writeFile("w/new/deeper/c.txt", T);
    EXPECT_EQ(pass({tree.folder("w")}).changes,
              (std::vector<Change> {added("w/new/b.txt"), added("w/new/deeper/c.txt")}));
}

TEST_F(MonitorPass, AnEmptiedFolderReportsEveryFileRemoved)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/s/b.txt", T);
    pass({tree.folder("w")});
    tree.remove("w/a.txt");
    tree.remove("w/s");
    EXPECT_EQ(pass({tree.folder("w")}).changes, (std::vector<Change> {removed("w/a.txt"), removed("w/s/b.txt")}));
}

TEST_F(MonitorPass, CancellingLeavesTheStoreAsItWas)
{
    tree.writeFile("w/a.txt", T);
    pass({tree.folder("w")});
    tree.writeFile("w/b.txt", T);
    const std::atomic<bool> cancel {true};
    const PassResult result = RunMonitorPass({tree.folder("w")}, store, &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(pass({tree.folder("w")}).changes, std::vector<Change> {added("w/b.txt")});
}

TEST_F(MonitorPass, KeepsOnlyWhatTheListedFoldersNeed)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/s/b.txt", T);
    tree.writeFile("w/s/t/c.txt", T);
    tree.writeFile("other/d.txt", T);
    pass({tree.folder("w"), tree.folder("other")});
    EXPECT_EQ(store.snapshot().fileCount(), 4U);
    EXPECT_EQ(store.snapshot().directoryCount(), 4U);

    pass({tree.folder("w/s")});
    EXPECT_EQ(store.snapshot().fileCount(), 2U);
    EXPECT_EQ(store.snapshot().directoryCount(), 2U);

    // a missing folder keeps its snapshot, and only that
    tree.rename("w", "away");
    pass({tree.folder("w/s/t")});
    EXPECT_EQ(store.snapshot().fileCount(), 1U);

    pass({});
    EXPECT_EQ(store.snapshot().fileCount(), 0U);
    EXPECT_EQ(store.snapshot().directoryCount(), 0U);

    // listed again, a folder is recorded afresh
    tree.rename("away", "w");
    tree.writeFile("w/new.txt", T);
    EXPECT_TRUE(pass({tree.folder("w")}).changes.empty());
}

#ifndef _WIN32
TEST_F(MonitorPass, MonitorsEveryNameAndShowsItWithEscapes)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/line\nbreak/b.txt", T);
    pass({tree.folder("w")});
    tree.writeFile("w/tab\tand\xff.txt", T);
    tree.writeFile("w/line\nbreak/forged\n2026-01-01 00:00:00 Removed file x", T);
    tree.writeFile("w/what?.txt", T);
    std::vector<std::string> shown;
    for (const Change &change : pass({tree.folder("w")}).changes)
        shown.push_back(change.path);
    std::sort(shown.begin(), shown.end());
    const std::string folder = tree.folder("w");
    EXPECT_EQ(shown,
              (std::vector<std::string> {folder + "line\\nbreak/forged\\n2026-01-01 00:00:00 Removed file x",
                                         folder + "tab\\tand\\xFF.txt", folder + "what?.txt"}));
}

TEST_F(MonitorPass, ReachesAnyDepth)
{
    std::string deep = "w/";
    while (deep.size() < PATH_MAX + 400)
        deep += std::string(100, 'd') + "/";
    tree.writeDeepFile(deep + "old.txt", T);
    pass({tree.folder("w")});
    tree.writeDeepFile(deep + "new.txt", T);
    EXPECT_EQ(pass({tree.folder("w")}).changes, std::vector<Change> {added(deep + "new.txt")});
}

TEST_F(MonitorPass, DoesNotFollowALinkLoop)
{
    tree.writeFile("w/a.txt", T);
    std::filesystem::create_directory_symlink(tree.path("w"), tree.path("w/loop"));
    pass({tree.folder("w")});
    tree.writeFile("w/b.txt", T);
    EXPECT_EQ(pass({tree.folder("w")}).changes, std::vector<Change> {added("w/b.txt")});
}

// Both the folder that cannot be listed and the one whose names can be listed but whose entries cannot be
// examined keep what was recorded below them, and report nothing when they open again.
TEST_F(MonitorPass, AnUnreadableFolderKeepsItsFiles)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        std::string problems;
        for (const char *lockedFolder : {"w/locked", "w"}) {
            for (const mode_t mode : {0000, 0444, 0111}) {
                TempTree own;
                own.writeFile("w/a.txt", T);
                own.writeFile("w/locked/b.txt", T);
                own.writeFile("w/locked/deeper/c.txt", T);
                SnapshotStore store;
                const std::vector<std::string> folders = {own.folder("w"), own.folder("w/locked/deeper")};
                RunMonitorPass(folders, store);

                own.writeFile("w/locked/new.txt", T);
                ::chmod(own.path(lockedFolder).c_str(), mode);
                const PassResult locked = RunMonitorPass(folders, store);
                ::chmod(own.path(lockedFolder).c_str(), 0755);
                const std::string what = std::string(lockedFolder) + " mode " + std::to_string(mode) + ": ";
                if (!locked.changes.empty())
                    problems += what + "while locked: " + std::to_string(locked.changes.size()) + " changes; ";

                own.remove("w/locked/deeper/c.txt");
                const PassResult opened = RunMonitorPass(folders, store);
                if (opened.changes !=
                    std::vector<Change> {{ChangeKind::Added, own.path("w/locked/new.txt")},
                                         {ChangeKind::Removed, own.path("w/locked/deeper/c.txt")}})
                    problems += what + "after unlocking: " + std::to_string(opened.changes.size()) + " changes; ";
            }
        }
        return problems;
    });
    EXPECT_EQ(message, "");
}

// A listed folder below a folder whose names can no longer be listed (search permission alone) is still reached by
// its own path: what changes in it is reported at that pass, while the folder above keeps what it had.
TEST_F(MonitorPass, AListedFolderBelowAnUnlistableFolderIsStillInspected)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        TempTree own;
        own.writeFile("w/a.txt", T);
        own.writeFile("w/locked/b.txt", T);
        own.writeFile("w/locked/listed/c.txt", T);
        SnapshotStore store;
        const std::vector<std::string> folders = {own.folder("w"), own.folder("w/locked/listed")};
        RunMonitorPass(folders, store);

        ::chmod(own.path("w/locked").c_str(), 0111);
        own.writeFile("w/locked/listed/new.txt", T);
        own.setTime("w/locked/listed/c.txt", T + 60);
        const PassResult result = RunMonitorPass(folders, store);
        ::chmod(own.path("w/locked").c_str(), 0755);
        const std::vector<Change> expected = {{ChangeKind::Added, own.path("w/locked/listed/new.txt")},
                                              {ChangeKind::Modified, own.path("w/locked/listed/c.txt")}};
        if (result.changes != expected)
            return std::to_string(result.changes.size()) + " changes instead of the added and the modified file";
        return std::string();
    });
    EXPECT_EQ(message, "");
}

// A directory whose contents were never recorded although it was known to exist is recorded silently when it
// can be read; a directory that was new to its recorded parent is a real change, even if it could not be read
// at first.
TEST_F(MonitorPass, AFolderReadForTheFirstTimeIsRecordedSilentlyUnlessItIsNew)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        TempTree own;
        std::string problems;
        auto expect = [&](const PassResult &result, const std::vector<Change> &expected, const char *what) {
            if (result.changes != expected)
                problems += std::string(what) + ": " + std::to_string(result.changes.size()) + " changes; ";
        };
        own.writeFile("w/a.txt", T);
        own.writeFile("w/closed/b.txt", T);
        own.writeFile("late/c.txt", T);
        ::chmod(own.path("w/closed").c_str(), 0);
        SnapshotStore store;
        const std::vector<std::string> folders = {own.folder("w"), own.folder("late")};
        own.rename("late", "elsewhere");
        RunMonitorPass(folders, store);

        own.rename("elsewhere", "late");
        ::chmod(own.path("w/closed").c_str(), 0755);
        expect(RunMonitorPass(folders, store), {}, "known folders read for the first time");

        own.writeFile("w/opened/d.txt", T);
        own.writeFile("w/opened/below/e.txt", T);
        ::chmod(own.path("w/opened").c_str(), 0);
        expect(RunMonitorPass(folders, store), {}, "a new folder that cannot be read");
        ::chmod(own.path("w/opened").c_str(), 0755);
        expect(RunMonitorPass(folders, store),
               {{ChangeKind::Added, own.path("w/opened/d.txt")}, {ChangeKind::Added, own.path("w/opened/below/e.txt")}},
               "the new folder opened");

        own.writeFile("w/closed/f.txt", T);
        expect(RunMonitorPass(folders, store), {{ChangeKind::Added, own.path("w/closed/f.txt")}}, "a later change");
        return problems;
    });
    EXPECT_EQ(message, "");
}
#endif

#ifdef __linux__
// The kernel reports every opening of a watched directory: each must be opened once per pass, however many
// listed folders hold it.
TEST_F(MonitorPass, ReadsEachDirectoryOncePerPass)
{
    tree.writeFile("w/a.txt", T);
    tree.writeFile("w/s/b.txt", T);
    tree.writeFile("w/s/t/c.txt", T);
    tree.writeFile("w/u/d.txt", T);
    const std::vector<std::string> folders = {tree.folder("w/s"), tree.folder("w"), tree.path("w"),
                                              tree.folder("w/s/t"), tree.folder("w/s")};
    pass(folders);

    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    std::map<int, std::string> watched;
    for (const char *folder : {"w", "w/s", "w/s/t", "w/u"})
        watched[::inotify_add_watch(watcher, tree.path(folder).c_str(), IN_OPEN)] = folder;
    tree.writeFile("w/s/t/new.txt", T);
    EXPECT_EQ(pass(folders).changes, std::vector<Change> {added("w/s/t/new.txt")});

    std::map<std::string, int> opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watcher, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len == 0) // the watched directory itself, not an entry of it
                ++opened[watched[event->wd]];
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watcher);
    EXPECT_EQ(opened, (std::map<std::string, int> {{"w", 1}, {"w/s", 1}, {"w/s/t", 1}, {"w/u", 1}}));
}
#endif

} // namespace
} // namespace tarnwick
