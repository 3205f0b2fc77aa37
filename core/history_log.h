#pragma once

#include "monitor_pass.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

// The title without a last word "Software" (blanks around it ignored), trimmed of blanks; otherwise unchanged.
std::string DropLastWord(std::string_view title);

// The text without any of the characters $ / \ * : ? < > | # ' blank . , " ( ) - + = % ; } { and tab.
std::string StripFileNameChars(std::string_view text);

// "<temporary folder><separator><base name>.txt", the base name made from the product title by DropLastWord and
// StripFileNameChars ("Tarnwick" gives Tarnwick.txt).
std::string HistoryLogPath(std::string_view productTitle, std::string_view temporaryFolder);

// "<date and time as text> <action> <full path>" and the line end.
std::string HistoryLine(std::string_view timeText, ChangeKind kind, std::string_view path);

// Appends the text at the end of the file in one open, write and close, creating the file (readable by its
// owner only) when it is missing. A symbolic link, anything but a regular file, or a file of another user at the
// path is refused, so that nothing planted in a shared temporary folder can redirect or block the writes. A log
// that does not end with a line end (an earlier write cut short) gets one first, and a write that fails puts the
// file back to its size before it, so every line stays whole. Returns a description of the failure, or nothing.
std::optional<std::string> WriteTextFile(std::string_view text, const std::string &path);

// What a read of the log found. The log is opened as safely as for appending: no link followed, never blocking
// (a FIFO planted at the path is refused, not waited on), a regular file of the user's.
struct LogReading {
    enum class State { Absent, Present, Refused };
    State state = State::Absent;
    std::string text; // the whole log, when it was asked for and is present
    std::string error; // why it was refused
};

// Whether the log is there, without reading it.
LogReading ProbeHistoryLog(const std::string &path);
// The whole log.
LogReading ReadHistoryLog(const std::string &path);

// Deletes the file; when that fails, makes it writable and tries once more, so a read-only file goes too. A link
// is deleted as itself. A file that still cannot be deleted is left without a word.
void DeleteFileForced(const std::string &path) noexcept;

} // namespace tarnwick
