#pragma once

#include <filesystem>

namespace tarnwick::testing {

// Points HOME, the XDG folders and TEMP of this process at a fresh temporary folder, so that tests never
// read or write the real user's settings, log or autostart entries. The folder is removed on destruction.
class IsolatedEnvironment
{
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    IsolatedEnvironment(const IsolatedEnvironment &) = delete;
    IsolatedEnvironment &operator=(const IsolatedEnvironment &) = delete;

    const std::filesystem::path &root() const { return m_root; }
    std::filesystem::path home() const { return m_root / "home"; }
    std::filesystem::path configHome() const { return m_root / "config"; }
    std::filesystem::path temp() const { return m_root / "temp"; }

private:
    std::filesystem::path m_root;
};

} // namespace tarnwick::testing
