#include "main_window.h"

#include "dpi.h"
#include "message_box_prompts.h"
#include "scoped_count.h"
#include "text.h"
#include "tray_icon.h"

#include "app/application.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace tarnwick::win32 {

namespace {

using app::Control;

// A control of the design: its window class, caption, styles, container and twip geometry in the container.
struct Design {
    Control control;
    const wchar_t *windowClass;
    const wchar_t *caption;
    DWORD style;
    DWORD exStyle;
    Control container;
    int left;
    int top;
    int width;
    int height;
};

constexpr DWORD kPushButton = BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
constexpr DWORD kFrame = BS_GROUPBOX;
// The option buttons of a frame are one group, created in a row: the first starts it, checking a button gives it
// the group's tab stop (the button control moves WS_TABSTOP with the check), and the arrow keys move within the
// group. They are of the automatic kind because the dialog manager clicks only those as the arrow keys reach them;
// what a click checks is what app/ selects anyway.
constexpr DWORD kFirstOption = BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP;
constexpr DWORD kOption = BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP;
constexpr DWORD kBox = ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;

// In creation order, which is the order Tab goes through them.
constexpr Design kDesign[] = {
    {Control::Frame4, WC_BUTTONW, L"Off.", kFrame, 0, Control::Form1, 120, 60, 7800, 855},
    {Control::ProgressBar2, PROGRESS_CLASSW, L"", PBS_SMOOTH, 0, Control::Frame4, 240, 270, 7320, 405},
    {Control::ListView1, WC_LISTVIEWW, L"",
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
     Control::Form1, 120, 1020, 7800, 1815},
    {Control::PushButton3, WC_BUTTONW, L"Add Folder", kPushButton, 0, Control::Form1, 120, 2920, 3840, 405},
    {Control::PushButton4, WC_BUTTONW, L"Add All Subfolders In Folder", kPushButton, 0, Control::Form1, 4080, 2920,
     3840, 405},
    {Control::PushButton7, WC_BUTTONW, L"Clear List", kPushButton, 0, Control::Form1, 120, 3430, 3840, 405},
    {Control::PushButton8, WC_BUTTONW, L"Load Sample/Example Data", kPushButton, 0, Control::Form1, 4080, 3430, 3840,
     405},
    {Control::Frame2, WC_BUTTONW, L"Startup Options", kFrame, 0, Control::Form1, 120, 3870, 7800, 735},
    {Control::Check4, WC_BUTTONW, L"Load this software on Windows startup", kCheck, 0, Control::Frame2, 240, 300, 3930,
     285},
    {Control::Check8, WC_BUTTONW, L"Minimized to system tray", kCheck, 0, Control::Frame2, 4320, 300, 2580, 285},
    {Control::Frame3, WC_BUTTONW, L"Monitor Schedule Option", kFrame, 0, Control::Form1, 120, 4650, 7800, 1760},
    {Control::Option3, WC_BUTTONW, L"Monitor every:", kFirstOption, 0, Control::Frame3, 240, 345, 1575, 255},
    {Control::Option4, WC_BUTTONW, L"Daily:", kOption, 0, Control::Frame3, 240, 795, 825, 255},
    {Control::Option5, WC_BUTTONW, L" Weekly:", kOption, 0, Control::Frame3, 240, 1275, 1185, 255},
    {Control::Text1, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, Control::Frame3, 2040, 300, 500, 345},
    {Control::Label1, WC_STATICW, L"hour/s", SS_LEFT, 0, Control::Frame3, 2640, 345, 540, 225},
    {Control::Text2, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, Control::Frame3, 3360, 300, 500, 345},
    {Control::Label2, WC_STATICW, L"minute/s", SS_LEFT, 0, Control::Frame3, 3960, 345, 735, 225},
    {Control::Text3, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, Control::Frame3, 4920, 300, 500, 345},
    {Control::Label3, WC_STATICW, L"second/s", SS_LEFT, 0, Control::Frame3, 5520, 345, 780, 225},
    {Control::dtpWeekly, DATETIMEPICK_CLASSW, L"", DTS_TIMEFORMAT | WS_TABSTOP | WS_GROUP, 0, Control::Frame3, 2040,
     750, 4335, 375},
    {Control::cboWeekly, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, Control::Frame3,
     2040, 1230, 4335, 345},
    {Control::ListView2, WC_LISTVIEWW, L"", LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_GROUP,
     WS_EX_CLIENTEDGE, Control::Form1, 8040, 120, 7800, 4755},
    {Control::PushButton5, WC_BUTTONW, L"Turn On Automatic Monitoring", kPushButton, 0, Control::Form1, 8040, 4980,
     7800, 405},
    {Control::PushButton1, WC_BUTTONW, L"View History Log", kPushButton, 0, Control::Form1, 8040, 5490, 3840, 405},
    {Control::PushButton2, WC_BUTTONW, L"Copy History To Clipboard", kPushButton, 0, Control::Form1, 12000, 5490, 3840,
     405},
    {Control::PushButton11, WC_BUTTONW, L"Help", kPushButton, 0, Control::Form1, 8040, 6000, 3840, 405},
    {Control::PushButton12, WC_BUTTONW, L"Clear History Log", kPushButton, 0, Control::Form1, 12000, 6000, 3840, 405},
    // Below the bottom edge of the window as designed: reached with the keyboard (Tab, then Space).
    {Control::PushButton6, WC_BUTTONW, L"Monitor Folder Now (Test)", kPushButton, 0, Control::Form1, 8040, 6600, 3840,
     405},
};

constexpr int kClientWidth = 15960;
constexpr int kClientHeight = 6510;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

constexpr Control kPushButtons[] = {
    Control::PushButton1, Control::PushButton2, Control::PushButton3, Control::PushButton4,  Control::PushButton5,
    Control::PushButton6, Control::PushButton7, Control::PushButton8, Control::PushButton11, Control::PushButton12};
constexpr Control kBoxes[] = {Control::Text1, Control::Text2, Control::Text3};
constexpr Control kOptions[] = {Control::Option3, Control::Option4, Control::Option5};
constexpr const wchar_t *kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};

