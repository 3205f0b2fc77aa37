#pragma once

// What differs between POSIX and Windows, behind one set of calls. Internal to core: platform_posix.cpp
// and platform_win32.cpp implement it, together with the public file-system helpers of paths.h and
// history_log.h (WriteTextFile).

#include "date.h"
#include "enumeration.h"
#include "history_log.h"
#include "read_hint.h"

#include <string>
#include <string_view>

namespace tarnwick::platform {

// Lists one directory (path ending with the separator). followLink: whether the folder itself may be
// reached through a symbolic link (true for a listed folder, false for subfolders found by a walk). hint: where the
// times of files no report named may be taken from, instead of examining them.
DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options, bool followLink,
                                ReadHint *hint = nullptr);

// Examines one entry as a listing would: true when it is a regular file (not a link), with its last-write time and
// whether it has other names (hard links) than this one.
bool ExamineRegularFile(const std::string &path, FileTime &time, bool &hardLinked);

// Whether folder + name + separator would exceed the platform's path limit.
bool PathTooLong(const std::string &folder, std::string_view name);

// A file time as a local calendar time; false when the platform cannot convert it.
bool LocalTime(FileTime time, DateParts &parts);

// Opens the history log as safely as WriteTextFile does and, when asked, reads all of it.
LogReading ReadLogFile(const std::string &path, bool wantText);

#ifdef _WIN32
// Names as UTF-16 and as the UTF-8 that the engine holds; a lone surrogate, which UTF-8 cannot hold, is
// encoded like any other code point (WTF-8) so that the name can be opened as it was listed.
std::string Wtf8FromWide(std::wstring_view text);
std::wstring WideFromWtf8(std::string_view text);
// A path for the wide calls, in the \\?\ form past the classic length limit.
std::wstring Win32Path(const std::string &path);
#endif

// Gives memory that was freed back to the system, where the allocator would keep it for the process.
void ReleaseFreedMemory();

} // namespace tarnwick::platform
