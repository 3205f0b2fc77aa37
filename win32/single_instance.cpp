#include "single_instance.h"

#include "main_window.h"

#include <sddl.h>

#include <memory>
#include <vector>

namespace tarnwick::win32 {

namespace {

std::wstring userId()
{
    HANDLE token = nullptr;
    std::wstring id;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        wchar_t *text = nullptr;
        if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
            ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &text)) {
            id = text;
            ::LocalFree(text);
        }
        ::CloseHandle(token);
    }
    if (id.empty()) {
        wchar_t name[257] = {};
        DWORD length = 257;
        if (::GetUserNameW(name, &length))
            id = name;
    }
    return id;
}

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (m_mutex != nullptr)
        ::CloseHandle(m_mutex);
}

std::wstring SingleInstance::mutexName()
{
    return L"Local\\Tarnwick-" + userId();
}

bool SingleInstance::claim()
{
    m_mutex = ::CreateMutexW(nullptr, FALSE, mutexName().c_str());
    if (m_mutex == nullptr)
        return true; // no mutex at all: better a second copy than none
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (const HWND running = ::FindWindowW(kWindowClass, nullptr)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(running, &process);
            // this start has the foreground: it passes it on, so that the window may come to the front
            ::AllowSetForegroundWindow(process);
            ::PostMessageW(running, kShowRequested, 0, 0);
            break;
        }
        ::Sleep(50);
    }
    return false;
}

} // namespace tarnwick::win32
