#pragma once

#include <string>
#include <string_view>

namespace tarnwick::app {

// The executable as one argument of a desktop entry's Exec key: quoted, with the characters that the entry format
// and its quoting rules treat specially escaped, so that no path can add an argument or a second command.
std::string DesktopExecArgument(std::string_view path);

// The text of the XDG autostart entry that starts the executable with the desktop session.
std::string AutostartEntry(std::string_view executable);

} // namespace tarnwick::app
