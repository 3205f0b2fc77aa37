#include "snapshot.h"

#include "paths.h"

#include <stdexcept>

namespace tarnwick {

namespace {

constexpr std::uint64_t kHashPrime = 0x100000001B3ULL;

// Spreads the bits of a path hash over the slots of the index.
std::uint64_t mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

template<typename Vector>
void shrinkIfLoose(Vector &vector)
{
    if (vector.capacity() - vector.size() > vector.size() / 8 + 1024)
        vector.shrink_to_fit();
}

} // namespace

std::uint64_t Snapshot::HashPath(std::string_view path, std::uint64_t seed)
{
    // FNV-1a, which goes on from a parent's hash to its children's
    std::uint64_t h = seed;
    for (const char c : path)
        h = (h ^ static_cast<unsigned char>(c)) * kHashPrime;
    return h;
}

std::string Snapshot::path(std::uint32_t d) const
{
    std::string result;
    appendPath(d, result);
    return result;
}

void Snapshot::appendPath(std::uint32_t d, std::string &out) const
{
    if (!isTop(d)) {
        appendPath(parent(d), out);
        out.append(name(d));
        out.push_back(kSeparator);
    } else {
        out.append(name(d));
    }
}

bool Snapshot::hasPath(std::uint32_t d, std::string_view path) const
{
    while (!isTop(d)) {
        const std::string_view own = name(d);
        if (path.size() < own.size() + 1 || path.back() != kSeparator ||
            path.substr(path.size() - 1 - own.size(), own.size()) != own)
            return false;
        path.remove_suffix(own.size() + 1);
        d = parent(d);
    }
    return path == name(d);
}

template<typename Match>
std::uint32_t Snapshot::probe(std::uint64_t hash, Match &&match) const
{
    if (m_index.empty())
        return kNone;
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = mix(hash) & mask; m_index[slot] != 0; slot = (slot + 1) & mask) {
        const std::uint32_t d = m_index[slot] - 1;
        if (m_directories[d].hash == hash && match(d))
            return d;
    }
    return kNone;
}

std::uint32_t Snapshot::find(std::string_view path) const
{
    return probe(HashPath(path), [&](std::uint32_t d) { return hasPath(d, path); });
}

std::uint32_t Snapshot::findSame(const Snapshot &other, std::uint32_t d, std::uint32_t parentMatch) const
{
    std::string otherPath;
    return probe(other.pathHash(d), [&](std::uint32_t candidate) {
        if (!isTop(candidate) && !other.isTop(d)) {
            // the same path has the same parent, and only one directory has the parent's path
            return parent(candidate) == parentMatch && parentMatch != kNone && name(candidate) == other.name(d);
        }
        if (otherPath.empty())
            other.appendPath(d, otherPath);
        return hasPath(candidate, otherPath);
    });
}

std::uint32_t Snapshot::addDirectory(std::uint32_t parent, std::string_view name, std::uint64_t hash)
{
    if (m_directories.size() >= kNone - 1 || m_directoryNames.size() + name.size() > UINT32_MAX)
        throw std::length_error("too many folders to keep in memory");
    m_directoryNames.append(name);
    m_directories.push_back(Directory {hash, parent, static_cast<std::uint32_t>(m_directoryNames.size()), 0, 0, 0,
                                       DirectoryState::Unknown, 0});
    return static_cast<std::uint32_t>(m_directories.size() - 1);
}

std::uint32_t Snapshot::addTop(std::string_view path)
{
    return addDirectory(kNone, path, HashPath(path));
}

void Snapshot::beginDirectory()
{
    if (m_open || m_filled >= m_directories.size())
        throw std::logic_error("no folder left to fill in a snapshot");
    m_open = true;
    m_directories[m_filled].firstChild = static_cast<std::uint32_t>(m_directories.size());
}

std::uint32_t Snapshot::addSubdirectory(std::string_view name)
{
    const std::uint64_t hash = HashPath(std::string_view(&kSeparator, 1), HashPath(name, m_directories[m_filled].hash));
    return addDirectory(m_filled, name, hash);
}

