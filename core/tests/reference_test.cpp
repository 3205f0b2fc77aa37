// The pass against a reference that walks each listed folder on its own, on random trees and folder lists.

#include "core/monitor_pass.h"
#include "core/paths.h"
#include "reference_pass.h"
#include "temp_tree.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarnwick {
namespace {

using testing::TempTree;

constexpr FileTime T = 1700000000;

// Random trees below "r", changed a little between passes. Paths are relative, with "/".
class RandomTree
{
public:
    RandomTree(const TempTree &tree, std::uint32_t seed, bool locks)
        : m_tree(tree)
        , m_random(seed)
        , m_locks(locks)
    {
        m_tree.makeFolder("r");
        for (int i = 0; i < 8; ++i)
            addFolder(pick(folders()));
        for (int i = 0; i < 12; ++i)
            addFile(pick(folders()));
    }

    // Folders to list: some that exist, some that do not (yet), nested, repeated, with and without a separator.
    std::vector<std::string> folderList()
    {
        std::vector<std::string> candidates = folders();
        candidates.push_back("r/later");
        candidates.push_back("r/a/later");
        std::vector<std::string> list;
        const int count = 1 + static_cast<int>(m_random() % 5);
        for (int i = 0; i < count; ++i) {
            const std::string relative = pick(candidates);
            m_listed.insert(relative);
            list.push_back(m_random() % 2 ? m_tree.folder(relative) : m_tree.path(relative));
        }
        return list;
    }

    // A few random changes.
    void change()
    {
        m_added.clear();
        const int count = 1 + static_cast<int>(m_random() % 4);
        for (int i = 0; i < count; ++i) {
            const std::vector<std::string> open = folders();
            std::vector<std::string> files = this->files();
            switch (m_random() % (m_locks ? 10 : 8)) {
            case 0:
            case 1:
                addFile(pick(open));
                break;
            case 2:
                if (!files.empty())
                    m_tree.remove(pick(files));
                break;
            case 3:
                if (!files.empty())
                    m_tree.setTime(pick(files), T + static_cast<FileTime>(m_random() % 5) - 2);
                break;
            case 4:
                if (!files.empty()) {
                    const std::string file = pick(files);
                    const std::string to = pick(open) + "/" + fileName();
                    std::error_code ignored;
                    std::filesystem::rename(testing::PathOf(m_tree.path(file)), testing::PathOf(m_tree.path(to)),
                                            ignored);
                }
                break;
            case 5:
                addFolder(pick(open));
                break;
            case 6:
                removeFolder(open);
                break;
            case 7:
                renameFolder(open);
                break;
            case 8:
                lock(open);
                break;
            case 9:
                unlock();
                break;
            }
        }
    }

private:
    template<typename T>
    const T &pick(const std::vector<T> &from)
    {
        return from[m_random() % from.size()];
    }

    std::string folderName()
    {
        static const char *const names[] = {"a", "b", "c", "later", "sub"};
        return names[m_random() % std::size(names)];
    }

    std::string fileName()
    {
#ifdef _WIN32
        static const char *const names[] = {"f1.txt", "f2.txt", "~lock", "g", "h h"};
#else
        static const char *const names[] = {"f1.txt", "f2.txt", "~lock", "g", "what?", "tab\there"};
#endif
        return names[m_random() % std::size(names)];
    }

    void addFile(const std::string &folder)
    {
        m_tree.writeFile(folder + "/" + fileName(), T + static_cast<FileTime>(m_random() % 3));
    }

    void addFolder(const std::string &parent)
    {
        const std::string folder = parent + "/" + folderName();
        m_tree.makeFolder(folder);
        m_added.push_back(folder);
        for (int i = static_cast<int>(m_random() % 3); i > 0; --i)
            addFile(folder);
    }

    // Whether a folder holds a listed folder or a locked one: then it stays, so that the tests keep to what one
    // walk per listed folder can tell (a listed folder that vanishes comes back only without locks).
    bool mustStay(const std::string &folder) const
    {
        const std::string prefix = folder + "/";
        for (const std::string &locked : m_locked)
            if (locked == folder || locked.starts_with(prefix))
                return true;
        if (!m_locks)
            return false;
        for (const std::string &listed : m_listed)
            if (listed == folder || listed.starts_with(prefix))
                return true;
        return false;
    }

    void removeFolder(const std::vector<std::string> &open)
    {
        const std::string folder = pick(open);
        if (folder != "r" && !mustStay(folder))
            m_tree.remove(folder);
    }

