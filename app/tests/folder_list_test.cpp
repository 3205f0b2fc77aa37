#include "harness.h"

#include "app/folder_list.h"
#include "app/procedure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::SettingKey;
using Rows = std::vector<std::string>;

const std::string kStoredSeparator(app::kStoredFolderSeparator);

// Table texts are written with "\" and turned into the form of the separator under test.
std::string withSeparator(std::string text, char separator)
{
    for (char &c : text)
        if (c == '\\')
            c = separator;
    return text;
}

// A path of this platform written the POSIX way: "/" becomes the separator, and on Windows a rooted path gets
// a drive.
std::string native(std::string path)
{
#ifdef _WIN32
    if (!path.empty() && path.front() == '/')
        path.insert(0, "C:");
#endif
    for (char &c : path)
        if (c == '/')
            c = kSeparator;
    return path;
}

std::string stored(const Rows &rows)
{
    std::string text;
    for (const std::string &row : rows)
        text += row + kStoredSeparator;
    return text;
}

TEST(FolderPaths, NormalisePath)
{
    struct Case {
        const char *path;
        bool networkPaths;
        const char *expected;
    };
    const Case cases[] = {
        {"C:\\\\", true, "C:\\"}, // a drive root with a separator appended
        {"C:\\Data\\\\", true, "C:\\Data\\"},
        {"C:\\Data\\Sub\\", true, "C:\\Data\\Sub\\"},
        {"a\\\\\\b", true, "a\\\\b"}, // three become two
        {"a\\\\\\\\b", true, "a\\\\b"}, // four become two
        {"a\\\\\\\\\\b", true, "a\\\\\\b"}, // five become three
        {"\\\\server\\share\\", true, "\\\\server\\share\\"},
        {"\\\\server\\\\share\\\\", true, "\\\\server\\share\\"},
        {"\\\\\\\\server", true, "\\\\server"},
        {"\\server", true, "\\\\server"}, // one leading becomes two
        {"\\\\\\", true, "\\\\"},
        {"", true, ""},
        {"\\\\home\\\\u\\", false, "\\home\\u\\"}, // no network form: the leading pair is collapsed too
        {"\\\\", false, "\\"},
        {"\\home\\u\\", false, "\\home\\u\\"},
        {"a\\\\\\b", false, "a\\\\b"},
        {"a\\\\\\\\b", false, "a\\\\b"},
    };
    for (const Case &c : cases) {
        for (const char separator : {'\\', '/'}) {
            SCOPED_TRACE(withSeparator(c.path, separator));
            EXPECT_EQ(app::NormalisePath(withSeparator(c.path, separator), separator, c.networkPaths),
                      withSeparator(c.expected, separator));
        }
    }
}

TEST(FolderPaths, NormalisePathOfThisPlatform)
{
#ifdef _WIN32
    EXPECT_EQ(app::NormalisePath("\\\\\\\\server\\share\\"), "\\\\server\\share\\");
    EXPECT_EQ(app::NormalisePath("C:\\\\"), "C:\\");
#else
    EXPECT_EQ(app::NormalisePath("/home//u/"), "/home/u/");
    EXPECT_EQ(app::NormalisePath("//"), "/");
    EXPECT_EQ(app::NormalisePath("//home/"), "/home/");
    // a backslash is an ordinary character of a name here
    EXPECT_EQ(app::NormalisePath("/a\\\\b/"), "/a\\\\b/");
#endif
}

