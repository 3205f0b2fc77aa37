#pragma once

#include "app/toolkit.h"

#include <windows.h>

#include <string>

namespace tarnwick::win32 {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Start with Windows: a value of the current user's Run key. Its name is the file name of the first program file
// ("*.exe", neither hidden nor system) in the program's folder, its data the running program's quoted full path.
class RunKeyAutostart final : public app::Autostart
{
public:
    explicit RunKeyAutostart(std::wstring executable, HKEY root = HKEY_CURRENT_USER, std::wstring subkey = kRunKey);

    void add() override;
    void remove() override;

    std::wstring valueName() const;

private:
    std::wstring m_executable;
    HKEY m_root;
    std::wstring m_subkey;
};

} // namespace tarnwick::win32
