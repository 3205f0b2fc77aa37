#pragma once

#include "date.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// The part after the last separator; the whole text when there is none.
std::string_view FileNameOf(std::string_view path);

// The path with exactly the separator it may already end with, or one appended.
std::string WithTrailingSeparator(std::string path);

// True when the path names an existing directory (following a symbolic link given as the path itself).
bool FolderExists(const std::string &path);

// True when the file system can tell the last-write time of the path; never reports.
bool FileAppears(const std::string &path);

// The last-write time of a file, or nothing when it cannot be read.
std::optional<FileTime> GetLastModified(const std::string &path);

// True when a name holds a character that is never taken into a snapshot: a control character (below 32,
// 127 to 159), the question mark, or bytes that are not valid UTF-8.
bool HasUnsafeChars(std::string_view name);

// The same test without the question mark, which is an ordinary character in file names here.
bool HasControlChars(std::string_view name);

// The folder for temporary files: $TEMP when set, else the platform's.
std::string TemporaryFolder();

} // namespace tarnwick