TEST(FolderPaths, TheStoredForm)
{
    struct Case {
        Rows rows;
        std::string text;
    };
    const Case roundTrips[] = {
        {{}, ""},
        {{"C:\\Data\\", "D:\\Work\\"}, "C:\\Data\\" + kStoredSeparator + "D:\\Work\\" + kStoredSeparator},
        {{"/home/u/", "/home/u/"}, "/home/u/" + kStoredSeparator + "/home/u/" + kStoredSeparator},
        {{"/x|234SSDEPERATATORZ/"}, "/x|234SSDEPERATATORZ/" + kStoredSeparator},
    };
    for (const Case &c : roundTrips) {
        EXPECT_EQ(app::StoredFolderList(c.rows), c.text);
        EXPECT_EQ(app::ParseStoredFolderList(c.text), c.rows) << c.text;
    }
    EXPECT_EQ(app::StoredFolderList({"C:\\Data\\", "D:\\Work\\"}).size(), 56u);

    const Case reads[] = {
        {{"C:\\A\\"}, "C:\\A\\" + kStoredSeparator + "junk"}, // text after the last separator is dropped
        {{}, "C:\\A\\"}, // no separator: no rows
        {{}, "C:\\A\\|234sSDEPERATATORZZ|"}, // the separator in another case is none
        {{}, kStoredSeparator}, // an empty entry gives no row
        {{"/a/", "/b/"}, "/a/" + kStoredSeparator + kStoredSeparator + "/b/" + kStoredSeparator},
        {{"/a/"}, kStoredSeparator + "/a/" + kStoredSeparator},
    };
    for (const Case &c : reads)
        EXPECT_EQ(app::ParseStoredFolderList(c.text), c.rows) << c.text;
}

TEST(FolderPaths, ListedPaths)
{
    struct Case {
        const char *given;
        char separator;
        bool networkPaths;
        const char *row;
    };
    const Case fromPicker[] = {
        {"", '/', false, ""}, // cancelled
        {"", '\\', true, ""},
        {"/", '/', false, "/"},
        {"/home/u/Photos", '/', false, "/home/u/Photos/"},
        {"/home//u", '/', false, "/home/u/"},
        {"//home/u", '/', false, "/home/u/"},
        {"C:\\", '\\', true, "C:\\"},
        {"D:\\Photos", '\\', true, "D:\\Photos\\"},
        {"\\\\server\\share", '\\', true, "\\\\server\\share\\"},
        {"\\\\server\\\\share", '\\', true, "\\\\server\\\\share\\"}, // a network path is taken as it comes
    };
    for (const Case &c : fromPicker) {
        EXPECT_EQ(app::ListedPathFromPicker(c.given, c.separator, c.networkPaths), c.row) << c.given;
        if (c.separator == kSeparator) {
            EXPECT_EQ(app::ListedPathFromPicker(c.given), c.row) << c.given;
        }
    }
    const Case fromEntry[] = {
        {"//", '/', false, "/"},
        {"//home/", '/', false, "/home/"},
        {"/w/a/c/", '/', false, "/w/a/c/"},
        {"C:\\\\", '\\', true, "C:\\"},
        {"C:\\\\Windows\\", '\\', true, "C:\\Windows\\"},
        {"\\\\server\\share\\sub\\", '\\', true, "\\\\server\\share\\sub\\"},
    };
    for (const Case &c : fromEntry)
        EXPECT_EQ(app::ListedPathFromEntry(c.given, c.separator, c.networkPaths), c.row) << c.given;
}

class FolderListTest : public ::testing::Test
{
protected:
    app::Application &app() { return harness.app(); }
    const Rows &rows() const { return harness.view.folderRows; }
    std::optional<std::string> storedList() const { return harness.stored(SettingKey::Folders); }

    Harness harness;
};

TEST_F(FolderListTest, StartUpRestoresTheStoredList)
{
    const std::string a = native("/a/");
    const std::string b = native("/b/");
    struct Case {
        std::optional<std::string> stored;
        Rows rows;
    };
    const Case cases[] = {
        {a + kStoredSeparator + b + kStoredSeparator, {a, b}},
        {a + kStoredSeparator + "junk", {a}},
        {a, {}},
        {std::nullopt, {}},
        {kStoredSeparator, {}},
        {kStoredSeparator + kStoredSeparator + a + kStoredSeparator, {a}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.value_or("(absent)"));
        Harness one;
        if (c.stored)
            one.store(SettingKey::Folders, *c.stored);
        one.start();
        EXPECT_EQ(one.view.folderRows, c.rows);
        EXPECT_EQ(one.app().folderList().rows(), c.rows);
        EXPECT_TRUE(one.prompts.errors.empty());
        // restoring stores nothing
        EXPECT_EQ(one.stored(SettingKey::Folders), c.stored);
    }
}

