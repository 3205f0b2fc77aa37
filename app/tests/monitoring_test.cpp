#include "harness.h"

#include "app/folder_list.h"
#include "app/pass_report.h"
#include "app/procedure.h"
#include "core/history_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::SettingKey;

constexpr FileTime kTime = 1700000000;

std::string readFile(const std::string &path)
{
    std::ifstream in(PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string line(const std::string &time, ChangeKind kind, const std::string &path)
{
    return time + " " + std::string(ActionText(kind)) + " " + path + std::string(kLineEnd);
}

class MonitoringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.tree.writeFile("watched/keep.txt", kTime);
        harness.tree.writeFile("watched/old.txt", kTime);
        folder = harness.tree.folder("watched");
    }
    void listTheFolder() { harness.store(SettingKey::Folders, folder + std::string(app::kStoredFolderSeparator)); }
    // "Monitor Folder Now (Test)" to its end.
    void runByHand()
    {
        harness.app().PushButton6_Click();
        harness.queuedWorker.completeAll();
    }
    std::string log() { return readFile(harness.app().historyLogPath()); }
    bool logExists() { return std::filesystem::exists(PathOf(harness.app().historyLogPath())); }

    Harness harness;
    std::string folder;
};

TEST_F(MonitoringTest, APassThroughTheWindow)
{
    harness.start();
    runByHand();
    EXPECT_EQ(harness.prompts.messages.back(), "No folders added.");

    harness.prompts.folders.push_back(harness.tree.path("watched"));
    harness.app().PushButton3_Click();
    runByHand();
    EXPECT_EQ(harness.prompts.messages.back(), "No changes since last monitor.");
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_FALSE(logExists()) << "a pass that reports nothing leaves no log";

    harness.tree.writeFile("watched/new.txt", kTime);
    harness.tree.remove("watched/old.txt");
    harness.tree.setTime("watched/keep.txt", kTime + 1);
    harness.clock.time = At(2026, 12, 7, 4, 20, 36);
    runByHand();
    EXPECT_EQ(harness.prompts.messages.back(), "Done.");
    EXPECT_TRUE(harness.prompts.errors.empty());

    const std::string time = "2026-12-07 04:20:36";
    ASSERT_EQ(harness.view.history.size(), 1u);
    EXPECT_EQ(harness.view.history[0].time, time);
    const std::vector<Change> expected = {
        {ChangeKind::Added, folder + "new.txt"},
        {ChangeKind::Removed, folder + "old.txt"},
        {ChangeKind::Modified, folder + "keep.txt"},
    };
    EXPECT_EQ(harness.view.history[0].changes, expected);
    std::string expectedLog;
    for (const Change &change : expected)
        expectedLog += line(time, change.kind, change.path);
    EXPECT_EQ(log(), expectedLog);

    // the next pass appends below, and its rows go on at the end
    harness.clock.time = At(2026, 12, 7, 4, 21, 0);
    harness.tree.remove("watched/new.txt");
    runByHand();
    ASSERT_EQ(harness.view.history.size(), 2u);
    EXPECT_EQ(harness.view.history[1].changes, (std::vector<Change> {{ChangeKind::Removed, folder + "new.txt"}}));
    EXPECT_EQ(log(), expectedLog + line("2026-12-07 04:21:00", ChangeKind::Removed, folder + "new.txt"));
    EXPECT_EQ(harness.prompts.messages.size(), 4u);
}

TEST_F(MonitoringTest, TheWorkerWritesTheLogInOneAppendAndTheViewGetsOneBatch)
{
    listTheFolder();
    harness.start();
    runByHand();
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        harness.tree.writeFile(std::string("watched/") + name, kTime);

    harness.app().PushButton6_Click();
    harness.queuedWorker.runWork();
    // the worker has built and written the log; the window has shown nothing yet
    const std::string written = log();
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_EQ(harness.prompts.messages.size(), 1u);

    harness.queuedWorker.complete();
    ASSERT_EQ(harness.view.history.size(), 1u) << "one insertion for the pass";
    const app::HistoryBatch &batch = harness.view.history[0];
    EXPECT_EQ(batch.changes.size(), 3u);
    std::string expected;
    for (const Change &change : batch.changes)
        expected += line(batch.time, change.kind, change.path);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(log(), expected);
    EXPECT_EQ(harness.prompts.messages.back(), "Done.");
}

TEST_F(MonitoringTest, ALogThatCannotBeWrittenIsReportedOnceForThePassAndTheRowsStay)
{
    listTheFolder();
    harness.start();
    runByHand();
    // a folder where the log should be
    harness.tree.makeFolder("temp/Tarnwick.txt");
    harness.tree.writeFile("watched/a.txt", kTime);
    harness.tree.writeFile("watched/b.txt", kTime);
    runByHand();
    ASSERT_EQ(harness.view.history.size(), 1u);
    EXPECT_EQ(harness.view.history[0].changes.size(), 2u);
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    const std::string &report = harness.prompts.errors[0];
    EXPECT_NE(report.find(harness.app().historyLogPath()), std::string::npos) << report;
    EXPECT_NE(report.find("\nin Tarnwick2021/08/31.Form1.StartMonitor at line 104\n"), std::string::npos) << report;
    EXPECT_EQ(harness.prompts.messages.back(), "Done.");

    // once per pass, for the pass's lines
    harness.tree.writeFile("watched/c.txt", kTime);
    runByHand();
    EXPECT_EQ(harness.prompts.errors.size(), 2u);
    EXPECT_EQ(harness.view.historyRows().size(), 3u);

    // writable again: the next pass's lines are appended, the lost ones are not made up
    harness.tree.remove("temp/Tarnwick.txt");
    harness.tree.writeFile("watched/d.txt", kTime);
    runByHand();
    EXPECT_EQ(harness.prompts.errors.size(), 2u);
    EXPECT_EQ(log(), line("2026-12-07 04:20:36", ChangeKind::Added, folder + "d.txt"));
}

