// What only Windows has: drive roots, backslashes, reparse points, attributes and the find data's times.

#include "core/enumeration.h"
#include "core/monitor_pass.h"
#include "core/paths.h"
#include "core/platform.h"
#include "print_change.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace
} // namespace tarnwick
