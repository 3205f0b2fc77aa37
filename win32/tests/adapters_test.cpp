// The adapters that reach the system: the registry settings, the Run key, the clipboard, the locale's patterns and
// the twip conversion. The registry tests use keys of their own, removed afterwards.

#include "win32/adapters.h"
#include "win32/dpi.h"
#include "win32/message_box_prompts.h"
#include "win32/registry_settings_store.h"
#include "win32/run_key_autostart.h"
#include "win32/system_locale.h"
#include "win32/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <ole2.h>
#include <shlobj.h>

namespace tarnwick::win32 {
namespace {

// A registry key of the test's own under HKEY_CURRENT_USER, deleted with everything in it at the end.
class TestKey
{
public:
    TestKey()
        : path(L"Software\\Tarnwick tests\\" + std::to_wstring(std::random_device {}()))
    {
    }
    ~TestKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    TestKey(const TestKey &) = delete;
    TestKey &operator=(const TestKey &) = delete;

    // The value's type and text; type 0 when absent.
    std::pair<DWORD, std::wstring> value(const std::wstring &name) const
    {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof data;
        DWORD type = 0;
        if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, &type, data, &bytes) !=
            ERROR_SUCCESS)
            return {0, {}};
        return {type, data};
    }
    void setNumber(const std::wstring &name, DWORD number) const
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), REG_DWORD, &number, sizeof number);
    }
    void setText(const std::wstring &name, const std::wstring &text) const
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    const std::wstring path;
};

TEST(RegistrySettingsStore, KeepsEveryValueAsTextOfItsOwn)
{
    TestKey key;
    RegistrySettingsStore store(HKEY_CURRENT_USER, key.path);
    EXPECT_EQ(store.read("Folders"), std::nullopt) << "a first run finds nothing";
    EXPECT_EQ(store.readProblem(), std::nullopt);

    const std::string folders = "C:\\Caf\xc3\xa9\\|234SSDEPERATATORZZ|\\\\server\\share\\|234SSDEPERATATORZZ|";
    store.write("Folders", folders);
    store.write("Text1", "");
    store.write("Weekly Time", "1:30:00 PM");
    EXPECT_EQ(store.read("Folders"), folders);
    EXPECT_EQ(store.read("Text1"), "") << "an empty text is a value, not an absent key";
    EXPECT_EQ(key.value(L"Folders"), std::make_pair(DWORD {REG_SZ}, Wide(folders)));
    EXPECT_EQ(key.value(L"Weekly Time"), std::make_pair(DWORD {REG_SZ}, std::wstring(L"1:30:00 PM")));

    // what another copy wrote is read back as it is
    RegistrySettingsStore later(HKEY_CURRENT_USER, key.path);
    EXPECT_EQ(later.read("Folders"), folders);
}

TEST(RegistrySettingsStore, AKeyDeletedWhileRunningGetsEverySettingBack)
{
    TestKey key;
    {
        RegistrySettingsStore earlier(HKEY_CURRENT_USER, key.path);
        earlier.write("Folders", "C:\\W\\|234SSDEPERATATORZZ|");
        earlier.write("Text3", "30");
    }
    RegistrySettingsStore store(HKEY_CURRENT_USER, key.path);
    ASSERT_EQ(store.read("Folders"), "C:\\W\\|234SSDEPERATATORZZ|");
    ASSERT_EQ(store.read("Text3"), "30");
    store.write("Weekly", "Monday");
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, key.path.c_str()), ERROR_SUCCESS);
    store.write("StartStopState", "On");
    EXPECT_EQ(key.value(L"Folders").second, L"C:\\W\\|234SSDEPERATATORZZ|");
    EXPECT_EQ(key.value(L"Text3").second, L"30");
    EXPECT_EQ(key.value(L"Weekly").second, L"Monday");
    EXPECT_EQ(key.value(L"StartStopState").second, L"On");
}

TEST(RegistrySettingsStore, AValueThatIsNotTextIsReportedAndNeverWrittenOver)
{
    TestKey key;
    RegistrySettingsStore(HKEY_CURRENT_USER, key.path).write("Option3", "True");
    key.setNumber(L"Text3", 7);

    RegistrySettingsStore store(HKEY_CURRENT_USER, key.path);
    ASSERT_TRUE(store.readProblem().has_value());
    EXPECT_NE(store.readProblem()->find("Text3"), std::string::npos) << *store.readProblem();
    EXPECT_EQ(store.read("Option3"), std::nullopt) << "the run starts with the defaults";

    store.write("Text3", "9");
    store.write("Option3", "False");
    EXPECT_EQ(store.read("Text3"), "9") << "kept for this run";
    EXPECT_EQ(key.value(L"Text3").first, DWORD {REG_DWORD});
    EXPECT_EQ(key.value(L"Option3").second, L"True");
}

