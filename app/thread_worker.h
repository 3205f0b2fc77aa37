#pragma once

#include "toolkit.h"

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tarnwick::app {

// A Worker over standard threads: each work runs on a thread of its own, and its completion is handed to the
// window's thread by the front-end's post function (a posted window message, a queued call).
class ThreadWorker final : public Worker
{
public:
    // Runs the function on the window's thread, later; called from the worker's thread.
    using Post = std::function<void(std::function<void()>)>;

    explicit ThreadWorker(Post post);
    ~ThreadWorker() override;
    ThreadWorker(const ThreadWorker &) = delete;
    ThreadWorker &operator=(const ThreadWorker &) = delete;

    void run(std::function<void()> work, std::function<void()> done) override;
    void wait() override;

private:
    struct Job {
        std::thread thread;
        std::atomic<bool> ended {false};
    };
    void joinEnded();

    Post m_post;
    std::list<std::unique_ptr<Job>> m_jobs;
};

} // namespace tarnwick::app
