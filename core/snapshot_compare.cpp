// What changed between two snapshots, as each listed folder sees it.

#include "monitor_pass.h"
#include "paths.h"

#include <functional>

namespace tarnwick {

namespace {

// Later to the second in local time. Equal file times are equal local times, so the conversion is only paid
// for files whose time changed.
bool isLater(FileTime now, FileTime before)
{
    return now != before && FileTimeToDate(now) > FileTimeToDate(before);
}

// How a listed folder sees a directory of its tree.
enum class View : std::uint8_t {
    Compare, // recorded before as part of this tree: its differences are reported
    New, // new to this tree: every file is added
    Silent, // recorded for the first time: nothing is reported
};

// What was already reported of a directory, so that overlapping trees report each change once.
enum Shown : std::uint8_t {
    kDifferenceShown = 1, // the additions (or removals) that its comparison found
    kAllShown = 2, // every file, as added (or removed)
};

class Comparison
{
public:
    Comparison(const Snapshot &previous, const Snapshot &current, std::vector<Change> &changes)
        : m_previous(previous)
        , m_current(current)
        , m_changes(changes)
        , m_previousOf(current.directoryCount(), Snapshot::kNone)
        , m_currentOf(previous.directoryCount(), Snapshot::kNone)
        , m_differenceOf(current.directoryCount(), 0)
        , m_viewOf(current.directoryCount(), 0)
        , m_view(current.directoryCount(), View::Silent)
        , m_addedShown(current.directoryCount(), 0)
        , m_modifiedShown(current.directoryCount(), 0)
        , m_removedShown(previous.directoryCount(), 0)
    {
        // parents come before their children
        for (std::uint32_t d = 0; d < current.directoryCount(); ++d) {
            if (current.state(d) == DirectoryState::Gone)
                continue;
            const std::uint32_t parentMatch = current.isTop(d) ? Snapshot::kNone : m_previousOf[current.parent(d)];
            const std::uint32_t match = previous.findSame(current, d, parentMatch);
            m_previousOf[d] = match;
            if (match != Snapshot::kNone)
                m_currentOf[match] = d;
        }
    }

    void report(const std::string &folder)
    {
        const std::uint32_t root = m_current.find(folder);
        if (root == Snapshot::kNone)
            return;
        ++m_viewNumber;
        const std::uint32_t before = m_previousOf[root];
        const bool recorded = before != Snapshot::kNone && m_previous.state(before) == DirectoryState::Recorded;
        setView(root, recorded ? View::Compare : View::Silent);

        // the tree as walked now, breadth first
        m_order.assign(1, root);
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            const std::uint32_t d = m_order[i];
            for (std::uint32_t child = m_current.firstChild(d); child < m_current.childEnd(d); ++child) {
                if (m_current.state(child) == DirectoryState::Gone)
                    continue;
                setView(child, childView(d, child));
                m_order.push_back(child);
            }
        }
        for (const std::uint32_t d : m_order) {
            if (m_view[d] == View::New)
                reportAllAdded(d);
            else if (m_view[d] == View::Compare)
                reportAdded(d);
        }
        if (recorded)
            reportRemovals(before);
        for (const std::uint32_t d : m_order)
            if (m_view[d] == View::Compare)
                reportModified(d);
    }

private:
    struct Difference {
        std::uint32_t added;
        std::uint32_t removed;
        std::uint32_t modified;
        std::uint32_t end;
    };

    void setView(std::uint32_t d, View view)
    {
        m_viewOf[d] = m_viewNumber;
        m_view[d] = view;
    }

    bool inViewAs(std::uint32_t d, View view) const { return m_viewOf[d] == m_viewNumber && m_view[d] == view; }

    View childView(std::uint32_t parent, std::uint32_t child) const
    {
        // what was taken over is known to this tree only where the tree recorded it
        const bool carried = (m_current.flags(child) & Snapshot::kCarried) != 0;
        switch (m_view[parent]) {
        case View::Silent:
            return View::Silent;
        case View::New:
            return carried ? View::Silent : View::New;
        case View::Compare:
            break;
        }
        const std::uint32_t before = m_previousOf[child];
        if (before == Snapshot::kNone || m_previous.parent(before) != m_previousOf[parent])
            return carried ? View::Silent : View::New; // the recorded parent did not hold it
        if (m_previous.state(before) == DirectoryState::Recorded)
            return View::Compare;
        // known to exist, never read: new files only if it was new itself when first seen
        return (m_previous.flags(before) & Snapshot::kAppearedNew) != 0 ? View::New : View::Silent;
    }

