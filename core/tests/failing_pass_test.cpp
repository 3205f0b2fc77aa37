// A pass that fails part-way, at any allocation, leaves the store as it was. This executable replaces the global
// allocation functions so that a test can make the nth allocation from a given moment fail.

#include "core/change_journal.h"
#include "core/monitor_pass.h"
#include "print_change.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>

namespace {
std::atomic<long> g_allocationsBeforeFailure {-1}; // -1: none fails
std::atomic<bool> g_failed {false};
} // namespace

void *operator new(std::size_t size)
{
    if (g_allocationsBeforeFailure.load(std::memory_order_relaxed) >= 0 &&
        g_allocationsBeforeFailure.fetch_sub(1) == 0) {
        g_failed = true;
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

namespace tarnwick {
namespace {

using testing::TempTree;

constexpr FileTime T = 1700000000;

TEST(FailingPass, LeavesTheStoreAsItWasAtWhicheverAllocationItFails)
{
    TempTree tree;
    for (const char *file : {"one/a.txt", "one/s/b.txt", "one/s/c.txt", "two/d.txt", "two/t/e.txt"})
        tree.writeFile(file, T);
    const std::vector<std::string> folders = {tree.folder("one"), tree.folder("two"), tree.folder("one/s")};
    SnapshotStore store;
    RunMonitorPass(folders, store);

    tree.writeFile("one/new.txt", T);
    tree.remove("one/s/b.txt");
    tree.setTime("one/s/c.txt", T + 1);
    tree.writeFile("two/t/u/f.txt", T);
    tree.remove("two/d.txt");
    SnapshotStore reference = store;
    const std::vector<Change> expected = RunMonitorPass(folders, reference).changes;
    ASSERT_EQ(expected.size(), 5U);

    long failAt = 0;
    for (;; ++failAt) {
        SnapshotStore attempt = store;
        std::optional<PassResult> result;
        g_failed = false;
        g_allocationsBeforeFailure = failAt;
        try {
            result = RunMonitorPass(folders, attempt);
        } catch (const std::bad_alloc &) {
        }
        g_allocationsBeforeFailure = -1;
        if (!g_failed)
            break; // the pass made fewer allocations than that
        if (result) {
            // the failure was met and got over: the pass must still be right
            ASSERT_EQ(result->changes, expected) << "failed at allocation " << failAt;
            continue;
        }
        ASSERT_EQ(RunMonitorPass(folders, attempt).changes, expected) << "failed at allocation " << failAt;
    }
    EXPECT_GT(failAt, 50) << "a pass allocates; the failures were not made";
}

#ifdef __linux__
// The same with the change journal, whose state a failing pass must not leave believing what the pass took from
// it: the pass after a failure reports what was missed. (An allocation of the journal's reader may fail instead;
// it then trusts nothing either.)
TEST(FailingPass, WithTheJournalTheNextPassReportsWhatAFailedOneMissed)
{
    ChangeJournal journal(SystemJournalSource());
    long failAt = 0;
    for (;; ++failAt) {
        TempTree tree;
        for (const char *file : {"one/a.txt", "one/s/b.txt", "one/s/c.txt", "two/d.txt"})
            tree.writeFile(file, T);
        const std::vector<std::string> folders = {tree.folder("one"), tree.folder("two")};
        const PassOptions guided {&journal, false};
        SnapshotStore store;
        RunMonitorPass(folders, store, nullptr, guided);
        tree.writeFile("one/new.txt", T);
        tree.setTime("one/s/c.txt", T + 1);
        tree.writeFile("two/t/f.txt", T);
        SnapshotStore reference = store;
        const std::vector<Change> expected = RunMonitorPass(folders, reference).changes;
        ASSERT_EQ(expected.size(), 3U);

        std::optional<PassResult> result;
        g_failed = false;
        g_allocationsBeforeFailure = failAt;
        try {
            result = RunMonitorPass(folders, store, nullptr, guided);
        } catch (const std::bad_alloc &) {
        }
        g_allocationsBeforeFailure = -1;
        if (!g_failed)
            break;
        if (result) {
            ASSERT_EQ(result->changes, expected) << "failed at allocation " << failAt;
            continue;
        }
        ASSERT_EQ(RunMonitorPass(folders, store, nullptr, guided).changes, expected)
            << "failed at allocation " << failAt;
    }
    EXPECT_GT(failAt, 20) << "a pass allocates; the failures were not made";
}
#endif

} // namespace
} // namespace tarnwick
