#include "core/compare.h"
#include "core/monitor_pass.h"
#include "core/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tarnwick {
namespace {

// Paths are written with "/" here and turned into the platform's form.
std::string P(std::string path)
{
    std::replace(path.begin(), path.end(), '/', kSeparator);
    return path;
}

FileList list(std::initializer_list<const char *> paths)
{
    std::vector<std::string> converted;
    for (const char *path : paths)
        converted.push_back(P(path));
    return FileList::fromPaths(converted);
}

std::vector<std::string> pathsAt(const FileList &files, const std::vector<std::size_t> &positions)
{
    std::vector<std::string> result;
    for (const std::size_t i : positions)
        result.push_back(files.path(i));
    return result;
}

std::vector<std::string> paths(std::initializer_list<const char *> raw)
{
    std::vector<std::string> result;
    for (const char *path : raw)
        result.push_back(P(path));
    return result;
}

TEST(FileNameOf, TakesThePartAfterTheLastSeparator)
{
    EXPECT_EQ(FileNameOf(P("/w/a.txt")), "a.txt");
    EXPECT_EQ(FileNameOf("a.txt"), "a.txt");
    EXPECT_EQ(FileNameOf(P("/w/")), "");
}

TEST(ListMissing, ComparesFullPaths)
{
    struct Case {
        const char *what;
        FileList list;
        FileList other;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"one of two gone", list({"/w/a.txt", "/w/b.txt"}), list({"/w/a.txt"}), paths({"/w/b.txt"})},
        {"same name, other folder", list({"/w/x/a.txt"}), list({"/w/y/a.txt"}), paths({"/w/x/a.txt"})},
        {"letter case counts", list({"/w/A.txt"}), list({"/w/a.txt"}), paths({"/w/A.txt"})},
        {"duplicates kept in order", list({"/w/b", "/w/a", "/w/b"}), list({"/w/c"}), paths({"/w/b", "/w/a", "/w/b"})},
        {"empty other", list({"/w/a", "/w/b"}), list({}), paths({"/w/a", "/w/b"})},
        {"empty list", list({}), list({"/w/a"}), {}},
        {"folder is part of the path", list({"/w/ab/c"}), list({"/w/a/bc"}), paths({"/w/ab/c"})},
        {"all present, other order", list({"/w/a", "/w/s/b"}), list({"/w/s/b", "/w/a"}), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(pathsAt(c.list, ListMissing(c.list, c.other)), c.missing) << c.what;
}

TEST(ListMissing, OneOfTwoSameNamedFilesDeletedIsReported)
{
    const FileList before = list({"/w/x/a.txt", "/w/y/a.txt"});
    const FileList after = list({"/w/x/a.txt"});
    EXPECT_EQ(pathsAt(before, ListMissing(before, after)), paths({"/w/y/a.txt"}));
}

TEST(ListModified, ReportsOnlyStrictlyLaterTimesOfTheSamePath)
{
    const FileList previous = list({"/w/a", "/w/b", "/w/c", "/w/s/d"});
    const TimeList stored = {1000, 1000, 1000, 1000};
    struct Case {
        const char *what;
        FileList current;
        TimeList times;
        std::vector<std::string> modified;
    };
    const Case cases[] = {
        {"one second later", list({"/w/a"}), {1001}, paths({"/w/a"})},
        {"equal time", list({"/w/a"}), {1000}, {}},
        {"earlier time", list({"/w/a"}), {999}, {}},
        {"new path with a known name", list({"/w/t/d"}), {5000}, {}},
        {"order of current", list({"/w/c", "/w/s/d", "/w/a"}), {2000, 2000, 2000}, paths({"/w/c", "/w/s/d", "/w/a"})},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(pathsAt(c.current, ListModified(c.current, c.times, previous, &stored)), c.modified) << c.what;
        EXPECT_TRUE(ListModified(c.current, c.times, previous, nullptr).empty()) << c.what << " without stored times";
    }
}

// The hash indexes must give exactly what the nested scans give, duplicates and order included.
std::vector<std::size_t> nestedMissing(const FileList &list, const FileList &other)
{
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < list.size(); ++i) {
        bool found = false;
        for (std::size_t j = 0; j < other.size() && !found; ++j)
            found = list.path(i) == other.path(j);
        if (!found)
            result.push_back(i);
    }
    return result;
}

std::vector<std::size_t> nestedModified(const FileList &current, const TimeList &times, const FileList &previous,
                                        const TimeList &stored)
{
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < current.size(); ++i)
        for (std::size_t j = 0; j < previous.size(); ++j)
            if (current.path(i) == previous.path(j) && FileTimeToDate(times[i]) > FileTimeToDate(stored[j]))
                result.push_back(i);
    return result;
}

