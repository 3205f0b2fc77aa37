#include "history/launcher.h"

#include <QDesktopServices>
#include <QProcess>

#include <stdexcept>

namespace tarnwick {

DesktopLauncher::DesktopLauncher()
#ifdef _WIN32
    : DesktopLauncher(QStringLiteral("notepad"))
#else
    : DesktopLauncher(QStringLiteral("xdg-open"))
#endif
{
}

DesktopLauncher::DesktopLauncher(const QString &textViewer)
    : m_textViewer(textViewer)
{
}

void DesktopLauncher::openTextFile(const QString &path)
{
    // The path goes as one argument, so blanks in it need no quoting of ours.
    if (!QProcess::startDetached(m_textViewer, {path}))
        throw std::runtime_error(QStringLiteral("Cannot start %1 to show %2.").arg(m_textViewer, path).toStdString());
}

void DesktopLauncher::openUrl(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Cannot open the web address \"%1\": it is not valid.").arg(url.toString()).toStdString());
    if (!QDesktopServices::openUrl(url))
        throw std::runtime_error(
            QStringLiteral("Cannot open %1 in the web browser.").arg(url.toDisplayString()).toStdString());
}

} // namespace tarnwick
