#include "settings.h"

#include "toolkit.h"

#include "schedule/schedule.h"

#include <array>
#include <stdexcept>

namespace tarnwick::app {

namespace {

constexpr std::array<SettingDefinition, 12> kDefinitions = {{
    {SettingKey::Folders, "Folders", ""},
    {SettingKey::Option5, "Option5", "0"},
    {SettingKey::Option4, "Option4", "0"},
    {SettingKey::Option3, "Option3", "1"},
    {SettingKey::WeeklyTime, "Weekly Time", ""},
    {SettingKey::Weekly, "Weekly", "Monday"},
    {SettingKey::Text1, "Text1", "0"},
    {SettingKey::Text2, "Text2", "0"},
    {SettingKey::Text3, "Text3", "5"},
    {SettingKey::StartStopState, "StartStopState", "Off"},
    {SettingKey::WindowsStartup, "Windows Startup", "Off"},
    {SettingKey::Minimized, "Minimized", "Off"},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::span<const SettingDefinition> SettingDefinitions()
{
    return kDefinitions;
}

const SettingDefinition &Definition(SettingKey key)
{
    return kDefinitions[static_cast<std::size_t>(key)];
}

std::optional<bool> ToTruth(std::string_view text, std::string_view decimalSeparator)
{
    const std::string_view word = trimmed(text);
    if (equalsIgnoringCase(word, "True"))
        return true;
    if (equalsIgnoringCase(word, "False"))
        return false;
    std::optional<double> number = schedule::ToNumber(word, ".");
    if (!number)
        number = schedule::ToNumber(word, decimalSeparator);
    if (!number)
        return std::nullopt;
    return *number != 0;
}

std::string_view TruthText(bool value)
{
    return value ? "True" : "False";
}

std::string_view OnOffText(bool on)
{
    return on ? "On" : "Off";
}

std::string TimeOfDayText(int secondOfDay, const DateTextFormat &format)
{
    // Day zero: the text holds the time alone (midnight included).
    return DateToText(secondOfDay / 86400.0, format);
}

std::optional<int> ParseTimeOfDay(std::string_view text, const DateTextFormat &format)
{
    const std::optional<Date> date = TextToDate(text, format);
    if (!date)
        return std::nullopt;
    return SecondsOfDay(*date);
}

Settings::Settings(SettingsStore &store, const Clock &clock, DateTextFormat format, std::string decimalSeparator)
    : m_store(store)
    , m_clock(clock)
    , m_format(std::move(format))
    , m_decimalSeparator(std::move(decimalSeparator))
{
}

std::string Settings::text(SettingKey key) const
{
    if (std::optional<std::string> stored = m_store.read(Definition(key).name))
        return std::move(*stored);
    if (key == SettingKey::WeeklyTime)
        return TimeOfDayText(SecondsOfDay(m_clock.now()), m_format);
    return std::string(Definition(key).defaultText);
}

void Settings::save(SettingKey key, std::string_view text)
{
    m_store.write(Definition(key).name, text);
}

bool Settings::truth(SettingKey key) const
{
    const std::string stored = text(key);
    if (const std::optional<bool> value = ToTruth(stored, m_decimalSeparator))
        return *value;
    throw std::runtime_error("Type mismatch: \"" + stored + "\" is not a truth value.");
}

void Settings::saveTruth(SettingKey key, bool value)
{
    save(key, TruthText(value));
}

bool Settings::on(SettingKey key) const
{
    return text(key) == "On";
}

void Settings::saveOnOff(SettingKey key, bool on)
{
    save(key, OnOffText(on));
}

int Settings::timeOfDay(SettingKey key) const
{
    const std::string stored = text(key);
    if (const std::optional<int> seconds = ParseTimeOfDay(stored, m_format))
        return *seconds;
    throw std::runtime_error("Type mismatch: \"" + stored + "\" is not a time of day.");
}

void Settings::saveTimeOfDay(SettingKey key, int secondOfDay)
{
    save(key, TimeOfDayText(secondOfDay, m_format));
}

} // namespace tarnwick::app
