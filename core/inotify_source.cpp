// The change journal's source on Linux: one inotify watch per directory.

#include "journal_source.h"

#ifdef __linux__

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tarnwick {

namespace {

// What changes a directory's listing or a file's time. Opening, reading and closing unwritten make no report, so
// the program's own reading is silent.
constexpr std::uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
    IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

// Local file systems, whose changes all pass through this kernel. Network file systems (NFS, SMB, 9p, Ceph...),
// FUSE and anything unknown also change elsewhere, unreported. Overlay and eCryptfs report what goes through
// them; their lower layers must not be changed underneath by the kernel's own rules.
bool reportsEveryChange(long type)
{
    switch (static_cast<unsigned long>(type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case REISERFS_SUPER_MAGIC:
    case 0x3153464aUL: // JFS
    case NILFS_SUPER_MAGIC:
    case 0x4244UL: // HFS
    case 0x482bUL: // HFS+
    case MSDOS_SUPER_MAGIC: // FAT
    case EXFAT_SUPER_MAGIC:
    case 0x5346544eUL: // NTFS (the kernel's)
    case 0x7366746eUL: // NTFS3
    case 0x2fc12fc1UL: // ZFS
    case 0xca451a4eUL: // bcachefs
    case OVERLAYFS_SUPER_MAGIC:
    case ECRYPTFS_SUPER_MAGIC:
    case SQUASHFS_MAGIC:
    case ISOFS_SUPER_MAGIC:
    case UDF_SUPER_MAGIC:
    case EROFS_SUPER_MAGIC_V1:
        return true;
    default:
        return false;
    }
}

WatchStatus statusOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return WatchStatus::Vanished;
    case ENOSPC:
        return WatchStatus::NoRoom;
    default:
        return WatchStatus::Failed;
    }
}

std::optional<FileIdentity> identityOf(const char *path)
{
    struct stat info {
    };
    if (::stat(path, &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FileIdentity {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

long readNumber(const char *path)
{
    std::ifstream in(path);
    long value = -1;
    in >> value;
    return in ? value : -1;
}

// The inotify watches this user holds in all its processes: each inotify descriptor's fdinfo lists its watches,
// one line each. Processes this user cannot look into are not counted; the kernel counts them, but they are rare
// (set-user-ID programs) and hold few.
std::size_t countUserWatches()
{
    const uid_t user = ::geteuid();
    DIR *proc = ::opendir("/proc");
    if (proc == nullptr)
        return 0;
    std::size_t count = 0;
    std::string line;
    while (const dirent *process = ::readdir(proc)) {
        if (process->d_name[0] < '0' || process->d_name[0] > '9')
            continue;
        struct stat owner {
        };
        if (::fstatat(::dirfd(proc), process->d_name, &owner, 0) != 0 || owner.st_uid != user)
            continue;
        const std::string base = std::string("/proc/") + process->d_name;
        DIR *fds = ::opendir((base + "/fd").c_str());
        if (fds == nullptr)
            continue;
        while (const dirent *fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            char target[64];
            const ssize_t length = ::readlinkat(::dirfd(fds), fd->d_name, target, sizeof target - 1);
            if (length <= 0 || std::string_view(target, static_cast<std::size_t>(length)) != "anon_inode:inotify")
                continue;
            std::ifstream info(base + "/fdinfo/" + fd->d_name);
            while (std::getline(info, line))
                if (line.starts_with("inotify wd:"))
                    ++count;
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return count;
}

class InotifySource final : public JournalSource
{
public:
    InotifySource(int inotify, int wake)
        : m_inotify(inotify)
        , m_wake(wake)
    {
    }
    ~InotifySource() override
    {
        ::close(m_inotify);
        ::close(m_wake);
    }
    InotifySource(const InotifySource &) = delete;
    InotifySource &operator=(const InotifySource &) = delete;

    bool watchesEachDirectory() const override { return true; }

    WatchResult watch(const std::string &path, bool top) override
    {
        WatchResult result;
        std::string name = path;
        if (name.size() > 1 && name.back() == '/')
            name.pop_back(); // with the separator, a symbolic link would be followed
        struct statfs system {
        };
        if (::statfs(name.c_str(), &system) != 0) {
            result.status = statusOf(errno);
            return result;
        }
        if (!reportsEveryChange(static_cast<long>(system.f_type))) {
            result.status = WatchStatus::Unsupported;
            return result;
        }
        // A top may be reached through a link: the directory watched must be the one its path leads to before
        // and after, or another was put in its place meanwhile (the walk finds that out below a top through the
        // parent's reports).
        std::optional<FileIdentity> before;
        if (top)
            before = identityOf(name.c_str());
        result.watch = ::inotify_add_watch(m_inotify, name.c_str(), top ? kMask : kMask | IN_DONT_FOLLOW);
        if (result.watch < 0) {
            result.status = statusOf(errno);
            return result;
        }
        result.status = WatchStatus::Watched;
        if (top) {
            const std::optional<FileIdentity> after = identityOf(name.c_str());
            if (!before || before != after)
                result.status = WatchStatus::Failed;
            else
                result.identity = *after;
        }
        return result;
    }

    void unwatch(int watch) override { ::inotify_rm_watch(m_inotify, watch); }

    std::optional<FileIdentity> identify(const std::string &path) override { return identityOf(path.c_str()); }

    std::size_t watchLimit(std::size_t held) override
    {
        // Never more than half of what the user has left: other programs need watches too.
        const long limit = readNumber("/proc/sys/fs/inotify/max_user_watches");
        if (limit <= 0)
            return 0;
        const std::size_t used = countUserWatches();
        const std::size_t others = used > held ? used - held : 0;
        const auto max = static_cast<std::size_t>(limit);
        return others >= max ? 0 : (max - others) / 2;
    }

    bool surroundingsChanged() override
    {
        // A file system mounted over a directory of a tree changes it without a report.
        std::ifstream in("/proc/self/mountinfo");
        std::ostringstream text;
        text << in.rdbuf();
        std::string mounts = std::move(text).str();
        const bool changed = m_mountsKnown && mounts != m_mounts;
        m_mounts = std::move(mounts);
        m_mountsKnown = true;
        return changed;
    }

    void read(std::vector<JournalEvent> &events) override
    {
        alignas(inotify_event) char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(m_inotify, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                translate(*event, events);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    bool wait() override
    {
        pollfd fds[2] = {{m_inotify, POLLIN, 0}, {m_wake, POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) >= 0)
                break;
            if (errno != EINTR)
                return false;
        }
        return (fds[1].revents & POLLIN) == 0;
    }

    void interrupt() override
    {
        const std::uint64_t one = 1;
        const ssize_t ignored = ::write(m_wake, &one, sizeof one);
        (void)ignored;
    }

private:
    static void translate(const inotify_event &event, std::vector<JournalEvent> &events)
    {
        using Kind = JournalEvent::Kind;
        if (event.mask & IN_Q_OVERFLOW) {
            events.push_back({Kind::Lost, JournalEvent::kEveryWatch, {}});
            return;
        }
        if (event.mask & IN_UNMOUNT)
            events.push_back({Kind::Lost, event.wd, {}});
        if (event.mask & IN_IGNORED) {
            events.push_back({Kind::WatchEnded, event.wd, {}});
            return;
        }
        if (event.mask & IN_DELETE_SELF) {
            events.push_back({Kind::SelfDeleted, event.wd, {}});
            return;
        }
        if (event.mask & IN_MOVE_SELF) {
            events.push_back({Kind::SelfMoved, event.wd, {}});
            return;
        }
        if (event.len == 0 || event.name[0] == '\0') {
            if (event.mask & (IN_ATTRIB | IN_MODIFY))
                events.push_back({Kind::Self, event.wd, {}});
            return;
        }
        Kind kind = Kind::EntryWritten;
        if (event.mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
            kind = (event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO)) ? Kind::DirectoryArrived
                                                                                       : Kind::Entry;
        events.push_back({kind, event.wd, std::string(event.name)});
    }

    int m_inotify;
    int m_wake;
    std::string m_mounts;
    bool m_mountsKnown = false;
};

} // namespace

std::unique_ptr<JournalSource> SystemJournalSource()
{
    const int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify < 0)
        return nullptr;
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        ::close(inotify);
        return nullptr;
    }
    return std::make_unique<InotifySource>(inotify, wake);
}

} // namespace tarnwick

#else

namespace tarnwick {

std::unique_ptr<JournalSource> SystemJournalSource()
{
    return nullptr;
}

} // namespace tarnwick

#endif
