#include "dpi.h"

namespace tarnwick::win32 {

namespace {

// Windows 10 calls, looked up so that older systems still start (at the system DPI).
template<typename Function>
Function user32(const char *name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

} // namespace

int TwipsToPixels(int twips, int dpi)
{
    return ::MulDiv(twips, dpi, 1440);
}

int FontHeight(int centipoints, int dpi)
{
    return -::MulDiv(centipoints, dpi, 7200);
}

int DpiOf(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI *)(HWND);
    static const auto getDpiForWindow = user32<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr)
        if (const UINT dpi = getDpiForWindow(window); dpi != 0)
            return static_cast<int>(dpi);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

RECT WindowRectFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi)
{
    using AdjustFunction = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32<AdjustFunction>("AdjustWindowRectExForDpi");
    RECT rect {0, 0, clientWidth, clientHeight};
    if (adjustForDpi != nullptr)
        adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return rect;
}

} // namespace tarnwick::win32
