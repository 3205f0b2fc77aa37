#include "pass_report.h"

#include "core/history_log.h"

namespace tarnwick::app {

std::string HistoryLogText(std::string_view timeText, const std::vector<Change> &changes)
{
    std::size_t size = 0;
    for (const Change &change : changes)
        size += timeText.size() + change.path.size() + 16 + kLineEnd.size();
    std::string text;
    text.reserve(size);
    for (const Change &change : changes)
        text += HistoryLine(timeText, change.kind, change.path);
    return text;
}

std::optional<std::string> FailureDescription(const std::vector<PassFailure> &failures)
{
    if (failures.empty())
        return std::nullopt;
    const PassFailure &first = failures.front();
    std::string description = first.folder.empty() ? first.description : first.description + " (" + first.folder + ")";
    if (failures.size() > 1)
        description += ", and " + std::to_string(failures.size() - 1) + " more folders could not be read";
    return description;
}

std::string_view ClosingMessage(bool anyChanges)
{
    return anyChanges ? "Done." : "No changes since last monitor.";
}

} // namespace tarnwick::app
