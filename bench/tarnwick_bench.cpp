// Times the monitoring pass on a real tree and compares it with find(1) on the same tree.
//
//   tarnwick-bench --files N [--runs K] [--with-subfolders]   builds a deterministic tree of N files in a
//                                                            temporary folder
//   tarnwick-bench --folder DIR [--runs K] [--with-subfolders]   measures an existing tree, read-only
//   tarnwick-bench --files N --tree-only DIR                  builds the same tree in DIR (new), keeps it, and
//                                                            measures nothing (for bench/monitoring_cpu.sh)
//
// --with-subfolders also times the no-change pass with DIR and every folder below it listed, as "Add All
// Subfolders In Folder" lists them, against the pass with DIR alone.
//
// Then the same tree with the change journal: the recording pass that sets the watches up against the one without,
// the no-change pass and (for a built tree) the pass after 1000 files spread over the tree were written where they
// are (their times set later), and after 1000 files were added the same way, each against the walk; the memory the
// journal adds to the program and the kernel memory its watches take.

#include "core/change_journal.h"
#include "core/enumeration.h"
#include "core/monitor_pass.h"
#include "core/paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Best of several runs: the least disturbed by whatever else the machine does.
double best(int runs, const std::function<void()> &body)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        fastest = std::min(fastest, seconds(Clock::now() - start));
    }
    return fastest;
}

long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

// Lets VmHWM measure from here on, with what earlier measures freed given back first.
void resetPeakMemory()
{
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Measure {
    double time;
    long peakKiB;
};

// The no-change pass over the listed folders, best of several runs, with its peak memory.
Measure noChangePass(const std::vector<std::string> &folders, tarnwick::SnapshotStore &store, int runs, bool &quiet)
{
    tarnwick::RunMonitorPass(folders, store); // the list's first pass, untimed
    resetPeakMemory();
    const double time = best(runs, [&] { quiet = tarnwick::RunMonitorPass(folders, store).changes.empty() && quiet; });
    return {time, statusKiB("VmHWM:")};
}

struct Tree {
    std::string root;
    std::vector<std::string> files; // for the 1% change
};

// Folders of 100 files, ten subfolders each, filled breadth first; names of mixed lengths from a fixed seed.
Tree buildTree(const std::string &root, long count)
{
    Tree tree {root, {}};
    std::mt19937 random(20210831);
    const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789_-";
    auto name = [&](const char *prefix) {
        std::string text = prefix;
        const int length = 4 + static_cast<int>(random() % 18);
        for (int i = 0; i < length; ++i)
            text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
        return text;
    };
    std::vector<std::string> level = {root};
    long made = 0;
    std::size_t next = 0;
    while (made < count) {
        if (next == level.size()) {
            std::vector<std::string> children;
            for (const std::string &folder : level)
                for (int i = 0; i < 10; ++i) {
                    children.push_back(folder + "/" + name("d"));
                    ::mkdir(children.back().c_str(), 0755);
                }
            level = std::move(children);
            next = 0;
        }
        const std::string &folder = level[next++];
        for (int i = 0; i < 100 && made < count; ++i, ++made) {
            std::string file = folder + "/" + name("f") + ".txt";
            const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                std::perror(file.c_str());
                std::exit(1);
            }
            ::close(fd);
            if (made % 100 == 7)
                tree.files.push_back(std::move(file));
        }
    }
    return tree;
}

