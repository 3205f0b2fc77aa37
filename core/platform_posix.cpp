#include "enumeration.h"
#include "history_log.h"
#include "paths.h"
#include "platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {

namespace {

bool isDotName(std::string_view name)
{
    return name == "." || name == "..";
}

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

// Opens a directory by a path of any length: a path over PATH_MAX is opened piece by piece, each piece
// relative to the directory the one before it opened.
int openDirectory(const std::string &folder, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    // A name with a separator after it is followed, O_NOFOLLOW or not: a subfolder put in place of a link since its
    // parent was listed must not be read.
    std::string path = folder;
    if (!followLink && path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.size() < PATH_MAX)
        return ::open(path.c_str(), flags);
    int base = AT_FDCWD;
    std::size_t begin = 0;
    while (path.size() - begin >= PATH_MAX) {
        const std::size_t cut = path.rfind('/', begin + PATH_MAX - 2);
        if (cut == std::string::npos || cut < begin) {
            if (base != AT_FDCWD)
                ::close(base);
            errno = ENAMETOOLONG;
            return -1;
        }
        const std::string piece = path.substr(begin, cut + 1 - begin);
#ifdef O_PATH
        const int next = ::openat(base, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
        const int next = ::openat(base, piece.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
        const int error = errno;
        if (base != AT_FDCWD)
            ::close(base);
        if (next < 0) {
            errno = error;
            return -1;
        }
        base = next;
        begin = cut + 1;
    }
    const int fd = ::openat(base, path.c_str() + begin, flags);
    const int error = errno;
    if (base != AT_FDCWD)
        ::close(base);
    errno = error;
    return fd;
}

enum class Entry { File, Directory, Other, Unsearchable };

// Errors that say the directory's entries cannot be examined, rather than that one entry is gone.
bool refused(int error)
{
    return error == EACCES || error == EPERM || error == EIO;
}

// What one entry of a listed directory is; nothing is opened, so FIFOs and devices cannot block. An entry that
// cannot be examined for lack of search permission on the directory makes the directory unreadable.
Entry examine(int dirFd, const char *name, unsigned char type, FileTime &time, DirectoryContents &contents)
{
    struct stat info {
    };
    if (type != DT_LNK) {
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return refused(errno) ? Entry::Unsearchable : Entry::Other;
        if (S_ISDIR(info.st_mode))
            return Entry::Directory;
        if (!S_ISLNK(info.st_mode)) {
            time = static_cast<FileTime>(info.st_mtim.tv_sec);
            if (!S_ISREG(info.st_mode))
                return Entry::Other;
            if (info.st_nlink > 1)
                contents.hardLinks = true;
            return Entry::File;
        }
    }
    contents.symbolicLinks = true;
    // a link counts as the file it leads to; a link to a directory is never followed
    if (::fstatat(dirFd, name, &info, 0) != 0) {
        if (!refused(errno))
            return Entry::Other;
        // refused: by this directory, or only on the way to the link's target
        struct stat link {
        };
        return ::fstatat(dirFd, name, &link, AT_SYMLINK_NOFOLLOW) != 0 && refused(errno) ? Entry::Unsearchable
                                                                                         : Entry::Other;
    }
    time = static_cast<FileTime>(info.st_mtim.tv_sec);
    return S_ISREG(info.st_mode) ? Entry::File : Entry::Other;
}

} // namespace

namespace platform {

bool PathTooLong(const std::string &folder, std::string_view name)
{
    return folder.size() + name.size() + 1 >= PATH_MAX;
}

bool ExamineRegularFile(const std::string &path, FileTime &time, bool &hardLinked)
{
    struct stat info {
    };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    time = static_cast<FileTime>(info.st_mtim.tv_sec);
    hardLinked = info.st_nlink > 1;
    return true;
}

bool LocalTime(FileTime time, DateParts &parts)
{
    const auto seconds = static_cast<std::time_t>(time);
    std::tm local {};
    if (localtime_r(&seconds, &local) == nullptr)
        return false;
    parts.year = local.tm_year + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    parts.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second
    return true;
}

void ReleaseFreedMemory()
{
#ifdef __GLIBC__
    // glibc keeps large freed blocks in the heap once it has seen one freed: a snapshot dropped after the
    // folder list was cleared would otherwise stay in the process
    ::malloc_trim(0);
#endif
}

DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options, bool followLink, ReadHint *hint)
{
    DirectoryContents contents;
    const int fd = openDirectory(folder, followLink);
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
    const int dirFd = ::dirfd(stream.get());
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
        const unsigned char type = entry->d_type;
        if (type == DT_DIR) {
            contents.subfolders.emplace_back(nameView);
            continue;
        }
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue; // FIFOs, sockets, devices
        // a file left out is still examined: another name of it may be monitored, and is written when it is
        if (type != DT_UNKNOWN && !options.files)
            continue;
        FileTime time = 0;
        if (hint != nullptr && type == DT_REG && options.files) {
            if (const std::optional<FileTime> unchanged = hint->unchangedTime(nameView)) {
                contents.names.append(nameView);
                contents.nameEnds.push_back(static_cast<std::uint32_t>(contents.names.size()));
                contents.times.push_back(*unchanged);
                continue;
            }
        }
        switch (examine(dirFd, name, type, time, contents)) {
        case Entry::Directory:
            contents.subfolders.emplace_back(nameView);
            continue;
        case Entry::Other:
            continue;
        case Entry::Unsearchable:
            // the names can be read but not the entries: nothing is known of the files
            contents = DirectoryContents {};
            contents.status = ReadStatus::Unreadable;
            return contents;
        case Entry::File:
            break;
        }
        if (!options.files || (options.skipTilde && nameView.front() == '~'))
            continue;
        contents.names.append(nameView);
        contents.nameEnds.push_back(static_cast<std::uint32_t>(contents.names.size()));
        contents.times.push_back(time);
    }
    return contents;
}

} // namespace platform

