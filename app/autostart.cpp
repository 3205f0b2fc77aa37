#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
std::string text(const QString &message)
{
    return message.toStdString();
}
} // namespace

QString DesktopExecArgument(const QString &path)
{
    // Inside double quotes, ", `, $ and \ are escaped with a backslash; the entry format then escapes every
    // backslash again, and a literal % is written %%.
    QString quoted;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += u"\\\\"_s + c;
        else if (c == u'\\')
            quoted += u"\\\\\\\\"_s;
        else if (c == u'%')
            quoted += u"%%"_s;
        else
            quoted += c;
    }
    return u"\""_s + quoted + u"\""_s;
}

QString AutostartEntry(const QString &executable)
{
    return u"[Desktop Entry]\n"
           u"Type=Application\n"
           u"Name=Tarnwick\n"
           u"Comment=Reports files added, removed or modified in your folders\n"
           u"Exec="_s +
        DesktopExecArgument(executable) +
        u"\n"
        u"Icon=tarnwick\n"
        u"Terminal=false\n"
        u"X-GNOME-Autostart-enabled=true\n"_s;
}

DesktopAutostart::DesktopAutostart(QString executable)
    : m_executable(std::move(executable))
{
}

#ifdef Q_OS_WIN

namespace {
const QString kRunKey = u"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"_s;
}

QString DesktopAutostart::entryPath() const
{
    return QFileInfo(m_executable).fileName();
}

void DesktopAutostart::add()
{
    QSettings run(kRunKey, QSettings::NativeFormat);
    // quoted, so that a path with blanks cannot be taken for another program
    run.setValue(entryPath(), u"\""_s + QDir::toNativeSeparators(m_executable) + u"\""_s);
    run.sync();
    if (run.status() != QSettings::NoError)
        throw std::runtime_error(text(u"The Run key of the registry could not be written."_s));
}

void DesktopAutostart::remove()
{
    QSettings run(kRunKey, QSettings::NativeFormat);
    run.remove(entryPath());
    run.sync();
    if (run.status() != QSettings::NoError)
        throw std::runtime_error(text(u"The Run key of the registry could not be written."_s));
}

#else

QString DesktopAutostart::entryPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart/tarnwick.desktop"_s;
}

void DesktopAutostart::add()
{
    const QString path = entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw std::runtime_error(text(u"The autostart folder %1 could not be created."_s.arg(folder)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(AutostartEntry(m_executable).toUtf8()) < 0 || !file.commit())
        throw std::runtime_error(
            text(u"The autostart entry %1 could not be written: %2"_s.arg(path, file.errorString())));
}

void DesktopAutostart::remove()
{
    QFile file(entryPath());
    if (file.exists() && !file.remove())
        throw std::runtime_error(
            text(u"The autostart entry %1 could not be removed: %2"_s.arg(file.fileName(), file.errorString())));
}

#endif

} // namespace tarnwick
