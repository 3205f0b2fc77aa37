#pragma once

// Reading many directories at once, internal to core.

#include "enumeration.h"
#include "read_hint.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {

struct ReadRequest {
    std::string path; // ending with a separator
    bool followLink = false; // whether the directory itself may be reached through a symbolic link
    ReadHint *hint = nullptr; // where unchanged files' times come from; owned by the caller
    bool watch = false; // the reader's beforeRead is called for it first
    std::uint32_t tree = 0; // for beforeRead
};

// Reads directories on a few threads while the caller takes the listings in request order, each as soon as it
// is ready; the caller reads too while it would otherwise wait. The readers stay at most a window of listings
// ahead of the caller, so finished listings cannot pile up.
class DirectoryReader
{
public:
    // beforeRead: called for each request marked watch, on the thread that reads it, just before it is read.
    using BeforeRead = std::function<void(const ReadRequest &)>;
    DirectoryReader(std::vector<ReadRequest> requests, const ReadOptions &options, const std::atomic<bool> *cancel,
                    BeforeRead beforeRead = {});
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader &) = delete;
    DirectoryReader &operator=(const DirectoryReader &) = delete;

    // The listing of the next request; nothing once cancelled. A read that threw (out of memory) throws here.
    std::optional<DirectoryContents> next();

private:
    struct Slot {
        DirectoryContents contents;
        std::exception_ptr failure;
        bool ready = false;
    };

    bool cancelled() const { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); }
    bool mayClaim() const;
    // Reads the request at index with the lock released; the lock is held again on return.
    void read(std::size_t index, std::unique_lock<std::mutex> &lock);
    void helperLoop();
    void stop();

    const std::vector<ReadRequest> m_requests;
    const ReadOptions m_options;
    const std::atomic<bool> *m_cancel;
    const BeforeRead m_beforeRead;
    std::vector<Slot> m_slots;
    std::size_t m_claimed = 0; // requests taken by a reader
    std::size_t m_taken = 0; // listings handed to the caller
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_readyChanged;
    std::condition_variable m_windowMoved;
    std::vector<std::thread> m_threads;
};

} // namespace tarnwick
