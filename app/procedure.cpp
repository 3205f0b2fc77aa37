#include "procedure.h"

#include "toolkit.h"

#include <exception>

namespace tarnwick::app {

namespace {
constexpr std::string_view kBuildDate = "2021/08/31";
} // namespace

std::string Location(std::string_view project, std::string_view module, std::string_view procedure)
{
    std::string location(project);
    location.append(kBuildDate).append(".").append(module).append(".").append(procedure).append(" ");
    return location;
}

std::string Form1Location(std::string_view procedure)
{
    return Location("Tarnwick", "Form1", procedure);
}

std::string EnumerationLocation()
{
    return Location("Orvandel", "AddFolder", "GetSubDirectories2016");
}

std::string ErrorReportText(std::string_view description, std::string_view location, int line)
{
    std::string text(description);
    text.append("\nin ").append(location).append("at line ").append(std::to_string(line));
    text.append("\n\nPlease email screenshot of this message to ").append(kSupportAddress);
    return text;
}

Procedure::Procedure(Prompts &prompts, std::string location)
    : m_prompts(prompts)
    , m_location(std::move(location))
{
}

bool Procedure::step(int line, const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const std::exception &error) {
        report(line, error.what());
    } catch (...) {
        report(line, "Unknown failure");
    }
    return false;
}

void Procedure::report(int line, std::string_view description)
{
    m_prompts.errorReport(ErrorReportText(description, m_location, line));
}

} // namespace tarnwick::app
