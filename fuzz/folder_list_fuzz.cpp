// The stored folder list ("Folders" in the settings file, which the user may edit) and the path normalising that
// every added row goes through.

#include "fuzz_input.h"

#include "app/folder_list.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

std::string Joined(const std::vector<std::string> &rows)
{
    std::string text;
    for (const std::string &row : rows)
        text += Escaped(row) + "\n";
    return text;
}

// True when the row survives being stored: not empty, and no separator in the row followed by the separator,
// not even one that starts inside the row ("x|234SSDEPERATATORZZ" and the closing "|" of the separator after
// it). Rows are not escaped, so such a row cannot round-trip; every row the program makes ends with a path
// separator and so never ends that way.
bool Storable(std::string_view row)
{
    const std::string stored = std::string(row) + std::string(app::kStoredFolderSeparator);
    return !row.empty() && stored.find(app::kStoredFolderSeparator) == row.size();
}

void CheckParse(std::string_view text)
{
    const std::vector<std::string> rows = app::ParseStoredFolderList(text);
    std::size_t from = 0;
    for (const std::string &row : rows) {
        Require(!row.empty(), "a parsed row is never empty", Escaped(text));
        Require(row.find(app::kStoredFolderSeparator) == std::string::npos, "a parsed row holds no separator",
                Escaped(row));
        // the rows are pieces of the text, in order, each ended by the separator
        const std::size_t at = text.find(std::string(row) + std::string(app::kStoredFolderSeparator), from);
        Require(at != std::string_view::npos, "a parsed row is a piece of the text, in order", Escaped(row));
        from = at + row.size() + app::kStoredFolderSeparator.size();
    }
    // storing what was read and reading it again changes nothing
    Require(app::ParseStoredFolderList(app::StoredFolderList(rows)) == rows, "stored rows read back unchanged",
            Joined(rows));
}

void CheckRoundTrip(const Lines &lines)
{
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (Storable(lines[i]))
            rows.emplace_back(lines[i]);
    Require(app::ParseStoredFolderList(app::StoredFolderList(rows)) == rows, "storable rows read back unchanged",
            Joined(rows));
}

std::string WithoutSeparators(std::string_view text, char separator)
{
    std::string rest(text);
    std::erase(rest, separator);
    return rest;
}

// Each run of k separators is written as (k + 1) / 2 of them.
bool RunsHalved(std::string_view path, std::string_view result, char separator)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < path.size() && j < result.size()) {
        if (path[i] != separator) {
            if (result[j] != path[i])
                return false;
            ++i;
            ++j;
            continue;
        }
        std::size_t run = 0;
        while (i < path.size() && path[i] == separator) {
            ++i;
            ++run;
        }
        std::size_t written = 0;
        while (j < result.size() && result[j] == separator) {
            ++j;
            ++written;
        }
        if (written != (run + 1) / 2)
            return false;
    }
    return i == path.size() && j == result.size();
}

void CheckNormalise(std::string_view path)
{
    for (const char separator : {'/', '\\'}) {
        const std::string local = app::NormalisePath(path, separator, false);
        const std::string detail = Escaped(path) + " -> " + Escaped(local);
        Require(local.size() <= path.size(), "a normalised path never grows", detail);
        Require(RunsHalved(path, local, separator), "each run of k separators becomes (k + 1) / 2", detail);

        // A network path keeps exactly two leading separators: a path that begins with a single one is the only
        // one that grows, by that one separator.
        const std::string network = app::NormalisePath(path, separator, true);
        const std::string networkDetail = Escaped(path) + " -> " + Escaped(network);
        Require(WithoutSeparators(network, separator) == WithoutSeparators(path, separator),
                "normalising only drops separators", networkDetail);
        if (path.empty() || path.front() != separator) {
            Require(network == local, "only a leading separator marks a network path", networkDetail);
            continue;
        }
        const std::size_t lead = std::min(path.find_first_not_of(separator), path.size());
        Require(network.starts_with(std::string(2, separator)) && (network.size() == 2 || network[2] != separator),
                "a network path begins with exactly two separators", networkDetail);
        Require(network.substr(2) == app::NormalisePath(path.substr(lead), separator, false),
                "after the leading run a network path is collapsed", networkDetail);
        Require(network.size() <= path.size() || (lead == 1 && network.size() == path.size() + 1),
                "a network path grows only from one leading separator to two", networkDetail);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text = AsText(data, size);
    CheckParse(text);
    const Lines lines(text);
    CheckRoundTrip(lines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        CheckNormalise(lines[i]);
    return 0;
}
