#include "history_controller.h"

#include "error_report.h"
#include "prompts.h"

#include "history/history_log_file.h"
#include "history/history_model.h"
#include "history/launcher.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace tarnwick {

HistoryController::HistoryController(HistoryModel &model, Prompts &prompts, Launcher &launcher)
    : m_model(model)
    , m_prompts(prompts)
    , m_launcher(launcher)
{
}

void HistoryController::PushButton1_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton1_Click "_s);
    procedure.step([&] {
        if (HistoryLogExists(m_path))
            m_launcher.openTextFile(m_path);
        else
            m_prompts.message(u"There isn't a history to view because actions have not been performed yet."_s);
    });
}

void HistoryController::PushButton2_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton2_Click "_s);
    procedure.step([&] {
        if (HistoryLogExists(m_path))
            QGuiApplication::clipboard()->setText(ReadHistoryLogText(m_path));
    });
}

void HistoryController::PushButton12_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton12_Click "_s);
    bool confirmed = false;
    procedure.step(
        [&] { confirmed = m_prompts.askYesNo(u"Are you sure you want to delete the history log and start over?"_s); });
    if (!confirmed)
        return;
    procedure.step([&] { DeleteFileForced(m_path); });
    procedure.step([&] { m_model.clear(); });
}

void HistoryController::PushButton11_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton11_Click "_s);
    procedure.step(
        [&] { m_prompts.message(u"Questions? Please contact Team Quelvane at "_s + QLatin1String(kContactPage)); });
}

} // namespace tarnwick