TEST_F(FolderListTest, AddFolderStoresTheNewRow)
{
    harness.start();
    harness.prompts.folders = {native("/data//photos"), native("/"), native("/data/photos")};
    for (int i = 0; i < 3; ++i)
        app().PushButton3_Click();
    EXPECT_EQ(harness.prompts.browseTitles, (Rows {"Select Folder", "Select Folder", "Select Folder"}));
    const Rows expected = {native("/data/photos/"), native("/"), native("/data/photos/")};
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(app().folderList().rows(), expected);
    EXPECT_EQ(storedList(), stored(expected));
    EXPECT_TRUE(harness.prompts.messages.empty());
}

TEST_F(FolderListTest, CancellingEitherPickerChangesNothing)
{
    const std::string a = native("/a/");
    harness.store(SettingKey::Folders, a + kStoredSeparator);
    harness.start();
    harness.settings.writes.clear();
    app().PushButton3_Click();
    app().PushButton4_Click();
    EXPECT_EQ(harness.prompts.browseTitles, (Rows {"Select Folder", "Please select folder:"}));
    EXPECT_EQ(rows(), Rows {a});
    EXPECT_TRUE(harness.settings.writes.empty());
    EXPECT_TRUE(harness.prompts.messages.empty());
    EXPECT_TRUE(harness.prompts.errors.empty());
    EXPECT_FALSE(app().folderList().busy());
    EXPECT_TRUE(harness.view.pointers.empty());
    EXPECT_EQ(harness.queuedWorker.pending(), 0u);
}

TEST_F(FolderListTest, AddAllSubfoldersEnumeratesOnTheWorkerWithTheHourglass)
{
    harness.tree.makeFolder("tree/only/inner");
    harness.tree.writeFile("tree/only/file.txt");
    harness.start();
    harness.prompts.folders = {harness.tree.path("tree")};
    app().PushButton4_Click();
    EXPECT_EQ(harness.prompts.browseTitles, Rows {"Please select folder:"});
    EXPECT_TRUE(app().folderList().busy());
    EXPECT_EQ(harness.view.pointer, app::Pointer::Hourglass);
    EXPECT_TRUE(rows().empty());
    // a second press meanwhile does nothing
    app().PushButton4_Click();
    EXPECT_EQ(harness.prompts.browseTitles.size(), 1u);

    harness.queuedWorker.completeAll();
    const Rows expected = {harness.tree.folder("tree"), harness.tree.folder("tree/only"),
                           harness.tree.folder("tree/only/inner")};
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(storedList(), stored(expected));
    EXPECT_FALSE(app().folderList().busy());
    EXPECT_EQ(harness.view.pointers, (std::vector<app::Pointer> {app::Pointer::Hourglass, app::Pointer::Default}));
    EXPECT_TRUE(harness.prompts.errors.empty());

    // a folder without subfolders, and one that does not exist, give just themselves
    harness.prompts.folders = {harness.tree.path("tree/only/inner"), harness.tree.path("gone")};
    app().PushButton4_Click();
    harness.queuedWorker.completeAll();
    app().PushButton4_Click();
    harness.queuedWorker.completeAll();
    EXPECT_EQ(Rows(rows().begin() + 3, rows().end()),
              (Rows {harness.tree.folder("tree/only/inner"), harness.tree.folder("gone")}));
    EXPECT_EQ(storedList(), stored(rows()));
}

TEST_F(FolderListTest, DeleteAndClearWaitWhileSubfoldersAreAdded)
{
    const std::string a = native("/a/");
    harness.store(SettingKey::Folders, a + kStoredSeparator);
    harness.tree.makeFolder("tree");
    harness.start();
    harness.prompts.folders = {harness.tree.path("tree")};
    app().PushButton4_Click();
    ASSERT_TRUE(app().folderList().busy());
    app().ListView1_KeyDown(app::kDeleteKey, 0);
    app().PushButton7_Click();
    EXPECT_EQ(rows(), Rows {a});
    harness.queuedWorker.completeAll();
    EXPECT_EQ(rows(), (Rows {a, harness.tree.folder("tree")}));
    // afterwards they work again
    app().ListView1_KeyDown(app::kDeleteKey, 0);
    EXPECT_EQ(rows(), Rows {harness.tree.folder("tree")});
    app().PushButton7_Click();
    EXPECT_TRUE(rows().empty());
}

