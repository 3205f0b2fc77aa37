#pragma once

#include "core/date.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnwick::app {

class Clock;
class SettingsStore;

// Every setting the program keeps.
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
    std::string_view name;
    // The text read when the key was never written; "Weekly Time" has none: its default is the time of day now.
    std::string_view defaultText;
};

std::span<const SettingDefinition> SettingDefinitions();
const SettingDefinition &Definition(SettingKey key);

// "True", "False" (any letter case, blanks around ignored) and numbers (0 false, any other true), the number with
// a full stop or the user's decimal separator; nothing for any other text.
std::optional<bool> ToTruth(std::string_view text, std::string_view decimalSeparator);
std::string_view TruthText(bool value);
std::string_view OnOffText(bool on);

// A time of day alone (seconds since midnight), as the weekly time is stored: the user's time format.
std::string TimeOfDayText(int secondOfDay, const DateTextFormat &format);
// Reads a stored time of day back (a date before it is ignored); nothing when the text is not a time.
std::optional<int> ParseTimeOfDay(std::string_view text, const DateTextFormat &format);

// The typed settings over the store: each key's default and stored text form in one place.
class Settings
{
public:
    Settings(SettingsStore &store, const Clock &clock, DateTextFormat format, std::string decimalSeparator);

    // The stored text, or the key's default.
    std::string text(SettingKey key) const;
    // Throws std::runtime_error when the value cannot be written.
    void save(SettingKey key, std::string_view text);

    // A truth value; throws std::runtime_error ("Type mismatch") for a text that is none.
    bool truth(SettingKey key) const;
    void saveTruth(SettingKey key, bool value);
    // Exactly "On" (case counts); anything else is off.
    bool on(SettingKey key) const;
    void saveOnOff(SettingKey key, bool on);
    // A time of day; throws std::runtime_error ("Type mismatch") for a text that is none.
    int timeOfDay(SettingKey key) const;
    void saveTimeOfDay(SettingKey key, int secondOfDay);

    const DateTextFormat &dateFormat() const { return m_format; }
    const std::string &decimalSeparator() const { return m_decimalSeparator; }

private:
    SettingsStore &m_store;
    const Clock &m_clock;
    DateTextFormat m_format;
    std::string m_decimalSeparator;
};

} // namespace tarnwick::app
