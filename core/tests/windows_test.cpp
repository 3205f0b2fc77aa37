// What only Windows has: drive roots, backslashes, reparse points, attributes and the find data's times.

#include "core/change_journal.h"
#include "core/enumeration.h"
#include "core/monitor_pass.h"
#include "core/paths.h"
#include "core/platform.h"
#include "print_change.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include <windows.h>

namespace tarnwick {
namespace {

using testing::TempTree;

std::wstring Wide(const std::string &utf8)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), length);
    return result;
}

TEST(Windows, ADriveRootIsAFolderWithOneSeparator)
{
    const std::string root = "C:\\";
    EXPECT_TRUE(FolderExists(root));
    EXPECT_EQ(ReadDirectory(root, ReadOptions {false, false}).status, ReadStatus::Ok);
    std::vector<std::string> folders = {root};
    EXPECT_TRUE(GetSubDirectories2016(folders, false).empty());
    ASSERT_GT(folders.size(), 1U);
    for (std::size_t i = 1; i < folders.size(); ++i) {
        EXPECT_EQ(folders[i].rfind("C:\\", 0), 0U) << folders[i];
        EXPECT_EQ(folders[i].find("\\\\"), std::string::npos) << folders[i];
        EXPECT_EQ(folders[i].back(), '\\') << folders[i];
    }
}

TEST(Windows, AFolderTypedWithSlashesGetsNoSecondSeparator)
{
    EXPECT_EQ(WithTrailingSeparator("C:/W/"), "C:/W/");
    EXPECT_EQ(WithTrailingSeparator("C:\\W"), "C:\\W\\");
    EXPECT_EQ(WithTrailingSeparator("C:\\"), "C:\\");
}

TEST(Windows, PassesJoinPathsWithBackslashes)
{
    TempTree tree;
    tree.writeFile("w/a.txt", FileTime {1700000000});
    SnapshotStore store;
    RunMonitorPass({tree.path("w")}, store);
    tree.writeFile("w/sub/b.txt", FileTime {1700000000});
    const PassResult result = RunMonitorPass({tree.path("w")}, store);
    ASSERT_EQ(result.changes.size(), 1U);
    EXPECT_EQ(result.changes[0].path, tree.path("w") + "\\sub\\b.txt");
    EXPECT_EQ(result.changes[0].path.find('/'), std::string::npos);
}

