#pragma once

#include <QString>

namespace tarnwick {

// The title without a last word "Software" (blanks around it ignored), trimmed of blanks; otherwise unchanged.
QString DropLastWord(const QString &title);

// The text without any of the characters $ / \ * : ? < > | # ' blank . , " ( ) - + = % ; } { and tab.
QString StripFileNameChars(const QString &text);

// "<temporary folder><separator><base name>.txt", the base name made from the product title by DropLastWord
// and StripFileNameChars ("Tarnwick" gives Tarnwick.txt). The one-argument form uses the platform's
// temporary folder ($TEMP when set).
QString HistoryLogPath(const QString &productTitle, const QString &tempFolder);
QString HistoryLogPath(const QString &productTitle);

// Whether the log can be found (its last-write time can be read); never reports.
bool HistoryLogExists(const QString &path);

// The whole log as text (UTF-8). Throws std::runtime_error when the file cannot be opened or read.
QString ReadHistoryLogText(const QString &path);

// Deletes the file; when that fails, makes it writable and tries once more, so a read-only file goes too.
// A file that still cannot be deleted (in use, no permission on its folder) is left without a word.
void DeleteFileForced(const QString &path) noexcept;

} // namespace tarnwick
