#include "history_commands.h"

#include "procedure.h"
#include "toolkit.h"

#include "core/history_log.h"

#include <stdexcept>

namespace tarnwick::app {

HistoryCommands::HistoryCommands(View &view, Prompts &prompts, Launcher &launcher, Clipboard &clipboard)
    : m_view(view)
    , m_prompts(prompts)
    , m_launcher(launcher)
    , m_clipboard(clipboard)
{
}

void HistoryCommands::PushButton1_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton1_Click"));
    procedure.step(100, [&] {
        const LogReading log = ProbeHistoryLog(m_path);
        switch (log.state) {
        case LogReading::State::Present:
            m_launcher.openTextFile(m_path);
            break;
        case LogReading::State::Absent:
            m_prompts.message("There isn't a history to view because actions have not been performed yet.");
            break;
        case LogReading::State::Refused:
            throw std::runtime_error(log.error);
        }
    });
}

void HistoryCommands::PushButton2_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton2_Click"));
    procedure.step(100, [&] {
        const LogReading log = ReadHistoryLog(m_path);
        if (log.state == LogReading::State::Refused)
            throw std::runtime_error(log.error);
        if (log.state == LogReading::State::Present)
            m_clipboard.setText(log.text);
    });
}

void HistoryCommands::PushButton12_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton12_Click"));
    bool confirmed = false;
    procedure.step(100, [&] {
        confirmed = m_prompts.askYesNo("Are you sure you want to delete the history log and start over?");
    });
    if (!confirmed)
        return;
    procedure.step(102, [&] { DeleteFileForced(m_path); });
    procedure.step(104, [&] { m_view.clearHistory(); });
}

void HistoryCommands::PushButton11_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton11_Click"));
    procedure.step(100, [&] {
        m_prompts.message(std::string("Questions? Please contact Team Quelvane at ") + std::string(kContactPage));
    });
}

} // namespace tarnwick::app
