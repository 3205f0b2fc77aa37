// window_texts TITLE: what the visible top-level windows titled TITLE (blanks after it aside) show, for scripts that
// drive a program from outside (X sees only the top-level window of a Wine program, not its controls). One line per
// control, "<class>|<check state>|<text>", where the text's line ends are shown as "\n" and the check state is
// that of a check box or option button (0 for anything else); then "item|<text>" for each row of a list view.
// Exits 1 when no such window is shown.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring &text)
{
    std::wstring shown;
    for (const wchar_t c : text) {
        if (c == L'\r')
            continue;
        if (c == L'\n')
            shown += L"\\n";
        else
            shown += c;
    }
    if (shown.empty())
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

// WM_GETTEXT is carried across processes by the system; GetWindowText is not, for controls.
std::wstring TextOf(HWND control)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, 5000, &copied))
        return {};
    return std::wstring(buffer.data(), std::min<std::size_t>(copied, length));
}

// A list view's rows live in its own process: the request and the text go through memory lent there.
std::vector<std::wstring> ListItems(HWND list)
{
    std::vector<std::wstring> items;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(list, &processId);
    const HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr)
        return items;
    constexpr int kTextLength = 1024;
    void *remote = ::VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kTextLength * sizeof(wchar_t),
                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote != nullptr) {
        auto *remoteText = reinterpret_cast<wchar_t *>(static_cast<char *>(remote) + sizeof(LVITEMW));
        const auto count = ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        for (LRESULT row = 0; row < count; ++row) {
            LVITEMW item {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = remoteText;
            item.cchTextMax = kTextLength;
            std::vector<wchar_t> text(kTextLength, L'\0');
            if (!::WriteProcessMemory(process, remote, &item, sizeof item, nullptr))
                break;
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
            if (!::ReadProcessMemory(process, remoteText, text.data(), kTextLength * sizeof(wchar_t), nullptr))
                break;
            text.back() = L'\0';
            items.emplace_back(text.data());
        }
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return items;
}

struct Search {
    std::wstring title;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<Search *>(parameter);
    if (!::IsWindowVisible(window))
        return TRUE;
    // a wizard's caption may end in a blank, its page's empty subtitle
    std::wstring title = TextOf(window);
    title.erase(title.find_last_not_of(L' ') + 1);
    if (title == search->title)
        search->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM)
{
    if (!::IsWindowVisible(control))
        return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(control, className, 64);
    const std::wstring kind = className;
    LRESULT checked = 0;
    if (_wcsicmp(className, WC_BUTTONW) == 0) {
        const LONG style = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_RADIOBUTTON || style == BS_AUTORADIOBUTTON)
            checked = ::SendMessageW(control, BM_GETCHECK, 0, 0);
    }
    std::wstring text = TextOf(control);
    // a picture's "text" is the number of its resource
    if (!text.empty() && text.front() == L'\xFFFF')
        text.clear();
    std::printf("%s|%d|%s\n", Utf8(kind).c_str(), static_cast<int>(checked), Utf8(text).c_str());
    if (_wcsicmp(className, WC_LISTVIEWW) == 0)
        for (const std::wstring &item : ListItems(control))
            std::printf("item|%s\n", Utf8(item).c_str());
    return TRUE;
}

} // namespace

int main()
{
    int count = 0;
    wchar_t **arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2) {
        std::fprintf(stderr, "usage: window_texts TITLE\n");
        return 2;
    }
    Search search {arguments[1], {}};
    ::LocalFree(arguments);
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    for (const HWND window : search.windows)
        ::EnumChildWindows(window, &PrintControl, 0);
    std::fflush(stdout);
    return search.windows.empty() ? 1 : 0;
}
