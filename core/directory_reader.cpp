#include "directory_reader.h"

#include "platform.h"

#include <algorithm>
#include <system_error>

namespace tarnwick {

namespace {

constexpr std::size_t kWindow = 256;

unsigned workerCount()
{
    const unsigned cores = std::max(2U, std::thread::hardware_concurrency());
    return std::min(cores, 8U);
}

} // namespace

DirectoryReader::DirectoryReader(std::vector<ReadRequest> requests, const ReadOptions &options,
                                 const std::atomic<bool> *cancel, BeforeRead beforeRead)
    : m_requests(std::move(requests))
    , m_options(options)
    , m_cancel(cancel)
    , m_beforeRead(std::move(beforeRead))
    , m_slots(m_requests.size())
{
    const std::size_t helpers =
        m_requests.empty() ? 0 : std::min<std::size_t>(workerCount() - 1, m_requests.size() - 1);
    m_threads.reserve(helpers);
    try {
        for (std::size_t t = 0; t < helpers; ++t)
            m_threads.emplace_back([this] { helperLoop(); });
    } catch (const std::system_error &) {
        // no more threads to be had: the calling thread reads the rest
    } catch (...) {
        // the readers must be joined before the failure goes on, or the program ends
        stop();
        throw;
    }
}

DirectoryReader::~DirectoryReader()
{
    stop();
}

void DirectoryReader::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_windowMoved.notify_all();
    m_readyChanged.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
}

bool DirectoryReader::mayClaim() const
{
    return m_claimed < m_requests.size() && m_claimed < m_taken + kWindow && !m_stopping && !cancelled();
}

void DirectoryReader::read(std::size_t index, std::unique_lock<std::mutex> &lock)
{
    lock.unlock();
    Slot slot;
    try {
        const ReadRequest &request = m_requests[index];
        if (request.watch && m_beforeRead)
            m_beforeRead(request);
        slot.contents = platform::ReadDirectory(request.path, m_options, request.followLink, request.hint);
    } catch (...) {
        slot.failure = std::current_exception();
    }
    slot.ready = true;
    lock.lock();
    m_slots[index] = std::move(slot);
    m_readyChanged.notify_all();
}

void DirectoryReader::helperLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_windowMoved.wait(
            lock, [this] { return mayClaim() || m_stopping || cancelled() || m_claimed >= m_requests.size(); });
        if (!mayClaim())
            return;
        read(m_claimed++, lock);
    }
}

std::optional<DirectoryContents> DirectoryReader::next()
{
    std::unique_lock lock(m_mutex);
    const std::size_t index = m_taken;
    while (!m_slots[index].ready) {
        if (cancelled())
            return std::nullopt;
        // read rather than wait, while there is reading to do
        if (mayClaim()) {
            read(m_claimed++, lock);
            continue;
        }
        m_readyChanged.wait(lock, [&] { return m_slots[index].ready || cancelled(); });
    }
    Slot slot = std::move(m_slots[index]);
    m_slots[index] = Slot {};
    ++m_taken;
    lock.unlock();
    m_windowMoved.notify_all();
    if (slot.failure)
        std::rethrow_exception(slot.failure);
    if (cancelled())
        return std::nullopt;
    return std::move(slot.contents);
}

} // namespace tarnwick
