// The autostart entry written for the running executable, whose path may hold any byte but NUL.
// Input: the path's bytes.

#include "fuzz_input.h"

#include "app/autostart_entry.h"

#include <optional>
#include <string>
#include <vector>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

// The escapes of a desktop entry's string value: \s, \n, \t, \r and \\; any other is an error.
std::optional<std::string> UndoStringEscapes(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The Exec key's quoting, applied after the string escapes: exactly one argument in double quotes, inside which
// ", `, $ and \ are written with a backslash before them, and % as %% (a lone % starts a field code).
std::optional<std::string> UndoExecQuoting(std::string_view exec)
{
    if (exec.size() < 2 || exec.front() != '"' || exec.back() != '"')
        return std::nullopt;
    const std::string_view inside = exec.substr(1, exec.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const char c = inside[i];
        if (c == '\\') {
            if (++i == inside.size() || std::string_view("\"`$\\").find(inside[i]) == std::string_view::npos)
                return std::nullopt;
            out += inside[i];
        } else if (c == '%') {
            if (++i == inside.size() || inside[i] != '%')
                return std::nullopt;
            out += '%';
        } else if (c == '"' || c == '`' || c == '$') {
            return std::nullopt;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string_view> LinesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view path = AsText(data, size);
    // no file system has a NUL in a path
    if (path.find('\0') != std::string_view::npos)
        return 0;

    const std::string argument = app::DesktopExecArgument(path);
    Require(argument.find_first_of("\r\n") == std::string::npos, "the Exec value holds no line end", Escaped(argument));
    const std::optional<std::string> unescaped = UndoStringEscapes(argument);
    Require(unescaped.has_value(), "the Exec value uses only the escapes of a string value", Escaped(argument));
    const std::optional<std::string> back = UndoExecQuoting(*unescaped);
    Require(back.has_value(), "the Exec value is one argument, quoted as the Exec key demands", Escaped(*unescaped));
    Require(*back == path, "undoing the escapes and the quoting gives the path back",
            Escaped(path) + " -> " + Escaped(argument));

    // The entry: the same keys, one a line, whatever the path; the Exec key holds the argument.
    const std::string entry = app::AutostartEntry(path);
    const std::string plain = app::AutostartEntry("/usr/bin/tarnwick");
    Require(!entry.empty() && entry.back() == '\n', "the entry ends with a line end", Escaped(entry));
    const std::vector<std::string_view> lines = LinesOf(entry);
    Require(lines.size() == LinesOf(plain).size(), "the entry has one line a key", Escaped(entry));
    std::size_t execLines = 0;
    for (const std::string_view line : lines) {
        if (line.starts_with("Exec=")) {
            ++execLines;
            Require(line.substr(5) == argument, "the Exec key holds the quoted path", Escaped(line));
        } else {
            const std::string whole = std::string(line) + "\n";
            Require(plain.starts_with(whole) || plain.find("\n" + whole) != std::string::npos,
                    "every other line is the same for every path", Escaped(line));
        }
    }
    Require(execLines == 1, "one Exec key", Escaped(entry));
    return 0;
}
