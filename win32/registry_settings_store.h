#pragma once

#include "app/toolkit.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace tarnwick::win32 {

inline constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Quelvane\\Tarnwick";

// The settings as REG_SZ values of one registry key (the current user's, in the program). A key or value that
// exists but cannot be read as text is reported once and never written over: the settings of this run then live
// in memory only. A key deleted while the program runs gets every setting the program holds back at the next write.
class RegistrySettingsStore final : public app::SettingsStore
{
public:
    explicit RegistrySettingsStore(HKEY root = HKEY_CURRENT_USER, std::wstring subkey = kSettingsKey);

    std::optional<std::string> read(std::string_view key) const override;
    void write(std::string_view key, std::string_view text) override;
    std::optional<std::string> readProblem() const override { return m_problem; }

private:
    void checkReadable();
    std::string where() const;

    HKEY m_root;
    std::wstring m_subkey;
    std::optional<std::string> m_problem;
    // What the program holds: every value read or written; the settings themselves while m_problem is set.
    mutable std::map<std::string, std::string, std::less<>> m_memory;
};

} // namespace tarnwick::win32
