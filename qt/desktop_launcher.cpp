#include "desktop_launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <stdexcept>

namespace tarnwick {

DesktopLauncher::DesktopLauncher(QString textViewer)
    : m_textViewer(std::move(textViewer))
{
}

void DesktopLauncher::openTextFile(const std::string &path)
{
    // The path goes as one argument, so blanks in it need no quoting of ours.
    const QString file = QString::fromStdString(path);
    if (!QProcess::startDetached(m_textViewer, {file}))
        throw std::runtime_error(QStringLiteral("Cannot start %1 to show %2.").arg(m_textViewer, file).toStdString());
}

void DesktopLauncher::openUrl(const std::string &address)
{
    const QUrl url(QString::fromStdString(address));
    if (!url.isValid() || url.isEmpty())
        throw std::runtime_error("Cannot open the web address \"" + address + "\": it is not valid.");
    if (!QDesktopServices::openUrl(url))
        throw std::runtime_error("Cannot open " + address + " in the web browser.");
}

} // namespace tarnwick
