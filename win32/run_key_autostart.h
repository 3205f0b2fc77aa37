#pragma once

#include "app/toolkit.h"

#include <windows.h>

#include <optional>
#include <string>

namespace tarnwick::win32 {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Start with Windows: a value of the current user's Run key, named after the program's own file name
// ("tarnwick.exe"), whose data is the running program's quoted full path. Only values that start this very program
// are ever removed; another program's value is never touched, whatever its name.
class RunKeyAutostart final : public app::Autostart
{
public:
    explicit RunKeyAutostart(std::wstring executable, HKEY root = HKEY_CURRENT_USER, std::wstring subkey = kRunKey);

    bool registered() const override;
    void add() override;
    void remove() override;

    std::wstring valueName() const;

private:
    bool namesThisProgram(const std::wstring &command) const;

    std::wstring m_executable;
    HKEY m_root;
    std::wstring m_subkey;
};

} // namespace tarnwick::win32
