#pragma once

#include "app/toolkit.h"

#include <QString>

#include <map>

namespace tarnwick {

// The per-user settings in an INI file: application name "Quelvane" (the file's name), section "Tarnwick". Every
// write is synced at once and leaves every setting the program holds in the file, even when the file was deleted
// meanwhile. A file that cannot be read, at start-up or at a later write, is reported once and never written over:
// the settings of that run stay in memory.
class IniSettingsStore final : public app::SettingsStore
{
public:
    // The user's own settings file.
    IniSettingsStore();
    // A settings file at the given path.
    explicit IniSettingsStore(const QString &iniPath);
    ~IniSettingsStore() override;

    std::optional<std::string> read(std::string_view key) const override;
    void write(std::string_view key, std::string_view text) override;
    std::optional<std::string> readProblem() const override { return m_problem; }

    QString fileName() const;

private:
    QString m_path;
    std::optional<std::string> m_problem;
    bool m_memoryOnly = false;
    std::map<std::string, std::string, std::less<>> m_held; // read at start, then every write
};

} // namespace tarnwick
