#include "core/history_log.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace {

using testing::PathOf;
using testing::TempTree;

std::string contentOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HistoryLogPath, IsTheTitleWithoutPunctuationInTheTemporaryFolder)
{
    const std::string sep(1, kSeparator);
    const std::string temp = sep + "tmp";
    struct Case {
        const char *title;
        std::string folder;
        std::string expected;
    };
    const Case cases[] = {
        {"Tarnwick", temp, temp + sep + "Tarnwick.txt"},
        {"Tarnwick Software", temp, temp + sep + "Tarnwick.txt"},
        {"Tarnwick Software ", temp, temp + sep + "Tarnwick.txt"},
        {"  Tarnwick   Software", temp, temp + sep + "Tarnwick.txt"},
        {"Tarnwick software", temp, temp + sep + "Tarnwicksoftware.txt"},
        {"Software Tarnwick", temp, temp + sep + "SoftwareTarnwick.txt"},
        {"Software", temp, temp + sep + "Software.txt"},
        {"Big Data Software", temp, temp + sep + "BigData.txt"},
        {"My App (v1.0)", temp, temp + sep + "MyAppv10.txt"},
        {"Tarnwick\tSoftware", temp, temp + sep + "TarnwickSoftware.txt"},
        {"Tarnwick", temp + sep, temp + sep + "Tarnwick.txt"},
        {"Tarnwick", temp + sep + "my temp", temp + sep + "my temp" + sep + "Tarnwick.txt"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HistoryLogPath(c.title, c.folder), c.expected) << c.title;
    EXPECT_EQ(DropLastWord("Tarnwick\tSoftware"), "Tarnwick\tSoftware") << "a tab is part of the word";
    EXPECT_EQ(StripFileNameChars("a$b/c\\d*e:f?g<h>i|j#k'l m.n,o\"p(q)r-s+t=u%v;w}x{y\tz"),
              "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(StripFileNameChars("\u00c4_\u00e9~!@&[]^`\u0416"), "\u00c4_\u00e9~!@&[]^`\u0416");
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

TEST(WriteTextFile, StartsANewLineAfterALineCutShort)
{
    TempTree tree;
    const std::string log = tree.path("Tarnwick.txt");
    const std::string end(kLineEnd);
    tree.writeFile("Tarnwick.txt", "t Added file /a" + end + "t Added fi");
    EXPECT_EQ(WriteTextFile("u Removed file /b" + end, log), std::nullopt);
    EXPECT_EQ(contentOf(log), "t Added file /a" + end + "t Added fi" + end + "u Removed file /b" + end);
    EXPECT_EQ(WriteTextFile("v" + end, log), std::nullopt);
    EXPECT_EQ(contentOf(log), "t Added file /a" + end + "t Added fi" + end + "u Removed file /b" + end + "v" + end)
        << "a log that ends with a line end gets none added";
}

TEST(HistoryLog, ReadsWhatIsThereAndTellsWhenItIsAbsent)
{
    TempTree tree;
    const std::string log = tree.path("Tarnwick.txt");
    EXPECT_EQ(ProbeHistoryLog(log).state, LogReading::State::Absent);
    EXPECT_EQ(ReadHistoryLog(log).state, LogReading::State::Absent);
    const std::string text = "2026-12-07 04:20:36 Added file /w/\u00dcn\u00efc\u00f6d\u00e9 \u0436.txt\n"
                             "2026-12-07 04:20:37 Modified file /w/a b.txt\n";
    tree.writeFile("Tarnwick.txt", text);
    EXPECT_EQ(ProbeHistoryLog(log).state, LogReading::State::Present);
    EXPECT_TRUE(ProbeHistoryLog(log).text.empty()) << "a probe reads nothing";
    const LogReading reading = ReadHistoryLog(log);
    EXPECT_EQ(reading.state, LogReading::State::Present);
    EXPECT_EQ(reading.text, text);
}

TEST(DeleteFileForced, DeletesEvenAReadOnlyLogAndIgnoresAMissingOne)
{
    TempTree tree;
    tree.writeFile("Tarnwick.txt", "x\n");
    std::filesystem::permissions(PathOf(tree.path("Tarnwick.txt")), std::filesystem::perms::owner_read);
    DeleteFileForced(tree.path("Tarnwick.txt"));
    EXPECT_FALSE(std::filesystem::exists(PathOf(tree.path("Tarnwick.txt"))));
    DeleteFileForced(tree.path("Tarnwick.txt"));
    DeleteFileForced("");
}

#ifndef _WIN32
TEST(WriteTextFile, AFailedWriteLeavesTheLogAsItWas)
{
    // the second log's last line was cut short: the line end the append puts first goes again too
    for (const std::string before : {"t Added file /a\n", "t Added file /a\nt Added fi"}) {
        SCOPED_TRACE(before);
        TempTree tree;
        const std::string log = tree.path("Tarnwick.txt");
        tree.writeFile("Tarnwick.txt", before);
        // A file size limit stands in for a full disk: the write stops part-way.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = 40;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const auto error = WriteTextFile("u Added file /b\nu Added file /c\nu Added file /d\n", log);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find("Nothing of this pass was kept"), std::string::npos) << *error;
        EXPECT_EQ(contentOf(log), before) << "no half line stays behind";
    }
}

TEST(HistoryLog, APlantedFifoIsRefusedWithoutBlocking)
{
    TempTree tree;
    const std::string log = tree.path("Tarnwick.txt");
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    // Each of these would block for ever on a FIFO opened the ordinary way.
    for (const LogReading &reading : {ProbeHistoryLog(log), ReadHistoryLog(log)}) {
        EXPECT_EQ(reading.state, LogReading::State::Refused);
        EXPECT_NE(reading.error.find("not a regular file"), std::string::npos) << reading.error;
    }
    const auto error = WriteTextFile("x\n", log);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("not a regular file"), std::string::npos) << *error;
}

TEST(HistoryLog, AReadDoesNotFollowAPlantedLink)
{
    TempTree tree;
    tree.writeFile("secret.txt", "not the log");
    std::filesystem::create_symlink(tree.path("secret.txt"), tree.path("Tarnwick.txt"));
    const LogReading reading = ReadHistoryLog(tree.path("Tarnwick.txt"));
    EXPECT_EQ(reading.state, LogReading::State::Refused);
    EXPECT_TRUE(reading.text.empty());
    EXPECT_NE(reading.error.find("symbolic link"), std::string::npos) << reading.error;
    DeleteFileForced(tree.path("Tarnwick.txt"));
    EXPECT_EQ(contentOf(tree.path("secret.txt")), "not the log") << "deleting the link leaves its target";
}

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
    const LogReading reading = ReadHistoryLog(tree.path("Tarnwick.txt"));
    EXPECT_EQ(reading.state, LogReading::State::Refused);
    EXPECT_NE(reading.error.find("another user"), std::string::npos) << reading.error;
}
#endif

} // namespace
} // namespace tarnwick
