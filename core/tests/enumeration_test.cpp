#include "core/enumeration.h"
#include "core/paths.h"
#include "core/platform.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#ifndef _WIN32
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace {

using testing::TempTree;

// The names of a folder's subfolders in the order the directory lists them.
std::vector<std::string> listingOrder(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.is_directory() && !entry.is_symlink())
            names.push_back(entry.path().filename().string());
    return names;
}

class Enumeration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.makeFolder("a/c");
        tree.makeFolder("b");
    }
    TempTree tree;
};

TEST_F(Enumeration, IsBreadthFirstInListingOrder)
{
    const std::vector<std::string> children = listingOrder(tree.path(""));
    ASSERT_EQ(children.size(), 2U);

    std::vector<std::string> recursive = {tree.folder()};
    EXPECT_TRUE(GetSubDirectories2016(recursive, true).empty());
    const std::vector<std::string> expected = {tree.folder(), tree.folder(children[0]), tree.folder(children[1]),
                                               tree.folder("a/c")};
    EXPECT_EQ(recursive, expected);

    std::vector<std::string> direct = {tree.folder()};
    EXPECT_TRUE(GetSubDirectories2016(direct, false).empty());
    EXPECT_EQ(direct, std::vector<std::string>(expected.begin(), expected.begin() + 3));
}

TEST_F(Enumeration, KeepsAMissingEntryWithoutAddingForIt)
{
    std::vector<std::string> folders = {tree.folder("gone"), tree.folder("b")};
    EXPECT_TRUE(GetSubDirectories2016(folders, true).empty());
    EXPECT_EQ(folders, (std::vector<std::string> {tree.folder("gone"), tree.folder("b")}));
}

#ifndef _WIN32
TEST_F(Enumeration, RowsLeaveOutLinksUnsafeNamesAndWhatLiesBelowThem)
{
    tree.makeFolder("b/.hidden");
    tree.makeFolder("b/tab\there/below");
    tree.makeFolder("b/ctrl\x7f/below");
    tree.makeFolder("b/c1\xc2\x85/below");
    tree.makeFolder("b/bad\xff/below");
    tree.makeFolder("b/what?");
    tree.makeFolder("b/\xe6\x96\x87\xe4\xbb\xb6"); // a Chinese name is fine
    std::filesystem::create_directory_symlink(tree.path(""), tree.path("b/loop"));

    std::vector<std::string> folders = {tree.folder("b")};
    EXPECT_TRUE(GetSubDirectories2016(folders, true).empty());
    std::sort(folders.begin() + 1, folders.end());
    EXPECT_EQ(folders,
              (std::vector<std::string> {tree.folder("b"), tree.folder("b/.hidden"), tree.folder("b/what?"),
                                         tree.folder("b/\xe6\x96\x87\xe4\xbb\xb6")}));
}

TEST_F(Enumeration, ReadsEveryNameAndLeavesOutLinksToFoldersAndSpecialFiles)
{
    tree.writeFile("b/.hidden.txt");
    tree.writeFile("b/report.txt");
    tree.writeFile("b/line\nbreak");
    tree.writeFile("b/bad\xff");
    tree.writeFile("b/~lock");
    tree.makeFolder("b/sub\t");
    ASSERT_EQ(::mkfifo(tree.path("b/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(tree.path("b/report.txt"), tree.path("b/link.txt"));
    std::filesystem::create_symlink(tree.path("b/nowhere"), tree.path("b/dangling"));
    std::filesystem::create_directory_symlink(tree.path("a"), tree.path("b/folder-link"));

    const DirectoryContents contents = ReadDirectory(tree.folder("b"), ReadOptions {true, true});
    ASSERT_EQ(contents.status, ReadStatus::Ok);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < contents.fileCount(); ++i)
        names.emplace_back(contents.fileName(i));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {".hidden.txt", "bad\xff", "line\nbreak", "link.txt", "report.txt"}));
    EXPECT_EQ(contents.subfolders, std::vector<std::string> {"sub\t"});
}

TEST_F(Enumeration, AFolderWhoseEntriesCannotBeExaminedIsUnreadable)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        TempTree own;
        own.writeFile("w/a.txt");
        own.makeFolder("w/sub");
        std::string problems;
        for (const mode_t mode : {0000, 0444, 0111}) {
            ::chmod(own.path("w").c_str(), mode);
            const ReadStatus status = ReadDirectory(own.folder("w"), ReadOptions {}).status;
            ::chmod(own.path("w").c_str(), 0755);
            if (status != ReadStatus::Unreadable)
                problems += "mode " + std::to_string(mode) + " was not unreadable; ";
        }
        return problems;
    });
    EXPECT_EQ(message, "");
}

