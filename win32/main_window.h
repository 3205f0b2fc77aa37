#pragma once

#include "design_fonts.h"
#include "history_list.h"

#include "app/toolkit.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::app {
class Application;
struct ControlDesign;
} // namespace tarnwick::app

namespace tarnwick::win32 {

class MessageBoxPrompts;
class TrayIcon;

// The window messages of the main window beyond the system's.
enum WindowMessage : UINT {
    // A function handed over from another thread (lParam: a new std::function<void()>, deleted after the call).
    kRunPosted = WM_APP + 1,
    // Another start of the program asks for this window.
    kShowRequested = WM_APP + 2,
    kHideInTray = WM_APP + 3,
    kFocusControl = WM_APP + 4, // wParam: the control
    kSelectAllText = WM_APP + 5, // wParam: the control
    kBoxLeft = WM_APP + 6, // wParam: the interval box the focus left for another control of the window
    // The tray icon's callback: lParam is the mouse or balloon message.
    kTrayCallback = WM_USER + 101,
};

inline constexpr wchar_t kWindowClass[] = L"Tarnwick.Form1";
inline constexpr int kTimer1 = 1;

// The dialog ID of a control: the design's controls in their order, from 1000 on.
constexpr int ControlId(app::Control control)
{
    return 1000 + static_cast<int>(control);
}

// Posts a function to the window's thread; it runs there in the window's message loop.
void PostToWindow(HWND window, std::function<void()> function);

// The main window: the controls of the design (app/window_design.h), made with the Win32 API, each with its
// design name's dialog ID, placed at the window's DPI (layout.h). It shows what app/ tells it (as the app::View)
// and forwards what the user does to the Application; it decides nothing.
class MainWindow final : public app::View
{
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;

    HWND handle() const { return m_window; }
    HWND control(app::Control control) const;

    // Forwards the controls' events to the application from now on. The prompts, when given, are closed first when
    // the window is closed while one is open; the tray icon, when given, is put back when the taskbar is re-created.
    void connectTo(app::Application &application, MessageBoxPrompts *prompts = nullptr, TrayIcon *tray = nullptr);
    // The window was asked to close while a dialog was open: it closes as soon as the dialog has gone.
    bool closeRequested() const { return m_closeRequested; }

    void setText(app::Control control, std::string_view text) override;
    void setChecked(app::Control control, bool checked) override;
    void setEnabled(app::Control control, bool enabled) override;
    void setVisible(app::Control control, bool visible) override;
    void setTimeOfDay(int secondOfDay) override;
    void setProgress(int maximum, int value) override;
    void selectAllText(app::Control box) override;
    void setFocus(app::Control control) override;
    void setColumns(app::Control listView, const std::vector<app::Column> &columns) override;
    void appendFolderRows(const std::vector<std::string> &rows) override;
    void removeFolderRow(std::size_t row) override;
    void clearFolderRows() override;
    void appendHistory(app::HistoryBatch batch) override;
    void clearHistory() override;
    void setPointer(app::Pointer pointer) override;
    void setButtonPointer(const std::string &cursorFile) override;
    void applySkinColours() override;
    void centre() override;
    void showNormal() override;
    void showMinimized() override;
    void hideWindow() override;
    void bringToFront() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    HWND makeControl(const app::ControlDesign &design, bool startsGroup);
    void layout();
    void command(int id, int code, HWND from);
    LRESULT notify(const NMHDR &header, LPARAM lParam);
    std::optional<std::size_t> selectedFolderRow() const;
    const app::ControlDesign *designOf(HWND window) const;
    void refreshPointer() const;
    void close();
    int boxIndex(HWND window) const;

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_tooltip = nullptr;
    std::array<HWND, 30> m_controls {};
    app::Application *m_application = nullptr;
    MessageBoxPrompts *m_prompts = nullptr;
    TrayIcon *m_tray = nullptr;
    UINT m_taskbarCreated = 0;

    int m_dpi = 96;
    std::unique_ptr<DesignFonts> m_fonts;
    HBRUSH m_background = nullptr;
    COLORREF m_backgroundColour = RGB(255, 255, 255);
    HCURSOR m_buttonCursor = nullptr;
    bool m_ownButtonCursor = false;
    bool m_hourglass = false;

    // While app/ sets a value, the control's change notifications are not forwarded.
    int m_quiet = 0;
    int m_timeOfDay = -1;
    bool m_closeRequested = false;
    bool m_closed = false;
    HWND m_lastFocus = nullptr;

    std::vector<std::vector<app::Column>> m_columns = std::vector<std::vector<app::Column>>(2);
    std::unique_ptr<HistoryList> m_history;
};

} // namespace tarnwick::win32
