#include "folder_list.h"

#include "procedure.h"
#include "settings.h"
#include "toolkit.h"

#include "core/enumeration.h"

#include <exception>
#include <stdexcept>

namespace tarnwick::app {

namespace {

// Appends text to result, turning each non-overlapping pair of separators into one.
void appendCollapsed(std::string &result, std::string_view text, char separator)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        result.push_back(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
}

} // namespace

std::string NormalisePath(std::string_view path, char separator, bool networkPaths)
{
    std::string result;
    result.reserve(path.size());
    if (!networkPaths || path.empty() || path.front() != separator) {
        appendCollapsed(result, path, separator);
        return result;
    }
    std::size_t rest = 1;
    while (rest < path.size() && path[rest] == separator)
        ++rest;
    result.push_back(separator);
    result.push_back(separator);
    appendCollapsed(result, path.substr(rest), separator);
    return result;
}

std::string StoredFolderList(const std::vector<std::string> &rows)
{
    std::string text;
    for (const std::string &row : rows)
        text.append(row).append(kStoredFolderSeparator);
    return text;
}

std::vector<std::string> ParseStoredFolderList(std::string_view text)
{
    std::vector<std::string> rows;
    for (;;) {
        const std::size_t end = text.find(kStoredFolderSeparator);
        if (end == std::string_view::npos)
            break;
        if (end > 0)
            rows.emplace_back(text.substr(0, end));
        text.remove_prefix(end + kStoredFolderSeparator.size());
    }
    return rows;
}

std::string ListedPathFromEntry(std::string_view entry, char separator, bool networkPaths)
{
    const bool networkFolder = networkPaths && entry.size() >= 2 && entry[0] == separator && entry[1] == separator;
    return networkFolder ? std::string(entry) : NormalisePath(entry, separator, networkPaths);
}

std::string ListedPathFromPicker(std::string_view chosen, char separator, bool networkPaths)
{
    if (chosen.empty())
        return {};
    std::string entry(chosen);
    entry.push_back(separator);
    return ListedPathFromEntry(entry, separator, networkPaths);
}

FolderList::FolderList(View &view, Prompts &prompts, Settings &settings, Worker &worker,
                       std::function<std::string()> desktopFolder)
    : m_view(view)
    , m_prompts(prompts)
    , m_settings(settings)
    , m_worker(worker)
    , m_desktopFolder(std::move(desktopFolder))
{
}

void FolderList::restore(std::string_view stored)
{
    m_rows.clear();
    m_view.clearFolderRows();
    addRows(ParseStoredFolderList(stored));
}

void FolderList::StoreFolderList()
{
    m_settings.save(SettingKey::Folders, StoredFolderList(m_rows));
}

void FolderList::addRows(std::vector<std::string> rows)
{
    if (rows.empty())
        return;
    m_view.appendFolderRows(rows);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

void FolderList::removeRow(std::size_t row)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    m_view.removeFolderRow(row);
}

void FolderList::PushButton3_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton3_Click"));
    std::string row;
    procedure.step(100, [&] { row = ListedPathFromPicker(m_prompts.browseForFolder("Select Folder")); });
    if (row.empty())
        return; // cancelled: nothing changes
    procedure.step(102, [&] { addRows({row}); });
    procedure.step(104, [&] { StoreFolderList(); });
}

void FolderList::PushButton4_Click()
{
    if (m_busy)
        return;
    Procedure procedure(m_prompts, Form1Location("PushButton4_Click"));
    std::string start;
    procedure.step(100, [&] { start = ListedPathFromPicker(m_prompts.browseForFolder("Please select folder:")); });
    if (start.empty())
        return;
    m_busy = true;
    procedure.step(102, [&] { m_view.setPointer(Pointer::Hourglass); });
    m_cancel->store(false);

    struct Scan {
        std::vector<std::string> rows;
        std::vector<std::string> failures;
    };
    auto scan = std::make_shared<Scan>();
    const bool started = procedure.step(104, [&] {
        m_worker.run(
            [scan, start, cancel = m_cancel] {
                std::vector<std::string> folders {start};
                try {
                    for (const EnumerationFailure &failure : GetSubDirectories2016(folders, true, cancel.get()))
                        scan->failures.push_back(failure.description + " (" + failure.folder + ")");
                } catch (const std::exception &error) {
                    // nothing half-listed is added; the failure is reported like any other
                    scan->failures.push_back(std::string(error.what()) + " (" + start + ")");
                    return;
                }
                if (cancel->load())
                    return;
                scan->rows.reserve(folders.size());
                for (const std::string &folder : folders)
                    scan->rows.push_back(ListedPathFromEntry(folder));
            },
            [scan, self = std::weak_ptr<FolderList *>(m_self)] {
                if (const auto alive = self.lock())
                    (*alive)->finishSubfolders(scan->rows, scan->failures);
            });
    });
    if (!started) {
        m_busy = false;
        m_view.setPointer(Pointer::Default);
    }
}

void FolderList::finishSubfolders(const std::vector<std::string> &rows, const std::vector<std::string> &failures)
{
    if (m_cancel->load()) {
        m_busy = false;
        return;
    }
    Procedure enumeration(m_prompts, EnumerationLocation());
    for (const std::string &failure : failures)
        enumeration.report(100, failure);
    Procedure procedure(m_prompts, Form1Location("PushButton4_Click"));
    procedure.step(106, [&] { addRows(rows); });
    procedure.step(108, [&] { StoreFolderList(); });
    m_busy = false;
    procedure.step(110, [&] { m_view.setPointer(Pointer::Default); });
}

void FolderList::cancel()
{
    m_cancel->store(true);
}

void FolderList::ListView1_DblClick(std::optional<std::size_t> selected)
{
    // with rows but none selected there is nothing to remove
    if (!selected || *selected >= m_rows.size())
        return;
    removeRow(*selected);
    Procedure procedure(m_prompts, Form1Location("ListView1_DblClick"));
    procedure.step(100, [&] { StoreFolderList(); });
}

void FolderList::ListView1_KeyDown(int keyCode, std::optional<std::size_t> selected)
{
    if (keyCode != kDeleteKey || m_busy || !selected || *selected >= m_rows.size())
        return;
    removeRow(*selected);
}

void FolderList::PushButton7_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton7_Click"));
    procedure.step(100, [&] {
        if (m_busy)
            return;
        m_rows.clear();
        m_view.clearFolderRows();
    });
}

void FolderList::PushButton8_Click()
{
    Procedure procedure(m_prompts, Form1Location("PushButton8_Click"));
    procedure.step(100, [&] {
        std::string desktop = m_desktopFolder();
        if (desktop.empty())
            throw std::runtime_error("The desktop folder cannot be located.");
        addRows({WithTrailingSeparator(std::move(desktop))});
    });
    procedure.step(102, [&] { StoreFolderList(); });
}

} // namespace tarnwick::app