TEST(Comparison, AgreesWithNestedScansOnRandomLists)
{
    std::mt19937 random(20210831);
    const char *folders[] = {"/w/", "/w/a/", "/w/b/", "/w/a/c/", "/W/"};
    const char *names[] = {"x", "y", "z", "X", "long-file-name-over-eight-bytes.txt", "~t", "a b"};
    auto randomList = [&](std::size_t size, TimeList &times) {
        FileList files;
        times.clear();
        for (std::size_t k = 0; k < size; ++k) {
            files.append(P(folders[random() % 5]), names[random() % 7]);
            times.push_back(1000 + static_cast<FileTime>(random() % 3));
        }
        return files;
    };
    for (int round = 0; round < 300; ++round) {
        TimeList currentTimes;
        TimeList storedTimes;
        const FileList current = randomList(random() % 25, currentTimes);
        const FileList previous = randomList(random() % 25, storedTimes);
        ASSERT_EQ(ListMissing(current, previous), nestedMissing(current, previous));
        ASSERT_EQ(ListMissing(previous, current), nestedMissing(previous, current));
        const auto expectedModified = nestedModified(current, currentTimes, previous, storedTimes);
        ASSERT_EQ(ListModified(current, currentTimes, previous, &storedTimes), expectedModified);
    }
}

// What the pass reports, by the nested scans: additions in new order, removals in previous order,
// modifications in new order.
std::vector<Change> nestedChanges(const Snapshot &previous, const Snapshot &current)
{
    std::vector<Change> expected;
    for (const std::size_t i : nestedMissing(current.files, previous.files))
        expected.push_back({ChangeKind::Added, current.files.path(i)});
    for (const std::size_t j : nestedMissing(previous.files, current.files))
        expected.push_back({ChangeKind::Removed, previous.files.path(j)});
    for (const std::size_t i : nestedModified(current.files, current.times, previous.files, previous.times))
        expected.push_back({ChangeKind::Modified, current.files.path(i)});
    return expected;
}

// Snapshots as a walk makes them: every path once, each folder's files together, folders and files in an
// order that changes a little from one snapshot to the next.
TEST(Comparison, SnapshotsAgreeWithNestedScans)
{
    std::mt19937 random(7);
    const std::vector<std::string> folders = {P("/w/"), P("/w/a/"), P("/w/b/"), P("/w/a/c/"), P("/W/")};
    const std::vector<std::string> names = {"x", "y", "z", "X", "a-name-longer-than-eight.txt", "b", "c"};
    auto randomSnapshot = [&](bool grouped) {
        Snapshot snapshot;
        std::vector<std::string> order = folders;
        std::shuffle(order.begin(), order.end(), random);
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string &folder : order) {
            if (random() % 4 == 0)
                continue; // the folder is gone
            std::vector<std::string> files = names;
            if (random() % 2 == 0)
                std::shuffle(files.begin(), files.end(), random);
            for (const std::string &name : files)
                if (random() % 3 != 0)
                    entries.emplace_back(folder, name);
        }
        if (!grouped)
            std::shuffle(entries.begin(), entries.end(), random);
        for (const auto &[folder, name] : entries) {
            snapshot.files.append(folder, name);
            snapshot.times.push_back(1000 + static_cast<FileTime>(random() % 3));
        }
        return snapshot;
    };
    for (int round = 0; round < 500; ++round) {
        const bool grouped = round % 5 != 0;
        const Snapshot previous = randomSnapshot(grouped);
        const Snapshot current = randomSnapshot(grouped);
        ASSERT_EQ(CompareSnapshots(previous, current), nestedChanges(previous, current)) << "round " << round;
        ASSERT_TRUE(CompareSnapshots(current, current).empty());
    }
}

} // namespace
} // namespace tarnwick
