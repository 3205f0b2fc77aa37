#pragma once

#include "app/toolkit.h"

#include <QString>

#include <map>
#include <memory>

class QSettings;

namespace tarnwick {

// The per-user settings in an INI file: application name "Quelvane" (the file's name), section "Tarnwick". Every
// write is synced at once. A file that exists but cannot be read is reported and never written over: the
// settings of that run stay in memory.
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
    void checkReadable();

    std::unique_ptr<QSettings> m_settings;
    std::optional<std::string> m_problem;
    std::map<std::string, std::string, std::less<>> m_memory; // used instead when the file cannot be read
};

} // namespace tarnwick
