#include "file_list.h"

#include "paths.h"

#include <stdexcept>

namespace tarnwick {

FileList::FileList(std::initializer_list<std::string_view> paths)
{
    for (const std::string_view path : paths) {
        const std::string_view name = FileNameOf(path);
        append(path.substr(0, path.size() - name.size()), name);
    }
}

FileList FileList::fromPaths(const std::vector<std::string> &paths)
{
    FileList list;
    for (const std::string &path : paths) {
        const std::string_view name = FileNameOf(path);
        list.append(std::string_view(path).substr(0, path.size() - name.size()), name);
    }
    return list;
}

std::string FileList::path(std::size_t i) const
{
    const std::string_view folderText = folder(i);
    const std::string_view nameText = name(i);
    std::string result;
    result.reserve(folderText.size() + nameText.size());
    result.append(folderText);
    result.append(nameText);
    return result;
}

std::vector<std::string> FileList::paths() const
{
    std::vector<std::string> result;
    result.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        result.push_back(path(i));
    return result;
}

std::uint32_t FileList::folderSlot(std::string_view folder)
{
    // Entries of one folder come together, so only the last folder is worth looking at.
    if (m_folders.empty() || m_folders.back() != folder) {
        m_folders.emplace_back(folder);
        m_folderBegin.push_back(static_cast<std::uint32_t>(m_nameEnds.size()));
    }
    return static_cast<std::uint32_t>(m_folders.size() - 1);
}

void FileList::append(std::string_view folder, std::string_view name)
{
    if (m_names.size() + name.size() > UINT32_MAX)
        throw std::length_error("file list too large");
    m_folderOf.push_back(folderSlot(folder));
    m_names.append(name);
    m_nameEnds.push_back(static_cast<std::uint32_t>(m_names.size()));
}

void FileList::appendFolder(std::string_view folder, std::string_view names, const std::vector<std::uint32_t> &nameEnds)
{
    if (nameEnds.empty())
        return;
    if (m_names.size() + names.size() > UINT32_MAX)
        throw std::length_error("file list too large");
    const std::uint32_t slot = folderSlot(folder);
    const auto base = static_cast<std::uint32_t>(m_names.size());
    m_names.append(names);
    m_folderOf.insert(m_folderOf.end(), nameEnds.size(), slot);
    // grows geometrically: an exact reserve per folder would copy the whole list for every folder
    const std::size_t first = m_nameEnds.size();
    m_nameEnds.insert(m_nameEnds.end(), nameEnds.begin(), nameEnds.end());
    for (std::size_t i = first; i < m_nameEnds.size(); ++i)
        m_nameEnds[i] += base;
}

void FileList::appendFrom(const FileList &other, std::size_t i)
{
    append(other.folder(i), other.name(i));
}

void FileList::reserve(std::size_t entries, std::size_t nameBytes)
{
    m_folderOf.reserve(entries);
    m_nameEnds.reserve(entries);
    m_names.reserve(nameBytes);
}

std::size_t FileList::memoryUsage() const
{
    std::size_t bytes = m_folderOf.capacity() * sizeof(std::uint32_t) + m_nameEnds.capacity() * sizeof(std::uint32_t) +
        m_names.capacity() + m_folders.capacity() * sizeof(std::string);
    for (const std::string &folder : m_folders)
        bytes += folder.capacity() > 15 ? folder.capacity() : 0;
    return bytes;
}

} // namespace tarnwick
