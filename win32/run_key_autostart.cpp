#include "run_key_autostart.h"

#include "text.h"

#include <stdexcept>

namespace tarnwick::win32 {

RunKeyAutostart::RunKeyAutostart(std::wstring executable, HKEY root, std::wstring subkey)
    : m_executable(std::move(executable))
    , m_root(root)
    , m_subkey(std::move(subkey))
{
}

std::wstring RunKeyAutostart::valueName() const
{
    const std::size_t slash = m_executable.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : m_executable.substr(0, slash);
    const std::wstring own = slash == std::wstring::npos ? m_executable : m_executable.substr(slash + 1);
    WIN32_FIND_DATAW found {};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return own;
    std::wstring name;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            name = found.cFileName;
    } while (name.empty() && ::FindNextFileW(search, &found));
    ::FindClose(search);
    // the running program is one itself, whatever the listing said
    return name.empty() ? own : name;
}

void RunKeyAutostart::add()
{
    const std::wstring name = valueName();
    const std::wstring data = L"\"" + m_executable + L"\"";
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(m_root, m_subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                       nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(
            "The Run key of the registry cannot be written: " + ErrorText(static_cast<unsigned long>(status)) + ".");
}

void RunKeyAutostart::remove()
{
    HKEY key = nullptr;
    LSTATUS status = ::RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = ::RegDeleteValueW(key, valueName().c_str());
        ::RegCloseKey(key);
    }
    // nothing registered is nothing to remove
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error(
            "The Run key of the registry cannot be changed: " + ErrorText(static_cast<unsigned long>(status)) + ".");
}

} // namespace tarnwick::win32
