#include "run_key_autostart.h"

#include "text.h"

#include <stdexcept>
#include <vector>

namespace tarnwick::win32 {

namespace {

std::wstring Lower(std::wstring text)
{
    if (!text.empty())
        ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The program a Run value's command starts: the quoted first word, or the whole command when it is not quoted.
std::wstring ProgramOf(const std::wstring &command)
{
    if (!command.empty() && command.front() == L'"') {
        const std::size_t end = command.find(L'"', 1);
        return command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    }
    return command;
}

// A text value of the open key, or nothing when it is absent or no text.
std::optional<std::wstring> TextValue(HKEY key, const wchar_t *name)
{
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

} // namespace

RunKeyAutostart::RunKeyAutostart(std::wstring executable, HKEY root, std::wstring subkey)
    : m_executable(std::move(executable))
    , m_root(root)
    , m_subkey(std::move(subkey))
{
}

std::wstring RunKeyAutostart::valueName() const
{
    const std::size_t slash = m_executable.find_last_of(L"\\/");
    return slash == std::wstring::npos ? m_executable : m_executable.substr(slash + 1);
}

bool RunKeyAutostart::namesThisProgram(const std::wstring &command) const
{
    return Lower(ProgramOf(command)) == Lower(m_executable);
}

bool RunKeyAutostart::registered() const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const std::optional<std::wstring> command = TextValue(key, valueName().c_str());
    ::RegCloseKey(key);
    return command && namesThisProgram(*command);
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
    LSTATUS status = ::RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return; // no Run key: nothing registered
    if (status == ERROR_SUCCESS) {
        // Every value that starts this very program goes, whatever its name (an earlier version named it after
        // another program file of its folder); a value that starts anything else is another program's.
        std::vector<std::wstring> ours;
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            DWORD length = static_cast<DWORD>(std::size(name));
            const LSTATUS listed = ::RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (listed != ERROR_SUCCESS)
                break;
            if (const std::optional<std::wstring> command = TextValue(key, name); command && namesThisProgram(*command))
                ours.emplace_back(name, length);
        }
        for (const std::wstring &name : ours) {
            const LSTATUS deleted = ::RegDeleteValueW(key, name.c_str());
            if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
                status = deleted;
        }
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(
            "The Run key of the registry cannot be changed: " + ErrorText(static_cast<unsigned long>(status)) + ".");
}

} // namespace tarnwick::win32
