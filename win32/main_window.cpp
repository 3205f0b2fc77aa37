#include "main_window.h"

#include "dpi.h"
#include "layout.h"
#include "message_box_prompts.h"
#include "scoped_count.h"
#include "text.h"
#include "tray_icon.h"

#include "app/application.h"
#include "app/window_design.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace tarnwick::win32 {

namespace {

using app::Control;
using app::ControlKind;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// How Win32 makes a control of each kind.
struct KindOfWindow {
    const wchar_t *windowClass;
    DWORD style;
    DWORD exStyle;
};

KindOfWindow windowOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Frame:
        return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
    case ControlKind::ListView:
        return {WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE};
    case ControlKind::HistoryView:
        return {WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
        return {WC_BUTTONW, BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, BS_AUTOCHECKBOX, 0};
    case ControlKind::OptionButton:
        // The automatic kind: the dialog manager clicks only those as the arrow keys reach them, and checking one
        // moves the group's tab stop to it. What a click checks is what app/ selects anyway.
        return {WC_BUTTONW, BS_AUTORADIOBUTTON, 0};
    case ControlKind::TextBox:
        return {WC_EDITW, ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        return {WC_STATICW, SS_LEFT, 0};
    case ControlKind::TimePicker:
        return {DATETIMEPICK_CLASSW, DTS_TIMEFORMAT, 0};
    case ControlKind::DropDownList:
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 0};
    }
    return {WC_STATICW, 0, 0};
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

void PostToWindow(HWND window, std::function<void()> function)
{
    auto posted = std::make_unique<std::function<void()>>(std::move(function));
    if (::PostMessageW(window, kRunPosted, 0, reinterpret_cast<LPARAM>(posted.get())))
        posted.release(); // the window deletes it after running it
}

MainWindow::MainWindow(HINSTANCE instance)
    : m_instance(instance)
    , m_background(::CreateSolidBrush(RGB(255, 255, 255)))
    , m_buttonCursor(::LoadCursorW(nullptr, IDC_HAND))
{
    INITCOMMONCONTROLSEX controls {sizeof controls,
                                   ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES |
                                       ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    create();
}

MainWindow::~MainWindow()
{
    if (m_window != nullptr)
        ::DestroyWindow(m_window);
    ::DeleteObject(m_background);
    if (m_ownButtonCursor)
        ::DestroyCursor(m_buttonCursor);
}

void MainWindow::create()
{
    static const ATOM windowClass = [this] {
        WNDCLASSEXW description {};
        description.cbSize = sizeof description;
        description.lpfnWndProc = &MainWindow::windowProc;
        description.hInstance = m_instance;
        description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        description.hIcon =
            static_cast<HICON>(::LoadImageW(m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                            ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
        description.hIconSm = static_cast<HICON>(::LoadImageW(m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                              ::GetSystemMetrics(SM_CXSMICON),
                                                              ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        description.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&description);
    }();
    if (windowClass == 0)
        throw std::runtime_error("The main window's class could not be registered: " + ErrorText(::GetLastError()));
    m_window = ::CreateWindowExW(kWindowExStyle, kWindowClass, L"Tarnwick", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, this);
    if (m_window == nullptr)
        throw std::runtime_error("The main window could not be created: " + ErrorText(::GetLastError()));
    m_dpi = DpiOf(m_window);
    m_fonts = std::make_unique<DesignFonts>(m_dpi);

    // In the design's order, which is the order Tab goes through them.
    int previousGroup = -1;
    for (const app::ControlDesign &design : app::kControls) {
        const bool startsGroup = design.group == 0 || design.group != previousGroup;
        previousGroup = design.group;
        m_controls[static_cast<std::size_t>(design.control)] = makeControl(design, startsGroup);
    }
    m_history = std::make_unique<HistoryList>(control(Control::ListView2));
    for (std::size_t box = 0; box < app::kIntervalBoxes.size(); ++box)
        ::SetWindowSubclass(control(app::kIntervalBoxes[box]), &MainWindow::boxProc, box,
                            reinterpret_cast<DWORD_PTR>(this));

    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                  m_instance, nullptr);
    if (m_tooltip != nullptr) {
        static std::wstring tip = Wide(app::kFolderTooltip);
        TTTOOLINFOW tool {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(control(app::kTooltipControl));
        tool.lpszText = tip.data();
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    layout();
}

HWND MainWindow::makeControl(const app::ControlDesign &design, bool startsGroup)
{
    const KindOfWindow kind = windowOf(design.kind);
    DWORD style = WS_CHILD | kind.style;
    if (design.visible)
        style |= WS_VISIBLE;
    if (design.tabStop)
        style |= WS_TABSTOP;
    if (startsGroup)
        style |= WS_GROUP;
    const HWND window = ::CreateWindowExW(
        kind.exStyle, kind.windowClass, Wide(design.caption).c_str(), style, 0, 0, 0, 0, m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(design.control))), m_instance, nullptr);
    if (window == nullptr)
        throw std::runtime_error("A control of the main window could not be created: " + ErrorText(::GetLastError()));
    switch (design.kind) {
    case ControlKind::ProgressBar:
        ::SendMessageW(window, PBM_SETRANGE32, 0, 100);
        break;
    case ControlKind::ListView:
    case ControlKind::HistoryView:
        ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                       LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
        break;
    case ControlKind::DropDownList:
        for (const std::string_view item : design.items)
            ::SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
        break;
    default:
        break;
    }
    return window;
}

void MainWindow::layout()
{
    LayOut(
        m_window, kWindowStyle, kWindowExStyle, [this](Control which) { return control(which); }, m_tooltip, *m_fonts,
        m_dpi);
    for (const Control list : {Control::ListView1, Control::ListView2})
        ScaleColumns(control(list), m_columns[list == Control::ListView1 ? 0 : 1], m_dpi);
}

HWND MainWindow::control(Control which) const
{
    return which == Control::Form1 ? m_window : m_controls[static_cast<std::size_t>(which)];
}

void MainWindow::connectTo(app::Application &application, MessageBoxPrompts *prompts, TrayIcon *tray)
{
    m_application = &application;
    m_prompts = prompts;
    m_tray = tray;
}

int MainWindow::boxIndex(HWND window) const
{
    for (std::size_t box = 0; box < app::kIntervalBoxes.size(); ++box)
        if (control(app::kIntervalBoxes[box]) == window)
            return static_cast<int>(box);
    return -1;
}

const app::ControlDesign *MainWindow::designOf(HWND window) const
{
    if (window == nullptr)
        return nullptr;
    for (const app::ControlDesign &design : app::kControls)
        if (control(design.control) == window)
            return &design;
    return nullptr;
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<MainWindow *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    auto *self = reinterpret_cast<MainWindow *>(data);
    if (message == WM_KILLFOCUS) {
        // Only a move to another control of this window checks the entry: not the window losing the activation
        // (another program, minimising, a message box) nor a popup such as the box's own context menu.
        const auto next = reinterpret_cast<HWND>(wParam);
        if (next != nullptr && next != box && ::IsChild(self->m_window, next) && ::IsWindowVisible(self->m_window))
            ::PostMessageW(self->m_window, kBoxLeft, id, 0);
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(box, &MainWindow::boxProc, id);
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    app::Application *application = m_closed ? nullptr : m_application;
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return notify(*reinterpret_cast<const NMHDR *>(lParam), lParam);
    case WM_TIMER:
        if (wParam == kTimer1 && application != nullptr)
            application->Timer1_Timer();
        return 0;
    case WM_SIZE:
        if (application == nullptr)
            break;
        if (wParam == SIZE_MINIMIZED)
            application->Form_Resize();
        else if (wParam == SIZE_RESTORED && ::IsWindowVisible(m_window))
            application->windowShown();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam && application != nullptr)
            application->windowShown();
        break;
    case kHideInTray:
        // unless it came back meanwhile
        if (application != nullptr && application->hiddenInTray())
            ::ShowWindow(m_window, SW_HIDE);
        return 0;
    case kRunPosted: {
        const std::unique_ptr<std::function<void()>> function(reinterpret_cast<std::function<void()> *>(lParam));
        if (!m_closed && *function)
            (*function)();
        return 0;
    }
    case kShowRequested:
        if (application != nullptr)
            application->showRequested();
        return 0;
    case kFocusControl:
        ::SetFocus(control(static_cast<Control>(wParam)));
        return 0;
    case kSelectAllText:
        ::SendMessageW(control(static_cast<Control>(wParam)), EM_SETSEL, 0, -1);
        return 0;
    case kBoxLeft:
        if (application != nullptr)
            application->Text_LostFocus(static_cast<int>(wParam));
        return 0;
    case kTrayCallback:
        if (application != nullptr)
            application->TrayNotify(LOWORD(lParam));
        return 0;
    case WM_SETCURSOR:
        if (m_hourglass) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (const auto *design = designOf(reinterpret_cast<HWND>(wParam));
            LOWORD(lParam) == HTCLIENT && design != nullptr && design->kind == ControlKind::PushButton) {
            ::SetCursor(m_buttonCursor);
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (boxIndex(reinterpret_cast<HWND>(lParam)) >= 0)
            break; // a text box keeps its own colours
        ::SetBkColor(reinterpret_cast<HDC>(wParam), m_backgroundColour);
        return reinterpret_cast<LRESULT>(m_background);
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(m_window, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, m_background);
        return 1;
    }
    case WM_ACTIVATE:
        // A plain window forgets its focused control when it is deactivated: keep it, as dialogs do.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(m_window, focus))
                m_lastFocus = focus;
        } else if (!HIWORD(wParam)) {
            HWND focus = m_lastFocus != nullptr && ::IsWindow(m_lastFocus) ? m_lastFocus : nullptr;
            if (focus == nullptr)
                focus = ::GetNextDlgTabItem(m_window, nullptr, FALSE);
            if (focus != nullptr) {
                ::SetFocus(focus);
                return 0;
            }
        }
        break;
    case WM_GETMINMAXINFO: {
        // The design's size holds even where it is larger than the screen (a small screen at a high DPI).
        auto *limits = reinterpret_cast<MINMAXINFO *>(lParam);
        const RECT frame = WindowRectFor(TwipsToPixels(app::kClientWidth, m_dpi),
                                         TwipsToPixels(app::kClientHeight, m_dpi), kWindowStyle, kWindowExStyle, m_dpi);
        limits->ptMaxTrackSize.x = std::max<LONG>(limits->ptMaxTrackSize.x, frame.right - frame.left);
        limits->ptMaxTrackSize.y = std::max<LONG>(limits->ptMaxTrackSize.y, frame.bottom - frame.top);
        return 0;
    }
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        {
            // the controls let go of the old fonts before they are deleted
            auto fonts = std::make_unique<DesignFonts>(m_dpi);
            std::swap(fonts, m_fonts);
            layout();
        }
        const auto *suggested = reinterpret_cast<const RECT *>(lParam);
        ::SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // the session ends: the process goes without WM_CLOSE, so close now
        if (wParam && application != nullptr) {
            m_closed = true;
            application->Form_QueryUnload();
        }
        return 0;
    case WM_DESTROY: {
        // completions that were still on their way are dropped with the window
        MSG pending;
        while (::PeekMessageW(&pending, m_window, kRunPosted, kRunPosted, PM_REMOVE))
            delete reinterpret_cast<std::function<void()> *>(pending.lParam);
        ::PostQuitMessage(0);
        return 0;
    }
    default:
        if (message == m_taskbarCreated && m_taskbarCreated != 0 && m_tray != nullptr)
            m_tray->restore(); // Explorer started again: the icon must be added anew
        break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

void MainWindow::close()
{
    if (m_closed)
        return;
    if (m_prompts != nullptr && m_prompts->open()) {
        // A dialog's own message loop is running: end the dialogs, then close from the main loop.
        m_closeRequested = true;
        m_prompts->closeAll();
        ::PostMessageW(m_window, WM_CLOSE, 0, 0);
        return;
    }
    m_closed = true;
    if (m_application != nullptr)
        m_application->Form_QueryUnload();
    ::DestroyWindow(m_window);
}

void MainWindow::command(int, int code, HWND from)
{
    app::Application *a = m_closed ? nullptr : m_application;
    const app::ControlDesign *design = designOf(from);
    if (a == nullptr || design == nullptr)
        return;
    switch (design->kind) {
    case ControlKind::PushButton:
    case ControlKind::OptionButton:
        if (code == BN_CLICKED)
            a->Click(design->control);
        return;
    case ControlKind::CheckBox:
        if (code == BN_CLICKED)
            a->CheckClick(design->control, ::SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        return;
    case ControlKind::TextBox:
        if (code == EN_CHANGE && m_quiet == 0)
            a->Text_Change(boxIndex(from), Narrow(windowText(from)));
        else if (code == EN_SETFOCUS)
            a->Text_GotFocus(boxIndex(from));
        return;
    case ControlKind::DropDownList:
        if (code == CBN_SELCHANGE && m_quiet == 0) {
            const LRESULT selected = ::SendMessageW(from, CB_GETCURSEL, 0, 0);
            if (selected >= 0 && static_cast<std::size_t>(selected) < design->items.size())
                a->cboWeekly_Change(std::string(design->items[static_cast<std::size_t>(selected)]));
        }
        return;
    default:
        return;
    }
}

std::optional<std::size_t> MainWindow::selectedFolderRow() const
{
    const LRESULT row =
        ::SendMessageW(control(Control::ListView1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

LRESULT MainWindow::notify(const NMHDR &header, LPARAM lParam)
{
    if (header.idFrom == static_cast<UINT_PTR>(ControlId(Control::ListView2)) && header.code == LVN_GETDISPINFOW) {
        m_history->cellText(*reinterpret_cast<NMLVDISPINFOW *>(lParam));
        return 0;
    }
    app::Application *a = m_closed ? nullptr : m_application;
    if (a == nullptr)
        return 0;
    if (header.idFrom == static_cast<UINT_PTR>(ControlId(Control::ListView1))) {
        if (header.code == NM_DBLCLK) {
            a->ListView1_DblClick(selectedFolderRow());
        } else if (header.code == LVN_KEYDOWN) {
            if (reinterpret_cast<const NMLVKEYDOWN *>(lParam)->wVKey == VK_DELETE)
                a->ListView1_KeyDown(app::kDeleteKey, selectedFolderRow());
        }
        return 0;
    }
    if (header.idFrom == static_cast<UINT_PTR>(ControlId(Control::dtpWeekly)) && header.code == DTN_DATETIMECHANGE &&
        m_quiet == 0) {
        const auto &change = *reinterpret_cast<const NMDATETIMECHANGE *>(lParam);
        if (change.dwFlags != GDT_VALID)
            return 0;
        const int secondOfDay = change.st.wHour * 3600 + change.st.wMinute * 60 + change.st.wSecond;
        // the picker reports some changes twice
        if (secondOfDay != m_timeOfDay) {
            m_timeOfDay = secondOfDay;
            a->dtpWeekly_Change(secondOfDay);
        }
    }
    return 0;
}

void MainWindow::setText(Control which, std::string_view value)
{
    const HWND window = control(which);
    const ScopedCount quiet(m_quiet);
    const auto *design = designOf(window);
    if (design != nullptr && design->kind == ControlKind::DropDownList) {
        const std::wstring item = Wide(value);
        const LRESULT index =
            ::SendMessageW(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
        ::SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    const std::wstring text = Wide(value);
    ::SetWindowTextW(window, text.c_str());
    // a frame draws its caption over the old one's background: clear it all
    if (design != nullptr && design->kind == ControlKind::Frame)
        ::InvalidateRect(window, nullptr, TRUE);
}

void MainWindow::setChecked(Control which, bool checked)
{
    ::SendMessageW(control(which), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // With none of the option buttons checked, the first keeps the group's tab stop: Tab must still reach them.
    const int group = app::DesignOf(which).group;
    if (checked || group == 0)
        return;
    HWND first = nullptr;
    for (const app::ControlDesign &design : app::kControls) {
        if (design.group != group)
            continue;
        if (::SendMessageW(control(design.control), BM_GETCHECK, 0, 0) == BST_CHECKED)
            return;
        if (first == nullptr)
            first = control(design.control);
    }
    ::SetWindowLongW(first, GWL_STYLE, ::GetWindowLongW(first, GWL_STYLE) | WS_TABSTOP);
}

void MainWindow::setEnabled(Control which, bool enabled)
{
    ::EnableWindow(control(which), enabled ? TRUE : FALSE);
}

void MainWindow::setVisible(Control which, bool visible)
{
    ::ShowWindow(control(which), visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::setTimeOfDay(int secondOfDay)
{
    const ScopedCount quiet(m_quiet);
    SYSTEMTIME time {};
    ::GetLocalTime(&time);
    time.wHour = static_cast<WORD>(secondOfDay / 3600);
    time.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    time.wSecond = static_cast<WORD>(secondOfDay % 60);
    time.wMilliseconds = 0;
    ::SendMessageW(control(Control::dtpWeekly), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    m_timeOfDay = secondOfDay;
}

void MainWindow::setProgress(int maximum, int value)
{
    const HWND bar = control(Control::ProgressBar2);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void MainWindow::selectAllText(Control box)
{
    // after the click that gave the focus has placed the caret
    ::PostMessageW(m_window, kSelectAllText, static_cast<WPARAM>(box), 0);
}

void MainWindow::setFocus(Control which)
{
    // once the message box that asked for it has given the focus back
    ::PostMessageW(m_window, kFocusControl, static_cast<WPARAM>(which), 0);
}

void MainWindow::setColumns(Control listView, const std::vector<app::Column> &columns)
{
    if (listView != Control::ListView1 && listView != Control::ListView2)
        return;
    SetColumns(control(listView), columns, m_dpi);
    m_columns[listView == Control::ListView1 ? 0 : 1] = columns;
}

void MainWindow::appendFolderRows(const std::vector<std::string> &rows)
{
    const HWND list = control(Control::ListView1);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string &row : rows) {
        std::wstring text = Wide(row);
        LVITEMW item {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = text.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::removeFolderRow(std::size_t row)
{
    ::SendMessageW(control(Control::ListView1), LVM_DELETEITEM, row, 0);
}

void MainWindow::clearFolderRows()
{
    ::SendMessageW(control(Control::ListView1), LVM_DELETEALLITEMS, 0, 0);
}

void MainWindow::appendHistory(app::HistoryBatch batch)
{
    m_history->append(std::move(batch));
}

void MainWindow::clearHistory()
{
    m_history->clear();
}

void MainWindow::refreshPointer() const
{
    POINT where;
    if (!::GetCursorPos(&where))
        return;
    const HWND under = ::WindowFromPoint(where);
    if (under == m_window || ::IsChild(m_window, under))
        ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void MainWindow::setPointer(app::Pointer pointer)
{
    const bool hourglass = pointer == app::Pointer::Hourglass;
    if (hourglass == m_hourglass)
        return;
    m_hourglass = hourglass;
    refreshPointer();
}

void MainWindow::setButtonPointer(const std::string &cursorFile)
{
    HCURSOR cursor = nullptr;
    if (!cursorFile.empty())
        cursor = ::LoadCursorFromFileW(Wide(cursorFile).c_str());
    if (m_ownButtonCursor)
        ::DestroyCursor(m_buttonCursor);
    m_ownButtonCursor = cursor != nullptr;
    m_buttonCursor = cursor != nullptr ? cursor : ::LoadCursorW(nullptr, IDC_HAND);
}

void MainWindow::applySkinColours()
{
    m_backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    ::DeleteObject(m_background);
    m_background = ::CreateSolidBrush(m_backgroundColour);
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MainWindow::centre()
{
    RECT frame;
    ::GetWindowRect(m_window, &frame);
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT &area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(m_window, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::showNormal()
{
    ::ShowWindow(m_window, SW_SHOWNORMAL);
    ::UpdateWindow(m_window);
}

void MainWindow::showMinimized()
{
    ::ShowWindow(m_window, SW_SHOWMINIMIZED);
}

void MainWindow::hideWindow()
{
    // after the minimise that led here has been handled
    ::PostMessageW(m_window, kHideInTray, 0, 0);
}

void MainWindow::bringToFront()
{
    ::ShowWindow(m_window, ::IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(m_window);
    ::BringWindowToTop(m_window);
}

} // namespace tarnwick::win32