void Snapshot::checkFileRoom(std::size_t files, std::size_t nameBytes) const
{
    if (m_fileTimes.size() + files >= UINT32_MAX || m_fileNames.size() + nameBytes > UINT32_MAX)
        throw std::length_error("too many files to keep in memory");
}

void Snapshot::addFile(std::string_view name, FileTime time)
{
    checkFileRoom(1, name.size());
    m_fileNames.append(name);
    m_fileNameEnds.push_back(static_cast<std::uint32_t>(m_fileNames.size()));
    m_fileTimes.push_back(time);
}

void Snapshot::addFiles(std::string_view names, const std::vector<std::uint32_t> &nameEnds,
                        const std::vector<FileTime> &times)
{
    checkFileRoom(nameEnds.size(), names.size());
    const auto base = static_cast<std::uint32_t>(m_fileNames.size());
    m_fileNames.append(names);
    const std::size_t first = m_fileNameEnds.size();
    m_fileNameEnds.insert(m_fileNameEnds.end(), nameEnds.begin(), nameEnds.end());
    for (std::size_t i = first; i < m_fileNameEnds.size(); ++i)
        m_fileNameEnds[i] += base;
    m_fileTimes.insert(m_fileTimes.end(), times.begin(), times.end());
}

void Snapshot::copyFiles(const Snapshot &from, std::uint32_t first, std::uint32_t end)
{
    if (first == end)
        return;
    const std::uint32_t nameBegin = first == 0 ? 0 : from.m_fileNameEnds[first - 1];
    const std::uint32_t nameEnd = from.m_fileNameEnds[end - 1];
    checkFileRoom(end - first, nameEnd - nameBegin);
    const auto base = static_cast<std::uint32_t>(m_fileNames.size());
    m_fileNames.append(std::string_view(from.m_fileNames).substr(nameBegin, nameEnd - nameBegin));
    for (std::uint32_t i = first; i < end; ++i)
        m_fileNameEnds.push_back(from.m_fileNameEnds[i] - nameBegin + base);
    m_fileTimes.insert(m_fileTimes.end(), from.m_fileTimes.begin() + first, from.m_fileTimes.begin() + end);
}

void Snapshot::endDirectory(DirectoryState state, std::uint8_t flags)
{
    if (!m_open)
        beginDirectory();
    Directory &directory = m_directories[m_filled];
    directory.childCount = static_cast<std::uint32_t>(m_directories.size()) - directory.firstChild;
    directory.fileEnd = static_cast<std::uint32_t>(m_fileTimes.size());
    directory.state = state;
    directory.flags = flags;
    m_open = false;
    ++m_filled;
}

void Snapshot::reserveLike(const Snapshot &other)
{
    const auto roomFor = [](std::size_t size) { return size + size / 64 + 64; };
    m_directories.reserve(roomFor(other.m_directories.size()));
    m_directoryNames.reserve(roomFor(other.m_directoryNames.size()));
    m_fileNames.reserve(roomFor(other.m_fileNames.size()));
    m_fileNameEnds.reserve(roomFor(other.m_fileNameEnds.size()));
    m_fileTimes.reserve(roomFor(other.m_fileTimes.size()));
}

void Snapshot::finish()
{
    if (m_filled != m_directories.size() || m_open)
        throw std::logic_error("a snapshot was finished with folders left unfilled");
    shrinkIfLoose(m_directories);
    shrinkIfLoose(m_directoryNames);
    shrinkIfLoose(m_fileNames);
    shrinkIfLoose(m_fileNameEnds);
    shrinkIfLoose(m_fileTimes);

    std::size_t capacity = 16;
    while (capacity < m_directories.size() * 2)
        capacity *= 2;
    m_index.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::uint32_t d = 0; d < m_directories.size(); ++d) {
        if (m_directories[d].state == DirectoryState::Gone)
            continue;
        std::size_t slot = mix(m_directories[d].hash) & mask;
        while (m_index[slot] != 0)
            slot = (slot + 1) & mask;
        m_index[slot] = d + 1;
    }
}

} // namespace tarnwick
