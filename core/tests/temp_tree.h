#pragma once

#include "core/date.h"
#include "core/paths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace tarnwick::testing {

#ifndef _WIN32
// Removes a tree of any depth, locked folders included: every step is relative to an open directory, so no
// path grows past the platform's limit.
inline void RemoveTree(int parentFd, const char *name)
{
    int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && ::fchmodat(parentFd, name, 0700, 0) == 0)
        fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, 0700);
        if (DIR *dir = ::fdopendir(fd)) {
            std::vector<std::string> names;
            while (const dirent *entry = ::readdir(dir)) {
                const std::string entryName = entry->d_name;
                if (entryName != "." && entryName != "..")
                    names.push_back(entryName);
            }
            for (const std::string &entryName : names)
                if (::unlinkat(::dirfd(dir), entryName.c_str(), 0) != 0)
                    RemoveTree(::dirfd(dir), entryName.c_str());
            ::closedir(dir);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}
#endif

// Paths are UTF-8 text here, as the engine takes them; std::filesystem on Windows would read a narrow string in
// the ANSI code page instead.
inline std::filesystem::path PathOf(const std::string &utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string TextOf(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A fresh folder under the temporary folder, removed with the fixture. Paths are given relative to it with
// "/" and come back in the platform's form.
class TempTree
{
public:
    TempTree()
    {
        std::random_device device;
        const auto base = PathOf(TemporaryFolder());
        for (;;) {
            m_root = base / ("tree-" + std::to_string(device()));
            if (std::filesystem::create_directories(m_root))
                break;
        }
    }
    ~TempTree()
    {
#ifdef _WIN32
        std::error_code ignored;
        std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_root, ignored);
#else
        RemoveTree(AT_FDCWD, m_root.c_str());
#endif
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    // The folder as the program lists it: ending with a separator.
    std::string folder(const std::string &relative = {}) const
    {
        return WithTrailingSeparator(path(relative));
    }

    std::string path(const std::string &relative) const
    {
        std::filesystem::path full = relative.empty() ? m_root : m_root / PathOf(relative);
        std::string result = TextOf(full.make_preferred());
        if (!result.empty() && result.back() == kSeparator && !relative.empty())
            result.pop_back();
        return result;
    }

    void makeFolder(const std::string &relative) const
    {
        std::filesystem::create_directories(PathOf(path(relative)));
    }

    void writeFile(const std::string &relative, const std::string &content = "x") const
    {
        const std::filesystem::path file = PathOf(path(relative));
        std::filesystem::create_directories(file.parent_path());
#ifdef _WIN32
        // the wide name, so that any Unicode name is made as given
        if (FILE *out = ::_wfopen(file.c_str(), L"wb")) {
            std::fwrite(content.data(), 1, content.size(), out);
            std::fclose(out);
        }
#else
        std::ofstream(file, std::ios::binary) << content;
#endif
    }

    // Writes the file and sets its last-write time to the given second (plus nanoseconds).
    void writeFile(const std::string &relative, FileTime time, long nanoseconds = 0) const
    {
        writeFile(relative);
        setTime(relative, time, nanoseconds);
    }

    void setTime(const std::string &relative, FileTime time, long nanoseconds = 0) const
    {
#ifdef _WIN32
        // 100-nanosecond units since 1601, set through the wide name
        const long long ticks = (time + 11644473600LL) * 10000000LL + nanoseconds / 100;
        const FILETIME stamp {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
        const HANDLE file =
            ::CreateFileW(PathOf(path(relative)).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::SetFileTime(file, nullptr, nullptr, &stamp);
            ::CloseHandle(file);
        }
#else
        const timespec times[2] = {{time, nanoseconds}, {time, nanoseconds}};
        ::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW);
#endif
    }

    void remove(const std::string &relative) const
    {
        std::filesystem::remove_all(path(relative));
    }

    void rename(const std::string &from, const std::string &to) const
    {
        std::filesystem::rename(PathOf(path(from)), PathOf(path(to)));
    }

    const std::filesystem::path &root() const
    {
        return m_root;
    }

#ifndef _WIN32
    // The same as makeFolder and writeFile for paths of any length: each step is made relative to the folder
    // the step before opened.
    void makeDeepFolder(const std::string &relative) const
    {
        ::close(openDeep(relative, true));
    }

    void writeDeepFile(const std::string &relative, FileTime time) const
    {
        const std::size_t cut = relative.rfind('/');
        const int folder = openDeep(cut == std::string::npos ? std::string() : relative.substr(0, cut), true);
        const int file = ::openat(folder, relative.substr(cut + 1).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const timespec times[2] = {{time, 0}, {time, 0}};
        ::futimens(file, times);
        ::close(file);
        ::close(folder);
    }

private:
    int openDeep(const std::string &relative, bool create) const
    {
        int fd = ::open(m_root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        std::size_t begin = 0;
        while (begin < relative.size()) {
            const std::size_t end = std::min(relative.find('/', begin), relative.size());
            const std::string step = relative.substr(begin, end - begin);
            if (create)
                ::mkdirat(fd, step.c_str(), 0755);
            const int next = ::openat(fd, step.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
            begin = end + 1;
        }
        return fd;
    }

public:
#endif

private:
    std::filesystem::path m_root;
};

} // namespace tarnwick::testing