TEST_F(MonitoringTest, ClosingDuringAPassCancelsItAndWaits)
{
    listTheFolder();
    harness.store(SettingKey::StartStopState, "On");
    harness.start();
    runByHand(); // refused: monitoring is on
    harness.app().PushButton5_Click();
    runByHand();
    harness.tree.writeFile("watched/new.txt", kTime);
    harness.app().PushButton6_Click();
    ASSERT_TRUE(harness.app().monitor().running());

    harness.app().Form_QueryUnload();
    EXPECT_EQ(harness.queuedWorker.waits, 1);
    EXPECT_FALSE(harness.timer.running);
    EXPECT_FALSE(harness.trayIcon.shown);
    // its completion arrives after the close: the cancelled pass reports nothing and writes nothing
    harness.queuedWorker.completeAll();
    EXPECT_FALSE(harness.app().monitor().running());
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_FALSE(logExists());
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(MonitoringTest, APassThatEndedBeforeTheCloseShowsNothingAfterIt)
{
    listTheFolder();
    harness.start();
    runByHand();
    harness.tree.writeFile("watched/new.txt", kTime);
    harness.app().PushButton6_Click();
    // the work has ended, its completion has not arrived yet when the window closes
    harness.queuedWorker.runWork();
    harness.app().Form_QueryUnload();
    harness.queuedWorker.completeAll();
    EXPECT_FALSE(harness.app().monitor().running());
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(MonitoringTest, ClearingTheListFreesWhatItsFoldersTook)
{
    listTheFolder();
    harness.start();
    runByHand();
    EXPECT_EQ(harness.app().monitor().store().snapshot().fileCount(), 2u);
    harness.app().PushButton7_Click();
    harness.app().PushButton6_Click();
    EXPECT_EQ(harness.prompts.messages.back(), "No folders added.");
    EXPECT_EQ(harness.app().monitor().store().snapshot().fileCount(), 0u);
    EXPECT_EQ(harness.app().monitor().store().snapshot().directoryCount(), 0u);
}

#ifdef __linux__
// A file of the watched folder written under a second name outside it changes with no report about the folder,
// as with a write through a shared memory map: only a walk sees it. A scheduled pass reads what reports
// named; the pass run by hand walks, and so does the first scheduled pass an hour after the last walk.
TEST_F(MonitoringTest, PassesRunByHandAndHourlyWalkWhatTheJournalCannotSee)
{
    listTheFolder();
    harness.start();
    runByHand();
    const auto scheduledPass = [&] {
        harness.app().monitor().StartMonitor({folder}, true, {});
        harness.queuedWorker.completeAll();
        return harness.view.historyRows().size();
    };
    // written under a second name that is gone again before the next pass
    harness.tree.makeFolder("elsewhere");
    const auto writeUnreported = [&](FileTime time) {
        std::filesystem::create_hard_link(PathOf(folder + "keep.txt"), PathOf(harness.tree.path("elsewhere/k")));
        harness.tree.setTime("elsewhere/k", time);
        harness.tree.remove("elsewhere/k");
    };

    writeUnreported(kTime + 10);
    EXPECT_EQ(scheduledPass(), 0u) << "no report: the journal cannot know";
    runByHand();
    EXPECT_EQ(harness.view.historyRows().size(), 1u) << "the pass run by hand walks";

    writeUnreported(kTime + 20);
    harness.clock.time += 59.0 / (24 * 60);
    EXPECT_EQ(scheduledPass(), 1u) << "59 minutes after the last walk";
    harness.clock.time += 1.0 / (24 * 60);
    EXPECT_EQ(scheduledPass(), 2u) << "an hour after the last walk";
    writeUnreported(kTime + 30);
    harness.clock.time += 1.0 / (24 * 60);
    EXPECT_EQ(scheduledPass(), 2u) << "the scheduled walk counts as the last walk";
    harness.clock.time -= 1.0;
    EXPECT_EQ(scheduledPass(), 3u) << "a clock set back walks";
}
#endif

TEST(PassReport, FailuresAreDescribedOnce)
{
    EXPECT_EQ(app::FailureDescription({}), std::nullopt);
    EXPECT_EQ(app::FailureDescription({{"/w/a/", "Permission denied"}}), "Permission denied (/w/a/)");
    EXPECT_EQ(app::FailureDescription({{"", "Out of memory"}}), "Out of memory");
    EXPECT_EQ(app::FailureDescription({{"/w/a/", "Permission denied"}, {"/w/b/", "I/O error"}, {"/w/c/", "x"}}),
              "Permission denied (/w/a/), and 2 more folders could not be read");
}

TEST(PassReport, TheLogLinesOfAPassShareItsTime)
{
    const std::vector<Change> changes = {{ChangeKind::Added, "/w/a b"}, {ChangeKind::Removed, "/w/b"}};
    EXPECT_EQ(app::HistoryLogText("2026-12-07 04:20:36", changes),
              line("2026-12-07 04:20:36", ChangeKind::Added, "/w/a b") +
                  line("2026-12-07 04:20:36", ChangeKind::Removed, "/w/b"));
    EXPECT_EQ(app::HistoryLogText("t", {}), "");
    EXPECT_EQ(app::ClosingMessage(true), "Done.");
    EXPECT_EQ(app::ClosingMessage(false), "No changes since last monitor.");
}

} // namespace
} // namespace tarnwick::testing
