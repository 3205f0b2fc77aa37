#include "enumeration.h"
#include "history_log.h"
#include "paths.h"
#include "platform.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarnwick {

namespace {

// Nothing when the text holds a lone surrogate, which has no UTF-8 form.
std::optional<std::string> narrow(std::wstring_view text)
{
    if (text.empty())
        return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), result.data(),
                          length, nullptr, nullptr);
    return result;
}

} // namespace

std::string platform::Wtf8FromWide(std::wstring_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned long code = static_cast<unsigned short>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned short>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            result += static_cast<char>(code);
        } else if (code < 0x800) {
            result += static_cast<char>(0xC0 | (code >> 6));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            result += static_cast<char>(0xE0 | (code >> 12));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (code >> 18));
            result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

std::wstring platform::WideFromWtf8(std::string_view text)
{
    std::wstring result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1
            : (lead & 0xE0) == 0xC0    ? 2
            : (lead & 0xF0) == 0xE0    ? 3
            : (lead & 0xF8) == 0xF0    ? 4
                                       : 0;
        unsigned long code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            result += L'\xFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (code >= 0x10000) {
            result += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            result += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            result += static_cast<wchar_t>(code);
        }
    }
    return result;
}

namespace {

// A path for the wide calls: WTF-8 (which every UTF-8 path is), so that a name the walk listed with a lone
// surrogate opens as it was listed; past the classic limit, the \\?\ form.
std::wstring win32Path(const std::string &path)
{
    std::wstring result = platform::WideFromWtf8(path);
    if (result.size() < MAX_PATH - 12 || result.rfind(L"\\\\?\\", 0) == 0)
        return result;
    if (result.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + result.substr(2);
    if (result.size() >= 3 && result[1] == L':' && result[2] == L'\\')
        return L"\\\\?\\" + result;
    return result;
}

// Whole seconds since 1 January 1970 of a file time (100-nanosecond units since 1 January 1601).
FileTime fromFileTime(const FILETIME &time)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<FileTime>(ticks / 10000000ULL) - 11644473600LL;
}

std::string describe(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr)
        text = narrow(std::wstring_view(buffer, length)).value_or(std::string());
    if (buffer != nullptr)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "Windows error " + std::to_string(code);
    return text;
}

void describeFailure(DirectoryContents &contents, DWORD code)
{
    switch (code) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        contents.status = ReadStatus::Vanished;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        contents.status = ReadStatus::Unreadable;
        break;
    default:
        contents.status = ReadStatus::Failed;
        contents.error = describe(code);
        break;
    }
}

// Folders that carry exactly hidden, system and directory (with or without the reparse bit), among the
// attribute bits a folder reports, are left out with everything below them.
bool hiddenSystemFolder(DWORD attributes)
{
    const DWORD reported = attributes &
        (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_COMPRESSED);
    return reported == 22 || reported == 1046;
}

// A drive's root ("C:\\") or a share's ("\\\\server\\share\\"), which is searched whatever its attributes.
bool isRoot(const std::string &folder)
{
    std::string path = folder;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        path = "\\\\" + path.substr(8);
    else if (path.rfind("\\\\?\\", 0) == 0)
        path = path.substr(4);
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\')
        return true;
    if (path.rfind("\\\\", 0) != 0)
        return false;
    const std::string_view rest = std::string_view(path).substr(2);
    return std::count(rest.begin(), rest.end(), '\\') == 2 && rest.back() == '\\';
}

class FindHandle
{
public:
    explicit FindHandle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~FindHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::FindClose(m_handle);
    }
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace

std::wstring platform::Win32Path(const std::string &path)
{
    return win32Path(path);
}