TEST(Windows, TimesComeFromTheFindData)
{
    TempTree tree;
    tree.writeFile("w/a.txt");
    // 31 August 2021 12:34:56.789 UTC
    SYSTEMTIME system {2021, 8, 2, 31, 12, 34, 56, 789};
    FILETIME time {};
    ASSERT_TRUE(::SystemTimeToFileTime(&system, &time));
    const HANDLE file = ::CreateFileW(Wide(tree.path("w/a.txt")).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
    ::CloseHandle(file);

    const DirectoryContents contents = ReadDirectory(tree.folder("w"), ReadOptions {});
    ASSERT_EQ(contents.fileCount(), 1U);
    EXPECT_EQ(contents.times[0], FileTime {1630413296}) << "whole seconds, the fraction dropped";
}

TEST(Windows, ReparsePointsAreNotFollowed)
{
    TempTree tree;
    tree.writeFile("target/inside.txt");
    tree.makeFolder("w");
    const DWORD flags = SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2; // allow an unprivileged creation
    if (!::CreateSymbolicLinkW(Wide(tree.path("w/link")).c_str(), Wide(tree.path("target")).c_str(), flags))
        GTEST_SKIP() << "directory symbolic links cannot be made here";
    const DirectoryContents contents = ReadDirectory(tree.folder("w"), ReadOptions {});
    EXPECT_TRUE(contents.subfolders.empty());
    EXPECT_EQ(contents.fileCount(), 0U);
}

TEST(Windows, HiddenSystemFoldersAreLeftOut)
{
    TempTree tree;
    tree.makeFolder("w/plain");
    tree.makeFolder("w/hidden-system/below");
    tree.makeFolder("w/archived");
    const std::wstring hidden = Wide(tree.path("w/hidden-system"));
    const std::wstring archived = Wide(tree.path("w/archived"));
    ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW(archived.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const DWORD wanted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((::GetFileAttributesW(hidden.c_str()) & wanted) != wanted ||
        !(::GetFileAttributesW(archived.c_str()) & FILE_ATTRIBUTE_ARCHIVE))
        GTEST_SKIP() << "this file system does not keep these attributes on folders";
    std::vector<std::string> folders = {tree.folder("w")};
    EXPECT_TRUE(GetSubDirectories2016(folders, true).empty());
    std::sort(folders.begin() + 1, folders.end());
    EXPECT_EQ(folders,
              (std::vector<std::string> {tree.folder("w"), tree.folder("w/archived"), tree.folder("w/plain")}));
}

// A listed folder that is exactly hidden and system is treated as such a subfolder is: nothing below it is read.
// Its own files are (it stays in its own list, as the folder the user picked). A drive root is searched below
// whatever its attributes.
TEST(Windows, AListedHiddenSystemFolderIsNotSearchedBelow)
{
    TempTree tree;
    tree.writeFile("hs/own.txt", FileTime {1700000000});
    tree.writeFile("hs/below/deep.txt", FileTime {1700000000});
    const std::wstring folder = Wide(tree.path("hs"));
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const DWORD wanted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((::GetFileAttributesW(folder.c_str()) & wanted) != wanted)
        GTEST_SKIP() << "this file system does not keep these attributes on folders";

    const DirectoryContents contents = ReadDirectory(tree.folder("hs"), ReadOptions {});
    EXPECT_EQ(contents.fileCount(), 1U);
    EXPECT_TRUE(contents.subfolders.empty());
    std::vector<std::string> folders = {tree.folder("hs")};
    EXPECT_TRUE(GetSubDirectories2016(folders, true).empty());
    EXPECT_EQ(folders, std::vector<std::string> {tree.folder("hs")});

    SnapshotStore store;
    RunMonitorPass({tree.folder("hs")}, store);
    tree.writeFile("hs/new.txt", FileTime {1700000000});
    tree.writeFile("hs/below/new.txt", FileTime {1700000000});
    EXPECT_EQ(RunMonitorPass({tree.folder("hs")}, store).changes,
              (std::vector<Change> {{ChangeKind::Added, tree.path("hs/new.txt")}}));
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Windows, ADriveRootIsSearchedWhateverItsAttributes)
{
    EXPECT_FALSE(ReadDirectory("C:\\", ReadOptions {false, false}).subfolders.empty());
}

TEST(Windows, UnicodeNamesAreMonitored)
{
    TempTree tree;
    const std::string name = "\xe6\x96\x87\xe4\xbb\xb6"; // a Chinese name
    tree.makeFolder("w/" + name);
    SnapshotStore store;
    RunMonitorPass({tree.folder("w")}, store);
    tree.writeFile("w/" + name + "/caf\xc3\xa9.txt", FileTime {1700000000});
    const PassResult result = RunMonitorPass({tree.folder("w")}, store);
    ASSERT_EQ(result.changes.size(), 1U);
    EXPECT_EQ(result.changes[0].path, tree.path("w/" + name + "/caf\xc3\xa9.txt"));
    EXPECT_TRUE(FileAppears(result.changes[0].path));
}

TEST(Windows, NamesWithALoneSurrogateGoThroughUtf8AndBack)
{
    const std::wstring names[] = {L"plain.txt", L"caf\u00e9 \u6587", std::wstring(L"lone") + wchar_t(0xD800) + L".txt",
                                  std::wstring(1, wchar_t(0xDC00)) + L"x", L"pair\U0001F600"};
    for (const std::wstring &name : names) {
        const std::string text = platform::Wtf8FromWide(name);
        EXPECT_EQ(platform::WideFromWtf8(text), name) << text;
    }
    EXPECT_EQ(platform::Wtf8FromWide(std::wstring(L"lone") + wchar_t(0xD800)), "lone\xed\xa0\x80");
    EXPECT_EQ(platform::Wtf8FromWide(L"pair\U0001F600"), "pair\xf0\x9f\x98\x80");
}

// A folder whose name holds a lone surrogate, which UTF-8 cannot hold: read through the same UTF-16 name it
// was listed with, and shown with escapes.
TEST(Windows, ANameWithALoneSurrogateIsMonitoredAndShownEscaped)
{
    TempTree tree;
    tree.makeFolder("w");
    SnapshotStore store;
    RunMonitorPass({tree.folder("w")}, store);
    const std::wstring name = std::wstring(L"lone") + static_cast<wchar_t>(0xD800);
    const std::wstring folder = Wide(tree.path("w")) + L"\\" + name;
    if (!::CreateDirectoryW(folder.c_str(), nullptr))
        GTEST_SKIP() << "this file system does not take a lone surrogate in a name";
    WIN32_FIND_DATAW found {};
    const HANDLE search = ::FindFirstFileW((Wide(tree.path("w")) + L"\\lone*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ::FindClose(search);
    if (std::wstring_view(found.cFileName) != name)
        GTEST_SKIP() << "this file system changes a lone surrogate in a name";
    const HANDLE file = ::CreateFileW((folder + L"\\a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);

    EXPECT_EQ(RunMonitorPass({tree.folder("w")}, store).changes,
              (std::vector<Change> {{ChangeKind::Added, tree.path("w") + "\\lone\\xED\\xA0\\x80\\a.txt"}}));
    ::DeleteFileW((folder + L"\\a.txt").c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// Reports come from the system on its own time (under Wine, later still): the tests wait for the one they need,
// bounded so that a report that never comes fails the test instead of hanging it.
class ReportsSeen final : public JournalSource
{
public:
    explicit ReportsSeen(std::unique_ptr<JournalSource> inner)
        : m_inner(std::move(inner))
    {
    }

    // True once a report named the entry (relative to its watched folder).
    bool waitFor(const std::string &name)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_names.contains(name); });
    }

    bool watchesEachDirectory() const override { return m_inner->watchesEachDirectory(); }
    WatchResult watch(const std::string &path, bool top) override { return m_inner->watch(path, top); }
    void unwatch(int watch) override { m_inner->unwatch(watch); }
    std::optional<FileIdentity> identify(const std::string &path) override { return m_inner->identify(path); }
    std::size_t watchLimit(std::size_t held) override { return m_inner->watchLimit(held); }
    bool surroundingsChanged() override { return m_inner->surroundingsChanged(); }
    void read(std::vector<JournalEvent> &events) override
    {
        const std::size_t before = events.size();
        m_inner->read(events);
        const std::lock_guard lock(m_mutex);
        for (std::size_t i = before; i < events.size(); ++i)
            m_names.insert(events[i].name);
        m_changed.notify_all();
    }
    bool wait() override { return m_inner->wait(); }
    void interrupt() override { m_inner->interrupt(); }

private:
    std::unique_ptr<JournalSource> m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::string> m_names;
};

// The directories of a snapshot that a pass took over without reading them.
std::size_t takenOver(const SnapshotStore &store)
{
    std::size_t count = 0;
    for (std::uint32_t d = 0; d < store.snapshot().directoryCount(); ++d)
        count += (store.snapshot().flags(d) & Snapshot::kUnchanged) != 0;
    return count;
}

TEST(WindowsJournal, AChangeInANestedFolderIsSeen)
{
    TempTree tree;
    tree.writeFile("w/a/b/old.txt", FileTime {1700000000});
    tree.writeFile("w/x/other.txt", FileTime {1700000000});
    auto source = std::make_unique<ReportsSeen>(SystemJournalSource());
    ReportsSeen &reports = *source;
    ChangeJournal journal(std::move(source));
    SnapshotStore store;
    const std::vector<std::string> folders = {tree.folder("w")};
    RunMonitorPass(folders, store, nullptr, {&journal, false});
    EXPECT_EQ(journal.watchCount(), 1U) << "one watch for the whole tree";

    tree.writeFile("w/a/b/new.txt", FileTime {1700000000});
    ASSERT_TRUE(reports.waitFor("a\\b\\new.txt"));
    EXPECT_EQ(RunMonitorPass(folders, store, nullptr, {&journal, false}).changes,
              (std::vector<Change> {{ChangeKind::Added, tree.path("w/a/b/new.txt")}}));
    EXPECT_GE(takenOver(store), 2U) << "w\\x and w\\a are not read again";
}

// The watch shares deleting and renaming, and lets a folder go as soon as its path leads elsewhere, so the user
// can rename and delete a watched folder while the program runs.
TEST(WindowsJournal, AWatchedFolderCanBeRenamedAndDeleted)
{
    TempTree tree;
    tree.writeFile("w/a.txt", FileTime {1700000000});
    tree.writeFile("w/s/b.txt", FileTime {1700000000});
    ChangeJournal journal(SystemJournalSource());
    SnapshotStore guided;
    SnapshotStore walked;
    const std::vector<std::string> folders = {tree.folder("w")};
    const auto passes = [&] {
        const std::vector<Change> changes = RunMonitorPass(folders, guided, nullptr, {&journal, false}).changes;
        EXPECT_EQ(changes, RunMonitorPass(folders, walked).changes);
        return changes;
    };
    passes();
    ASSERT_EQ(journal.watchCount(), 1U);

    ASSERT_TRUE(::MoveFileW(Wide(tree.path("w")).c_str(), Wide(tree.path("renamed")).c_str()));
    EXPECT_TRUE(passes().empty()) << "a listed folder that is missing keeps its snapshot";
    EXPECT_EQ(journal.watchCount(), 0U);
    tree.remove("renamed");
    EXPECT_FALSE(FolderExists(tree.path("renamed")));

    tree.writeFile("w/a.txt", FileTime {1700000000});
    tree.writeFile("w/new.txt", FileTime {1700000000});
    EXPECT_EQ(passes(),
              (std::vector<Change> {{ChangeKind::Added, tree.path("w/new.txt")},
                                    {ChangeKind::Removed, tree.path("w/s/b.txt")}}));
    ASSERT_EQ(journal.watchCount(), 1U);

    ASSERT_TRUE(::DeleteFileW(Wide(tree.path("w/a.txt")).c_str()));
    ASSERT_TRUE(::DeleteFileW(Wide(tree.path("w/new.txt")).c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(Wide(tree.path("w")).c_str()));
    passes();
    // Windows ends the watch of a deleted folder at once; Wine says nothing while the folder is held, and the
    // folder goes when a walk renews the watch
    EXPECT_TRUE(RunMonitorPass(folders, guided, nullptr, {&journal, true}).changes.empty());
    EXPECT_EQ(journal.watchCount(), 0U);
    EXPECT_FALSE(FolderExists(tree.path("w")));
}

} // namespace
} // namespace tarnwick
