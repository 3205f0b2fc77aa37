#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// The path with exactly the separator it may already end with, or one appended.
std::string WithTrailingSeparator(std::string path);

// True when the path names an existing directory (following a symbolic link given as the path itself).
bool FolderExists(const std::string &path);

// True when the file system can tell the last-write time of the path; never reports.
bool FileAppears(const std::string &path);

// True when a name holds a control character (below 32, 127 to 159) or bytes that are not valid UTF-8: such a
// name cannot be shown as it is.
bool HasUnsafeChars(std::string_view name);

// The path as a history row and a log line show it. Text that cannot be shown as it is gets a C-style escape:
// \n, \t, \r, and \xNN for every byte of another control character, of a Unicode line or paragraph separator
// and of whatever is not valid UTF-8. On POSIX a backslash is doubled where what follows would otherwise read
// as an escape, so two different paths never look the same; on Windows the backslash is the separator and
// stays single. The result never holds a line end.
std::string ShownPath(std::string_view path);

// The folder for temporary files: $TEMP when set, else the platform's.
std::string TemporaryFolder();

} // namespace tarnwick