namespace {

bool attributesOf(const std::string &path, WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return ::GetFileAttributesExW(win32Path(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

} // namespace

namespace platform {

bool PathTooLong(const std::string &folder, std::string_view name)
{
    return folder.size() + name.size() + 1 >= 32767;
}

bool ExamineRegularFile(const std::string &path, FileTime &time, bool &hardLinked)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!attributesOf(path, data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    time = fromFileTime(data.ftLastWriteTime);
    hardLinked = false; // the directory search does not tell either; each name's entry keeps its own times
    return true;
}

bool LocalTime(FileTime time, DateParts &parts)
{
    // The zone's rules for that date, not the bias in force now, so a summer time read in winter stays right.
    const LONGLONG ticks = (static_cast<LONGLONG>(time) + 11644473600LL) * 10000000LL;
    if (ticks < 0)
        return false;
    FILETIME universal {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc {};
    SYSTEMTIME local {};
    if (!::FileTimeToSystemTime(&universal, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    parts.year = local.wYear;
    parts.month = local.wMonth;
    parts.day = local.wDay;
    parts.hour = local.wHour;
    parts.minute = local.wMinute;
    parts.second = local.wSecond;
    return true;
}

void ReleaseFreedMemory()
{
    // the Windows heap gives large blocks back to the system as they are freed
}

DirectoryContents ReadDirectory(const std::string &folder, const ReadOptions &options, bool followLink,
                                ReadHint * /*hint*/)
{
    // The search gives every file's time with its name: a hint would save nothing.
    // A folder reached through a reparse point is never listed as a subfolder, so the walk cannot follow one.
    DirectoryContents contents;
    // A listed folder that is exactly hidden and system is not searched below, as such a subfolder is not; its
    // own files are read. A root is searched whatever its attributes.
    bool below = true;
    if (followLink && !isRoot(folder)) {
        const DWORD own = ::GetFileAttributesW(win32Path(folder).c_str());
        below = own == INVALID_FILE_ATTRIBUTES || !hiddenSystemFolder(own);
    }
    const std::wstring pattern = win32Path(folder) + L"*";
    WIN32_FIND_DATAW data {};
    FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (search.get() == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) // an empty drive root has no entries at all
            describeFailure(contents, code);
        return contents;
    }
    do {
        const std::wstring_view wideName(data.cFileName);
        if (wideName == L"." || wideName == L"..")
            continue;
        const DWORD attributes = data.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!below || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || hiddenSystemFolder(attributes))
                continue;
            contents.subfolders.push_back(Wtf8FromWide(wideName));
            continue;
        }
        if (!options.files || (options.skipTilde && wideName.front() == L'~'))
            continue;
        contents.names.append(Wtf8FromWide(wideName));
        contents.nameEnds.push_back(static_cast<std::uint32_t>(contents.names.size()));
        contents.times.push_back(fromFileTime(data.ftLastWriteTime));
    } while (::FindNextFileW(search.get(), &data));
    const DWORD code = ::GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        // a listing that broke off is no listing: its files must not look removed
        contents = DirectoryContents {};
        describeFailure(contents, code == ERROR_PATH_NOT_FOUND ? ERROR_READ_FAULT : code);
    }
    return contents;
}

} // namespace platform

bool FolderExists(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    return attributesOf(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileAppears(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    return attributesOf(path, data);
}

std::string TemporaryFolder()
{
    if (const wchar_t *temp = ::_wgetenv(L"TEMP"); temp != nullptr && *temp != L'\0')
        return narrow(temp).value_or(std::string());
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    std::string folder = length > 0 ? narrow(std::wstring_view(buffer, length)).value_or(std::string()) : "C:\\";
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

namespace {

// Refuses a reparse point (a link planted at the path) and anything but a file: the handle was opened on the
// path itself, without following it.
std::optional<std::string> checkLogFile(HANDLE file, const std::string &path, const char *notDone, LARGE_INTEGER &size)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (!::GetFileInformationByHandle(file, &information))
        return "Cannot inspect the history log " + path + ": " + describe(::GetLastError());
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return "The history log " + path + " is a symbolic link; it was not " + notDone + ".";
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ::GetFileType(file) != FILE_TYPE_DISK)
        return "The history log " + path + " is not a regular file; it was not " + notDone + ".";
    size.HighPart = static_cast<LONG>(information.nFileSizeHigh);
    size.LowPart = information.nFileSizeLow;
    return std::nullopt;
}

bool writeAll(HANDLE file, std::string_view text)
{
    while (!text.empty()) {
        const DWORD chunk = text.size() > 1U << 30 ? 1U << 30 : static_cast<DWORD>(text.size());
        DWORD written = 0;
        if (!::WriteFile(file, text.data(), chunk, &written, nullptr))
            return false;
        text.remove_prefix(written);
    }
    return true;
}

} // namespace

std::optional<std::string> WriteTextFile(std::string_view text, const std::string &path)
{
    // Two handles appending at once can lose a line (seen under Wine): one writer at a time in this process.
    static std::mutex writer;
    const std::lock_guard lock(writer);

    const HANDLE file = ::CreateFileW(win32Path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "Cannot open the history log " + path + ": " + describe(::GetLastError());
    LARGE_INTEGER before {};
    std::optional<std::string> failure = checkLogFile(file, path, "written", before);
    if (!failure) {
        // A log cut short in the middle of a line gets its line end first.
        std::string_view lead;
        LARGE_INTEGER last {};
        last.QuadPart = before.QuadPart - 1;
        char byte = '\n';
        DWORD got = 0;
        if (before.QuadPart > 0 && ::SetFilePointerEx(file, last, nullptr, FILE_BEGIN) &&
            ::ReadFile(file, &byte, 1, &got, nullptr) && got == 1 && byte != '\n')
            lead = kLineEnd;
        if (!::SetFilePointerEx(file, before, nullptr, FILE_BEGIN) || !writeAll(file, lead) || !writeAll(file, text)) {
            const DWORD error = ::GetLastError();
            // Nothing half-written stays: the file goes back to the size it had.
            const bool restored = ::SetFilePointerEx(file, before, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
            failure = "Cannot write the history log " + path + ": " + describe(error) +
                (restored ? ". Nothing of this pass was kept in it." : ". The last line written may be incomplete.");
        }
    }
    if (!::CloseHandle(file) && !failure)
        failure = "Cannot close the history log " + path + ": " + describe(::GetLastError());
    return failure;
}

namespace platform {

LogReading ReadLogFile(const std::string &path, bool wantText)
{
    LogReading reading;
    const HANDLE file =
        ::CreateFileW(win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return reading;
        reading.state = LogReading::State::Refused;
        reading.error = "Cannot open the history log " + path + ": " + describe(error);
        return reading;
    }
    LARGE_INTEGER size {};
    if (auto refused = checkLogFile(file, path, "read", size)) {
        reading.state = LogReading::State::Refused;
        reading.error = *refused;
    } else {
        reading.state = LogReading::State::Present;
        if (wantText) {
            reading.text.reserve(static_cast<std::size_t>(size.QuadPart));
            char buffer[65536];
            for (;;) {
                DWORD got = 0;
                if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
                    reading.state = LogReading::State::Refused;
                    reading.error = "Cannot read the history log " + path + ": " + describe(::GetLastError());
                    reading.text.clear();
                    break;
                }
                if (got == 0)
                    break;
                reading.text.append(buffer, got);
            }
        }
    }
    ::CloseHandle(file);
    return reading;
}

} // namespace platform

void DeleteFileForced(const std::string &path) noexcept
{
    if (path.empty())
        return;
    try {
        const std::wstring name = win32Path(path);
        if (::DeleteFileW(name.c_str()))
            return;
        // A read-only file goes too: clear the attribute, then try once more.
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            return;
        ::SetFileAttributesW(name.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        ::DeleteFileW(name.c_str());
    } catch (...) {
        // best effort: the history view is cleared whatever happens here
    }
}

} // namespace tarnwick
