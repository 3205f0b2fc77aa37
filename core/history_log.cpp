#include "history_log.h"

namespace tarnwick {

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

} // namespace tarnwick