long meminfoKiB(const char *field)
{
    std::ifstream info("/proc/meminfo");
    std::string line;
    while (std::getline(info, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return 0;
}

struct JournalFigures {
    bool available = false;
    double recording = 0; // the recording pass without the journal, measured alongside
    double setUp = 0; // the recording pass that adds the watches
    double noChange = 0;
    double changed = 0; // after 1000 files were written where they are, spread over the tree
    double added = 0; // after 1000 files were added, spread over the tree
    std::size_t reported = 0;
    std::size_t reportedAdded = 0;
    std::size_t touched = 0;
    std::size_t watches = 0;
    long recordedKiB = 0; // the program with the tree recorded and watched
    long peakKiB = 0; // during the passes after changes
    long kernelKiB = 0; // unreclaimable kernel memory the watches took (the machine's, so roughly)
    bool quiet = true;
};

// The same passes guided by the change journal. The recording pass that sets the watches up is timed against the
// one without, run by run, each on a fresh store (and a fresh journal).
JournalFigures measureJournal(const std::string &listed, const Tree &tree, int runs, bool built)
{
    JournalFigures figures;
    std::shared_ptr<tarnwick::ChangeJournal> journal;
    tarnwick::SnapshotStore store;
    figures.recording = figures.setUp = 1e300;
    for (int run = 0; run < runs; ++run) {
        {
            tarnwick::SnapshotStore plain;
            figures.recording =
                std::min(figures.recording, best(1, [&] { tarnwick::RunMonitorPass({listed}, plain); }));
        }
        store = tarnwick::SnapshotStore {};
        journal.reset();
        journal = tarnwick::ChangeJournal::ForThisSystem();
        if (!journal)
            return figures;
        const long kernelBefore = meminfoKiB("SUnreclaim:");
        figures.setUp = std::min(figures.setUp, best(1, [&] {
                                     tarnwick::RunMonitorPass({listed}, store, nullptr, {journal.get(), false});
                                 }));
        if (run == 0) // later runs give back the last journal's watches meanwhile
            figures.kernelKiB = meminfoKiB("SUnreclaim:") - kernelBefore;
    }
    figures.available = true;
    const tarnwick::PassOptions guided {journal.get(), false};
    figures.watches = journal->watchCount();
    ::malloc_trim(0);
    figures.recordedKiB = statusKiB("VmRSS:");
    figures.noChange = best(std::max(runs, 10), [&] {
        figures.quiet = tarnwick::RunMonitorPass({listed}, store, nullptr, guided).changes.empty() && figures.quiet;
    });
    if (built && !tree.files.empty()) {
        // 1000 files, one in every so many of the tree
        std::vector<std::string> spread;
        const std::size_t step = std::max<std::size_t>(1, tree.files.size() / 1000);
        for (std::size_t i = 0; i < tree.files.size() && spread.size() < 1000; i += step)
            spread.push_back(tree.files[i]);
        figures.touched = spread.size();
        resetPeakMemory();
        figures.changed = figures.added = 1e300;
        for (int run = 0; run < runs; ++run) {
            const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 7200 + run, 0}};
            for (const std::string &file : spread)
                ::utimensat(AT_FDCWD, file.c_str(), later, 0);
            figures.changed =
                std::min(figures.changed, best(1, [&] {
                             figures.reported =
                                 tarnwick::RunMonitorPass({listed}, store, nullptr, guided).changes.size();
                         }));
            for (const std::string &file : spread)
                ::close(::open((file + ".added").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            figures.added = std::min(figures.added, best(1, [&] {
                                         figures.reportedAdded =
                                             tarnwick::RunMonitorPass({listed}, store, nullptr, guided).changes.size();
                                     }));
            for (const std::string &file : spread)
                ::unlink((file + ".added").c_str());
            tarnwick::RunMonitorPass({listed}, store, nullptr, guided);
        }
        figures.peakKiB = statusKiB("VmHWM:");
    }
    return figures;
}

double timeFind(const std::string &folder, int runs)
{
    return best(runs, [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::execlp("find", "find", folder.c_str(), "-type", "f", "-printf", "%T@ %p\n", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    });
}

void row(const char *what, double time, long files, const char *against, double ratio)
{
    std::printf("| %-26s | %9.3f s | %12.0f files/s | %-22s %6.2f |\n", what, time, files / time, against, ratio);
}

} // namespace

int main(int argc, char **argv)
{
    long files = 0;
    std::string folder;
    int runs = 3;
    bool withSubfolders = false;
    std::string treeOnly;
    const char *usage =
        "usage: %s --files N | --folder DIR [--runs K] [--with-subfolders]\n       %s --files N --tree-only DIR\n";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--files" && i + 1 < argc)
            files = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--folder" && i + 1 < argc)
            folder = argv[++i];
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--with-subfolders")
            withSubfolders = true;
        else if (arg == "--tree-only" && i + 1 < argc)
            treeOnly = argv[++i];
        else {
            std::fprintf(stderr, usage, argv[0], argv[0]);
            return 2;
        }
    }
    if ((files <= 0) == folder.empty() || (!treeOnly.empty() && files <= 0)) {
        std::fprintf(stderr, usage, argv[0], argv[0]);
        return 2;
    }
    if (!treeOnly.empty()) {
        if (::mkdir(treeOnly.c_str(), 0755) != 0) {
            std::perror(treeOnly.c_str());
            return 1;
        }
        buildTree(treeOnly, files);
        ::sync();
        return 0;
    }

    const bool built = folder.empty();
    Tree tree;
    if (built) {
        const std::string root = tarnwick::TemporaryFolder() + "/tarnwick-bench-" + std::to_string(::getpid());
        ::mkdir(root.c_str(), 0755);
        std::printf("building %ld files in %s ...\n", files, root.c_str());
        std::fflush(stdout);
        tree = buildTree(root, files);
        folder = root;
        // written back now, so that the disk's work does not fall into the measures
        ::sync();
    }
    const std::string listed = tarnwick::WithTrailingSeparator(folder);

    // warm the caches once, untimed
    timeFind(folder, 1);
    const double find = timeFind(folder, runs);

    tarnwick::SnapshotStore store;
    tarnwick::PassResult result;
    const double recording = best(1, [&] { result = tarnwick::RunMonitorPass({listed}, store); });
    const long seen = static_cast<long>(result.filesSeen);

    bool quiet = true;
    const Measure one = noChangePass({listed}, store, runs, quiet);

    std::vector<std::string> all = {listed};
    Measure subfolders {0, 0};
    if (withSubfolders) {
        tarnwick::GetSubDirectories2016(all, true);
        subfolders = noChangePass(all, store, runs, quiet);
        tarnwick::RunMonitorPass({listed}, store); // back to one folder for what follows
    }

    const std::vector<std::string> folders = {listed};
    std::vector<tarnwick::PassFailure> failures;
    const double walk = best(runs, [&] { tarnwick::RecordSnapshot(folders, store.snapshot(), failures, nullptr); });
    std::size_t differences = 0;
    double comparison = 0;
    {
        const tarnwick::Snapshot first = *tarnwick::RecordSnapshot(folders, store.snapshot(), failures, nullptr);
        const tarnwick::Snapshot second = *tarnwick::RecordSnapshot(folders, first, failures, nullptr);
        comparison = best(runs, [&] { differences = tarnwick::CompareSnapshots(first, second, folders).size(); });
    }

    double changed = 0;
    std::size_t reported = 0;
    if (built) {
        const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 3600, 0}};
        for (const std::string &file : tree.files)
            ::utimensat(AT_FDCWD, file.c_str(), later, 0);
        changed = best(1, [&] { reported = tarnwick::RunMonitorPass({listed}, store).changes.size(); });
    }

    ::malloc_trim(0);
    const long recorded = statusKiB("VmRSS:");
    tarnwick::RunMonitorPass({}, store); // "Clear List" and the next pass
    const long cleared = statusKiB("VmRSS:");

    const JournalFigures journal = measureJournal(listed, tree, runs, built);

    std::printf("\n%ld files in %s (best of %d runs, warm cache, %u threads)\n\n", seen, folder.c_str(), runs,
                std::max(2U, std::thread::hardware_concurrency()));
    std::printf("| %-26s | %11s | %20s | %-29s |\n", "measure", "time", "rate", "ratio");
    std::printf(
        "|----------------------------|-------------|----------------------|-------------------------------|\n");
    row("find -printf '%T@ %p'", find, seen, "find / find", 1.0);
    row("recording pass", recording, seen, "recording / find", recording / find);
    row("no-change pass", one.time, seen, "no-change / find", one.time / find);
    if (withSubfolders)
        row("no-change, all subfolders", subfolders.time, seen, "vs one-folder pass", subfolders.time / one.time);
    row("walk (snapshot only)", walk, seen, "walk / find", walk / find);
    row("comparison alone", comparison, seen, "comparison / walk", comparison / walk);
    if (built)
        row("pass after 1% changed", changed, seen, "changed / find", changed / find);
    if (journal.available) {
        row("journal: watch set-up", journal.setUp, seen, "vs recording pass", journal.setUp / journal.recording);
        row("journal: no-change pass", journal.noChange, seen, "journal no-change / walk", journal.noChange / walk);
        if (built) {
            row("journal: 1000 written", journal.changed, seen, "journal written / walk", journal.changed / walk);
            row("journal: 1000 added", journal.added, seen, "journal added / walk", journal.added / walk);
        }
    }
    std::printf("\npeak memory during the no-change pass (both snapshots alive): %.1f MiB\n", one.peakKiB / 1024.0);
    if (withSubfolders)
        std::printf("peak memory with all %zu subfolders listed: %.1f MiB\n", all.size(), subfolders.peakKiB / 1024.0);
    std::printf("memory after the folder list was cleared: %.1f MiB (%.1f MiB with the tree recorded)\n",
                cleared / 1024.0, recorded / 1024.0);
    if (journal.available) {
        std::printf("change journal: %zu watches; the program %+.1f MiB with the tree recorded, %.1f MiB peak "
                    "during the passes after changes; the kernel %+.1f MiB of unreclaimable memory",
                    journal.watches, (journal.recordedKiB - recorded) / 1024.0, journal.peakKiB / 1024.0,
                    journal.kernelKiB / 1024.0);
        if (journal.watches > 0)
            std::printf(" (%.0f bytes a watch)", journal.kernelKiB * 1024.0 / static_cast<double>(journal.watches));
        std::printf("\n");
    } else {
        std::printf("change journal: none on this system\n");
    }
    if (!quiet || differences != 0 || !journal.quiet)
        std::printf("warning: the tree changed while it was measured\n");
    if (built) {
        std::printf("changes reported after 1%% changed: %zu of %zu touched\n", reported, tree.files.size());
        if (journal.available)
            std::printf("changes reported by the journal's passes: %zu of %zu written, %zu of %zu added\n",
                        journal.reported, journal.touched, journal.reportedAdded, journal.touched);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    if (withSubfolders)
        std::printf("all-subfolders pass / one-folder pass: %.2f time, %.2f peak memory\n", subfolders.time / one.time,
                    static_cast<double>(subfolders.peakKiB) / static_cast<double>(one.peakKiB));
    else
        std::printf("no-change pass / find: %.2f\n", one.time / find);
    if (journal.available) {
        std::printf("journal no-change pass / walk: %.5f\n", journal.noChange / walk);
        if (built) {
            std::printf("journal pass after 1000 changes / walk: %.3f\n", journal.changed / walk);
            std::printf("journal pass after 1000 additions / walk: %.3f\n", journal.added / walk);
        }
    }
    return 0;
}