    void renameFolder(const std::vector<std::string> &open)
    {
        const std::string folder = pick(open);
        if (folder == "r" || mustStay(folder))
            return;
        const std::string to = folder.substr(0, folder.rfind('/') + 1) + folderName();
        std::error_code ignored;
        if (!std::filesystem::exists(testing::PathOf(m_tree.path(to))))
            std::filesystem::rename(testing::PathOf(m_tree.path(folder)), testing::PathOf(m_tree.path(to)), ignored);
    }

    // A folder with no listed folder at or below it, so that every listed folder sees it the same way.
    void lock(const std::vector<std::string> &open)
    {
#ifndef _WIN32
        // often one made at this step, which is new when it can first be read
        const std::string folder = !m_added.empty() && m_random() % 2 ? pick(m_added) : pick(open);
        const std::string prefix = folder + "/";
        if (folder == "r" || std::find(m_locked.begin(), m_locked.end(), folder) != m_locked.end() ||
            !std::filesystem::is_directory(testing::PathOf(m_tree.path(folder))))
            return;
        for (const std::string &listed : m_listed)
            if (listed == folder || listed.starts_with(prefix))
                return;
        static const mode_t modes[] = {0000, 0444, 0111};
        ::chmod(m_tree.path(folder).c_str(), modes[m_random() % 3]);
        m_locked.push_back(folder);
#else
        (void)open;
#endif
    }

    void unlock()
    {
#ifndef _WIN32
        if (m_locked.empty())
            return;
        const std::size_t which = m_random() % m_locked.size();
        ::chmod(m_tree.path(m_locked[which]).c_str(), 0755);
        m_locked.erase(m_locked.begin() + static_cast<std::ptrdiff_t>(which));
#endif
    }

    // The folders that can be changed: not locked nor below a locked one.
    std::vector<std::string> folders() const
    {
        std::vector<std::string> result;
        collect("r", result, nullptr);
        return result;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> folders;
        std::vector<std::string> result;
        collect("r", folders, &result);
        return result;
    }

    void collect(const std::string &folder, std::vector<std::string> &folders, std::vector<std::string> *files) const
    {
        if (std::find(m_locked.begin(), m_locked.end(), folder) != m_locked.end())
            return;
        folders.push_back(folder);
        std::error_code error;
        std::vector<std::string> children;
        for (std::filesystem::directory_iterator it(testing::PathOf(m_tree.path(folder)), error), end;
             !error && it != end; it.increment(error)) {
            const std::string name = testing::TextOf(it->path().filename());
            if (it->is_directory())
                children.push_back(folder + "/" + name);
            else if (files != nullptr)
                files->push_back(folder + "/" + name);
        }
        std::sort(children.begin(), children.end());
        for (const std::string &child : children)
            collect(child, folders, files);
    }

    const TempTree &m_tree;
    std::mt19937 m_random;
    const bool m_locks;
    std::set<std::string> m_listed;
    std::vector<std::string> m_locked;
    std::vector<std::string> m_added; // folders made at this step
};

std::string describe(const std::vector<Change> &changes)
{
    std::ostringstream text;
    for (const Change &change : changes)
        text << "  " << ActionText(change.kind) << " " << change.path << "\n";
    return text.str();
}

// Runs rounds of passes over random trees and lists; gives a description of the first difference, if any.
std::string compareWithReference(std::uint32_t firstSeed, int rounds, bool locks)
{
    for (int round = 0; round < rounds; ++round) {
        const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(round);
        TempTree tree;
        RandomTree random(tree, seed, locks);
        const std::vector<std::string> folders = random.folderList();
        SnapshotStore store;
        testing::ReferencePass reference;
        for (int step = 0; step < 6; ++step) {
            if (step > 0)
                random.change();
            const std::vector<Change> actual = RunMonitorPass(folders, store).changes;
            const std::vector<Change> expected = reference.run(folders);
            if (actual != expected) {
                std::string list;
                for (const std::string &folder : folders)
                    list += "  " + folder + "\n";
                return "seed " + std::to_string(seed) + ", pass " + std::to_string(step) + "\nfolders:\n" + list +
                    "expected:\n" + describe(expected) + "actual:\n" + describe(actual);
            }
        }
    }
    return {};
}

#ifdef _WIN32
constexpr int kRounds = 40; // the file calls are slow under the emulator the tests run in
#else
constexpr int kRounds = 150;
#endif

TEST(PassAgainstReference, AgreesOnRandomTreesAndLists)
{
    EXPECT_EQ(compareWithReference(1000, kRounds, false), "");
}

#ifndef _WIN32
TEST(PassAgainstReference, AgreesWhenFoldersCannotBeRead)
{
    TempTree work;
    EXPECT_EQ(testing::RunUnprivileged(work.path(""), [] { return compareWithReference(5000, kRounds, true); }), "");
}
#endif

} // namespace
} // namespace tarnwick
