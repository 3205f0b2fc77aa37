#include "xdg_autostart.h"

#include "app/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

XdgAutostart::XdgAutostart(QString executable)
    : m_executable(std::move(executable))
{
}

QString XdgAutostart::entryPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart/tarnwick.desktop"_s;
}

void XdgAutostart::add()
{
    const QString path = entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw std::runtime_error(u"The autostart folder %1 could not be created."_s.arg(folder).toStdString());
    QSaveFile file(path);
    const std::string entry = app::AutostartEntry(m_executable.toStdString());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(entry.data(), static_cast<qint64>(entry.size())) != static_cast<qint64>(entry.size()) ||
        !file.commit())
        throw std::runtime_error(
            u"The autostart entry %1 could not be written: %2"_s.arg(path, file.errorString()).toStdString());
}

void XdgAutostart::remove()
{
    QFile file(entryPath());
    if (file.exists() && !file.remove())
        throw std::runtime_error(
            u"The autostart entry %1 could not be removed: %2"_s.arg(file.fileName(), file.errorString())
                .toStdString());
}

} // namespace tarnwick
