// The notification-area icon with the real shell (Wine's tray on the virtual display): a balloon goes away at its
// time, which the shell alone would not do.

#include "win32/tray_icon.h"

#include "app/sys_tray.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string_view>

#include <vector>

namespace tarnwick::win32 {
namespace {

constexpr UINT kCallback = WM_APP + 40;

// A hidden window that keeps the tray messages it gets.
class CallbackWindow
{
public:
    CallbackWindow()
    {
        static const ATOM windowClass = [] {
            WNDCLASSW description {};
            description.lpfnWndProc = &CallbackWindow::proc;
            description.hInstance = ::GetModuleHandleW(nullptr);
            description.lpszClassName = L"Tarnwick.TrayIconTest";
            return ::RegisterClassW(&description);
        }();
        handle = ::CreateWindowExW(0, MAKEINTATOM(windowClass), L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), this);
    }
    ~CallbackWindow() { ::DestroyWindow(handle); }
    CallbackWindow(const CallbackWindow &) = delete;
    CallbackWindow &operator=(const CallbackWindow &) = delete;

    HWND handle = nullptr;
    std::vector<int> messages;

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
        auto *self = reinterpret_cast<CallbackWindow *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == kCallback && self != nullptr)
            self->messages.push_back(LOWORD(lParam));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

// Whether the shell shows a balloon: a tooltip window of another process.
bool balloonShown()
{
    bool shown = false;
    ::EnumWindows(
        [](HWND window, LPARAM found) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t name[32] = {};
            ::GetClassNameW(window, name, 32);
            if (process != ::GetCurrentProcessId() && std::wstring_view(name) == TOOLTIPS_CLASSW &&
                ::IsWindowVisible(window))
                *reinterpret_cast<bool *>(found) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

TEST(TrayIcon, TakesTheBalloonAwayAtItsTimeAndSaysSo)
{
    CallbackWindow window;
    TrayIcon icon(window.handle, kCallback, ::LoadIconW(nullptr, IDI_APPLICATION));
    if (!icon.available())
        GTEST_SKIP() << "no notification area";
    icon.show("Tarnwick test");
    // Wine's shell puts a balloon up a moment after it is asked to and keeps it ten seconds at least.
    icon.showBalloon("Tarnwick", "has been minimized to the system tray.", 5000);
    bool seen = false;
    for (int round = 0; round < 1200 && window.messages.empty(); ++round) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        seen = seen || balloonShown();
        ::Sleep(25);
    }
    ASSERT_EQ(window.messages, std::vector<int> {app::cSysTray::BalloonTimedOut});
    EXPECT_TRUE(seen) << "the balloon was never shown";
    EXPECT_FALSE(balloonShown()) << "the balloon is still up after its time";
    icon.hide();
}

} // namespace
} // namespace tarnwick::win32
