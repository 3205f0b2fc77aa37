#pragma once

#include "core/date.h"
#include "core/paths.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tarnwick::testing {

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
        std::error_code ignored;
        std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_root, ignored);
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    // The folder as the program lists it: ending with a separator.
    std::string folder(const std::string &relative = {}) const { return WithTrailingSeparator(path(relative)); }

    std::string path(const std::string &relative) const
    {
        std::filesystem::path full = relative.empty() ? m_root : m_root / PathOf(relative);
        std::string result = TextOf(full.make_preferred());
        if (!result.empty() && result.back() == kSeparator && !relative.empty())
            result.pop_back();
        return result;
    }

    void makeFolder(const std::string &relative) const { std::filesystem::create_directories(PathOf(path(relative))); }

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

private:
    std::filesystem::path m_root;
};

} // namespace tarnwick::testing
