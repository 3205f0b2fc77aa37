#include "toolkit.h"

#include <array>

namespace tarnwick::app {

std::string_view ControlName(Control control)
{
    static constexpr std::array<std::string_view, 30> kNames = {
        "Form1",       "Frame2",      "Frame3",      "Frame4",       "ProgressBar2", "ListView1",
        "ListView2",   "PushButton1", "PushButton2", "PushButton3",  "PushButton4",  "PushButton5",
        "PushButton6", "PushButton7", "PushButton8", "PushButton11", "PushButton12", "Check4",
        "Check8",      "Option3",     "Option4",     "Option5",      "Text1",        "Text2",
        "Text3",       "Label1",      "Label2",      "Label3",       "dtpWeekly",    "cboWeekly",
    };
    return kNames[static_cast<std::size_t>(control)];
}

} // namespace tarnwick::app
