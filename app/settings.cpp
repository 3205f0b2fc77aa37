#include "settings.h"

#include "date_text.h"

#include <QLocale>
#include <QTime>

#include <array>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

QString fixed(const char *text)
{
    return QString::fromLatin1(text);
}

const std::array<SettingDefinition, 12> &definitions()
{
    static const std::array<SettingDefinition, 12> table = {{
        {SettingKey::Folders, "Folders", [] { return QString(); }},
        {SettingKey::Option5, "Option5", [] { return fixed("0"); }},
        {SettingKey::Option4, "Option4", [] { return fixed("0"); }},
        {SettingKey::Option3, "Option3", [] { return fixed("1"); }},
        {SettingKey::WeeklyTime, "Weekly Time",
         [] { return TimeOfDayText(QTime::currentTime(), SystemDateTextFormat()); }},
        {SettingKey::Weekly, "Weekly", [] { return fixed("Monday"); }},
        {SettingKey::Text1, "Text1", [] { return fixed("0"); }},
        {SettingKey::Text2, "Text2", [] { return fixed("0"); }},
        {SettingKey::Text3, "Text3", [] { return fixed("5"); }},
        {SettingKey::StartStopState, "StartStopState", [] { return fixed("Off"); }},
        {SettingKey::WindowsStartup, "Windows Startup", [] { return fixed("Off"); }},
        {SettingKey::Minimized, "Minimized", [] { return fixed("Off"); }},
    }};
    return table;
}

QString keyPath(SettingKey key)
{
    return u"Tarnwick/"_s + QLatin1String(Definition(key).name);
}

} // namespace

const SettingDefinition &Definition(SettingKey key)
{
    return definitions()[static_cast<std::size_t>(key)];
}

Settings::Settings()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, u"Quelvane"_s))
{
}

Settings::Settings(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QString Settings::value(SettingKey key) const
{
    const QVariant stored = m_settings->value(keyPath(key));
    return stored.isValid() ? stored.toString() : Definition(key).defaultValue();
}

bool Settings::contains(SettingKey key) const
{
    return m_settings->contains(keyPath(key));
}

void Settings::save(SettingKey key, const QString &text)
{
    m_settings->setValue(keyPath(key), text);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw std::runtime_error("The setting \"" + std::string(Definition(key).name) + "\" could not be saved in " +
                                 m_settings->fileName().toStdString() + ".");
}

QString Settings::fileName() const
{
    return m_settings->fileName();
}

bool Settings::toTruth(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    double number = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        number = QLocale::system().toDouble(trimmed, &ok);
    if (!ok)
        throw std::runtime_error("Type mismatch: \"" + text.toStdString() + "\" is not a truth value.");
    return number != 0;
}

QString Settings::fromTruth(bool value)
{
    return value ? u"True"_s : u"False"_s;
}

} // namespace tarnwick
