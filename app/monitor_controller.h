#pragma once

#include "core/date.h"
#include "core/monitor_pass.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace tarnwick {

class Clock;
class Prompts;

// One monitoring pass at a time, run on a worker over a copy of the folder list. When it has finished, the UI
// thread appends the history rows, writes the log lines in one append and shows the closing message.
class MonitorController : public QObject
{
    Q_OBJECT
public:
    using RowSink = std::function<void(const QString &timeText, const std::vector<Change> &changes)>;

    MonitorController(Prompts &prompts, const Clock &clock, QString historyLogPath, DateTextFormat format,
                      QObject *parent = nullptr);
    ~MonitorController() override;

    void setRowSink(RowSink sink) { m_rowSink = std::move(sink); }
    void setHistoryLogPath(const QString &path) { m_historyLogPath = path; }
    const QString &historyLogPath() const { return m_historyLogPath; }

    // Starts a pass over the listed folders. With silent clear it ends with exactly one message: "No folders
    // added.", "No changes since last monitor." or "Done.". Returns false, and does nothing, while a pass runs.
    // passFinished() follows every accepted call (at once for an empty list).
    bool StartMonitor(const QStringList &folders, bool silent);

    bool isRunning() const { return m_running; }

    // Closing: stops a running pass promptly and waits for the worker. Its findings are dropped.
    void cancelAndWait();

Q_SIGNALS:
    void passStarted();
    void passFinished();

private:
    struct Outcome {
        PassResult result;
        std::unique_ptr<SnapshotStore> store;
    };

    void finish();
    void writeLog(const QString &timeText, const std::vector<Change> &changes);

    Prompts &m_prompts;
    const Clock &m_clock;
    QString m_historyLogPath;
    DateTextFormat m_format;
    RowSink m_rowSink;
    std::unique_ptr<SnapshotStore> m_store = std::make_unique<SnapshotStore>();
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    QFutureWatcher<std::shared_ptr<Outcome>> m_watcher;
    bool m_running = false;
    bool m_silent = false;
};

} // namespace tarnwick
