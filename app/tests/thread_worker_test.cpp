#include "harness.h"

#include "app/folder_list.h"
#include "app/thread_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace tarnwick::testing {
namespace {

using app::SettingKey;

// The window's queue: completions are posted from the worker's threads and run when the test pumps.
class PostedQueue
{
public:
    void post(std::function<void()> call)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_arrived.notify_all();
    }

    // Runs posted calls on this thread until the condition holds. False when nothing arrives for a long time
    // (a hang, not a slow machine: the limit only keeps a broken build from blocking the test run).
    bool pumpUntil(const std::function<bool()> &condition)
    {
        while (!condition()) {
            std::function<void()> call;
            {
                std::unique_lock lock(m_mutex);
                if (!m_arrived.wait_for(lock, std::chrono::minutes(2), [this] { return !m_calls.empty(); }))
                    return false;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
        }
        return true;
    }

    // Runs what has been posted so far.
    void drain()
    {
        for (;;) {
            std::function<void()> call;
            {
                const std::lock_guard lock(m_mutex);
                if (m_calls.empty())
                    return;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
        }
    }

    std::size_t size()
    {
        const std::lock_guard lock(m_mutex);
        return m_calls.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::function<void()>> m_calls;
};

TEST(ThreadWorker, WorkRunsOnAThreadAndItsCompletionWhereItIsPosted)
{
    PostedQueue queue;
    app::ThreadWorker worker([&queue](std::function<void()> call) { queue.post(std::move(call)); });
    const std::thread::id window = std::this_thread::get_id();
    std::atomic<bool> workOnWindowThread {true};
    int completions = 0;
    bool completionOnWindowThread = false;
    worker.run([&] { workOnWindowThread = std::this_thread::get_id() == window; },
               [&] {
                   ++completions;
                   completionOnWindowThread = std::this_thread::get_id() == window;
               });
    // a work that throws still ends with its completion
    worker.run([] { throw std::runtime_error("broken"); }, [&] { ++completions; });
    worker.wait();
    EXPECT_FALSE(workOnWindowThread);
    EXPECT_EQ(completions, 0) << "nothing runs before the window's thread pumps";
    EXPECT_EQ(queue.size(), 2u);
    queue.drain();
    EXPECT_EQ(completions, 2);
    EXPECT_TRUE(completionOnWindowThread);

    // many in a row, each completion once; wait() with nothing running returns at once
    for (int i = 0; i < 20; ++i)
        worker.run([] {}, [&] { ++completions; });
    ASSERT_TRUE(queue.pumpUntil([&] { return completions == 22; }));
    worker.wait();
    worker.wait();
}

// An application over a real worker: passes run on threads and report back through the posted queue.
class ThreadedApplication : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.tree.writeFile("watched/keep.txt", FileTime {1700000000});
        harness.store(SettingKey::Folders, folder + std::string(app::kStoredFolderSeparator));
        harness.start();
    }
    app::Application &app() { return harness.app(); }
    bool pumpUntilThePassEnds()
    {
        return queue.pumpUntil([this] { return !app().monitor().running(); });
    }

    // declared before the harness: the application is closed, and waits for the worker, before these go
    PostedQueue queue;
    app::ThreadWorker worker {[this](std::function<void()> call) { queue.post(std::move(call)); }};
    Harness harness {&worker};
    std::string folder = harness.tree.folder("watched");
};

TEST_F(ThreadedApplication, DrivesARealPassEndToEnd)
{
    app().PushButton6_Click();
    ASSERT_TRUE(pumpUntilThePassEnds());
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});

    harness.tree.writeFile("watched/new.txt", FileTime {1700000000});
    harness.tree.remove("watched/keep.txt");
    app().PushButton6_Click();
    ASSERT_TRUE(pumpUntilThePassEnds());
    EXPECT_EQ(harness.prompts.messages.back(), "Done.");
    ASSERT_EQ(harness.view.history.size(), 1u);
    EXPECT_EQ(
        harness.view.history[0].changes,
        (std::vector<Change> {{ChangeKind::Added, folder + "new.txt"}, {ChangeKind::Removed, folder + "keep.txt"}}));
    EXPECT_TRUE(std::filesystem::exists(PathOf(app().historyLogPath())));

    // scheduled passes through the tick, silent, one at a time
    app().Text_Change(2, "1");
    app().PushButton5_Click();
    harness.tree.writeFile("watched/later.txt", FileTime {1700000000});
    app().Timer1_Timer();
    ASSERT_TRUE(app().monitor().running());
    app().Timer1_Timer(); // while it may still run
    ASSERT_TRUE(pumpUntilThePassEnds());
    queue.drain();
    app().Timer1_Timer();
    ASSERT_TRUE(pumpUntilThePassEnds());
    EXPECT_EQ(harness.view.historyRows().back(), (Change {ChangeKind::Added, folder + "later.txt"}));
    EXPECT_EQ(harness.prompts.messages.size(), 2u);
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(ThreadedApplication, ClosingDuringARealPassCancelsItAndWaits)
{
    app().PushButton6_Click();
    ASSERT_TRUE(pumpUntilThePassEnds());
    // enough directories that the walk may still be going when the window closes
    for (int i = 0; i < 100; ++i)
        harness.tree.makeFolder("watched/d" + std::to_string(i) + "/e/f");
    harness.tree.writeFile("watched/new.txt", FileTime {1700000000});

    app().PushButton6_Click();
    app().Form_QueryUnload();
    // the worker has ended; whatever it found, nothing is shown after the close
    queue.drain();
    EXPECT_FALSE(app().monitor().running());
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"No changes since last monitor."});
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(ThreadedApplication, AddsAllSubfoldersOnAThread)
{
    harness.tree.makeFolder("tree/a/b");
    harness.prompts.folders = {harness.tree.path("tree")};
    app().PushButton4_Click();
    ASSERT_TRUE(queue.pumpUntil([this] { return !app().folderList().busy(); }));
    EXPECT_EQ(harness.view.folderRows,
              (std::vector<std::string> {folder, harness.tree.folder("tree"), harness.tree.folder("tree/a"),
                                         harness.tree.folder("tree/a/b")}));
    EXPECT_EQ(harness.view.pointer, app::Pointer::Default);
}

} // namespace
} // namespace tarnwick::testing
