#include "thread_worker.h"

namespace tarnwick::app {

ThreadWorker::ThreadWorker(Post post)
    : m_post(std::move(post))
{
}

ThreadWorker::~ThreadWorker()
{
    wait();
}

void ThreadWorker::run(std::function<void()> work, std::function<void()> done)
{
    joinEnded();
    auto job = std::make_unique<Job>();
    Job *raw = job.get();
    job->thread = std::thread([this, raw, work = std::move(work), done = std::move(done)]() mutable {
        try {
            work();
        } catch (...) {
            // the work reports its own failures; nothing may end the program from here
        }
        m_post(std::move(done));
        raw->ended.store(true);
    });
    m_jobs.push_back(std::move(job));
}

void ThreadWorker::wait()
{
    for (const std::unique_ptr<Job> &job : m_jobs)
        job->thread.join();
    m_jobs.clear();
}

void ThreadWorker::joinEnded()
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if ((*it)->ended.load()) {
            (*it)->thread.join();
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace tarnwick::app
