#include "monitor_controller.h"

#include "clock.h"
#include "date_text.h"
#include "error_report.h"
#include "prompts.h"

#include "core/history_log.h"

#include <QtConcurrent/QtConcurrentRun>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
const QString kLocation = u"Tarnwick2021/08/31.Form1.StartMonitor "_s;
const QString kEnumerationLocation = u"Orvandel2021/08/31.AddFolder.GetSubDirectories2016 "_s;
} // namespace

MonitorController::MonitorController(Prompts &prompts, const Clock &clock, QString historyLogPath,
                                     DateTextFormat format, QObject *parent)
    : QObject(parent)
    , m_prompts(prompts)
    , m_clock(clock)
    , m_historyLogPath(std::move(historyLogPath))
    , m_format(std::move(format))
{
    connect(&m_watcher, &QFutureWatcher<std::shared_ptr<Outcome>>::finished, this, &MonitorController::finish);
}

MonitorController::~MonitorController()
{
    cancelAndWait();
}

bool MonitorController::StartMonitor(const QStringList &folders, bool silent)
{
    if (m_running)
        return false;
    if (folders.isEmpty()) {
        if (!silent)
            m_prompts.message(u"No folders added."_s);
        Q_EMIT passFinished();
        return true;
    }
    std::vector<std::string> list;
    list.reserve(static_cast<std::size_t>(folders.size()));
    for (const QString &folder : folders)
        list.push_back(folder.toStdString());

    m_running = true;
    m_silent = silent;
    m_cancel->store(false);
    auto outcome = std::make_shared<Outcome>();
    outcome->store = std::move(m_store);
    m_watcher.setFuture(QtConcurrent::run([list = std::move(list), outcome, cancel = m_cancel] {
        try {
            outcome->result = RunMonitorPass(list, *outcome->store, cancel.get());
        } catch (const std::exception &error) {
            // out of memory and the like: reported by the pass, the window goes on
            outcome->result = PassResult {};
            outcome->result.failures.push_back({std::string(), error.what()});
        }
        return outcome;
    }));
    Q_EMIT passStarted();
    return true;
}

void MonitorController::cancelAndWait()
{
    if (!m_running)
        return;
    m_cancel->store(true);
    m_watcher.waitForFinished();
    m_store = std::move(m_watcher.result()->store);
    m_running = false;
}

void MonitorController::finish()
{
    if (!m_running)
        return; // cancelled and reclaimed while closing
    const std::shared_ptr<Outcome> outcome = m_watcher.result();
    m_store = std::move(outcome->store);
    m_running = false;
    const PassResult &result = outcome->result;
    if (result.cancelled)
        return;

    if (!result.failures.empty()) {
        // one report for the pass, however many folders failed
        QString description = QString::fromStdString(result.failures.front().description) + u" ("_s +
            QString::fromStdString(result.failures.front().folder) + u")"_s;
        if (result.failures.size() > 1)
            description += u", and %1 more folders could not be read"_s.arg(result.failures.size() - 1);
        Procedure enumeration(m_prompts, kEnumerationLocation);
        enumeration.step([&] { throw std::runtime_error(description.toStdString()); });
    }

    Procedure pass(m_prompts, kLocation);
    QString timeText;
    pass.step([&] { timeText = DateTimeText(m_clock.now(), m_format); });
    pass.step([&] {
        if (m_rowSink && !result.changes.empty())
            m_rowSink(timeText, result.changes);
    });
    pass.step([&] { writeLog(timeText, result.changes); });
    pass.step([&] {
        if (!m_silent)
            m_prompts.message(result.changes.empty() ? u"No changes since last monitor."_s : u"Done."_s);
    });
    Q_EMIT passFinished();
}

void MonitorController::writeLog(const QString &timeText, const std::vector<Change> &changes)
{
    const std::string time = timeText.toStdString();
    std::string lines;
    for (const Change &change : changes)
        lines += HistoryLine(time, change.kind, change.path);
    if (changes.empty())
        return; // a pass that reports nothing leaves the log untouched
    if (const auto error = WriteTextFile(lines, m_historyLogPath.toStdString()))
        throw std::runtime_error(*error);
}

} // namespace tarnwick
