#include "history_log.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

std::string HistoryLine(std::string_view timeText, ChangeKind kind, std::string_view path)
{
    const std::string_view action = ActionText(kind);
    std::string line;
    line.reserve(timeText.size() + action.size() + path.size() + 2 + kLineEnd.size());
    line.append(timeText);
    line.push_back(' ');
    line.append(action);
    line.push_back(' ');
    line.append(path);
    line.append(kLineEnd);
    return line;
}

#ifndef _WIN32

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

std::optional<std::string> WriteTextFile(std::string_view text, const std::string &path)
{
    // O_NOFOLLOW refuses a symbolic link planted at the path; O_NONBLOCK keeps a FIFO from blocking the open.
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ELOOP)
            return "The history log " + path + " is a symbolic link; it was not written.";
        return describe(path, "open", error);
    }
    struct stat info {
    };
    if (::fstat(fd.get(), &info) != 0)
        return describe(path, "inspect", errno);
    if (!S_ISREG(info.st_mode))
        return "The history log " + path + " is not a regular file; it was not written.";
    if (info.st_uid != ::geteuid())
        return "The history log " + path + " belongs to another user; it was not written.";

    const char *data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd.get(), data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return describe(path, "write", errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::close(fd.release()) != 0)
        return describe(path, "close", errno);
    return std::nullopt;
}

#endif

} // namespace tarnwick
