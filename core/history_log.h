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

// "<date and time as text> <action> <full path>" and the line end.
std::string HistoryLine(std::string_view timeText, ChangeKind kind, std::string_view path);

// Appends the text at the end of the file in one open, write and close, creating the file (readable by its
// owner only) when it is missing. A symbolic link or a file of another user at the path is refused, so a
// link planted in a shared temporary folder cannot redirect the writes. Returns a description of the
// failure, or nothing on success.
std::optional<std::string> WriteTextFile(std::string_view text, const std::string &path);

} // namespace tarnwick
