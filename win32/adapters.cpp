#include "adapters.h"

#include "text.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <stdexcept>

namespace tarnwick::win32 {

void Clipboard::setText(const std::string &utf8)
{
    const std::wstring text = Wide(utf8);
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        throw std::runtime_error("Out of memory");
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    // another program may hold the clipboard for a moment
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !(opened = ::OpenClipboard(m_owner)); ++attempt)
        ::Sleep(20);
    if (!opened) {
        const DWORD error = ::GetLastError();
        ::GlobalFree(memory);
        throw std::runtime_error("The clipboard cannot be opened: " + ErrorText(error));
    }
    ::EmptyClipboard();
    const bool set = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    const DWORD error = ::GetLastError();
    ::CloseClipboard();
    if (!set) {
        ::GlobalFree(memory);
        throw std::runtime_error("The clipboard cannot take the text: " + ErrorText(error));
    }
}

std::wstring NotepadCommandLine(const std::string &path)
{
    return L"notepad \"" + Wide(path) + L"\"";
}

void Launcher::openTextFile(const std::string &path)
{
    std::wstring commandLine = NotepadCommandLine(path);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        throw std::runtime_error("Notepad could not be started: " + ErrorText(::GetLastError()));
    // not waited for, nor watched
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

void Launcher::openUrl(const std::string &url)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(m_owner, L"open", Wide(url).c_str(), nullptr, nullptr, SW_SHOWMINIMIZED));
    if (result <= 32)
        throw std::runtime_error("The web browser could not be started: " +
                                 ErrorText(static_cast<unsigned long>(result)));
}

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ApplicationFolder()
{
    const std::wstring path = ExecutablePath();
    return Narrow(std::wstring_view(path).substr(0, path.find_last_of(L'\\')));
}

std::string DesktopFolder()
{
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path);
    std::string folder = SUCCEEDED(result) && path != nullptr ? Narrow(path) : std::string();
    ::CoTaskMemFree(path);
    if (folder.empty())
        throw std::runtime_error("The desktop folder cannot be located.");
    return folder;
}

} // namespace tarnwick::win32