TEST_F(Enumeration, ReadsAFolderDeeperThanThePathLimit)
{
    std::string relative;
    while (relative.size() < PATH_MAX + 400)
        relative += std::string(200, 'd') + "/";
    tree.writeDeepFile(relative + "deep.txt", FileTime {1700000000});

    const DirectoryContents contents = ReadDirectory(tree.folder() + relative, ReadOptions {});
    EXPECT_EQ(contents.status, ReadStatus::Ok);
    ASSERT_EQ(contents.fileCount(), 1U);
    EXPECT_EQ(contents.fileName(0), "deep.txt");
}

TEST_F(Enumeration, TakesOutAFolderThatCannotBeListed)
{
    const std::string message = testing::RunUnprivileged(tree.path(""), [] {
        TempTree own;
        own.makeFolder("w/open/inner");
        own.makeFolder("w/locked/inner");
        ::chmod(own.path("w/locked").c_str(), 0);
        std::vector<std::string> folders = {own.folder("w")};
        GetSubDirectories2016(folders, true);
        std::vector<std::string> locked = {own.folder("w/locked")};
        GetSubDirectories2016(locked, true);
        ::chmod(own.path("w/locked").c_str(), 0755);
        std::sort(folders.begin() + 1, folders.end());
        if (folders != std::vector<std::string> {own.folder("w"), own.folder("w/open"), own.folder("w/open/inner")})
            return std::string("the unreadable subfolder stayed in the collection");
        if (!locked.empty())
            return std::string("the unreadable top folder stayed in the collection");
        return std::string();
    });
    EXPECT_EQ(message, "");
}
#endif

TEST(WalkTree, AVisitorThatFailsEndsTheWalkWithItsFailure)
{
    TempTree tree;
    for (int i = 0; i < 20; ++i)
        tree.makeFolder("w/d" + std::to_string(i) + "/e");
    int visits = 0;
    const FolderVisitor failing = [&](const std::string &, DirectoryContents &) {
        if (++visits == 3)
            throw std::length_error("file list too large");
    };
    // the reading threads are stopped and joined; the failure reaches the caller
    EXPECT_THROW(WalkTree({tree.folder("w")}, true, ReadOptions {}, nullptr, failing), std::length_error);
    EXPECT_EQ(visits, 3);
}

TEST(FolderExists, IsTrueForFoldersOnly)
{
    TempTree tree;
    tree.writeFile("file.txt");
    EXPECT_TRUE(FolderExists(tree.folder()));
    EXPECT_FALSE(FolderExists(tree.path("file.txt")));
    EXPECT_FALSE(FolderExists(tree.path("missing")));
    EXPECT_TRUE(FileAppears(tree.path("file.txt")));
    EXPECT_FALSE(FileAppears(tree.path("missing")));
}

TEST(ReadDirectory, GivesWholeSecondsOfTheLastWriteTime)
{
    TempTree tree;
    tree.writeFile("w/a.txt", FileTime {1700000000}, 999999999);
    const DirectoryContents contents = ReadDirectory(tree.folder("w"), ReadOptions {});
    ASSERT_EQ(contents.fileCount(), 1U);
    EXPECT_EQ(contents.times[0], FileTime {1700000000});
}

#ifndef _WIN32
// A subfolder is read by the path its parent listed; a link put in its place since is not followed, though the
// path ends with a separator (which makes the system follow a link whatever it is told).
TEST(ReadDirectory, AFolderFoundByAWalkIsNotReachedThroughALinkPutInItsPlace)
{
    TempTree tree;
    tree.writeFile("w/real/a.txt", FileTime {1700000000});
    std::filesystem::create_directory_symlink(tree.path("w/real"), tree.path("w/link"));
    EXPECT_EQ(platform::ReadDirectory(tree.folder("w/link"), ReadOptions {}, false).status, ReadStatus::Vanished);
    EXPECT_EQ(platform::ReadDirectory(tree.folder("w/link"), ReadOptions {}, true).fileCount(), 1U)
        << "a listed folder may be a link";
}
#endif

} // namespace
} // namespace tarnwick
