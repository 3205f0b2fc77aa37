#include "isolated_environment.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tarnwick::testing {

namespace {

void setVariable(const char *name, const std::filesystem::path &value)
{
#ifdef _WIN32
    _putenv_s(name, value.string().c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

std::filesystem::path makeUniqueFolder()
{
    const auto base = std::filesystem::temp_directory_path();
    std::random_device device;
    std::mt19937_64 generator(device());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("tarnwick-test-" + std::to_string(generator()));
        if (std::filesystem::create_directory(candidate))
            return candidate;
    }
    throw std::runtime_error("cannot create a temporary test folder");
}

} // namespace

IsolatedEnvironment::IsolatedEnvironment()
    : m_root(makeUniqueFolder())
{
    const char *folders[] = {"home", "config", "data", "cache", "state", "runtime", "temp"};
    for (const char *folder : folders)
        std::filesystem::create_directory(m_root / folder);
    std::filesystem::permissions(m_root / "runtime", std::filesystem::perms::owner_all);

    setVariable("HOME", home());
    setVariable("USERPROFILE", home());
    setVariable("XDG_CONFIG_HOME", configHome());
    setVariable("XDG_DATA_HOME", m_root / "data");
    setVariable("XDG_CACHE_HOME", m_root / "cache");
    setVariable("XDG_STATE_HOME", m_root / "state");
    setVariable("XDG_RUNTIME_DIR", m_root / "runtime");
    setVariable("TEMP", temp());
    setVariable("TMP", temp());
    setVariable("TMPDIR", temp());
}

IsolatedEnvironment::~IsolatedEnvironment()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

} // namespace tarnwick::testing
