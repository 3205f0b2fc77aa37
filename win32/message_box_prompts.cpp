#include "message_box_prompts.h"

#include "scoped_count.h"
#include "text.h"

#include <shlobj.h>

#include <cwchar>

namespace tarnwick::win32 {

namespace {

BOOL CALLBACK endDialog(HWND window, LPARAM)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    // message boxes and the folder browser are dialogs of the system's dialog class
    if (std::wstring_view(className) == L"#32770")
        ::EndDialog(window, IDCANCEL);
    return TRUE;
}

} // namespace

MessageBoxPrompts::MessageBoxPrompts(HWND owner)
    : m_owner(owner)
{
}

void MessageBoxPrompts::setApplicationTitle(std::string_view title)
{
    m_title = Wide(title);
}

int MessageBoxPrompts::show(std::string_view text, const std::wstring &caption, UINT type)
{
    if (m_closing)
        return IDCANCEL;
    const ScopedCount open(m_open);
    return ::MessageBoxW(m_owner, Wide(text).c_str(), caption.c_str(), type);
}

void MessageBoxPrompts::message(std::string_view text)
{
    show(text, m_title, MB_OK);
}

bool MessageBoxPrompts::askYesNo(std::string_view text)
{
    return show(text, m_title, MB_YESNO) == IDYES;
}

void MessageBoxPrompts::errorReport(std::string_view text)
{
    show(text, L"Application Error", MB_OK | MB_ICONWARNING);
}

std::string MessageBoxPrompts::browseForFolder(std::string_view title)
{
    if (m_closing)
        return {};
    const std::wstring caption = Wide(title);
    BROWSEINFOW browse {};
    browse.hwndOwner = m_owner;
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = nullptr;
    {
        const ScopedCount open(m_open);
        chosen = ::SHBrowseForFolderW(&browse);
    }
    if (chosen == nullptr)
        return {};
    // Room for the longest path Windows names: the plain call stops at MAX_PATH and fails beyond it.
    std::wstring path(32768, L'\0');
    const BOOL found = ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    ::CoTaskMemFree(chosen);
    // a choice without a file-system path is no choice
    if (!found)
        return {};
    path.resize(std::wcslen(path.c_str()));
    return Narrow(path);
}

void MessageBoxPrompts::closeAll()
{
    m_closing = true;
    ::EnumThreadWindows(::GetCurrentThreadId(), &endDialog, 0);
}

} // namespace tarnwick::win32
