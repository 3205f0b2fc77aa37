// A pass that breaks off on the worker (out of memory) as the window sees it. This executable replaces the global
// allocation functions so that the worker's next allocation can be made to fail.

#include "harness.h"

#include "app/folder_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
thread_local int t_allocationsToFail = 0;
} // namespace

void *operator new(std::size_t size)
{
    if (t_allocationsToFail > 0) {
        --t_allocationsToFail;
        throw std::bad_alloc();
    }
    if (void *memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace tarnwick::testing {
namespace {

// Runs the work at once, with its first allocation failing where failNext is set.
class FailingWorker : public app::Worker
{
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        t_allocationsToFail = failNext ? 1 : 0;
        failNext = false;
        work();
        t_allocationsToFail = 0;
        done();
    }
    void wait() override { }

    bool failNext = false;
};

TEST(FailingPass, AManualPassThatFailedEndsWithItsReportAlone)
{
    FailingWorker worker;
    Harness harness(&worker);
    harness.tree.writeFile("watched/a.txt", 1700000000);
    harness.store(app::SettingKey::Folders, harness.tree.folder("watched") + std::string(app::kStoredFolderSeparator));
    harness.start();
    harness.app().PushButton6_Click(); // records
    ASSERT_EQ(harness.prompts.messages.size(), 1u);
    harness.prompts.messages.clear();

    harness.tree.writeFile("watched/b.txt", 1700000000);
    worker.failNext = true;
    harness.app().PushButton6_Click();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_NE(harness.prompts.errors[0].find("StartMonitor"), std::string::npos) << harness.prompts.errors[0];
    // nothing was compared, so nothing may say there were no changes
    EXPECT_TRUE(harness.prompts.messages.empty()) << harness.prompts.messages[0];
    EXPECT_TRUE(harness.view.historyRows().empty());

    // the store is as it was: the next pass finds the change, and the button works again
    harness.app().PushButton6_Click();
    EXPECT_EQ(harness.view.historyRows().size(), 1u);
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {"Done."});
}

} // namespace
} // namespace tarnwick::testing
