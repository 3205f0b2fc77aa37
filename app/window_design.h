#pragma once

// The main window as designed, said once for both front-ends: the texts app/ shows in its controls.

#include <array>
#include <optional>
#include <string_view>

namespace tarnwick::app {

// The status line (Frame4) while automatic monitoring is off, and before the countdown while it is on.
inline constexpr std::string_view kOffStatus = "Off.";
inline constexpr std::string_view kStatusPrefix = "On. Next inspection will occur in: ";
// The monitoring switch (PushButton5) offers the other state.
inline constexpr std::string_view kTurnOnCaption = "Turn On Automatic Monitoring";
inline constexpr std::string_view kTurnOffCaption = "Turn Off Automatic Monitoring";

// The day list's items (cboWeekly), Sunday first.
inline constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                              "Thursday", "Friday", "Saturday"};

// The day an item of the day list names, 0 for Sunday; nothing for a text that is no item (compared exactly).
std::optional<int> DayOfList(std::string_view text);

} // namespace tarnwick::app
