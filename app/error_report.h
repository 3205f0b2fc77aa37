#pragma once

#include <QString>

#include <functional>

namespace tarnwick {

class Prompts;

inline constexpr const char *kSupportAddress = "support@quelvane.example";

// The text of the standard error report: the failure, where it happened and the step, and whom to tell.
QString ErrorReportText(const QString &description, const QString &location, int line);

// Runs a procedure as numbered steps (100, 102, 104, ...). A step that throws shows the standard error report
// with the procedure's location and the step's number; the procedure then goes on with the next step, so a
// failing step never stops a command or the start-up.
class Procedure
{
public:
    // location: the text after "in ", e.g. "Tarnwick2021/08/31.Form1.PushButton1_Click ".
    Procedure(Prompts &prompts, QString location);

    // Returns false when the step failed (and was reported).
    bool step(const std::function<void()> &body);

    // Reports a failure found outside a step, with the number of the step that just ran.
    void report(const QString &description);

    int line() const { return m_line; }

private:
    Prompts &m_prompts;
    QString m_location;
    int m_line = 98;
};

} // namespace tarnwick
