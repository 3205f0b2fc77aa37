#pragma once

#include <QSettings>
#include <QString>

#include <functional>
#include <memory>

namespace tarnwick {

// Every setting the program keeps, with its stored text form and the default its reader passes.
enum class SettingKey {
    Folders,
    Option5,
    Option4,
    Option3,
    WeeklyTime,
    Weekly,
    Text1,
    Text2,
    Text3,
    StartStopState,
    WindowsStartup,
    Minimized,
};

struct SettingDefinition {
    SettingKey key;
    const char *name;
    // The default when the key was never written (the weekly time's is the current time of day).
    std::function<QString()> defaultValue;
};

const SettingDefinition &Definition(SettingKey key);

// The per-user settings: text values under the application name "Quelvane" and the section "Tarnwick", in an
// INI file under the user's configuration folder. Every save is written and synced at once; nothing is
// written at exit and nothing is ever deleted.
class Settings
{
public:
    // The user's own settings file.
    Settings();
    // A settings file at the given path (tests).
    explicit Settings(const QString &iniPath);

    QString value(SettingKey key) const;
    bool contains(SettingKey key) const;
    // Throws std::runtime_error when the value cannot be written.
    void save(SettingKey key, const QString &text);

    QString fileName() const;

    // "True", "False" (any letter case) and numbers (0 false, anything else true); throws otherwise.
    static bool toTruth(const QString &text);
    static QString fromTruth(bool value);

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace tarnwick