    // The comparison of a directory with its previous record, made once however many trees hold it.
    const Difference &difference(std::uint32_t d)
    {
        if (m_differenceOf[d] != 0)
            return m_differences[m_differenceOf[d] - 1];
        Difference difference {};
        difference.added = static_cast<std::uint32_t>(m_entries.size());
        if ((m_current.flags(d) & (Snapshot::kCarried | Snapshot::kUnchanged)) != 0) {
            difference.removed = difference.modified = difference.end = difference.added;
        } else {
            compareFiles(m_previousOf[d], d, difference);
        }
        m_differences.push_back(difference);
        m_differenceOf[d] = static_cast<std::uint32_t>(m_differences.size());
        return m_differences.back();
    }

    // Files matched side by side while the names agree, the rest through an index of the previous names.
    void compareFiles(std::uint32_t before, std::uint32_t now, Difference &difference)
    {
        std::uint32_t j = m_previous.firstFile(before);
        const std::uint32_t previousEnd = m_previous.fileEnd(before);
        std::uint32_t i = m_current.firstFile(now);
        const std::uint32_t currentEnd = m_current.fileEnd(now);
        m_modified.clear();
        for (; i < currentEnd && j < previousEnd && m_current.fileName(i) == m_previous.fileName(j); ++i, ++j)
            if (isLater(m_current.fileTime(i), m_previous.fileTime(j)))
                m_modified.push_back(i);

        const std::uint32_t firstUnmatched = j;
        m_matched.assign(previousEnd - firstUnmatched, 0);
        if (i < currentEnd)
            indexNames(firstUnmatched, previousEnd);
        for (; i < currentEnd; ++i) {
            const std::uint32_t found = lookUp(m_current.fileName(i));
            if (found == Snapshot::kNone) {
                m_entries.push_back(i);
                continue;
            }
            m_matched[found - firstUnmatched] = 1;
            if (isLater(m_current.fileTime(i), m_previous.fileTime(found)))
                m_modified.push_back(i);
        }
        difference.removed = static_cast<std::uint32_t>(m_entries.size());
        for (j = firstUnmatched; j < previousEnd; ++j)
            if (!m_matched[j - firstUnmatched])
                m_entries.push_back(j);
        difference.modified = static_cast<std::uint32_t>(m_entries.size());
        m_entries.insert(m_entries.end(), m_modified.begin(), m_modified.end());
        difference.end = static_cast<std::uint32_t>(m_entries.size());
    }

    void indexNames(std::uint32_t first, std::uint32_t end)
    {
        std::size_t capacity = 16;
        while (capacity < std::size_t {end - first} * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
        for (std::uint32_t j = first; j < end; ++j) {
            std::size_t slot = std::hash<std::string_view> {}(m_previous.fileName(j)) & (capacity - 1);
            while (m_slots[slot] != 0)
                slot = (slot + 1) & (capacity - 1);
            m_slots[slot] = j + 1;
        }
    }

    std::uint32_t lookUp(std::string_view name) const
    {
        if (m_slots.empty())
            return Snapshot::kNone;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = std::hash<std::string_view> {}(name)&mask; m_slots[slot] != 0; slot = (slot + 1) & mask)
            if (m_previous.fileName(m_slots[slot] - 1) == name)
                return m_slots[slot] - 1;
        return Snapshot::kNone;
    }

    void reportAdded(std::uint32_t d)
    {
        if (m_addedShown[d] != 0)
            return;
        const Difference &found = difference(d);
        for (std::uint32_t k = found.added; k < found.removed; ++k)
            report(ChangeKind::Added, m_current, d, m_entries[k]);
        m_addedShown[d] |= kDifferenceShown;
    }

    void reportAllAdded(std::uint32_t d)
    {
        if (m_addedShown[d] & kAllShown)
            return;
        std::uint32_t k = 0;
        std::uint32_t shownEnd = 0;
        if (m_addedShown[d] & kDifferenceShown) {
            const Difference &found = difference(d);
            k = found.added;
            shownEnd = found.removed;
        }
        for (std::uint32_t i = m_current.firstFile(d); i < m_current.fileEnd(d); ++i) {
            if (k < shownEnd && m_entries[k] == i) {
                ++k;
                continue;
            }
            report(ChangeKind::Added, m_current, d, i);
        }
        m_addedShown[d] |= kAllShown;
    }

