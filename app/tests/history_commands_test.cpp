#include "harness.h"

#include "app/procedure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarnwick::testing {
namespace {

const std::string kNoHistory = "There isn't a history to view because actions have not been performed yet.";

class HistoryCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.start();
        log = harness.app().historyLogPath();
    }
    app::Application &app() { return harness.app(); }
    void writeLog(const std::string &text) { std::ofstream(PathOf(log), std::ios::binary) << text; }
    bool logExists() const { return std::filesystem::exists(std::filesystem::symlink_status(PathOf(log))); }
    // Rows of an earlier pass in the history view.
    void showRows() { harness.view.appendHistory({"t", {{ChangeKind::Added, "/w/a"}, {ChangeKind::Removed, "/w/b"}}}); }

    Harness harness;
    std::string log;
};

TEST_F(HistoryCommandsTest, WithoutALogNothingIsViewedOrCopied)
{
    app().PushButton1_Click();
    app().PushButton2_Click();
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {kNoHistory});
    EXPECT_TRUE(harness.launcher.textFiles.empty());
    EXPECT_TRUE(harness.clipboard.texts.empty());
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(HistoryCommandsTest, ViewOpensTheLogInTheTextViewer)
{
    writeLog("line\n");
    app().PushButton1_Click();
    EXPECT_EQ(harness.launcher.textFiles, std::vector<std::string> {log});
    EXPECT_TRUE(harness.prompts.messages.empty());

    harness.launcher.fail = true;
    app().PushButton1_Click();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(harness.prompts.errors[0],
              app::ErrorReportText("no text viewer", app::Form1Location("PushButton1_Click"), 100));
}

TEST_F(HistoryCommandsTest, CopyPutsTheWholeLogOnTheClipboard)
{
    const std::string text = "2026-12-07 04:20:36 Added file /w/a\n"
                             "2026-12-07 04:20:36 Removed file /w/b\n"
                             "2026-12-07 04:20:36 Modified file /w/\xc3\xa9t\xc3\xa9\n";
    writeLog(text);
    app().PushButton2_Click();
    EXPECT_EQ(harness.clipboard.texts, std::vector<std::string> {text});
    EXPECT_TRUE(harness.prompts.messages.empty());
}

TEST_F(HistoryCommandsTest, ClearAsksFirst)
{
    writeLog("line\n");
    showRows();
    harness.prompts.answers = {false};
    app().PushButton12_Click();
    EXPECT_EQ(harness.prompts.questions,
              std::vector<std::string> {"Are you sure you want to delete the history log and start over?"});
    EXPECT_TRUE(logExists());
    EXPECT_EQ(harness.view.historyRows().size(), 2u);
}

TEST_F(HistoryCommandsTest, ClearDeletesAReadOnlyLogAndTheRows)
{
    writeLog("line\n");
    std::filesystem::permissions(PathOf(log), std::filesystem::perms::owner_read);
    showRows();
    harness.prompts.answers = {true};
    app().PushButton12_Click();
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(harness.view.history.empty());

    // with the log gone, viewing says so again
    app().PushButton1_Click();
    EXPECT_EQ(harness.prompts.messages, std::vector<std::string> {kNoHistory});

    // a missing log still clears the rows
    showRows();
    app().PushButton12_Click();
    EXPECT_TRUE(harness.view.history.empty());
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(HistoryCommandsTest, HelpShowsTheContact)
{
    app().PushButton11_Click();
    EXPECT_EQ(
        harness.prompts.messages,
        std::vector<std::string> {"Questions? Please contact Team Quelvane at https://www.quelvane.example/contact"});
}

#ifndef _WIN32
TEST_F(HistoryCommandsTest, ALogThatIsRefusedIsReportedAndNothingIsCopied)
{
    harness.tree.writeFile("elsewhere.txt", "secret\n");
    const std::string target = harness.tree.path("elsewhere.txt");
    struct Case {
        const char *what;
        std::function<void()> plant;
    };
    const Case cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0); }},
        {"a link to a file", [&] { std::filesystem::create_symlink(target, log); }},
        {"a link to nothing", [&] { std::filesystem::create_symlink(harness.tree.path("nothing"), log); }},
        {"a folder", [&] { std::filesystem::create_directory(log); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.plant();
        harness.prompts.errors.clear();
        app().PushButton1_Click();
        app().PushButton2_Click();
        ASSERT_EQ(harness.prompts.errors.size(), 2u);
        EXPECT_NE(harness.prompts.errors[0].find("\nin Tarnwick2021/08/31.Form1.PushButton1_Click at line 100\n"),
                  std::string::npos)
            << harness.prompts.errors[0];
        EXPECT_NE(harness.prompts.errors[1].find("\nin Tarnwick2021/08/31.Form1.PushButton2_Click at line 100\n"),
                  std::string::npos)
            << harness.prompts.errors[1];
        EXPECT_TRUE(harness.launcher.textFiles.empty());
        EXPECT_TRUE(harness.clipboard.texts.empty());
        EXPECT_TRUE(harness.prompts.messages.empty());

        // clearing never touches what a link points to
        app().PushButton12_Click();
        std::error_code ignored;
        std::filesystem::remove(log, ignored);
        EXPECT_TRUE(std::filesystem::exists(target));
    }
}
#endif

} // namespace
} // namespace tarnwick::testing
