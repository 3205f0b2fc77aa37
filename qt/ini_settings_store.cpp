#include "ini_settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

const QString kSection = u"Tarnwick"_s;

QString UserSettingsPath()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, u"Quelvane"_s).fileName();
}

// Why the settings file cannot be read, or nothing when it can (or does not exist yet).
QString ReadProblem(const QString &path, const QSettings &settings)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (info.isDir())
        return u"it is a folder"_s;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    settings.allKeys(); // QSettings reads the file, and so knows its status, only when asked for something
    if (settings.status() == QSettings::FormatError)
        return u"it is not a settings file"_s;
    return {};
}

std::string TextOf(const QVariant &value)
{
    // A hand-written value with a comma reads as a list: keep it as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u", "_s).toStdString();
    return value.toString().toStdString();
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(UserSettingsPath())
{
}

IniSettingsStore::IniSettingsStore(const QString &iniPath)
    : m_path(iniPath)
{
    QSettings settings(m_path, QSettings::IniFormat);
    if (const QString reason = ReadProblem(m_path, settings); !reason.isEmpty()) {
        m_problem = (u"Your settings could not be read from %1 (%2). Tarnwick starts with its defaults and leaves "
                     u"that file as it is; changes made now last until Tarnwick ends."_s)
                        .arg(m_path, reason)
                        .toStdString();
        m_memoryOnly = true;
        return;
    }
    settings.beginGroup(kSection);
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        m_held.insert_or_assign(key.toStdString(), TextOf(settings.value(key)));
}

IniSettingsStore::~IniSettingsStore() = default;

std::optional<std::string> IniSettingsStore::read(std::string_view key) const
{
    const auto it = m_held.find(key);
    return it == m_held.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void IniSettingsStore::write(std::string_view key, std::string_view text)
{
    m_held.insert_or_assign(std::string(key), std::string(text));
    if (m_memoryOnly)
        return;
    // The file as it is now: it may have been edited, replaced or deleted since the program read it.
    QSettings settings(m_path, QSettings::IniFormat);
    if (const QString reason = ReadProblem(m_path, settings); !reason.isEmpty()) {
        // As at start-up: never written over, told once, and this run's settings go on in memory.
        m_memoryOnly = true;
        throw std::runtime_error((u"Your settings can no longer be read from %1 (%2). Tarnwick leaves that file as "
                                  u"it is; changes made from now on last until Tarnwick ends."_s)
                                     .arg(m_path, reason)
                                     .toStdString());
    }
    settings.beginGroup(kSection);
    // Every setting the program holds goes back where it is missing (a deleted file, a key removed by hand); what
    // is there and was not changed now stays as the file has it.
    for (const auto &[heldKey, heldText] : m_held) {
        const QString name = QString::fromStdString(heldKey);
        if (heldKey == key || !settings.contains(name))
            settings.setValue(name, QString::fromStdString(heldText));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error("The setting \"" + std::string(key) + "\" could not be saved in " +
                                 m_path.toStdString() + ".");
}

QString IniSettingsStore::fileName() const
{
    return m_path;
}

} // namespace tarnwick