bool FolderExists(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileAppears(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0;
}

std::string TemporaryFolder()
{
    if (const char *temp = std::getenv("TEMP"); temp != nullptr && *temp != '\0')
        return temp;
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

namespace {

std::string describe(const std::string &path, const char *what, int error)
{
    return std::string("Cannot ") + what + " the history log " + path + ": " + std::strerror(error);
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

} // namespace

namespace {

// Refuses anything but a regular file of the user's at the path; the descriptor was opened without following a link.
std::optional<std::string> checkLogFile(int fd, const std::string &path, const char *notDone, struct stat &info)
{
    if (::fstat(fd, &info) != 0)
        return describe(path, "inspect", errno);
    if (!S_ISREG(info.st_mode))
        return "The history log " + path + " is not a regular file; it was not " + notDone + ".";
    if (info.st_uid != ::geteuid())
        return "The history log " + path + " belongs to another user; it was not " + notDone + ".";
    return std::nullopt;
}

std::optional<std::string> refusedOpen(const std::string &path, const char *verb, const char *notDone, int error)
{
    if (error == ELOOP)
        return "The history log " + path + " is a symbolic link; it was not " + notDone + ".";
    if (error == ENXIO)
        return "The history log " + path + " is not a regular file; it was not " + notDone + ".";
    return describe(path, verb, error);
}

bool writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::optional<std::string> WriteTextFile(std::string_view text, const std::string &path)
{
    // O_NOFOLLOW refuses a symbolic link planted at the path; O_NONBLOCK keeps a FIFO from blocking the open.
    FileDescriptor fd(
        ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600));
    if (fd.get() < 0)
        return refusedOpen(path, "open", "written", errno);
    struct stat info {
    };
    if (auto refused = checkLogFile(fd.get(), path, "written", info))
        return refused;

    // A log cut short in the middle of a line (a full disk, a killed writer) gets its line end first, so that
    // the new lines never glue onto the broken one.
    const off_t before = info.st_size;
    std::string_view lead;
    if (before > 0) {
        char last = '\n';
        if (::pread(fd.get(), &last, 1, before - 1) == 1 && last != '\n')
            lead = kLineEnd;
    }
    if (!writeAll(fd.get(), lead) || !writeAll(fd.get(), text)) {
        const int error = errno;
        // Nothing half-written stays: the file goes back to the size it had.
        const bool restored = ::ftruncate(fd.get(), before) == 0;
        return describe(path, "write", error) +
            (restored ? ". Nothing of this pass was kept in it." : ". The last line written may be incomplete.");
    }
    if (::close(fd.release()) != 0)
        return describe(path, "close", errno);
    return std::nullopt;
}

namespace platform {

LogReading ReadLogFile(const std::string &path, bool wantText)
{
    LogReading reading;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT)
            return reading;
        reading.state = LogReading::State::Refused;
        reading.error = *refusedOpen(path, "open", "read", error);
        return reading;
    }
    struct stat info {
    };
    if (auto refused = checkLogFile(fd.get(), path, "read", info)) {
        reading.state = LogReading::State::Refused;
        reading.error = *refused;
        return reading;
    }
    reading.state = LogReading::State::Present;
    if (!wantText)
        return reading;
    reading.text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            reading.state = LogReading::State::Refused;
            reading.error = describe(path, "read", errno);
            reading.text.clear();
            return reading;
        }
        reading.text.append(buffer, static_cast<std::size_t>(got));
    }
    return reading;
}

} // namespace platform

void DeleteFileForced(const std::string &path) noexcept
{
    if (path.empty() || ::unlink(path.c_str()) == 0)
        return;
    // A link is deleted as itself above or not at all: making its target writable would change another file.
    struct stat info {
    };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    ::chmod(path.c_str(), info.st_mode | S_IWUSR);
    ::unlink(path.c_str());
}

} // namespace tarnwick
