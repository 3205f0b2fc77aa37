#include "autostart_entry.h"

namespace tarnwick::app {

std::string DesktopExecArgument(std::string_view path)
{
    // Inside double quotes, ", `, $ and \ are escaped with a backslash; the entry format then escapes every
    // backslash again, and a literal % is written %%. A line end would end the key and a tab is refused there:
    // they are written as the format's \n, \r and \t escapes, which the quoting then carries as characters.
    std::string quoted = "\"";
    for (const char c : path) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\";
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\";
            break;
        case '%':
            quoted += "%%";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            quoted += c;
            break;
        }
    }
    quoted += '"';
    return quoted;
}

std::string AutostartEntry(std::string_view executable)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tarnwick\n"
           "Comment=Reports files added, removed or modified in your folders\n"
           "Exec=" +
        DesktopExecArgument(executable) +
        "\n"
        "Icon=tarnwick\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
}

} // namespace tarnwick::app
