#include "core/enumeration.h"
#include "core/paths.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#ifndef _WIN32
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
TEST_F(Enumeration, LeavesOutLinksUnsafeNamesAndWhatLiesBelowThem)
{
    tree.makeFolder("b/.hidden");
    tree.makeFolder("b/tab\there/below");
    tree.makeFolder("b/what?/below");
    tree.makeFolder("b/ctrl\x7f/below");
    tree.makeFolder("b/c1\xc2\x85/below");
    tree.makeFolder("b/bad\xff/below");
    tree.makeFolder("b/\xe6\x96\x87\xe4\xbb\xb6"); // a Chinese name is fine
    std::filesystem::create_directory_symlink(tree.path(""), tree.path("b/loop"));

    std::vector<std::string> folders = {tree.folder("b")};
    EXPECT_TRUE(GetSubDirectories2016(folders, true).empty());
    std::sort(folders.begin() + 1, folders.end());
    EXPECT_EQ(folders,
              (std::vector<std::string> {tree.folder("b"), tree.folder("b/.hidden"),
                                         tree.folder("b/\xe6\x96\x87\xe4\xbb\xb6")}));
}

TEST_F(Enumeration, ListFilesTakesHiddenFilesAndLeavesOutFoldersAndSpecialFiles)
{
    EXPECT_TRUE(ListFiles(tree.folder("b"), "*.*").empty());
    tree.writeFile("b/.hidden.txt");
    tree.writeFile("b/report.txt");
    tree.makeFolder("b/sub");
    ASSERT_EQ(::mkfifo(tree.path("b/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(tree.path("b/report.txt"), tree.path("b/link.txt"));
    std::filesystem::create_symlink(tree.path("b/nowhere"), tree.path("b/dangling"));

    std::vector<std::string> names = ListFiles(tree.folder("b"), "*.*");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {".hidden.txt", "link.txt", "report.txt"}));
    EXPECT_EQ(ListFiles(tree.folder("b"), "r*.t?t"), std::vector<std::string> {"report.txt"});

    EXPECT_TRUE(FileIsPresent(tree.path("b/report.txt")));
    EXPECT_FALSE(FileIsPresent(tree.path("b/pipe")));
    EXPECT_FALSE(FileIsPresent(tree.path("b/sub")));
    EXPECT_FALSE(FileIsPresent(tree.path("b/dangling")));
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

TEST(UnsafeChars, FlagsControlCharactersTheQuestionMarkAndBrokenText)
{
    struct Case {
        const char *name;
        bool unsafe;
        bool control;
    };
    const Case cases[] = {
        {"report.txt", false, false},   {"", false, false},         {"tab\there", true, true},
        {"what?", true, false},         {"del\x7f", true, true},    {"c1\xc2\x9f", true, true},
        {"caf\xc3\xa9", false, false},  {"broken\xc3", true, true}, {"overlong\xc0\xaf", true, true},
        {"\xe6\x96\x87", false, false}, {"nl\nname", true, true},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(HasUnsafeChars(c.name), c.unsafe) << c.name;
        EXPECT_EQ(HasControlChars(c.name), c.control) << c.name;
    }
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
    EXPECT_FALSE(GetLastModified(tree.path("missing")).has_value());
    tree.setTime("file.txt", 1700000000, 999999999);
    EXPECT_EQ(GetLastModified(tree.path("file.txt")), FileTime {1700000000});
}

} // namespace
} // namespace tarnwick
