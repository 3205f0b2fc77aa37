#pragma once

// The main window as designed, said once for both front-ends: each control with its kind, caption, container,
// rectangle, font, place in the Tab order, visibility and group; the client area, the tooltip, the columns of the
// list views, the day list's items, and the texts app/ shows in the controls. A front-end builds its controls from
// the table in a loop; what it adds is only how its toolkit makes a control of each kind.

#include "toolkit.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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

// The interval boxes: hours, minutes, seconds (the box numbers of the schedule's handlers).
inline constexpr std::array<Control, 3> kIntervalBoxes = {Control::Text1, Control::Text2, Control::Text3};

enum class ControlKind {
    Frame, // a group box with a caption
    ProgressBar,
    ListView, // report style, one selection, rows held by the control
    HistoryView, // report style, rows served from the history rows as they are drawn
    PushButton,
    CheckBox,
    OptionButton,
    TextBox,
    Label,
    TimePicker, // a time of day
    DropDownList, // a list to choose one item from, nothing typed
};

// The window's own font (and its tooltip's), the push buttons' and every other control's.
enum class FontRole { Window, PushButton, Control };

struct FontDesign {
    std::string_view face;
    int centipoints; // hundredths of a point
    bool bold;
};

inline constexpr FontDesign FontOf(FontRole role)
{
    switch (role) {
    case FontRole::PushButton:
        return {"Arial", 1125, true};
    case FontRole::Control:
        return {"Arial", 900, true};
    case FontRole::Window:
        break;
    }
    return {"Arial", 900, false};
}

// Twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.
struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDesign {
    Control control;
    ControlKind kind;
    std::string_view caption;
    Control container; // Form1: the window itself
    TwipRect rect; // within the container
    FontRole font;
    bool tabStop; // Tab stops at it (frames, labels and the bar take no focus)
    bool visible; // shown as the window opens
    // Option buttons of one group share a number above 0: one tab stop (the checked button), arrow keys within.
    int group;
    std::span<const std::string_view> items; // a drop-down list's items
};

// Every control, in Tab order; a container comes before what it holds.
inline constexpr std::array<ControlDesign, 29> kControls = {{
    {Control::Frame4,
     ControlKind::Frame,
     kOffStatus,
     Control::Form1,
     {120, 60, 7800, 855},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::ProgressBar2,
     ControlKind::ProgressBar,
     "",
     Control::Frame4,
     {240, 270, 7320, 405},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::ListView1,
     ControlKind::ListView,
     "",
     Control::Form1,
     {120, 1020, 7800, 1815},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::PushButton3,
     ControlKind::PushButton,
     "Add Folder",
     Control::Form1,
     {120, 2920, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton4,
     ControlKind::PushButton,
     "Add All Subfolders In Folder",
     Control::Form1,
     {4080, 2920, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton7,
     ControlKind::PushButton,
     "Clear List",
     Control::Form1,
     {120, 3430, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton8,
     ControlKind::PushButton,
     "Load Sample/Example Data",
     Control::Form1,
     {4080, 3430, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::Frame2,
     ControlKind::Frame,
     "Startup Options",
     Control::Form1,
     {120, 3870, 7800, 735},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::Check4,
     ControlKind::CheckBox,
     "Load this software on Windows startup",
     Control::Frame2,
     {240, 300, 3930, 285},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    // shown only while Check4 is checked
    {Control::Check8,
     ControlKind::CheckBox,
     "Minimized to system tray",
     Control::Frame2,
     {4320, 300, 2580, 285},
     FontRole::Control,
     true,
     false,
     0,
     {}},
    {Control::Frame3,
     ControlKind::Frame,
     "Monitor Schedule Option",
     Control::Form1,
     {120, 4650, 7800, 1760},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    // the option buttons in a row, so that Tab enters their group once and goes on to the boxes
    {Control::Option3,
     ControlKind::OptionButton,
     "Monitor every:",
     Control::Frame3,
     {240, 345, 1575, 255},
     FontRole::Control,
     true,
     true,
     1,
     {}},
    {Control::Option4,
     ControlKind::OptionButton,
     "Daily:",
     Control::Frame3,
     {240, 795, 825, 255},
     FontRole::Control,
     true,
     true,
     1,
     {}},
    {Control::Option5,
     ControlKind::OptionButton,
     " Weekly:",
     Control::Frame3,
     {240, 1275, 1185, 255},
     FontRole::Control,
     true,
     true,
     1,
     {}},
    {Control::Text1,
     ControlKind::TextBox,
     "",
     Control::Frame3,
     {2040, 300, 500, 345},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::Label1,
     ControlKind::Label,
     "hour/s",
     Control::Frame3,
     {2640, 345, 540, 225},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::Text2,
     ControlKind::TextBox,
     "",
     Control::Frame3,
     {3360, 300, 500, 345},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::Label2,
     ControlKind::Label,
     "minute/s",
     Control::Frame3,
     {3960, 345, 735, 225},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::Text3,
     ControlKind::TextBox,
     "",
     Control::Frame3,
     {4920, 300, 500, 345},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::Label3,
     ControlKind::Label,
     "second/s",
     Control::Frame3,
     {5520, 345, 780, 225},
     FontRole::Control,
     false,
     true,
     0,
     {}},
    {Control::dtpWeekly,
     ControlKind::TimePicker,
     "",
     Control::Frame3,
     {2040, 750, 4335, 375},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::cboWeekly,
     ControlKind::DropDownList,
     "",
     Control::Frame3,
     {2040, 1230, 4335, 345},
     FontRole::Control,
     true,
     true,
     0,
     kDayNames},
    {Control::ListView2,
     ControlKind::HistoryView,
     "",
     Control::Form1,
     {8040, 120, 7800, 4755},
     FontRole::Control,
     true,
     true,
     0,
     {}},
    {Control::PushButton5,
     ControlKind::PushButton,
     kTurnOnCaption,
     Control::Form1,
     {8040, 4980, 7800, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton1,
     ControlKind::PushButton,
     "View History Log",
     Control::Form1,
     {8040, 5490, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton2,
     ControlKind::PushButton,
     "Copy History To Clipboard",
     Control::Form1,
     {12000, 5490, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton11,
     ControlKind::PushButton,
     "Help",
     Control::Form1,
     {8040, 6000, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    {Control::PushButton12,
     ControlKind::PushButton,
     "Clear History Log",
     Control::Form1,
     {12000, 6000, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
    // Below the bottom edge of the client area as designed: reached with the keyboard (Tab, then Space).
    {Control::PushButton6,
     ControlKind::PushButton,
     "Monitor Folder Now (Test)",
     Control::Form1,
     {8040, 6600, 3840, 405},
     FontRole::PushButton,
     true,
     true,
     0,
     {}},
}};

// The design of one control of the table.
const ControlDesign &DesignOf(Control control);
// Its rectangle within the window's client area.
TwipRect InWindow(const ControlDesign &design);

// The window's client area, in twips; it cannot be resized.
inline constexpr int kClientWidth = 15960;
inline constexpr int kClientHeight = 6510;

// The tooltip of the folder list (ListView1), in the window's own font.
inline constexpr Control kTooltipControl = Control::ListView1;
inline constexpr std::string_view kFolderTooltip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.";

// The column headers of the list views with their widths in twips, set at start-up.
inline const std::vector<Column> kFolderColumns = {{"Folder(s)", 7000}};
inline const std::vector<Column> kHistoryColumns = {{"Time", 2200}, {"Action", 2200}, {"File", 3100}};

} // namespace tarnwick::app
