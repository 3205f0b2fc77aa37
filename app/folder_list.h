#pragma once

#include "core/paths.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

class Prompts;
class Settings;
class View;
class Worker;

#ifdef _WIN32
inline constexpr bool kNetworkPaths = true;
#else
// POSIX has no network-path form: a leading pair of separators is collapsed like any other.
inline constexpr bool kNetworkPaths = false;
#endif

// Collapses doubled separators in one left-to-right pass: each non-overlapping pair becomes one, without looking
// at the result again, so three in a row become two and four become two. With networkPaths, a path that begins
// with a separator keeps exactly two leading separators and the rest is collapsed.
std::string NormalisePath(std::string_view path, char separator = kSeparator, bool networkPaths = kNetworkPaths);

// Ends every row of the stored folder list.
inline constexpr std::string_view kStoredFolderSeparator = "|234SSDEPERATATORZZ|";

// Every row followed by the separator; an empty list gives the empty text. Rows are not escaped.
std::string StoredFolderList(const std::vector<std::string> &rows);
// The pieces before each separator, in order; text after the last separator is dropped, so a text without any
// separator gives no rows. An empty piece gives no row: it would stand for the root of the file system.
std::vector<std::string> ParseStoredFolderList(std::string_view text);

// The row for a folder path that already ends with a separator (an entry of the subfolder enumeration):
// unchanged when it names a network folder, else normalised.
std::string ListedPathFromEntry(std::string_view entry, char separator = kSeparator, bool networkPaths = kNetworkPaths);
// The row for a folder the picker returned (no trailing separator, except for a root): one separator appended,
// then as ListedPathFromEntry. An empty choice gives the empty text: no row.
std::string ListedPathFromPicker(std::string_view chosen, char separator = kSeparator,
                                 bool networkPaths = kNetworkPaths);

inline constexpr int kDeleteKey = 46;

// The monitored folder list: its rows (the model ListView1 shows), their stored form in the setting "Folders",
// and the commands that change them.
class FolderList
{
public:
    // desktopFolder: the user's desktop folder; throws std::runtime_error when it cannot be located.
    FolderList(View &view, Prompts &prompts, Settings &settings, Worker &worker,
               std::function<std::string()> desktopFolder);

    const std::vector<std::string> &rows() const { return m_rows; }

    // Start-up: the rows of the stored list.
    void restore(std::string_view stored);
    void StoreFolderList();

    void PushButton3_Click(); // Add Folder
    void PushButton4_Click(); // Add All Subfolders In Folder: the enumeration runs on the worker
    void PushButton7_Click(); // Clear List
    void PushButton8_Click(); // Load Sample/Example Data
    void ListView1_DblClick(std::optional<std::size_t> selected);
    void ListView1_KeyDown(int keyCode, std::optional<std::size_t> selected);

    // True while "Add All Subfolders In Folder" enumerates (the hourglass is shown).
    bool busy() const { return m_busy; }
    // Closing: a running enumeration stops at its next directory and adds nothing.
    void cancel();

private:
    void addRows(std::vector<std::string> rows);
    void removeRow(std::size_t row);
    void finishSubfolders(const std::vector<std::string> &rows, const std::vector<std::string> &failures);

    View &m_view;
    Prompts &m_prompts;
    Settings &m_settings;
    Worker &m_worker;
    std::function<std::string()> m_desktopFolder;
    std::vector<std::string> m_rows;
    bool m_busy = false;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    // Completions of the worker that arrive after this object is gone find it expired.
    std::shared_ptr<FolderList *> m_self = std::make_shared<FolderList *>(this);
};

} // namespace tarnwick::app
