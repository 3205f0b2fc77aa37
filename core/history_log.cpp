#include "history_log.h"

#include "paths.h"
#include "platform.h"

namespace tarnwick {

namespace {

// Only blanks count, as in the title's own trimming; a tab is a character of the word.
std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string DropLastWord(std::string_view title)
{
    // Trailing blanks are not the blank before the last word, so "X Software " loses "Software" too.
    std::string_view text = title;
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string_view::npos || text.substr(blank + 1) != "Software")
        return std::string(title);
    return std::string(trimBlanks(text.substr(0, blank)));
}

std::string StripFileNameChars(std::string_view text)
{
    static constexpr std::string_view kRemoved = "$/\\*:?<>|#' .,\"()-+=%;}{\t";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (kRemoved.find(c) == std::string_view::npos)
            result.push_back(c);
    }
    return result;
}

std::string HistoryLogPath(std::string_view productTitle, std::string_view temporaryFolder)
{
    std::string path = WithTrailingSeparator(std::string(temporaryFolder));
    path += StripFileNameChars(DropLastWord(productTitle));
    path += ".txt";
    return path;
}

std::string HistoryLine(std::string_view timeText, ChangeKind kind, std::string_view path)
{
    const std::string_view action = ActionText(kind);
    std::string line;
    line.reserve(timeText.size() + action.size() + path.size() + 2 + kLineEnd.size());
    line.append(timeText);
    line.push_back(' ');
    line.append(action);
    line.push_back(' ');
    line.append(path);
    line.append(kLineEnd);
    return line;
}

LogReading ProbeHistoryLog(const std::string &path)
{
    return platform::ReadLogFile(path, false);
}

LogReading ReadHistoryLog(const std::string &path)
{
    return platform::ReadLogFile(path, true);
}

} // namespace tarnwick
