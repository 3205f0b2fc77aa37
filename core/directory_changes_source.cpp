// The change journal's source on Windows: one ReadDirectoryChangesW per top of the listed trees, recursive.

#include "journal_source.h"
#include "platform.h"

#include <memory>
#include <unordered_map>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarnwick {

namespace {

// What changes a listing or a file's time; SECURITY too, as it can make a folder unreadable.
constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
    FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;

// 64 KiB, the most a call may ask for over a network, and plenty between two reads on a local disk.
constexpr DWORD kBufferBytes = 64 * 1024;

class Handle
{
public:
    explicit Handle(HANDLE handle = nullptr)
        : m_handle(handle)
    {
    }
    ~Handle()
    {
        if (m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release()
    {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle;
};

std::optional<FileIdentity> identityOf(HANDLE handle)
{
    // a folder deleted while another program holds it open stays, pending, until the last handle goes
    FILE_STANDARD_INFO standard {};
    if (::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information {};
    if (!::GetFileInformationByHandle(handle, &information) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileIdentity {information.dwVolumeSerialNumber,
                         (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// Opened to watch or to identify, sharing everything: the user can still rename or delete the folder. A folder
// is never made the current directory, which would hold it.
HANDLE openDirectory(const std::wstring &path, DWORD access, DWORD flags)
{
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

// A network drive or share also changes through other computers, unreported.
bool reportsEveryChange(const std::wstring &path)
{
    if (path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0)
        return false; // a share
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), volume, MAX_PATH + 1))
        return false;
    switch (::GetDriveTypeW(volume)) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        return true;
    default:
        return false;
    }
}

class DirectoryChangesSource final : public JournalSource
{
public:
    DirectoryChangesSource(HANDLE completed, HANDLE wake)
        : m_completed(completed)
        , m_wake(wake)
    {
    }
    ~DirectoryChangesSource() override
    {
        for (auto &[id, watch] : m_watches)
            stop(*watch);
        ::CloseHandle(m_completed);
        ::CloseHandle(m_wake);
    }
    DirectoryChangesSource(const DirectoryChangesSource &) = delete;
    DirectoryChangesSource &operator=(const DirectoryChangesSource &) = delete;

    bool watchesEachDirectory() const override { return false; }

    WatchResult watch(const std::string &path, bool top) override
    {
        WatchResult result;
        if (!top) {
            result.status = WatchStatus::Watched; // the top's watch covers it
            return result;
        }
        const std::wstring wide = platform::Win32Path(path);
        Handle opened(openDirectory(wide, FILE_LIST_DIRECTORY, FILE_FLAG_OVERLAPPED));
        if (!opened.valid()) {
            const DWORD error = ::GetLastError();
            result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY
                ? WatchStatus::Vanished
                : WatchStatus::Failed;
            return result;
        }
        const std::optional<FileIdentity> identity = identityOf(opened.get());
        if (!identity) {
            result.status = WatchStatus::Vanished;
            return result;
        }
        result.identity = *identity;
        // the same folder at the same path keeps its watch
        for (auto &[id, existing] : m_watches) {
            if (existing->path == wide && existing->identity == *identity) {
                result.status = WatchStatus::Watched;
                result.watch = id;
                return result;
            }
        }
        if (!reportsEveryChange(wide)) {
            result.status = WatchStatus::Unsupported;
            return result;
        }
        auto watch = std::make_unique<Watch>();
        watch->directory = opened.release();
        watch->path = wide;
        watch->identity = *identity;
        watch->buffer.resize(kBufferBytes / sizeof(DWORD));
        watch->overlapped.hEvent = m_completed;
        if (!issue(*watch)) {
            stop(*watch);
            result.status = WatchStatus::Failed;
            return result;
        }
        result.status = WatchStatus::Watched;
        result.watch = m_nextId++;
        m_watches.emplace(result.watch, std::move(watch));
        return result;
    }

    void unwatch(int id) override
    {
        const auto found = m_watches.find(id);
        if (found == m_watches.end())
            return;
        stop(*found->second);
        m_watches.erase(found);
    }

    std::optional<FileIdentity> identify(const std::string &path) override
    {
        // a folder being deleted cannot be opened any more
        const Handle directory(openDirectory(platform::Win32Path(path), FILE_READ_ATTRIBUTES, 0));
        if (!directory.valid())
            return std::nullopt;
        return identityOf(directory.get());
    }

    std::size_t watchLimit(std::size_t) override { return SIZE_MAX; }

    bool surroundingsChanged() override { return false; }

    void read(std::vector<JournalEvent> &events) override
    {
        // The event is shared by every watch and reset by each new call: scan until a whole round finds nothing,
        // so that a completion between two calls is not left waiting for the next one.
        ::ResetEvent(m_completed);
        for (bool any = true; any;) {
            any = false;
            for (auto it = m_watches.begin(); it != m_watches.end();) {
                Watch &watch = *it->second;
                if (!HasOverlappedIoCompleted(&watch.overlapped)) {
                    ++it;
                    continue;
                }
                any = true;
                if (take(it->first, watch, events)) {
                    ++it;
                } else {
                    // gone, deleted, or no longer readable: the handle is let go at once, so that a folder being
                    // deleted goes
                    events.push_back({JournalEvent::Kind::WatchEnded, it->first, {}});
                    stop(watch);
                    it = m_watches.erase(it);
                }
            }
        }
    }

    bool wait() override
    {
        const HANDLE handles[2] = {m_wake, m_completed};
        const DWORD got = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        return got == WAIT_OBJECT_0 + 1;
    }

    void interrupt() override { ::SetEvent(m_wake); }

private:
    struct Watch {
        HANDLE directory = INVALID_HANDLE_VALUE;
        std::wstring path; // ending with a separator
        FileIdentity identity;
        OVERLAPPED overlapped {};
        std::vector<DWORD> buffer; // DWORD-aligned, as the records need
        bool pending = false;
    };

    static bool issue(Watch &watch)
    {
        watch.overlapped.Internal = 0;
        watch.overlapped.InternalHigh = 0;
        watch.pending = ::ReadDirectoryChangesW(watch.directory, watch.buffer.data(), kBufferBytes, TRUE, kFilter,
                                                nullptr, &watch.overlapped, nullptr) != 0;
        return watch.pending;
    }

    // Cancels the call and waits for it, so that the system no longer writes into its buffer; lets the folder go.
    static void stop(Watch &watch)
    {
        if (watch.pending) {
            ::CancelIoEx(watch.directory, &watch.overlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(watch.directory, &watch.overlapped, &ignored, TRUE);
            watch.pending = false;
        }
        if (watch.directory != INVALID_HANDLE_VALUE)
            ::CloseHandle(watch.directory);
        watch.directory = INVALID_HANDLE_VALUE;
    }

    // Takes in a completed call and makes the next; false when the watch has ended.
    bool take(int id, Watch &watch, std::vector<JournalEvent> &events)
    {
        DWORD bytes = 0;
        const bool done = ::GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, FALSE) != 0;
        watch.pending = false;
        if (!done) {
            if (::GetLastError() != ERROR_NOTIFY_ENUM_DIR)
                return false;
            bytes = 0;
        }
        if (bytes == 0)
            events.push_back({JournalEvent::Kind::Lost, id, {}}); // more changed than the buffer held
        else
            translate(id, watch, bytes, events);
        return issue(watch);
    }

    void translate(int id, const Watch &watch, DWORD bytes, std::vector<JournalEvent> &events)
    {
        using Kind = JournalEvent::Kind;
        const auto *base = reinterpret_cast<const char *>(watch.buffer.data());
        for (DWORD offset = 0; offset < bytes;) {
            const auto *record = reinterpret_cast<const FILE_NOTIFY_INFORMATION *>(base + offset);
            std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (!longName(watch, name)) {
                events.push_back({Kind::Lost, id, {}}); // a short name of a folder that is gone: cannot be placed
            } else {
                const DWORD attributes = ::GetFileAttributesW((watch.path + name).c_str());
                const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
                const bool arrived =
                    record->Action == FILE_ACTION_ADDED || record->Action == FILE_ACTION_RENAMED_NEW_NAME;
                // a folder's own times change with its entries, which report for themselves
                if (!(folder && record->Action == FILE_ACTION_MODIFIED))
                    events.push_back(
                        {folder && arrived ? Kind::DirectoryArrived : Kind::Entry, id, platform::Wtf8FromWide(name)});
            }
            if (record->NextEntryOffset == 0)
                break;
            offset += record->NextEntryOffset;
        }
    }

    // A report may name a folder by its short (8.3) name, which the walk never sees: the long name instead. The
    // entry itself may be gone by now; only the folders above it must be placed. False when they cannot be.
    static bool longName(const Watch &watch, std::wstring &name)
    {
        if (name.find(L'~') == std::wstring::npos)
            return true;
        if (expand(watch.path, name))
            return true;
        const std::size_t cut = name.rfind(L'\\');
        if (cut == std::wstring::npos)
            return true;
        std::wstring folder = name.substr(0, cut);
        if (folder.find(L'~') == std::wstring::npos)
            return true;
        if (!expand(watch.path, folder))
            return false;
        name = folder + name.substr(cut);
        return true;
    }

    // The long form of a path relative to the top (which ends with a separator), while it exists.
    static bool expand(const std::wstring &top, std::wstring &relative)
    {
        const std::wstring full = top + relative;
        const DWORD length = ::GetLongPathNameW(full.c_str(), nullptr, 0);
        if (length == 0)
            return false;
        std::wstring expanded(length, L'\0');
        const DWORD written = ::GetLongPathNameW(full.c_str(), expanded.data(), length);
        if (written == 0 || written >= length || expanded.compare(0, top.size(), top) != 0)
            return false;
        relative = expanded.substr(top.size(), written - top.size());
        return true;
    }

    HANDLE m_completed; // set by the system when a call completes; shared by every watch
    HANDLE m_wake;
    std::unordered_map<int, std::unique_ptr<Watch>> m_watches;
    int m_nextId = 0;
};

} // namespace

std::unique_ptr<JournalSource> SystemJournalSource()
{
    const HANDLE completed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (completed == nullptr || wake == nullptr) {
        if (completed != nullptr)
            ::CloseHandle(completed);
        if (wake != nullptr)
            ::CloseHandle(wake);
        return nullptr;
    }
    return std::make_unique<DirectoryChangesSource>(completed, wake);
}

} // namespace tarnwick
