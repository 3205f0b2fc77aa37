// The main window over a real Application with stand-ins for the rest: its design geometry, what it forwards and
// what it keeps quiet about, the virtual history view, the tray round trip and closing while a dialog is open.

#include "fakes.h"

#include "win32/dpi.h"
#include "win32/main_window.h"
#include "win32/message_box_prompts.h"

#include "app/application.h"
#include "app/thread_worker.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::win32 {
namespace {

using app::Control;
using namespace testing;

// Runs every message waiting for this thread (posted completions, focus requests, notifications).
void pump()
{
    for (int round = 0; round < 5; ++round) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
}

RECT clientRectOf(HWND control, HWND window)
{
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

std::wstring textOf(HWND window)
{
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring cellOf(HWND list, int row, int column)
{
    wchar_t text[512] = {};
    LVITEMW item {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The tooltip the window keeps for one of its controls, and the tip it shows for it.
std::pair<HWND, std::wstring> folderTooltipOf(HWND window, HWND tool)
{
    struct Search {
        HWND window;
        HWND tool;
        HWND tooltip = nullptr;
        std::wstring tip;
    } search {window, tool, nullptr, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND candidate, LPARAM data) {
            auto &search = *reinterpret_cast<Search *>(data);
            wchar_t name[32] = {};
            ::GetClassNameW(candidate, name, 32);
            if (std::wstring_view(name) != TOOLTIPS_CLASSW || ::GetWindow(candidate, GW_OWNER) != search.window)
                return TRUE;
            wchar_t text[256] = {};
            TTTOOLINFOW info {};
            info.cbSize = sizeof info;
            info.hwnd = search.window;
            info.uId = reinterpret_cast<UINT_PTR>(search.tool);
            info.lpszText = text;
            ::SendMessageW(candidate, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
            if (text[0] == L'\0')
                return TRUE;
            search.tooltip = candidate;
            search.tip = text;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return {search.tooltip, search.tip};
}

// A real Application over the real window, with stand-ins for everything else.
struct Program {
    explicit Program(app::Prompts &promptsToUse, MessageBoxPrompts *closes = nullptr)
        : prompts(promptsToUse)
    {
        application.Form_Load();
        window.connectTo(application, closes);
        pump();
    }

    MainWindow window {::GetModuleHandleW(nullptr)};
    app::Prompts &prompts;
    FakeSettingsStore settings;
    FakeLauncher launcher;
    FakeClipboard clipboard;
    FixedClock clock;
    NeverSeven random;
    FakeAutostart autostart;
    FakeTrayIcon tray;
    FakeTimer timer;
    app::ThreadWorker worker {
        [handle = window.handle()](std::function<void()> done) { PostToWindow(handle, std::move(done)); }};
    app::Application application {app::Services {window, prompts, launcher, clipboard, clock, random, autostart, tray,
                                                 timer, worker, settings, app::Locale {}, "C:\\", "C:\\",
                                                 [] { return std::string("C:\\"); }}};
};

class WindowTest : public ::testing::Test
{
protected:
    FakePrompts prompts;
    std::unique_ptr<Program> program = std::make_unique<Program>(prompts);
    MainWindow &window = program->window;
    HWND control(Control which) const { return window.control(which); }
};

TEST_F(WindowTest, TheClientAreaIsTheDesignsWithAFixedBorderAndAMinimiseButton)
{
    EXPECT_TRUE(prompts.messages.empty()) << "the start-up reported: " << prompts.messages.front();
    ASSERT_EQ(DpiOf(window.handle()), 96) << "the size below is at 96 dpi";
    RECT client;
    ::GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right - client.left, 1064);
    EXPECT_EQ(client.bottom - client.top, 434);

    const LONG style = ::GetWindowLongW(window.handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed single border";
}

// Every control of the design: where it is (in twips, within its container), its caption, its font and whether it
// shows, at the window's DPI as it starts and after it has moved to a screen of 144 dpi.
TEST_F(WindowTest, EveryControlHasItsRectangleCaptionFontAndVisibilityAt96And144Dpi)
{
    enum FontSize { Points9, Points11 }; // Arial 9 pt bold, or 11.25 pt bold for push buttons
    struct Case {
        Control control;
        Control container;
        int left, top, width, height; // twips
        const wchar_t *caption; // nullptr: not a caption (a list, a box, the picker)
        FontSize font;
        bool visible;
    };
    const Case cases[] = {
        {Control::Frame4, Control::Form1, 120, 60, 7800, 855, L"Off.", Points9, true},
        {Control::ProgressBar2, Control::Frame4, 240, 270, 7320, 405, nullptr, Points9, true},
        {Control::ListView1, Control::Form1, 120, 1020, 7800, 1815, nullptr, Points9, true},
        {Control::PushButton3, Control::Form1, 120, 2920, 3840, 405, L"Add Folder", Points11, true},
        {Control::PushButton4, Control::Form1, 4080, 2920, 3840, 405, L"Add All Subfolders In Folder", Points11, true},
        {Control::PushButton7, Control::Form1, 120, 3430, 3840, 405, L"Clear List", Points11, true},
        {Control::PushButton8, Control::Form1, 4080, 3430, 3840, 405, L"Load Sample/Example Data", Points11, true},
        {Control::Frame2, Control::Form1, 120, 3870, 7800, 735, L"Startup Options", Points9, true},
        {Control::Check4, Control::Frame2, 240, 300, 3930, 285, L"Load this software on Windows startup", Points9,
         true},
        {Control::Check8, Control::Frame2, 4320, 300, 2580, 285, L"Minimized to system tray", Points9, false},
        {Control::Frame3, Control::Form1, 120, 4650, 7800, 1760, L"Monitor Schedule Option", Points9, true},
        {Control::Option3, Control::Frame3, 240, 345, 1575, 255, L"Monitor every:", Points9, true},
        {Control::Text1, Control::Frame3, 2040, 300, 500, 345, nullptr, Points9, true},
        {Control::Label1, Control::Frame3, 2640, 345, 540, 225, L"hour/s", Points9, true},
        {Control::Text2, Control::Frame3, 3360, 300, 500, 345, nullptr, Points9, true},
        {Control::Label2, Control::Frame3, 3960, 345, 735, 225, L"minute/s", Points9, true},
        {Control::Text3, Control::Frame3, 4920, 300, 500, 345, nullptr, Points9, true},
        {Control::Label3, Control::Frame3, 5520, 345, 780, 225, L"second/s", Points9, true},
        {Control::Option4, Control::Frame3, 240, 795, 825, 255, L"Daily:", Points9, true},
        {Control::dtpWeekly, Control::Frame3, 2040, 750, 4335, 375, nullptr, Points9, true},
        {Control::Option5, Control::Frame3, 240, 1275, 1185, 255, L" Weekly:", Points9, true},
        {Control::cboWeekly, Control::Frame3, 2040, 1230, 4335, 345, nullptr, Points9, true},
        {Control::ListView2, Control::Form1, 8040, 120, 7800, 4755, nullptr, Points9, true},
        {Control::PushButton5, Control::Form1, 8040, 4980, 7800, 405, L"Turn On Automatic Monitoring", Points11, true},
        {Control::PushButton1, Control::Form1, 8040, 5490, 3840, 405, L"View History Log", Points11, true},
        {Control::PushButton2, Control::Form1, 12000, 5490, 3840, 405, L"Copy History To Clipboard", Points11, true},
        {Control::PushButton11, Control::Form1, 8040, 6000, 3840, 405, L"Help", Points11, true},
        {Control::PushButton12, Control::Form1, 12000, 6000, 3840, 405, L"Clear History Log", Points11, true},
        // below the client area, as designed
        {Control::PushButton6, Control::Form1, 8040, 6600, 3840, 405, L"Monitor Folder Now (Test)", Points11, true},
    };
    const auto fontOf = [](HWND window) {
        LOGFONTW description {};
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
        EXPECT_TRUE(font != nullptr && ::GetObjectW(font, sizeof description, &description));
        return description;
    };

    ASSERT_EQ(DpiOf(window.handle()), 96);
    for (const int dpi : {96, 144}) {
        if (dpi != 96) {
            // what the system sends a window that has moved to a screen of another DPI
            RECT frame;
            ::GetWindowRect(window.handle(), &frame);
            ::SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
        }
        const auto px = [dpi](int twips) { return (twips * dpi + 720) / 1440; };
        // Arial 9 points is 12 pixels high at 96 dpi and 18 at 144; 11.25 points is 15 and 23 (rounded up)
        const LONG heights[2][2] = {{-12, -15}, {-18, -23}};
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(app::ControlName(c.control)) + " at " + std::to_string(dpi) + " dpi");
            const HWND window = control(c.control);
            EXPECT_EQ(::GetDlgCtrlID(window), ControlId(c.control));
            int left = c.left;
            int top = c.top;
            for (const Case &container : cases)
                if (container.control == c.container) {
                    left += container.left;
                    top += container.top;
                }
            const RECT rect = clientRectOf(window, this->window.handle());
            EXPECT_EQ(rect.left, px(left));
            EXPECT_EQ(rect.top, px(top));
            EXPECT_EQ(rect.right - rect.left, px(c.width));
            EXPECT_EQ(rect.bottom - rect.top, px(c.height));
            if (c.caption != nullptr) {
                EXPECT_EQ(textOf(window), c.caption);
            }
            EXPECT_EQ((::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0, c.visible);

            const LOGFONTW font = fontOf(window);
            EXPECT_STREQ(font.lfFaceName, L"Arial");
            EXPECT_EQ(font.lfHeight, heights[dpi == 144][c.font]);
            EXPECT_EQ(font.lfWeight, FW_BOLD);
        }
        // the folder list's tooltip, in the window's own font: Arial 9 points regular
        SCOPED_TRACE("the tooltip at " + std::to_string(dpi) + " dpi");
        const auto [tooltip, tip] = folderTooltipOf(this->window.handle(), control(Control::ListView1));
        ASSERT_NE(tooltip, nullptr);
        EXPECT_EQ(tip, L"Double-click item to remove it. Move | line to right and out of window to reveal full names.");
        const LOGFONTW font = fontOf(tooltip);
        EXPECT_STREQ(font.lfFaceName, L"Arial");
        EXPECT_EQ(font.lfHeight, heights[dpi == 144][Points9]);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
    }
}

TEST_F(WindowTest, WhatTheUserChangesIsForwardedAndWhatAppSetsIsNot)
{
    FakeSettingsStore &settings = program->settings;
    settings.writes.clear();

    // set by app/: no change handler runs, so nothing is saved
    window.setText(Control::Text1, "7");
    window.setText(Control::cboWeekly, "Friday");
    window.setTimeOfDay(3600);
    pump();
    EXPECT_TRUE(settings.writes.empty()) << settings.writes.front();
    EXPECT_EQ(textOf(control(Control::Text1)), L"7");
    EXPECT_EQ(::SendMessageW(control(Control::cboWeekly), CB_GETCURSEL, 0, 0), 5);

    // changed by the user: each control's handler saves it
    ::SendMessageW(control(Control::Text1), EM_SETSEL, 0, -1);
    ::SendMessageW(control(Control::Text1), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"12"));
    ::SendMessageW(control(Control::cboWeekly), CB_SETCURSEL, 3, 0);
    ::SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(ControlId(Control::cboWeekly), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(control(Control::cboWeekly)));
    ::SendMessageW(control(Control::Check4), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(settings.values["Text1"], "12");
    EXPECT_EQ(settings.values["Weekly"], "Wednesday");
    EXPECT_EQ(settings.values["Windows Startup"], "On");
    EXPECT_TRUE(::GetWindowLongW(control(Control::Check8), GWL_STYLE) & WS_VISIBLE) << "Check8 comes with Check4";

    // an option button is checked by app/ alone, the others cleared
    ::SendMessageW(control(Control::Option4), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(::SendMessageW(control(Control::Option4), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(control(Control::Option3), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(settings.values["Option4"], "True");
    EXPECT_TRUE(::IsWindowEnabled(control(Control::dtpWeekly)));
}

TEST_F(WindowTest, TheNumericCheckRunsWhenTheFocusMovesToAnotherControlOnly)
{
    window.showNormal();
    ::SetForegroundWindow(window.handle());
    const HWND hours = control(Control::Text1);
    ::SetFocus(hours);
    pump();
    ::SetWindowTextW(hours, L"x"); // as typed
    pump();

    ::SetFocus(control(Control::Text2));
    pump();
    EXPECT_EQ(prompts.messages, std::vector<std::string> {"Must be a numeric entry."});
    EXPECT_EQ(::GetFocus(), hours) << "the box gets the focus back";

    // leaving the window for another one is not leaving the box for another control
    prompts.messages.clear();
    const HWND other = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
    ::SetForegroundWindow(other);
    ::SetFocus(other);
    pump();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front();
    ::DestroyWindow(other);
}

// A key pressed on the control with the focus, as the program's message loop hands it to the dialog manager.
HWND press(HWND window, WPARAM key)
{
    MSG message {::GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(window, &message));
    pump();
    return ::GetFocus();
}

TEST_F(WindowTest, TabGoesThroughEveryControlInDesignOrderAndEntersTheOptionGroupAtItsCheckedButton)
{
    window.showNormal();
    ::SetForegroundWindow(window.handle());
    ::SetFocus(control(Control::PushButton6));
    pump();
    const auto round = [&](const std::vector<Control> &order) {
        for (const Control expected : order)
            EXPECT_EQ(press(window.handle(), VK_TAB), control(expected)) << "expected " << app::ControlName(expected);
    };
    // As started: the interval mode, so the picker and the day list are unavailable; Check8 hidden. Frames, labels
    // and the bar take no focus; the button below the client area is still reached.
    round({Control::ListView1, Control::PushButton3, Control::PushButton4, Control::PushButton7, Control::PushButton8,
           Control::Check4, Control::Option3, Control::Text1, Control::Text2, Control::Text3, Control::ListView2,
           Control::PushButton5, Control::PushButton1, Control::PushButton2, Control::PushButton11,
           Control::PushButton12, Control::PushButton6});

    // Check4 shows Check8; the weekly mode makes the picker and the day list available and takes the tab stop.
    ::SendMessageW(control(Control::Check4), BM_CLICK, 0, 0);
    ::SendMessageW(control(Control::Option5), BM_CLICK, 0, 0);
    ::SetFocus(control(Control::PushButton6));
    pump();
    round({Control::ListView1, Control::PushButton3, Control::PushButton4, Control::PushButton7, Control::PushButton8,
           Control::Check4, Control::Check8, Control::Option5, Control::Text1, Control::Text2, Control::Text3,
           Control::dtpWeekly, Control::cboWeekly, Control::ListView2});

    // with none of the option buttons checked (as a stored schedule can leave them) the group is still reached
    window.setChecked(Control::Option5, false);
    ::SetFocus(control(Control::Check8));
    pump();
    round({Control::Option3, Control::Text1});
}

TEST_F(WindowTest, TheArrowKeysMoveWithinTheOptionGroupAndSelectAndSaveEachButton)
{
    FakeSettingsStore &settings = program->settings;
    window.showNormal();
    ::SetForegroundWindow(window.handle());
    ::SetFocus(control(Control::Option3));
    pump();
    const auto checked = [&](Control option) {
        return ::SendMessageW(control(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
    };

    EXPECT_EQ(press(window.handle(), VK_DOWN), control(Control::Option4));
    EXPECT_TRUE(checked(Control::Option4));
    EXPECT_FALSE(checked(Control::Option3));
    EXPECT_EQ(settings.values["Option4"], "True");
    EXPECT_EQ(settings.values["Option3"], "False");
    EXPECT_TRUE(::IsWindowEnabled(control(Control::dtpWeekly))) << "the daily mode's picker";

    EXPECT_EQ(press(window.handle(), VK_RIGHT), control(Control::Option5));
    EXPECT_TRUE(checked(Control::Option5));
    EXPECT_FALSE(checked(Control::Option4));
    EXPECT_EQ(settings.values["Option5"], "True");
    EXPECT_EQ(settings.values["Option4"], "False");
    EXPECT_TRUE(::IsWindowEnabled(control(Control::cboWeekly))) << "the weekly mode's day list";

    EXPECT_EQ(press(window.handle(), VK_UP), control(Control::Option4));
    EXPECT_TRUE(checked(Control::Option4));
    EXPECT_EQ(settings.values["Option4"], "True");
    EXPECT_EQ(settings.values["Option5"], "False");

    // Tab leaves the group in one step
    EXPECT_EQ(press(window.handle(), VK_TAB), control(Control::Text1));
}

TEST_F(WindowTest, FramesOptionButtonsAndCheckBoxesAreWhiteUntilTheSkinGivesThemTheButtonFace)
{
    const auto background = [&](Control which) {
        const HDC screen = ::GetDC(nullptr);
        const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(window.handle(), WM_CTLCOLORSTATIC,
                                                                   reinterpret_cast<WPARAM>(screen),
                                                                   reinterpret_cast<LPARAM>(control(which))));
        ::ReleaseDC(nullptr, screen);
        LOGBRUSH description {};
        ::GetObjectW(brush, sizeof description, &description);
        return description.lbColor;
    };
    for (const Control which : {Control::Frame3, Control::Option5, Control::Check4, Control::Label2})
        EXPECT_EQ(background(which), RGB(255, 255, 255)) << app::ControlName(which);
    window.applySkinColours();
    for (const Control which : {Control::Frame3, Control::Option5, Control::Check4, Control::Label2})
        EXPECT_EQ(background(which), ::GetSysColor(COLOR_BTNFACE)) << app::ControlName(which);
}

TEST_F(WindowTest, ADoubleClickOrDeleteRemovesTheSelectedFolder)
{
    FakeSettingsStore &settings = program->settings;
    const HWND list = control(Control::ListView1);
    program->application.folderList().restore("C:\\A\\|234SSDEPERATATORZZ|C:\\B\\|234SSDEPERATATORZZ|"
                                              "C:\\C\\|234SSDEPERATATORZZ|");
    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    const auto select = [&](int row) {
        LVITEMW state {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    };

    select(1);
    NMITEMACTIVATE click {};
    click.hdr = {list, static_cast<UINT_PTR>(ControlId(Control::ListView1)), static_cast<UINT>(NM_DBLCLK)};
    click.iItem = 1;
    ::SendMessageW(window.handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(cellOf(list, 1, 0), L"C:\\C\\");
    EXPECT_EQ(settings.values["Folders"], "C:\\A\\|234SSDEPERATATORZZ|C:\\C\\|234SSDEPERATATORZZ|");

    select(0);
    NMLVKEYDOWN key {};
    key.hdr = {list, static_cast<UINT_PTR>(ControlId(Control::ListView1)), static_cast<UINT>(LVN_KEYDOWN)};
    key.wVKey = VK_DELETE;
    ::SendMessageW(window.handle(), WM_NOTIFY, key.hdr.idFrom, reinterpret_cast<LPARAM>(&key));
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(cellOf(list, 0, 0), L"C:\\C\\");
}

TEST_F(WindowTest, TheHistoryViewServesItsRowsFromThePassesBatches)
{
    const HWND list = control(Control::ListView2);
    EXPECT_TRUE(::GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA) << "a virtual list, fast at a million rows";
    window.appendHistory({"9/1/2021 1:00:00 PM",
                          {{ChangeKind::Added, "C:\\W\\a.txt"},
                           {ChangeKind::Modified, "C:\\W\\b.txt"},
                           {ChangeKind::Removed, "C:\\W\\c.txt"}}});
    window.appendHistory({"9/1/2021 1:00:05 PM", {{ChangeKind::Added, "C:\\W\\caf\xc3\xa9.txt"}}});
    pump();

    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(cellOf(list, 2, 0), L"9/1/2021 1:00:00 PM");
    EXPECT_EQ(cellOf(list, 2, 1), L"Removed file");
    EXPECT_EQ(cellOf(list, 2, 2), L"C:\\W\\c.txt");
    EXPECT_EQ(cellOf(list, 3, 0), L"9/1/2021 1:00:05 PM");
    EXPECT_EQ(cellOf(list, 3, 2), L"C:\\W\\caf\u00e9.txt");

    window.clearHistory();
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(WindowTest, MinimisingHidesTheWindowInTheTrayAndAClickOnTheIconBringsItBack)
{
    window.showNormal();
    pump();
    ::ShowWindow(window.handle(), SW_MINIMIZE);
    pump();
    EXPECT_FALSE(::IsWindowVisible(window.handle()));
    EXPECT_EQ(program->tray.balloons, std::vector<std::string> {"Tarnwick"});

    ::SendMessageW(window.handle(), kTrayCallback, 0, WM_LBUTTONUP);
    pump();
    EXPECT_TRUE(::IsWindowVisible(window.handle()));
    EXPECT_FALSE(::IsIconic(window.handle()));
}

TEST(WindowClosing, AskedToCloseWhileAMessageBoxIsOpenItClosesTheBoxThenItself)
{
    MessageBoxPrompts prompts(nullptr);
    Program program(prompts, &prompts);
    ::PostMessageW(program.window.handle(), WM_CLOSE, 0, 0);
    // returns only because the close request ended the box
    prompts.message("Closing ends this box.");
    EXPECT_TRUE(program.window.closeRequested());
    pump();
    EXPECT_EQ(program.window.handle(), nullptr);
    EXPECT_TRUE(program.application.closed());
}

} // namespace
} // namespace tarnwick::win32
