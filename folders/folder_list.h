#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace tarnwick {

// The platform's path separator and whether paths may begin with two of them to name a network folder.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr bool kNetworkPaths = true;
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr bool kNetworkPaths = false;
#endif

// Collapses doubled separators in one left-to-right pass: each non-overlapping pair becomes one, without
// looking at the result again, so three in a row become two and four become two. With networkPaths, a path
// that begins with a separator keeps exactly two leading separators and the rest is collapsed.
QString NormalisePath(const QString &path, QChar separator, bool networkPaths);
QString NormalisePath(const QString &path);

// Ends every row of the stored folder list.
inline constexpr QStringView kStoredFolderSeparator = u"|234SSDEPERATATORZZ|";

// Every row followed by the separator; an empty list gives the empty text. Rows are not escaped.
QString StoredFolderList(const QStringList &rows);

// The pieces before each separator, in order; text after the last separator is dropped, so a text without
// any separator gives no rows.
QStringList ParseStoredFolderList(const QString &text);

// The row for a folder path that already ends with a separator (an entry of the subfolder enumeration):
// unchanged when it names a network folder, else normalised.
QString ListedPathFromEntry(const QString &entry, QChar separator, bool networkPaths);
QString ListedPathFromEntry(const QString &entry);

// The row for a folder the picker returned (no trailing separator, except for a root): the path with one
// separator appended, then as ListedPathFromEntry. An empty choice gives the empty text: no row.
QString ListedPathFromPicker(const QString &chosen, QChar separator, bool networkPaths);
QString ListedPathFromPicker(const QString &chosen);

// The user's desktop folder followed by one separator. Throws std::runtime_error when it cannot be located.
QString DesktopFolderPath();

} // namespace tarnwick