const Design &designOf(Control control)
{
    return *std::find_if(std::begin(kDesign), std::end(kDesign),
                         [control](const Design &design) { return design.control == control; });
}

bool isFrame(Control control)
{
    return control == Control::Frame2 || control == Control::Frame3 || control == Control::Frame4;
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HFONT arial(int centipoints, bool bold, int dpi)
{
    return ::CreateFontW(FontHeight(centipoints, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"Arial");
}

const std::wstring &actionText(ChangeKind kind)
{
    // Shared texts: a million rows must not mean a million conversions of three words.
    static const std::wstring added = Wide(ActionText(ChangeKind::Added));
    static const std::wstring removed = Wide(ActionText(ChangeKind::Removed));
    static const std::wstring modified = Wide(ActionText(ChangeKind::Modified));
    return kind == ChangeKind::Added ? added : kind == ChangeKind::Removed ? removed : modified;
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
    for (HFONT font : {m_windowFont, m_controlFont, m_buttonFont})
        if (font != nullptr)
            ::DeleteObject(font);
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
    makeFonts();

    for (const Design &design : kDesign) {
        const DWORD visible = design.control == Control::Check8 ? 0 : WS_VISIBLE; // shown with Check4 only
        const HWND control = ::CreateWindowExW(
            design.exStyle, design.windowClass, design.caption, WS_CHILD | visible | design.style, 0, 0, 0, 0, m_window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(design.control))), m_instance, nullptr);
        if (control == nullptr)
            throw std::runtime_error("A control of the main window could not be created: " +
                                     ErrorText(::GetLastError()));
        m_controls[static_cast<std::size_t>(design.control)] = control;
    }

    ::SendMessageW(control(Control::ProgressBar2), PBM_SETRANGE32, 0, 100);
    for (const Control list : {Control::ListView1, Control::ListView2})
        ::SendMessageW(control(list), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                       LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    for (const wchar_t *day : kDays)
        ::SendMessageW(control(Control::cboWeekly), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(day));
    for (int box = 0; box < 3; ++box)
        ::SetWindowSubclass(control(kBoxes[box]), &MainWindow::boxProc, static_cast<UINT_PTR>(box),
                            reinterpret_cast<DWORD_PTR>(this));

    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                  m_instance, nullptr);
    if (m_tooltip != nullptr) {
        static wchar_t tip[] =
            L"Double-click item to remove it. Move | line to right and out of window to reveal full names.";
        TTTOOLINFOW tool {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(control(Control::ListView1));
        tool.lpszText = tip;
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    layout();
}

void MainWindow::makeFonts()
{
    for (HFONT font : {m_windowFont, m_controlFont, m_buttonFont})
        if (font != nullptr)
            ::DeleteObject(font);
    m_windowFont = arial(900, false, m_dpi);
    m_controlFont = arial(900, true, m_dpi);
    m_buttonFont = arial(1125, true, m_dpi);
}

void MainWindow::layout()
{
    const RECT frame = WindowRectFor(TwipsToPixels(kClientWidth, m_dpi), TwipsToPixels(kClientHeight, m_dpi),
                                     kWindowStyle, kWindowExStyle, m_dpi);
    ::SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const auto px = [this](int twips) { return TwipsToPixels(twips, m_dpi); };
    for (const Design &design : kDesign) {
        int left = design.left;
        int top = design.top;
        if (design.container != Control::Form1) {
            left += designOf(design.container).left;
            top += designOf(design.container).top;
        }
        int height = px(design.height);
        if (design.control == Control::cboWeekly)
            height += px(7 * 255 + 60); // the list that drops down
        const HWND window = control(design.control);
        const bool button =
            std::find(std::begin(kPushButtons), std::end(kPushButtons), design.control) != std::end(kPushButtons);
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(button ? m_buttonFont : m_controlFont), FALSE);
        ::SetWindowPos(window, nullptr, px(left), px(top), px(design.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // the closed day list keeps the design's height
    const LRESULT border = 6;
    ::SendMessageW(control(Control::cboWeekly), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   std::max<LRESULT>(px(345) - border, 1));
    if (m_tooltip != nullptr) {
        // the window's own font, Arial 9 points regular
        ::SendMessageW(m_tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(m_windowFont), FALSE);
        ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, px(6000));
    }
    for (const Control list : {Control::ListView1, Control::ListView2}) {
        const auto &columns = m_columns[list == Control::ListView1 ? 0 : 1];
        for (std::size_t i = 0; i < columns.size(); ++i)
            ::SendMessageW(control(list), LVM_SETCOLUMNWIDTH, i, px(columns[i].twips));
    }
    ::InvalidateRect(m_window, nullptr, TRUE);
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
    for (int box = 0; box < 3; ++box)
        if (control(kBoxes[box]) == window)
            return box;
    return -1;
}

bool MainWindow::isPushButton(HWND window) const
{
    return std::any_of(std::begin(kPushButtons), std::end(kPushButtons),
                       [&](Control button) { return control(button) == window; });
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
        if (wParam) {
            m_shownOnce = true;
            m_inTray = false;
            if (application != nullptr)
                application->windowShown();
        }
        break;
    case kHideInTray:
        if (m_inTray)
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
        if (LOWORD(lParam) == HTCLIENT && isPushButton(reinterpret_cast<HWND>(wParam))) {
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
        const RECT frame = WindowRectFor(TwipsToPixels(kClientWidth, m_dpi), TwipsToPixels(kClientHeight, m_dpi),
                                         kWindowStyle, kWindowExStyle, m_dpi);
        limits->ptMaxTrackSize.x = std::max<LONG>(limits->ptMaxTrackSize.x, frame.right - frame.left);
        limits->ptMaxTrackSize.y = std::max<LONG>(limits->ptMaxTrackSize.y, frame.bottom - frame.top);
        return 0;
    }
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        makeFonts();
        layout();
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

void MainWindow::command(int id, int code, HWND from)
{
    app::Application *a = m_closed ? nullptr : m_application;
    if (a == nullptr || id < ControlId(Control::Form1) || id > ControlId(Control::cboWeekly))
        return;
    const auto which = static_cast<Control>(id - ControlId(Control::Form1));
    if (code == BN_CLICKED) {
        switch (which) {
        case Control::PushButton1:
            return a->PushButton1_Click();
        case Control::PushButton2:
            return a->PushButton2_Click();
        case Control::PushButton3:
            return a->PushButton3_Click();
        case Control::PushButton4:
            return a->PushButton4_Click();
        case Control::PushButton5:
            return a->PushButton5_Click();
        case Control::PushButton6:
            return a->PushButton6_Click();
        case Control::PushButton7:
            return a->PushButton7_Click();
        case Control::PushButton8:
            return a->PushButton8_Click();
        case Control::PushButton11:
            return a->PushButton11_Click();
        case Control::PushButton12:
            return a->PushButton12_Click();
        case Control::Option3:
            return a->Option3_Click();
        case Control::Option4:
            return a->Option4_Click();
        case Control::Option5:
            return a->Option5_Click();
        case Control::Check4:
            return a->Check4_Click(::SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        case Control::Check8:
            return a->Check8_Click(::SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        default:
            return;
        }
    }
    if (const int box = boxIndex(from); box >= 0) {
        if (code == EN_CHANGE && m_quiet == 0)
            a->Text_Change(box, Narrow(windowText(from)));
        else if (code == EN_SETFOCUS)
            a->Text_GotFocus(box);
        return;
    }
    if (which == Control::cboWeekly && code == CBN_SELCHANGE && m_quiet == 0) {
        const LRESULT selected = ::SendMessageW(from, CB_GETCURSEL, 0, 0);
        if (selected >= 0 && selected < 7)
            a->cboWeekly_Change(Narrow(kDays[selected]));
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
        historyText(*reinterpret_cast<NMLVDISPINFOW *>(lParam));
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

void MainWindow::historyText(NMLVDISPINFOW &info) const
{
    if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0 ||
        info.item.iItem < 0 || static_cast<std::size_t>(info.item.iItem) >= m_historyRows)
        return;
    const auto row = static_cast<std::size_t>(info.item.iItem);
    const auto after = std::upper_bound(m_batches.begin(), m_batches.end(), row,
                                        [](std::size_t r, const Batch &batch) { return r < batch.first; });
    const Batch &batch = *(after - 1);
    const Change &change = batch.changes[row - batch.first];
    std::wstring path;
    const std::wstring *text = &batch.time;
    if (info.item.iSubItem == 1) {
        text = &actionText(change.kind);
    } else if (info.item.iSubItem == 2) {
        path = Wide(change.path);
        text = &path;
    }
    const std::size_t length = std::min(text->size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    std::copy_n(text->data(), length, info.item.pszText);
    info.item.pszText[length] = L'\0';
}

void MainWindow::setText(Control which, std::string_view value)
{
    const HWND window = control(which);
    const ScopedCount quiet(m_quiet);
    if (which == Control::cboWeekly) {
        const std::wstring day = Wide(value);
        const LRESULT index =
            ::SendMessageW(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(day.c_str()));
        ::SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    const std::wstring text = Wide(value);
    ::SetWindowTextW(window, text.c_str());
    if (isFrame(which)) // a frame draws its caption over the old one's background: clear it all
        ::InvalidateRect(window, nullptr, TRUE);
}

void MainWindow::setChecked(Control which, bool checked)
{
    ::SendMessageW(control(which), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // With none of the option buttons checked, the first keeps the group's tab stop: Tab must still reach them.
    const auto isChecked = [this](Control option) {
        return ::SendMessageW(control(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    if (!checked && std::find(std::begin(kOptions), std::end(kOptions), which) != std::end(kOptions) &&
        std::none_of(std::begin(kOptions), std::end(kOptions), isChecked)) {
        const HWND first = control(kOptions[0]);
        ::SetWindowLongW(first, GWL_STYLE, ::GetWindowLongW(first, GWL_STYLE) | WS_TABSTOP);
    }
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
    const HWND list = control(listView);
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    for (int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); count > 0; --count)
        ::SendMessageW(list, LVM_DELETECOLUMN, 0, 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring text = Wide(columns[i].header);
        LVCOLUMNW column {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = TwipsToPixels(columns[i].twips, m_dpi);
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
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
    // The list view counts rows in int: rows beyond that are not taken, rather than corrupting the view.
    const std::size_t room = static_cast<std::size_t>(INT_MAX) - m_historyRows;
    if (batch.changes.size() > room)
        batch.changes.resize(room);
    if (batch.changes.empty())
        return;
    const std::size_t count = batch.changes.size();
    m_batches.push_back({m_historyRows, Wide(batch.time), std::move(batch.changes)});
    m_historyRows += count;
    const HWND list = control(Control::ListView2);
    ::SendMessageW(list, LVM_SETITEMCOUNT, m_historyRows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ::InvalidateRect(list, nullptr, FALSE);
}

void MainWindow::clearHistory()
{
    m_batches.clear();
    m_historyRows = 0;
    const HWND list = control(Control::ListView2);
    ::SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
    ::InvalidateRect(list, nullptr, TRUE);
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
    m_inTray = false;
    if (!m_shownOnce)
        centre();
    ::ShowWindow(m_window, SW_SHOWNORMAL);
    ::UpdateWindow(m_window);
}

void MainWindow::showMinimized()
{
    m_inTray = false;
    if (!m_shownOnce)
        centre();
    ::ShowWindow(m_window, SW_SHOWMINIMIZED);
}

void MainWindow::hideInTray()
{
    m_inTray = true;
    if (!::IsWindowVisible(m_window))
        return; // never shown yet: it simply stays hidden
    // after the minimise that led here has been handled
    ::PostMessageW(m_window, kHideInTray, 0, 0);
}

void MainWindow::restoreFromTray()
{
    m_inTray = false;
    if (!m_shownOnce)
        centre();
    ::ShowWindow(m_window, ::IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(m_window);
    ::BringWindowToTop(m_window);
}

} // namespace tarnwick::win32
