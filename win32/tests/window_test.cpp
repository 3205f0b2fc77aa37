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

TEST_F(WindowTest, ClientAreaAndControlsFollowTheDesignInTwips)
{
    ASSERT_EQ(DpiOf(window.handle()), 96) << "the geometry below is at 96 dpi";
    RECT client;
    ::GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right - client.left, 1064);
    EXPECT_EQ(client.bottom - client.top, 434);

    const LONG style = ::GetWindowLongW(window.handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed single border";

    struct Case {
        Control control;
        RECT rect; // left, top, right, bottom in pixels of the client area
    };
    const Case cases[] = {
        {Control::Frame4, {8, 4, 528, 61}},
        {Control::ProgressBar2, {24, 22, 512, 49}}, // inside Frame4
        {Control::ListView2, {536, 8, 1056, 325}},
        {Control::Text1, {144, 330, 177, 353}}, // inside Frame3
        {Control::Check8, {296, 278, 468, 297}}, // inside Frame2
        {Control::PushButton12, {800, 400, 1056, 427}},
        {Control::PushButton6, {536, 440, 792, 467}}, // below the client area, as designed
    };
    for (const Case &c : cases) {
        const RECT rect = clientRectOf(control(c.control), window.handle());
        EXPECT_EQ(rect.left, c.rect.left) << app::ControlName(c.control);
        EXPECT_EQ(rect.top, c.rect.top) << app::ControlName(c.control);
        EXPECT_EQ(rect.right, c.rect.right) << app::ControlName(c.control);
        EXPECT_EQ(rect.bottom, c.rect.bottom) << app::ControlName(c.control);
        EXPECT_EQ(::GetDlgCtrlID(control(c.control)), ControlId(c.control));
    }
    EXPECT_EQ(textOf(control(Control::PushButton6)), L"Monitor Folder Now (Test)");
    EXPECT_EQ(textOf(control(Control::Option5)), L" Weekly:");
    EXPECT_FALSE(::GetWindowLongW(control(Control::Check8), GWL_STYLE) & WS_VISIBLE) << "shown only with Check4";
}

TEST_F(WindowTest, PushButtonsAreArial11PointsBoldAndOtherControls9PointsBold)
{
    struct Case {
        Control control;
        LONG height;
    };
    for (const Case &c : {Case {Control::PushButton5, -15}, Case {Control::Text1, -12}, Case {Control::Frame3, -12},
                          Case {Control::ListView2, -12}}) {
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(control(c.control), WM_GETFONT, 0, 0));
        LOGFONTW description {};
        ASSERT_TRUE(::GetObjectW(font, sizeof description, &description)) << app::ControlName(c.control);
        EXPECT_STREQ(description.lfFaceName, L"Arial");
        EXPECT_EQ(description.lfHeight, c.height) << app::ControlName(c.control);
        EXPECT_EQ(description.lfWeight, FW_BOLD) << app::ControlName(c.control);
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

TEST_F(WindowTest, TabGoesThroughTheControlsInDesignOrderDownToTheHiddenButton)
{
    window.showNormal();
    ::SetForegroundWindow(window.handle());
    const auto tab = [&] {
        MSG message {::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(::IsDialogMessageW(window.handle(), &message));
        pump();
        return ::GetFocus();
    };
    ::SetFocus(control(Control::PushButton11));
    pump();
    EXPECT_EQ(tab(), control(Control::PushButton12));
    EXPECT_EQ(tab(), control(Control::PushButton6)) << "below the client area, still reached with Tab";
    EXPECT_EQ(tab(), control(Control::ListView1)) << "round again; Frame4 and the bar take no focus";
    EXPECT_EQ(tab(), control(Control::PushButton3));
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
