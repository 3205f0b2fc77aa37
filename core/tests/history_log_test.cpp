#include "core/history_log.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace {

using testing::TempTree;

std::string contentOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HistoryLine, JoinsTimeActionAndPathWithBlanks)
{
    const std::string end(kLineEnd);
    EXPECT_EQ(HistoryLine("12/7/2026 4:20:36 AM", ChangeKind::Added, "/w/new.txt"),
              "12/7/2026 4:20:36 AM Added file /w/new.txt" + end);
    EXPECT_EQ(HistoryLine("t", ChangeKind::Removed, "p"), "t Removed file p" + end);
    EXPECT_EQ(HistoryLine("t", ChangeKind::Modified, "p"), "t Modified file p" + end);
}

TEST(WriteTextFile, CreatesThenAppends)
{
    TempTree tree;
    const std::string log = tree.path("Tarnwick.txt");
    EXPECT_EQ(WriteTextFile("one\n", log), std::nullopt);
    EXPECT_EQ(WriteTextFile("two\nthree\n", log), std::nullopt);
    EXPECT_EQ(contentOf(log), "one\ntwo\nthree\n");
#ifndef _WIN32
    struct stat info {
    };
    ASSERT_EQ(::stat(log.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U) << "the log is for its owner only";
#endif
}

TEST(WriteTextFile, ReportsAFolderThatIsMissing)
{
    TempTree tree;
    const auto error = WriteTextFile("x\n", tree.path("missing/Tarnwick.txt"));
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find(tree.path("missing/Tarnwick.txt")), std::string::npos) << *error;
}

#ifndef _WIN32
TEST(WriteTextFile, RefusesAPlantedLink)
{
    TempTree tree;
    tree.writeFile("victim.txt", "precious");
    std::filesystem::create_symlink(tree.path("victim.txt"), tree.path("Tarnwick.txt"));
    const auto error = WriteTextFile("x\n", tree.path("Tarnwick.txt"));
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("symbolic link"), std::string::npos) << *error;
    EXPECT_EQ(contentOf(tree.path("victim.txt")), "precious");

    std::filesystem::create_symlink(tree.path("nowhere.txt"), tree.path("Dangling.txt"));
    EXPECT_TRUE(WriteTextFile("x\n", tree.path("Dangling.txt")).has_value());
    EXPECT_FALSE(std::filesystem::exists(tree.path("nowhere.txt"))) << "a dangling link must not create its target";
}

TEST(WriteTextFile, RefusesAnotherUsersFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can plant a file of another user";
    TempTree tree;
    tree.writeFile("Tarnwick.txt", "theirs\n");
    ASSERT_EQ(::chown(tree.path("Tarnwick.txt").c_str(), 65534, 65534), 0);
    const auto error = WriteTextFile("x\n", tree.path("Tarnwick.txt"));
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("another user"), std::string::npos) << *error;
    EXPECT_EQ(contentOf(tree.path("Tarnwick.txt")), "theirs\n");
}
#endif

} // namespace
} // namespace tarnwick
