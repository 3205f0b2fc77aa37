#include "enumeration.h"

#include "paths.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#ifndef _WIN32
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

bool isDotName(std::string_view name)
{
    return name == "." || name == "..";
}

bool pathTooLong(const std::string &folder, std::string_view name)
{
#ifdef _WIN32
    constexpr std::size_t limit = 32767;
#else
    constexpr std::size_t limit = PATH_MAX;
#endif
    return folder.size() + name.size() + 1 >= limit;
}

#ifndef _WIN32

void describeFailure(DirectoryContents &contents, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP: // replaced by a symbolic link since its parent was listed
        contents.status = ReadStatus::Vanished;
        break;
    case EACCES:
    case EPERM:
    case EIO:
        contents.status = ReadStatus::Unreadable;
        break;
    default:
        contents.status = ReadStatus::Failed;
        contents.error = std::strerror(error);
        break;
    }
}

class DirectoryStream
{
public:
    explicit DirectoryStream(DIR *dir)
        : m_dir(dir)
    {
    }
    ~DirectoryStream()
    {
        if (m_dir != nullptr)
            ::closedir(m_dir);
    }
    DirectoryStream(const DirectoryStream &) = delete;
    DirectoryStream &operator=(const DirectoryStream &) = delete;
    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

// A regular file, or a link to one; nothing is opened, so FIFOs and devices cannot block.
bool statFile(int dirFd, const char *name, unsigned char type, FileTime &time, bool &isDirectory)
{
    struct stat info {
    };
    isDirectory = false;
    if (type == DT_REG || type == DT_UNKNOWN) {
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (S_ISDIR(info.st_mode)) {
            isDirectory = true;
            return false;
        }
        if (S_ISLNK(info.st_mode))
            type = DT_LNK;
    }
    if (type == DT_LNK && ::fstatat(dirFd, name, &info, 0) != 0)
        return false;
    if (!S_ISREG(info.st_mode))
        return false;
    time = static_cast<FileTime>(info.st_mtim.tv_sec);
    return true;
}

DirectoryContents readDirectory(const std::string &folder, const ReadOptions &options, bool followLink)
{
    DirectoryContents contents;
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(folder.c_str(), flags);
    if (fd < 0) {
        describeFailure(contents, errno);
        return contents;
    }
    DirectoryStream stream(::fdopendir(fd));
    if (stream.get() == nullptr) {
        const int error = errno;
        ::close(fd);
        describeFailure(contents, error);
        return contents;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(stream.get());
        if (entry == nullptr) {
            if (errno != 0) {
                // a listing that broke off is no listing: its files must not look removed
                const int error = errno;
                contents = DirectoryContents {};
                describeFailure(contents, error == ENOENT ? EIO : error);
            }
            break;
        }
        const char *name = entry->d_name;
        const std::string_view nameView(name);
        if (isDotName(nameView))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_DIR) {
            if (!HasUnsafeChars(nameView) && !pathTooLong(folder, nameView))
                contents.subfolders.emplace_back(nameView);
            continue;
        }
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue; // FIFOs, sockets, devices
        if (!options.files && type != DT_UNKNOWN)
            continue;
        if (options.skipTilde && nameView.front() == '~' && type != DT_UNKNOWN)
            continue;
        FileTime time = 0;
        bool isDirectory = false;
        if (!statFile(::dirfd(stream.get()), name, type, time, isDirectory)) {
            if (isDirectory && !HasUnsafeChars(nameView) && !pathTooLong(folder, nameView))
                contents.subfolders.emplace_back(nameView);
            continue;
        }
        if (!options.files || (options.skipTilde && nameView.front() == '~') || HasControlChars(nameView))
            continue;
        contents.names.append(nameView);
        contents.nameEnds.push_back(static_cast<std::uint32_t>(contents.names.size()));
        contents.times.push_back(time);
    }
    return contents;
}

#endif

DirectoryContents readSafely(const std::string &folder, const ReadOptions &options, bool followLink)
{
    try {
        return readDirectory(folder, options, followLink);
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
        for (std::size_t t = 0; t < helpers; ++t)
            threads.emplace_back([this] {
                while (readOne()) { }
            });
        bool completed = true;
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
        if (FolderExists(folder) && !pathTooLong(folder, {}))
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

#ifndef _WIN32
bool FileIsPresent(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
#endif

} // namespace tarnwick