TEST_F(FolderListTest, ClosingDuringTheEnumerationAddsNothing)
{
    harness.tree.makeFolder("tree/sub");
    harness.start();
    harness.prompts.folders = {harness.tree.path("tree")};
    app().PushButton4_Click();
    app().Form_QueryUnload();
    EXPECT_EQ(harness.queuedWorker.waits, 1);
    harness.queuedWorker.completeAll();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(storedList(), std::nullopt);
    EXPECT_FALSE(app().folderList().busy());
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(FolderListTest, RemovingByDeleteIsNotStoredButByDoubleClickIs)
{
    const std::string a = native("/a/"), b = native("/b/"), c = native("/c/");
    harness.store(SettingKey::Folders, stored({a, b, c}));
    harness.start();

    // nothing selected, a selection past the end, another key: nothing is removed
    app().ListView1_KeyDown(app::kDeleteKey, std::nullopt);
    app().ListView1_DblClick(std::nullopt);
    app().ListView1_KeyDown(app::kDeleteKey, 3);
    app().ListView1_DblClick(3);
    app().ListView1_KeyDown(65, 1);
    EXPECT_EQ(rows(), (Rows {a, b, c}));

    app().ListView1_KeyDown(app::kDeleteKey, 1);
    EXPECT_EQ(rows(), (Rows {a, c}));
    EXPECT_EQ(app().folderList().rows(), (Rows {a, c}));
    EXPECT_EQ(storedList(), stored({a, b, c}));

    app().ListView1_DblClick(0);
    EXPECT_EQ(rows(), Rows {c});
    EXPECT_EQ(storedList(), stored({c}));
    app().ListView1_DblClick(0);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(storedList(), "");
    app().ListView1_DblClick(0);
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(FolderListTest, ClearListIsNotStored)
{
    const std::string a = native("/a/");
    harness.store(SettingKey::Folders, a + kStoredSeparator);
    harness.start();
    app().PushButton7_Click();
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(app().folderList().rows().empty());
    EXPECT_EQ(storedList(), a + kStoredSeparator);

    // the next storing command writes the rows as they are then
    harness.prompts.folders = {native("/new")};
    app().PushButton3_Click();
    EXPECT_EQ(storedList(), native("/new/") + kStoredSeparator);
}

TEST_F(FolderListTest, SampleDataAddsTheDesktopEachTime)
{
    harness.start();
    app().PushButton8_Click();
    app().PushButton8_Click();
    const std::string desktop = harness.tree.folder("Desktop");
    EXPECT_EQ(rows(), (Rows {desktop, desktop}));
    EXPECT_EQ(storedList(), stored({desktop, desktop}));
    EXPECT_FALSE(std::filesystem::exists(PathOf(harness.desktop))) << "nothing is created";

    // no desktop: reported, and the list is stored all the same
    harness.desktop.clear();
    app().PushButton7_Click();
    app().PushButton8_Click();
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(
        harness.prompts.errors[0],
        app::ErrorReportText("The desktop folder cannot be located.", app::Form1Location("PushButton8_Click"), 100));
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(storedList(), "");
}

TEST_F(FolderListTest, AListThatCannotBeStoredIsReportedAndTheRowStays)
{
    harness.start();
    harness.settings.failWrites = true;
    harness.prompts.folders = {native("/a")};
    app().PushButton3_Click();
    EXPECT_EQ(rows(), Rows {native("/a/")});
    ASSERT_EQ(harness.prompts.errors.size(), 1u);
    EXPECT_EQ(harness.prompts.errors[0],
              app::ErrorReportText("the settings file is read-only", app::Form1Location("PushButton3_Click"), 104));

    // the enumeration's last steps still run: the pointer comes back
    harness.tree.makeFolder("tree");
    harness.prompts.folders = {harness.tree.path("tree")};
    app().PushButton4_Click();
    harness.queuedWorker.completeAll();
    EXPECT_EQ(harness.prompts.errors.size(), 2u);
    EXPECT_EQ(harness.view.pointer, app::Pointer::Default);
    EXPECT_FALSE(app().folderList().busy());
}

} // namespace
} // namespace tarnwick::testing
