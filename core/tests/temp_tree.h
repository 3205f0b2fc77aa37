#pragma once

#include "core/date.h"
#include "core/paths.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tarnwick::testing {

// A fresh folder under the temporary folder, removed with the fixture. Paths are given relative to it with
// "/" and come back in the platform's form.
class TempTree
{
public:
    TempTree()
    {
        std::random_device device;
        const auto base = std::filesystem::path(TemporaryFolder());
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
        std::filesystem::path full = relative.empty() ? m_root : m_root / std::filesystem::path(relative);
        std::string result = full.make_preferred().string();
        if (!result.empty() && result.back() == kSeparator && !relative.empty())
            result.pop_back();
        return result;
    }

    void makeFolder(const std::string &relative) const { std::filesystem::create_directories(path(relative)); }

    void writeFile(const std::string &relative, const std::string &content = "x") const
    {
        const std::filesystem::path file(path(relative));
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
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
        (void)nanoseconds;
        std::filesystem::last_write_time(
            path(relative),
            std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(time))));
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
        std::filesystem::rename(path(from), path(to));
    }

    const std::filesystem::path &root() const
    {
        return m_root;
    }

private:
    std::filesystem::path m_root;
};

} // namespace tarnwick::testing