    // The tree as the previous pass walked it, breadth first.
    void reportRemovals(std::uint32_t root)
    {
        m_previousOrder.assign(1, root);
        for (std::size_t n = 0; n < m_previousOrder.size(); ++n) {
            const std::uint32_t before = m_previousOrder[n];
            if (m_previous.state(before) != DirectoryState::Recorded)
                continue;
            const std::uint32_t now = m_currentOf[before];
            if (now != Snapshot::kNone && inViewAs(now, View::Compare))
                reportRemoved(now, before);
            else
                reportAllRemoved(before, now);
            for (std::uint32_t child = m_previous.firstChild(before); child < m_previous.childEnd(before); ++child)
                if (m_previous.state(child) != DirectoryState::Gone)
                    m_previousOrder.push_back(child);
        }
    }

    void reportRemoved(std::uint32_t now, std::uint32_t before)
    {
        if (m_removedShown[before] != 0)
            return;
        const Difference &found = difference(now);
        for (std::uint32_t k = found.removed; k < found.modified; ++k)
            report(ChangeKind::Removed, m_previous, before, m_entries[k]);
        m_removedShown[before] |= kDifferenceShown;
    }

    void reportAllRemoved(std::uint32_t before, std::uint32_t now)
    {
        if (m_removedShown[before] & kAllShown)
            return;
        std::uint32_t k = 0;
        std::uint32_t shownEnd = 0;
        if (m_removedShown[before] & kDifferenceShown) {
            const Difference &found = difference(now);
            k = found.removed;
            shownEnd = found.modified;
        }
        for (std::uint32_t j = m_previous.firstFile(before); j < m_previous.fileEnd(before); ++j) {
            if (k < shownEnd && m_entries[k] == j) {
                ++k;
                continue;
            }
            report(ChangeKind::Removed, m_previous, before, j);
        }
        m_removedShown[before] |= kAllShown;
    }

    void reportModified(std::uint32_t d)
    {
        if (m_modifiedShown[d] != 0)
            return;
        const Difference &found = difference(d);
        for (std::uint32_t k = found.modified; k < found.end; ++k)
            report(ChangeKind::Modified, m_current, d, m_entries[k]);
        m_modifiedShown[d] = 1;
    }

    void report(ChangeKind kind, const Snapshot &snapshot, std::uint32_t directory, std::uint32_t file)
    {
        if (&snapshot != m_pathSnapshot || directory != m_pathDirectory) {
            m_path.clear();
            snapshot.appendPath(directory, m_path);
            m_pathSnapshot = &snapshot;
            m_pathDirectory = directory;
        }
        const std::size_t folderLength = m_path.size();
        m_path.append(snapshot.fileName(file));
        m_changes.push_back({kind, ShownPath(m_path)});
        m_path.resize(folderLength);
    }

    const Snapshot &m_previous;
    const Snapshot &m_current;
    std::vector<Change> &m_changes;
    std::vector<std::uint32_t> m_previousOf; // per current directory: the one with its path before, or kNone
    std::vector<std::uint32_t> m_currentOf; // per previous directory: the one with its path now, or kNone
    std::vector<std::uint32_t> m_differenceOf; // per current directory: position in m_differences + 1, or 0
    std::vector<Difference> m_differences;
    std::vector<std::uint32_t> m_entries; // file positions of every difference
    std::vector<std::uint32_t> m_viewOf; // per current directory: the number of the last tree that met it
    std::vector<View> m_view;
    std::uint32_t m_viewNumber = 0;
    std::vector<std::uint8_t> m_addedShown;
    std::vector<std::uint8_t> m_modifiedShown;
    std::vector<std::uint8_t> m_removedShown; // per previous directory
    std::vector<std::uint32_t> m_order;
    std::vector<std::uint32_t> m_previousOrder;
    std::vector<std::uint32_t> m_modified;
    std::vector<char> m_matched;
    std::vector<std::uint32_t> m_slots; // previous file position + 1 by name, open addressing; 0 is empty
    std::string m_path;
    const Snapshot *m_pathSnapshot = nullptr;
    std::uint32_t m_pathDirectory = Snapshot::kNone;
};

} // namespace

std::vector<Change> CompareSnapshots(const Snapshot &previous, const Snapshot &current,
                                     const std::vector<std::string> &folders)
{
    std::vector<Change> changes;
    Comparison comparison(previous, current, changes);
    for (const std::string &folder : folders)
        comparison.report(folder);
    return changes;
}

} // namespace tarnwick
