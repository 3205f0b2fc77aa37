#include "tray_icon.h"

#include "text.h"

#include <shellapi.h>

#include <algorithm>

namespace tarnwick::win32 {

namespace {

// Where the balloon timer's procedure finds the icon of a window.
constexpr wchar_t kProperty[] = L"Tarnwick.TrayIcon";

// Copies as much of the text as fits, with its NUL.
template<std::size_t N>
void copyField(wchar_t (&field)[N], const std::wstring &text)
{
    const std::size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.data(), length, field);
    field[length] = L'\0';
}

} // namespace

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, HICON icon)
    : m_window(window)
    , m_callbackMessage(callbackMessage)
    , m_icon(icon)
{
    ::SetPropW(m_window, kProperty, this);
}

TrayIcon::~TrayIcon()
{
    hide();
    if (::GetPropW(m_window, kProperty) == this)
        ::RemovePropW(m_window, kProperty);
}

NOTIFYICONDATAW TrayIcon::record(UINT flags) const
{
    NOTIFYICONDATAW data {};
    data.cbSize = sizeof data;
    data.hWnd = m_window;
    data.uID = 0;
    data.uFlags = flags;
    return data;
}

bool TrayIcon::available() const
{
    // Explorer's taskbar holds the notification area
    return m_added || ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

bool TrayIcon::add()
{
    NOTIFYICONDATAW data = record(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = m_callbackMessage;
    data.hIcon = m_icon;
    copyField(data.szTip, m_tip);
    m_added = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (m_added) {
        // mouse messages as they are, and the balloon's notifications
        data.uVersion = NOTIFYICON_VERSION;
        ::Shell_NotifyIconW(NIM_SETVERSION, &data);
    }
    return m_added;
}

void TrayIcon::show(const std::string &tip)
{
    m_tip = Wide(tip);
    m_shown = true;
    add();
}

void TrayIcon::hide()
{
    ::KillTimer(m_window, kBalloonTimer);
    if (m_added) {
        NOTIFYICONDATAW data = record(0);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
    }
    m_added = false;
    m_shown = false;
}

void TrayIcon::setTip(const std::string &tip)
{
    m_tip = Wide(tip);
    if (!m_added)
        return;
    NOTIFYICONDATAW data = record(NIF_TIP);
    copyField(data.szTip, m_tip);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds)
{
    NOTIFYICONDATAW data = record(NIF_INFO);
    copyField(data.szInfoTitle, Wide(title));
    copyField(data.szInfo, Wide(text));
    data.uTimeout = static_cast<UINT>(std::max(timeoutMilliseconds, 0));
    data.dwInfoFlags = NIIF_NONE;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
    if (timeoutMilliseconds > 0)
        ::SetTimer(m_window, kBalloonTimer, static_cast<UINT>(timeoutMilliseconds), &TrayIcon::balloonTimeUp);
    else
        ::KillTimer(m_window, kBalloonTimer);
}

void CALLBACK TrayIcon::balloonTimeUp(HWND window, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(window, id);
    if (auto *icon = static_cast<TrayIcon *>(::GetPropW(window, kProperty)))
        icon->removeBalloon();
}

void TrayIcon::removeBalloon()
{
    if (m_added) {
        // a balloon record without text takes the balloon away
        NOTIFYICONDATAW data = record(NIF_INFO);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
    ::PostMessageW(m_window, m_callbackMessage, 0, MAKELPARAM(NIN_BALLOONTIMEOUT, 0));
}

void TrayIcon::restore()
{
    if (m_shown)
        add();
}

} // namespace tarnwick::win32
