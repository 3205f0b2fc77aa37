#include "history/history_log_file.h"

#include "core/paths.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace tarnwick {

namespace {

// Only blanks count, as in the title's own trimming; a tab is a character of the word.
QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

std::runtime_error readFailure(const QString &path, const QString &reason)
{
    return std::runtime_error(QStringLiteral("Cannot read the history log %1: %2").arg(path, reason).toStdString());
}

} // namespace

QString DropLastWord(const QString &title)
{
    // Trailing blanks are not the blank before the last word, so "X Software " loses "Software" too.
    qsizetype end = title.size();
    while (end > 0 && title[end - 1] == u' ')
        --end;
    const QStringView text = QStringView(title).left(end);
    const qsizetype blank = text.lastIndexOf(u' ');
    if (blank < 0 || text.mid(blank + 1) != u"Software")
        return title;
    return trimBlanks(text.left(blank)).toString();
}

QString StripFileNameChars(const QString &text)
{
    static constexpr QStringView kRemoved = u"$/\\*:?<>|#' .,\"()-+=%;}{\t";
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!kRemoved.contains(c))
            result.append(c);
    }
    return result;
}

QString HistoryLogPath(const QString &productTitle, const QString &tempFolder)
{
    const QLatin1Char separator(kSeparator);
    QString path = tempFolder;
    if (!path.endsWith(separator))
        path.append(separator);
    return path + StripFileNameChars(DropLastWord(productTitle)) + QStringLiteral(".txt");
}

QString HistoryLogPath(const QString &productTitle)
{
    return HistoryLogPath(productTitle, QString::fromStdString(TemporaryFolder()));
}

bool HistoryLogExists(const QString &path)
{
    return FileAppears(path.toStdString());
}

QString ReadHistoryLogText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw readFailure(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw readFailure(path, file.errorString());
    return QString::fromUtf8(bytes);
}

void DeleteFileForced(const QString &path) noexcept
{
    if (path.isEmpty())
        return;
    try {
        if (QFile::remove(path))
            return;
        // A link is deleted as itself; making its target writable would change a file that is not the log.
        const QFileInfo info(path);
        if (!info.exists() || info.isSymLink())
            return;
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::WriteUser);
        QFile::remove(path);
    } catch (...) {
        // Deleting the log is best effort: the history view is cleared whatever happens here.
    }
}

} // namespace tarnwick
