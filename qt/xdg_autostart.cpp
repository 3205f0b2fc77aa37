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

namespace {

// The entry's Exec line, or nothing.
QByteArray ExecLine(const QByteArray &entry)
{
    for (const QByteArray &line : entry.split('\n')) {
        if (line.startsWith("Exec="))
            return line.trimmed();
    }
    return {};
}

} // namespace

bool XdgAutostart::registered() const
{
    QFile file(entryPath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray expected = ExecLine(QByteArray::fromStdString(app::AutostartEntry(m_executable.toStdString())));
    // an entry is a few hundred bytes: no need to read a huge file whole to see that it is not ours
    return ExecLine(file.read(64 * 1024)) == expected;
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
