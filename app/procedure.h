#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarnwick::app {

class Prompts;

inline constexpr std::string_view kSupportAddress = "support@quelvane.example";

// Where a procedure runs, as the error report names it: project, build date, module and procedure, and a blank
// ("Tarnwick2021/08/31.Form1.PushButton1_Click ").
std::string Location(std::string_view project, std::string_view module, std::string_view procedure);
// A procedure of the main window ("Tarnwick2021/08/31.Form1.<procedure> ").
std::string Form1Location(std::string_view procedure);
// The subfolder enumeration ("Orvandel2021/08/31.AddFolder.GetSubDirectories2016 ").
std::string EnumerationLocation();

// The text of the standard error report: the failure, where it happened and at which step, and whom to tell.
std::string ErrorReportText(std::string_view description, std::string_view location, int line);

// Runs a command or life-cycle procedure as numbered steps (100, 102, 104, ...). A step that throws shows the
// standard error report with the procedure's location and the step's number; the procedure then goes on with
// the next step, so a failing step never stops a command or the start-up.
class Procedure
{
public:
    Procedure(Prompts &prompts, std::string location);

    // Runs one step; false when it failed (and was reported).
    bool step(int line, const std::function<void()> &body);
    // Reports a failure found outside a step, at the given step.
    void report(int line, std::string_view description);

private:
    Prompts &m_prompts;
    std::string m_location;
};

} // namespace tarnwick::app
