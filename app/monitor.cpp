#include "monitor.h"

#include "pass_report.h"
#include "procedure.h"
#include "toolkit.h"

#include "core/history_log.h"

#include <exception>
#include <optional>
#include <stdexcept>

namespace tarnwick::app {

namespace {

constexpr Date kWalkEvery = 1.0 / 24; // an hour, in days

} // namespace

struct Monitor::Job {
    std::vector<std::string> folders;
    bool silent = false;
    bool walk = false; // every directory is read, whatever the journal says
    Date began = 0;
    std::function<void()> finished;
    SnapshotStore store;
    PassResult result;
    std::optional<std::string> failure; // the pass broke off; the store is as it was
    std::string timeText;
    std::optional<std::string> logError;
};

Monitor::Monitor(View &view, Prompts &prompts, Worker &worker, const Clock &clock, DateTextFormat format)
    : m_view(view)
    , m_prompts(prompts)
    , m_worker(worker)
    , m_clock(clock)
    , m_format(std::move(format))
{
}

bool Monitor::StartMonitor(const std::vector<std::string> &folders, bool silent, std::function<void()> finished)
{
    if (m_running)
        return false;
    if (folders.empty()) {
        // nothing listed needs a snapshot nor a watch: what the folders of a cleared list took goes now
        m_store = SnapshotStore {};
        if (m_journal)
            m_journal->forget();
        if (!silent)
            m_prompts.message("No folders added.");
        if (finished)
            finished();
        return true;
    }
    auto job = std::make_shared<Job>();
    job->folders = folders;
    job->silent = silent;
    job->began = m_clock.now();
    // A clock set back counts as an hour gone.
    job->walk = !silent || !m_lastWalk || job->began < *m_lastWalk || job->began - *m_lastWalk >= kWalkEvery;
    job->finished = std::move(finished);
    job->store = std::move(m_store);
    m_cancel->store(false);
    m_running = true;
    try {
        m_worker.run(
            [job, cancel = m_cancel, journal = m_journal, &clock = m_clock, format = m_format, log = m_historyLogPath] {
                try {
                    job->result =
                        RunMonitorPass(job->folders, job->store, cancel.get(), PassOptions {journal.get(), job->walk});
                } catch (const std::exception &error) {
                    // out of memory and the like: the store is left as it was, so the next pass finds the changes
                    job->failure = error.what();
                    return;
                }
                if (job->result.cancelled || job->result.changes.empty())
                    return;
                job->timeText = DateToText(clock.now(), format);
                job->logError = WriteTextFile(HistoryLogText(job->timeText, job->result.changes), log);
            },
            [job, self = std::weak_ptr<Monitor *>(m_self)] {
                if (const auto alive = self.lock())
                    (*alive)->finish(*job);
            });
    } catch (...) {
        m_store = std::move(job->store);
        m_running = false;
        throw;
    }
    return true;
}

void Monitor::cancel()
{
    m_cancel->store(true);
    if (m_journal)
        m_journal->close();
}

void Monitor::finish(Job &job)
{
    m_store = std::move(job.store);
    m_running = false;
    if (job.walk && !job.failure && !job.result.cancelled)
        m_lastWalk = job.began;
    // Cancelled, or it had ended just before the window closed: nothing is shown after the close.
    if (job.result.cancelled || m_cancel->load())
        return;

    if (const std::optional<std::string> failures = FailureDescription(job.result.failures)) {
        Procedure enumeration(m_prompts, EnumerationLocation());
        enumeration.report(100, *failures);
    }
    Procedure pass(m_prompts, Form1Location("StartMonitor"));
    if (job.failure) {
        // Nothing was compared: the report alone ends such a pass, with no closing message that would say otherwise.
        pass.report(100, *job.failure);
        if (job.finished)
            job.finished();
        return;
    }
    const bool anyChanges = !job.result.changes.empty();
    pass.step(102, [&] {
        if (anyChanges)
            m_view.appendHistory({std::move(job.timeText), std::move(job.result.changes)});
    });
    pass.step(104, [&] {
        if (job.logError)
            throw std::runtime_error(*job.logError);
    });
    pass.step(106, [&] {
        if (!job.silent)
            m_prompts.message(ClosingMessage(anyChanges));
    });
    if (job.finished)
        job.finished();
}

} // namespace tarnwick::app
