// The comparison over hand-built snapshots.

#include "core/monitor_pass.h"
#include "core/paths.h"
#include "print_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

namespace tarnwick {
namespace {

// Paths are written with "/" here and turned into the platform's form.
std::string P(std::string path)
{
    std::replace(path.begin(), path.end(), '/', kSeparator);
    return path;
}

struct Folder {
    std::string name; // a top's full path
    std::vector<std::pair<std::string, FileTime>> files;
    std::vector<Folder> children;
    DirectoryState state = DirectoryState::Recorded;
    std::uint8_t flags = 0;
};

Snapshot build(const std::vector<Folder> &tops)
{
    Snapshot snapshot;
    std::deque<const Folder *> queue;
    for (const Folder &top : tops) {
        snapshot.addTop(P(top.name));
        queue.push_back(&top);
    }
    while (!queue.empty()) {
        const Folder &folder = *queue.front();
        queue.pop_front();
        snapshot.beginDirectory();
        for (const auto &[name, time] : folder.files)
            snapshot.addFile(name, time);
        for (const Folder &child : folder.children) {
            snapshot.addSubdirectory(child.name);
            queue.push_back(&child);
        }
        snapshot.endDirectory(folder.state, folder.flags);
    }
    snapshot.finish();
    return snapshot;
}

Change added(const char *path)
{
    return {ChangeKind::Added, P(path)};
}
Change removed(const char *path)
{
    return {ChangeKind::Removed, P(path)};
}
Change modified(const char *path)
{
    return {ChangeKind::Modified, P(path)};
}

TEST(Snapshot, FindsDirectoriesByPath)
{
    const Snapshot snapshot =
        build({{"/w/", {{"a", 1}}, {{"s", {}, {{"t", {}, {}}}}, {"gone", {}, {}, DirectoryState::Gone}}},
               {"/w/s/elsewhere/", {}, {}}});
    for (const char *path : {"/w/", "/w/s/", "/w/s/t/", "/w/s/elsewhere/"}) {
        const std::uint32_t d = snapshot.find(P(path));
        ASSERT_NE(d, Snapshot::kNone) << path;
        EXPECT_EQ(snapshot.path(d), P(path));
    }
    for (const char *path : {"/w", "/w/s/t/u/", "/w/gone/", "/x/", "/w/t/"})
        EXPECT_EQ(snapshot.find(P(path)), Snapshot::kNone) << path;
}

TEST(CompareSnapshots, EachListedFolderSeesItsOwnTree)
{
    // /w/s/ was missing at the previous pass: its snapshot was kept apart from /w/'s tree
    const Snapshot previous = build({{"/w/", {{"a", 1}}, {}}, {"/w/s/", {{"x", 1}, {"y", 1}}, {}}});
    const Snapshot current = build({{"/w/", {{"a", 1}}, {{"s", {{"x", 2}, {"z", 1}}, {}}}}});
    // /w/ sees s as new, /w/s/ compares it with what it recorded; each change once
    EXPECT_EQ(CompareSnapshots(previous, current, {P("/w/s/"), P("/w/")}),
              (std::vector<Change> {added("/w/s/z"), removed("/w/s/y"), modified("/w/s/x"), added("/w/s/x")}));
    EXPECT_EQ(CompareSnapshots(previous, current, {P("/w/"), P("/w/s/")}),
              (std::vector<Change> {added("/w/s/x"), added("/w/s/z"), removed("/w/s/y"), modified("/w/s/x")}));
}

TEST(CompareSnapshots, FoldersReadForTheFirstTimeAreSilentUnlessTheyAreNew)
{
    const Snapshot previous = build({{"/w/",
                                      {},
                                      {{"known", {}, {}, DirectoryState::Unknown},
                                       {"appeared", {}, {}, DirectoryState::Unknown, Snapshot::kAppearedNew},
                                       {"kept", {{"k", 1}}, {}}}}});
    const Snapshot current = build({{"/w/",
                                     {},
                                     {{"known", {{"a", 1}}, {{"below", {{"b", 1}}, {}}}},
                                      {"appeared", {{"c", 1}}, {{"below", {{"d", 1}}, {}}}},
                                      {"kept", {{"k", 1}}, {}, DirectoryState::Recorded, Snapshot::kCarried},
                                      {"fresh", {{"e", 1}}, {}}}}});
    EXPECT_EQ(CompareSnapshots(previous, current, {P("/w/")}),
              (std::vector<Change> {added("/w/appeared/c"), added("/w/fresh/e"), added("/w/appeared/below/d")}));
    EXPECT_TRUE(CompareSnapshots(Snapshot {}, current, {P("/w/")}).empty()) << "a folder never recorded";
}

// What the nested scans of one snapshot per folder give: additions in new order, removals in previous order,
// modifications in new order.
std::vector<Change> nestedChanges(const Snapshot &previous, const Snapshot &current)
{
    auto flatten = [](const Snapshot &snapshot) {
        std::vector<std::pair<std::string, FileTime>> files;
        for (std::uint32_t d = 0; d < snapshot.directoryCount(); ++d)
            for (std::uint32_t i = snapshot.firstFile(d); i < snapshot.fileEnd(d); ++i)
                files.emplace_back(snapshot.path(d) + std::string(snapshot.fileName(i)), snapshot.fileTime(i));
        return files;
    };
    const auto before = flatten(previous);
    const auto now = flatten(current);
    auto find = [](const auto &list, const std::string &path) {
        return std::find_if(list.begin(), list.end(), [&](const auto &entry) { return entry.first == path; });
    };
    std::vector<Change> changes;
    for (const auto &[path, time] : now)
        if (find(before, path) == before.end())
            changes.push_back({ChangeKind::Added, path});
    for (const auto &[path, time] : before)
        if (find(now, path) == now.end())
            changes.push_back({ChangeKind::Removed, path});
    for (const auto &[path, time] : now) {
        const auto old = find(before, path);
        if (old != before.end() && FileTimeToDate(time) > FileTimeToDate(old->second))
            changes.push_back({ChangeKind::Modified, path});
    }
    return changes;
}

// Each directory's files matched side by side while the names agree, the rest through an index: the same
// result as the nested scans, whatever the order in which a directory lists its files.
TEST(CompareSnapshots, AgreesWithNestedScansOnRandomSnapshots)
{
    std::mt19937 random(7);
    const std::vector<std::string> names = {"x", "y", "z", "X", "a-name-longer-than-eight.txt", "b", "c", "d"};
    auto randomFolder = [&](const std::string &name, int depth, auto &self) -> Folder {
        Folder folder {name, {}, {}};
        std::vector<std::string> files = names;
        if (random() % 2 == 0)
            std::shuffle(files.begin(), files.end(), random);
        for (const std::string &file : files)
            if (random() % 3 != 0)
                folder.files.emplace_back(file, 1000 + static_cast<FileTime>(random() % 3));
        if (depth < 2)
            for (const char *child : {"a", "b"})
                if (random() % 4 != 0)
                    folder.children.push_back(self(child, depth + 1, self));
        return folder;
    };
    for (int round = 0; round < 500; ++round) {
        const Snapshot previous = build({randomFolder("/w/", 0, randomFolder)});
        const Snapshot current = build({randomFolder("/w/", 0, randomFolder)});
        ASSERT_EQ(CompareSnapshots(previous, current, {P("/w/")}), nestedChanges(previous, current))
            << "round " << round;
        ASSERT_TRUE(CompareSnapshots(current, current, {P("/w/")}).empty());
    }
}

} // namespace
} // namespace tarnwick
