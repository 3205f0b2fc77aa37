#include "core/monitor_pass.h"
#include "core/paths.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
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
    ASSERT_NE(store.find(tree.folder("w")), nullptr);
    EXPECT_EQ(store.find(tree.folder("w"))->files.size(), 2U);
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
    EXPECT_EQ(store.find(tree.folder("w"))->files.size(), 2U);

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
    EXPECT_TRUE(pass({tree.folder("two")}).changes.empty()) << "first row removed";

    tree.writeFile("one/new.txt", T);
    tree.writeFile("two/new.txt", T);
    // folders in list order; a folder given without its separator is the same folder
    EXPECT_EQ(pass({tree.path("two"), tree.folder("one")}).changes,
              (std::vector<Change> {added("two/new.txt"), added("one/new.txt")}));
}

TEST_F(MonitorPass, ReportsAChangeOnceWhenListedFoldersOverlap)
{
    tree.writeFile("w/s/a.txt", T);
    const std::vector<std::string> folders = {tree.folder("w"), tree.folder("w/s"), tree.folder("w")};
    pass(folders);
    tree.writeFile("w/s/b.txt", T);
    tree.setTime("w/s/a.txt", T + 1);
    EXPECT_EQ(pass(folders).changes, (std::vector<Change> {added("w/s/b.txt"), modified("w/s/a.txt")}));
}

TEST_F(MonitorPass, RecordsAFolderAddedLaterWithoutReportingIt)
{
    tree.writeFile("one/a.txt", T);
    tree.writeFile("two/b.txt", T);
    pass({tree.folder("one")});
    EXPECT_TRUE(pass({tree.folder("one"), tree.folder("two")}).changes.empty());
    tree.remove("two/b.txt");
    EXPECT_EQ(pass({tree.folder("one"), tree.folder("two")}).changes, std::vector<Change> {removed("two/b.txt")});
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

#ifndef _WIN32
TEST_F(MonitorPass, DoesNotFollowALinkLoop)
{
    tree.writeFile("w/a.txt", T);
    std::filesystem::create_directory_symlink(tree.path("w"), tree.path("w/loop"));
    pass({tree.folder("w")});
    tree.writeFile("w/b.txt", T);
    EXPECT_EQ(pass({tree.folder("w")}).changes, std::vector<Change> {added("w/b.txt")});
}

TEST_F(MonitorPass, AnUnreadableFolderKeepsItsFiles)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        TempTree own;
        own.writeFile("w/a.txt", T);
        own.writeFile("w/locked/b.txt", T);
        own.writeFile("w/locked/deeper/c.txt", T);
        SnapshotStore store;
        const std::vector<std::string> folders = {own.folder("w")};
        RunMonitorPass(folders, store);

        own.writeFile("w/new.txt", T);
        ::chmod(own.path("w/locked").c_str(), 0);
        const PassResult locked = RunMonitorPass(folders, store);
        ::chmod(own.path("w/locked").c_str(), 0755);
        if (locked.changes != std::vector<Change> {{ChangeKind::Added, own.path("w/new.txt")}})
            return "while locked: " + std::to_string(locked.changes.size()) + " changes";

        own.remove("w/locked/deeper/c.txt");
        const PassResult opened = RunMonitorPass(folders, store);
        if (opened.changes != std::vector<Change> {{ChangeKind::Removed, own.path("w/locked/deeper/c.txt")}})
            return "after unlocking: " + std::to_string(opened.changes.size()) + " changes";
        return std::string();
    });
    EXPECT_EQ(message, "");
}
#endif

} // namespace
} // namespace tarnwick
