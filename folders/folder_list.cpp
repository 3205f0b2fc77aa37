#include "folders/folder_list.h"

#include <QDir>
#include <QStandardPaths>

#include <stdexcept>

namespace tarnwick {

namespace {

// Appends text to result, turning each non-overlapping pair of separators into one.
void appendCollapsed(QString &result, QStringView text, QChar separator)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
}

} // namespace

QString NormalisePath(const QString &path, QChar separator, bool networkPaths)
{
    QString result;
    result.reserve(path.size());
    if (!networkPaths || !path.startsWith(separator)) {
        appendCollapsed(result, path, separator);
        return result;
    }
    qsizetype rest = 1;
    while (rest < path.size() && path[rest] == separator)
        ++rest;
    result.append(separator).append(separator);
    appendCollapsed(result, QStringView(path).mid(rest), separator);
    return result;
}

QString NormalisePath(const QString &path)
{
    return NormalisePath(path, kPathSeparator, kNetworkPaths);
}

QString StoredFolderList(const QStringList &rows)
{
    QString text;
    for (const QString &row : rows)
        text.append(row).append(kStoredFolderSeparator);
    return text;
}

QStringList ParseStoredFolderList(const QString &text)
{
    QStringList rows;
    qsizetype begin = 0;
    for (;;) {
        const qsizetype end = text.indexOf(kStoredFolderSeparator, begin, Qt::CaseSensitive);
        if (end < 0)
            break;
        rows.append(text.mid(begin, end - begin));
        begin = end + kStoredFolderSeparator.size();
    }
    return rows;
}

QString ListedPathFromEntry(const QString &entry, QChar separator, bool networkPaths)
{
    const bool networkFolder = networkPaths && entry.size() >= 2 && entry[0] == separator && entry[1] == separator;
    return networkFolder ? entry : NormalisePath(entry, separator, networkPaths);
}

QString ListedPathFromEntry(const QString &entry)
{
    return ListedPathFromEntry(entry, kPathSeparator, kNetworkPaths);
}

QString ListedPathFromPicker(const QString &chosen, QChar separator, bool networkPaths)
{
    if (chosen.isEmpty())
        return {};
    return ListedPathFromEntry(chosen + separator, separator, networkPaths);
}

QString ListedPathFromPicker(const QString &chosen)
{
    return ListedPathFromPicker(chosen, kPathSeparator, kNetworkPaths);
}

QString DesktopFolderPath()
{
    QString desktop = QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (desktop.isEmpty())
        throw std::runtime_error("The desktop folder cannot be located.");
    if (!desktop.endsWith(QChar(kPathSeparator)))
        desktop.append(QChar(kPathSeparator));
    return desktop;
}

} // namespace tarnwick
