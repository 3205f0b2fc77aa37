#pragma once

#include "core/change_journal.h"
#include "core/date.h"
#include "core/monitor_pass.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::app {

class Clock;
class Prompts;
class View;
class Worker;

// StartMonitor: one monitoring pass at a time, on the worker, over a copy of the folder list. The worker also
// builds the log text and appends it (one append per pass), so that a flood of changes never stalls the window;
// back on the window's thread the rows go into the history view in one insertion, failures are reported once and
// a pass run by hand ends with its message. One change journal serves every pass of the program's life: a
// scheduled pass reads only what changed, a pass run by hand walks every folder, and so does the first scheduled
// pass an hour or more after the last walk (a write through a shared memory map makes no report).
class Monitor
{
public:
    Monitor(View &view, Prompts &prompts, Worker &worker, const Clock &clock, DateTextFormat format);

    void setHistoryLogPath(std::string path) { m_historyLogPath = std::move(path); }
    const std::string &historyLogPath() const { return m_historyLogPath; }

    // Starts a pass over the listed folders. With silent clear it ends with exactly one message: "No folders
    // added.", "No changes since last monitor." or "Done.". Returns false, and does nothing, while a pass runs.
    // finished runs on the window's thread when the pass has ended (at once for an empty list); it does not run
    // when the work could not be handed to the worker (then this throws).
    bool StartMonitor(const std::vector<std::string> &folders, bool silent, std::function<void()> finished);

    bool running() const { return m_running; }
    // What the last pass recorded (nothing while a pass runs).
    const SnapshotStore &store() const { return m_store; }
    // Closing: a running pass stops at its next directory; its findings are dropped. The journal stops reading.
    void cancel();

private:
    struct Job;
    void finish(Job &job);

    View &m_view;
    Prompts &m_prompts;
    Worker &m_worker;
    const Clock &m_clock;
    DateTextFormat m_format;
    std::string m_historyLogPath;
    SnapshotStore m_store;
    std::shared_ptr<ChangeJournal> m_journal = ChangeJournal::ForThisSystem(); // nothing where the system has none
    std::optional<Date> m_lastWalk; // when the last pass that walked every folder began
    bool m_running = false;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Monitor *> m_self = std::make_shared<Monitor *>(this);
};

} // namespace tarnwick::app