class RunKeyAutostartTest : public ::testing::Test
{
protected:
    RunKeyAutostartTest()
    {
        std::filesystem::create_directories(folder);
        for (const char *name : {"notes.txt", "tarnwick.exe"})
            std::ofstream(folder / name) << "x";
    }
    ~RunKeyAutostartTest() override { std::filesystem::remove_all(folder); }

    TestKey key;
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "Program Folder";
    std::wstring executable = (folder / "tarnwick.exe").wstring();
};

TEST_F(RunKeyAutostartTest, RegistersTheQuotedProgramUnderItsFileNameAndRemovesIt)
{
    // the name is this program's own, whatever other program files its folder lists first
    std::ofstream(folder / "a.exe") << "x";

    RunKeyAutostart autostart(executable, HKEY_CURRENT_USER, key.path);
    EXPECT_EQ(autostart.valueName(), L"tarnwick.exe");
    autostart.add();
    EXPECT_EQ(key.value(L"tarnwick.exe"), std::make_pair(DWORD {REG_SZ}, L"\"" + executable + L"\""))
        << "quoted: the folder holds a blank";

    autostart.remove();
    EXPECT_EQ(key.value(L"tarnwick.exe").first, DWORD {0});
    EXPECT_NO_THROW(autostart.remove()) << "nothing registered is nothing to remove";
}

TEST_F(RunKeyAutostartTest, NeverTouchesAnotherProgramsValue)
{
    // another program's file is listed before this one, and that program starts with Windows too
    std::ofstream(folder / "helper.exe") << "x";
    const std::wstring helper = L"\"" + (folder / "helper.exe").wstring() + L"\" --background";
    key.setText(L"helper.exe", helper);

    RunKeyAutostart autostart(executable, HKEY_CURRENT_USER, key.path);
    EXPECT_FALSE(autostart.registered());
    autostart.add();
    EXPECT_TRUE(autostart.registered());
    EXPECT_EQ(key.value(L"tarnwick.exe").second, L"\"" + executable + L"\"");
    autostart.remove();
    EXPECT_FALSE(autostart.registered());
    EXPECT_EQ(key.value(L"tarnwick.exe").first, DWORD {0});
    EXPECT_EQ(key.value(L"helper.exe"), std::make_pair(DWORD {REG_SZ}, helper));

    // a value of this program's under the name an earlier version gave it goes too
    key.setText(L"helper.exe", L"\"" + executable + L"\"");
    autostart.remove();
    EXPECT_EQ(key.value(L"helper.exe").first, DWORD {0});
}

TEST_F(RunKeyAutostartTest, AValueThatStartsAnotherCopyIsNotThisOnesRegistration)
{
    // a reinstall into another folder: the old value names a program that is no longer this one
    const std::wstring old = L"\"C:\\Old Place\\tarnwick.exe\"";
    key.setText(L"tarnwick.exe", old);
    RunKeyAutostart autostart(executable, HKEY_CURRENT_USER, key.path);
    EXPECT_FALSE(autostart.registered());
    autostart.remove();
    EXPECT_EQ(key.value(L"tarnwick.exe").second, old) << "not this program's to remove";
    autostart.add();
    EXPECT_TRUE(autostart.registered());

    // the same program in other letter case or unquoted is this one
    key.setText(L"tarnwick.exe", executable);
    EXPECT_TRUE(autostart.registered());
    std::wstring upper = executable;
    ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    key.setText(L"tarnwick.exe", L"\"" + upper + L"\"");
    EXPECT_TRUE(autostart.registered());
    key.setNumber(L"tarnwick.exe", 1);
    EXPECT_FALSE(autostart.registered());
}

TEST(Clipboard, HoldsTheWholeTextAsUnicode)
{
    const std::string text = "9/1/2021 1:00:00 PM Added file C:\\Caf\xc3\xa9\\a.txt\r\n"
                             "9/1/2021 1:00:05 PM Removed file C:\\\xe6\x97\xa5\\b.txt\r\n";
    Clipboard(nullptr).setText(text);

    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    const std::wstring pasted = data != nullptr ? static_cast<const wchar_t *>(::GlobalLock(data)) : L"";
    if (data != nullptr)
        ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(pasted, Wide(text));
}

