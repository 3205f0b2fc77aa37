#pragma once

#include "core/monitor_pass.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

// The log lines of one pass, in report order, all with the pass's time text: what one append writes.
std::string HistoryLogText(std::string_view timeText, const std::vector<Change> &changes);

// One description for the error report, however many directories failed: the first, and how many more.
std::optional<std::string> FailureDescription(const std::vector<PassFailure> &failures);

// The message a pass run by hand ends with.
std::string_view ClosingMessage(bool anyChanges);

} // namespace tarnwick::app
