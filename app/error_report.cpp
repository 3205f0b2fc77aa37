#include "error_report.h"

#include "prompts.h"

#include <exception>

using namespace Qt::StringLiterals;

namespace tarnwick {

QString ErrorReportText(const QString &description, const QString &location, int line)
{
    return description + u"\n"_s + u"in "_s + location + u"at line "_s + QString::number(line) + u"\n\n"_s +
        u"Please email screenshot of this message to "_s + QLatin1String(kSupportAddress);
}

Procedure::Procedure(Prompts &prompts, QString location)
    : m_prompts(prompts)
    , m_location(std::move(location))
{
}

bool Procedure::step(const std::function<void()> &body)
{
    m_line += 2;
    try {
        body();
        return true;
    } catch (const std::exception &error) {
        report(QString::fromUtf8(error.what()));
    } catch (...) {
        report(u"Unknown failure"_s);
    }
    return false;
}

void Procedure::report(const QString &description)
{
    m_prompts.errorReport(ErrorReportText(description, m_location, m_line));
}

} // namespace tarnwick