// Plays the user of the next folder browser this process opens: notes whether it shows the title, then selects
// the folder and confirms, or cancels when there is none.
class PickerUser
{
public:
    PickerUser(std::wstring title, std::wstring folder)
        : m_thread([this, title = std::move(title), folder = std::move(folder)] { act(title, folder); })
    {
    }
    ~PickerUser()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    PickerUser(const PickerUser &) = delete;
    PickerUser &operator=(const PickerUser &) = delete;
    // Whether the browser showed the title; waits until the user is done.
    bool sawTitle()
    {
        m_thread.join();
        return m_sawTitle;
    }

private:
    struct Search {
        HWND dialog = nullptr;
        const std::wstring *title = nullptr;
        bool found = false;
    };
    void act(const std::wstring &title, const std::wstring &folder)
    {
        Search search;
        search.title = &title;
        for (int attempt = 0; attempt < 200 && search.dialog == nullptr; ++attempt) {
            ::Sleep(50);
            ::EnumWindows(
                [](HWND window, LPARAM data) {
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(window, &process);
                    wchar_t name[16] = {};
                    ::GetClassNameW(window, name, 16);
                    if (process != ::GetCurrentProcessId() || std::wstring_view(name) != L"#32770" ||
                        !::IsWindowVisible(window))
                        return TRUE;
                    reinterpret_cast<Search *>(data)->dialog = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
        }
        if (search.dialog == nullptr)
            return;
        ::EnumChildWindows(
            search.dialog,
            [](HWND child, LPARAM data) {
                auto &found = *reinterpret_cast<Search *>(data);
                wchar_t text[256] = {};
                ::GetWindowTextW(child, text, 256);
                found.found = found.found || *found.title == text;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        m_sawTitle = search.found;
        if (!folder.empty())
            ::SendMessageW(search.dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        ::PostMessageW(search.dialog, WM_COMMAND, folder.empty() ? IDCANCEL : IDOK, 0);
    }

    bool m_sawTitle = false;
    std::thread m_thread;
};

TEST(FolderPicker, GivesTheChosenFoldersPathOrNothingWhenCancelled)
{
    ::OleInitialize(nullptr);
    struct Case {
        const wchar_t *select;
        const char *chosen;
    };
    const Case cases[] = {
        {L"C:\\windows", "C:\\windows"}, // no trailing backslash
        {L"C:\\", "C:\\"}, // a drive root keeps its one
        {L"", ""}, // cancelled
    };
    for (const Case &c : cases) {
        MessageBoxPrompts prompts(nullptr);
        std::string chosen;
        bool sawTitle = false;
        {
            PickerUser user(L"Please select folder:", c.select);
            chosen = prompts.browseForFolder("Please select folder:");
            sawTitle = user.sawTitle();
        }
        EXPECT_EQ(chosen, c.chosen) << Narrow(c.select);
        EXPECT_TRUE(sawTitle) << "the browser shows the title it was given";
    }
    ::OleUninitialize();
}

TEST(Launcher, NotepadGetsTheLogAsOneQuotedArgument)
{
    EXPECT_EQ(NotepadCommandLine("C:\\users\\Jo Smith\\Temp\\Tarnwick.txt"),
              L"notepad \"C:\\users\\Jo Smith\\Temp\\Tarnwick.txt\"");
}

TEST(UserLocale, WindowsPatternsBecomeTheFormatsPatterns)
{
    struct Case {
        const wchar_t *windows;
        const char *format;
    };
    const Case cases[] = {
        {L"M/d/yyyy", "M/d/yyyy"},
        {L"h:mm:ss tt", "h:mm:ss AP"},
        {L"tt h:mm:ss", "AP h:mm:ss"},
        {L"d.M.y", "d.M.yy"},
        {L"dd MMMM yyyy", "dd MMMM yyyy"},
        {L"gg yyyy/MM/dd", "yyyy/MM/dd"},
        {L"H 'h' mm 'and ''t''' ss", "H 'h' mm 'and ''t''' ss"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PatternOf(c.windows), c.format) << Narrow(c.windows);

    // the locale as read works both ways with the date texts
    const app::Locale locale = UserLocale();
    const Date date = DateFromParts({2021, 8, 31, 13, 5, 9});
    EXPECT_EQ(TextToDate(DateToText(date, locale.dateFormat), locale.dateFormat), date)
        << DateToText(date, locale.dateFormat);
}

TEST(Twips, ScaleWithTheWindowsDpi)
{
    struct Case {
        int twips;
        int dpi;
        int pixels;
    };
    for (const Case &c : {Case {15960, 96, 1064}, Case {6510, 96, 434}, Case {15960, 144, 1596}, Case {6510, 120, 543},
                          Case {405, 192, 54}})
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    EXPECT_EQ(FontHeight(1125, 96), -15) << "11.25 points";
    EXPECT_EQ(FontHeight(900, 144), -18);
}

} // namespace
} // namespace tarnwick::win32
