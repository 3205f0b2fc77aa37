#include "ini_settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

QString keyPath(std::string_view key)
{
    return u"Tarnwick/"_s + QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, u"Quelvane"_s))
{
    checkReadable();
}

IniSettingsStore::IniSettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    checkReadable();
}

IniSettingsStore::~IniSettingsStore() = default;

void IniSettingsStore::checkReadable()
{
    const QString path = m_settings->fileName();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return; // a first run: nothing to read yet
    QFile file(path);
    QString reason;
    if (info.isDir())
        reason = u"it is a folder"_s;
    else if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    else if (m_settings->status() == QSettings::FormatError)
        reason = u"it is not a settings file"_s;
    if (reason.isEmpty())
        return;
    m_problem = (u"Your settings could not be read from %1 (%2). Tarnwick starts with its defaults and leaves "
                 u"that file as it is; changes made now last until Tarnwick ends."_s)
                    .arg(path, reason)
                    .toStdString();
}

std::optional<std::string> IniSettingsStore::read(std::string_view key) const
{
    if (m_problem) {
        const auto it = m_memory.find(key);
        return it == m_memory.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    const QVariant stored = m_settings->value(keyPath(key));
    if (!stored.isValid())
        return std::nullopt;
    return stored.toString().toStdString();
}

void IniSettingsStore::write(std::string_view key, std::string_view text)
{
    if (m_problem) {
        m_memory.insert_or_assign(std::string(key), std::string(text));
        return;
    }
    m_settings->setValue(keyPath(key), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw std::runtime_error("The setting \"" + std::string(key) + "\" could not be saved in " +
                                 m_settings->fileName().toStdString() + ".");
}

QString IniSettingsStore::fileName() const
{
    return m_settings->fileName();
}

} // namespace tarnwick
