#include "enumeration.h"

#include "paths.h"
#include "platform.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace tarnwick {

namespace {

DirectoryContents readSafely(const std::string &folder, const ReadOptions &options, bool followLink)
{
    try {
        return platform::ReadDirectory(folder, options, followLink);
    } catch (const std::exception &error) {
        DirectoryContents contents;
        contents.status = ReadStatus::Failed;
        contents.error = error.what();
        return contents;
    }
}

unsigned workerCount()
{
    const unsigned cores = std::max(2U, std::thread::hardware_concurrency());
    return std::min(cores, 8U);
}

// Reads one level of a walk on several threads while the calling thread hands the results to the visitor
// in order, as soon as each is ready, so that finished listings do not pile up.
class LevelReader
{
public:
    LevelReader(const std::vector<std::string> &level, const ReadOptions &options, bool followLinks,
                const std::atomic<bool> *cancel)
        : m_level(level)
        , m_options(options)
        , m_followLinks(followLinks)
        , m_cancel(cancel)
        , m_results(level.size())
        , m_ready(std::make_unique<bool[]>(level.size()))
    {
    }

    bool run(const FolderVisitor &visit, std::vector<std::string> *next)
    {
        std::vector<std::thread> threads;
        const std::size_t helpers = std::min<std::size_t>(workerCount() - 1, m_level.size() - 1);
        threads.reserve(helpers);
        try {
            for (std::size_t t = 0; t < helpers; ++t)
                threads.emplace_back([this] {
                    while (readOne()) { }
                });
        } catch (const std::system_error &) {
            // no more threads to be had: the calling thread reads the rest
        }
        bool completed = true;
        try {
            for (std::size_t visited = 0; visited < m_level.size(); ++visited) {
                if (!waitFor(visited)) {
                    completed = false;
                    break;
                }
                DirectoryContents contents = std::move(m_results[visited]);
                m_results[visited] = DirectoryContents {};
                if (next != nullptr && contents.status == ReadStatus::Ok) {
                    for (const std::string &name : contents.subfolders) {
                        std::string child = m_level[visited];
                        child.append(name);
                        child.push_back(kSeparator);
                        next->push_back(std::move(child));
                    }
                }
                visit(m_level[visited], contents);
            }
        } catch (...) {
            // the readers must be joined before the failure goes on, or the program ends
            m_stop.store(true);
            m_readyChanged.notify_all();
            for (std::thread &thread : threads)
                thread.join();
            throw;
        }
        m_stop.store(true);
        for (std::thread &thread : threads)
            thread.join();
        return completed && !cancelled();
    }

private:
    bool cancelled() const { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); }

    // Takes the next unread folder of the level, if any, and reads it.
    bool readOne()
    {
        if (m_stop.load(std::memory_order_relaxed) || cancelled())
            return false;
        const std::size_t index = m_next.fetch_add(1);
        if (index >= m_level.size())
            return false;
        DirectoryContents contents = readSafely(m_level[index], m_options, m_followLinks);
        {
            const std::lock_guard lock(m_mutex);
            m_results[index] = std::move(contents);
            m_ready[index] = true;
        }
        m_readyChanged.notify_all();
        return true;
    }

    bool waitFor(std::size_t index)
    {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                if (m_ready[index])
                    return true;
            }
            if (cancelled())
                return false;
            // help with the reading rather than wait, while there is reading left
            if (readOne())
                continue;
            std::unique_lock lock(m_mutex);
            m_readyChanged.wait(lock, [&] { return m_ready[index] || cancelled(); });
            if (!m_ready[index])
                return false;
            return true;
        }
    }

    const std::vector<std::string> &m_level;
    const ReadOptions &m_options;
    const bool m_followLinks;
    const std::atomic<bool> *m_cancel;
    std::vector<DirectoryContents> m_results;
    std::unique_ptr<bool[]> m_ready;
    std::atomic<std::size_t> m_next {0};
    std::atomic<bool> m_stop {false};
    std::mutex m_mutex;
    std::condition_variable m_readyChanged;
};

bool matchesPattern(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    // classic wildcard matching with backtracking over the last "*"
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options)
{
    return readSafely(WithTrailingSeparator(folder), options, true);
}

bool WalkTree(const std::vector<std::string> &folders, bool recurse, const ReadOptions &options,
              const std::atomic<bool> *cancel, const FolderVisitor &visit)
{
    std::vector<std::string> level = folders;
    bool top = true;
    while (!level.empty()) {
        std::vector<std::string> next;
        LevelReader reader(level, options, top, cancel);
        if (!reader.run(visit, recurse ? &next : nullptr))
            return false;
        level = std::move(next);
        top = false;
    }
    return true;
}

std::vector<EnumerationFailure> GetSubDirectories2016(std::vector<std::string> &folders, bool recurse,
                                                      const std::atomic<bool> *cancel)
{
    std::vector<EnumerationFailure> failures;
    std::vector<std::string> roots;
    for (const std::string &folder : folders) {
        if (FolderExists(folder) && !platform::PathTooLong(folder, {}))
            roots.push_back(WithTrailingSeparator(folder));
    }
    std::vector<std::string> found;
    std::size_t rootsVisited = 0;
    const FolderVisitor visit = [&](const std::string &folder, DirectoryContents &contents) {
        const bool isRoot = rootsVisited < roots.size();
        if (isRoot)
            ++rootsVisited;
        switch (contents.status) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::Vanished:
        case ReadStatus::Unreadable:
            if (isRoot) {
                // the first entry equal to the folder is taken out
                const auto it = std::find_if(folders.begin(), folders.end(), [&](const std::string &entry) {
                    return WithTrailingSeparator(entry) == folder;
                });
                if (it != folders.end())
                    folders.erase(it);
            }
            return;
        case ReadStatus::Failed:
            failures.push_back({folder, contents.error});
            break;
        }
        if (!isRoot)
            found.push_back(folder);
        if (!recurse) {
            for (const std::string &name : contents.subfolders)
                found.push_back(folder + name + kSeparator);
        }
    };
    WalkTree(roots, recurse, ReadOptions {false, false}, cancel, visit);
    folders.insert(folders.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return failures;
}

std::vector<std::string> ListFiles(const std::string &folder, std::string_view pattern)
{
    const DirectoryContents contents = ReadDirectory(folder, ReadOptions {true, false});
    std::vector<std::string> names;
    for (std::size_t i = 0; i < contents.fileCount(); ++i) {
        const std::string_view name = contents.fileName(i);
        if (matchesPattern(name, pattern))
            names.emplace_back(name);
    }
    return names;
}

} // namespace tarnwick
