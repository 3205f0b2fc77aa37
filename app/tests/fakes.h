#pragma once

// Fakes of the toolkit interfaces: each records what app/ shows or asks and answers from what the test set.

#include "app/toolkit.h"

#include "core/date.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::testing {

// A local date and time for the fake clock.
inline Date At(int year, int month, int day, int hour, int minute, int second)
{
    return DateFromParts({year, month, day, hour, minute, second});
}

// The window: keeps what it was told to show. A control that was never set is absent from the maps.
class FakeView : public app::View
{
public:
    enum class Window { NotShown, Normal, Minimized, HiddenInTray };

    void setText(app::Control control, std::string_view text) override { texts[control] = std::string(text); }
    void setChecked(app::Control control, bool value) override { checked[control] = value; }
    void setEnabled(app::Control control, bool value) override { enabled[control] = value; }
    void setVisible(app::Control control, bool value) override { visible[control] = value; }
    void setTimeOfDay(int secondOfDay) override { timeOfDay = secondOfDay; }
    void setProgress(int maximum, int value) override
    {
        EXPECT_GE(maximum, 1);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, maximum);
        progress = {maximum, value};
    }
    void selectAllText(app::Control box) override { selectedAll.push_back(box); }
    void setFocus(app::Control control) override { focused.push_back(control); }
    void setColumns(app::Control listView, const std::vector<app::Column> &value) override
    {
        columns[listView] = value;
    }

    void appendFolderRows(const std::vector<std::string> &rows) override
    {
        folderRows.insert(folderRows.end(), rows.begin(), rows.end());
    }
    void removeFolderRow(std::size_t row) override
    {
        ASSERT_LT(row, folderRows.size());
        folderRows.erase(folderRows.begin() + static_cast<std::ptrdiff_t>(row));
    }
    void clearFolderRows() override { folderRows.clear(); }
    void appendHistory(app::HistoryBatch batch) override { history.push_back(std::move(batch)); }
    void clearHistory() override { history.clear(); }

    void setPointer(app::Pointer value) override
    {
        pointer = value;
        pointers.push_back(value);
    }
    void setButtonPointer(const std::string &cursorFile) override { buttonPointer = cursorFile; }
    void applySkinColours() override { ++skinApplied; }

    void centre() override { windowCalls.emplace_back("centre"); }
    void showNormal() override { show(Window::Normal, "showNormal"); }
    void showMinimized() override { show(Window::Minimized, "showMinimized"); }
    void hideWindow() override { show(Window::HiddenInTray, "hideWindow"); }
    void bringToFront() override { show(Window::Normal, "bringToFront"); }

    // The text of a control, or the empty text when it was never set.
    std::string text(app::Control control) const
    {
        const auto it = texts.find(control);
        return it == texts.end() ? std::string() : it->second;
    }
    // Every history row shown, in order.
    std::vector<Change> historyRows() const
    {
        std::vector<Change> rows;
        for (const app::HistoryBatch &batch : history)
            rows.insert(rows.end(), batch.changes.begin(), batch.changes.end());
        return rows;
    }

    std::map<app::Control, std::string> texts;
    std::map<app::Control, bool> checked;
    std::map<app::Control, bool> enabled;
    std::map<app::Control, bool> visible;
    std::optional<int> timeOfDay;
    std::optional<std::pair<int, int>> progress; // maximum, value
    std::vector<app::Control> selectedAll;
    std::vector<app::Control> focused;
    std::map<app::Control, std::vector<app::Column>> columns;
    std::vector<std::string> folderRows;
    std::vector<app::HistoryBatch> history;
    app::Pointer pointer = app::Pointer::Default;
    std::vector<app::Pointer> pointers;
    std::optional<std::string> buttonPointer;
    int skinApplied = 0;
    Window window = Window::NotShown;
    std::vector<std::string> windowCalls;

private:
    void show(Window state, const char *call)
    {
        window = state;
        windowCalls.emplace_back(call);
    }
};

// Records every dialog and answers from scripts: questions Yes and the folder browser cancelled when they run
// out. The hooks run while the dialog is "open", as events that arrive during a modal box would.
class ScriptedPrompts : public app::Prompts
{
public:
    void setApplicationTitle(std::string_view value) override { title = std::string(value); }
    void message(std::string_view text) override
    {
        messages.emplace_back(text);
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(std::string_view text) override
    {
        questions.emplace_back(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void errorReport(std::string_view text) override
    {
        errors.emplace_back(text);
        if (onError)
            onError(text);
    }
    std::string browseForFolder(std::string_view browseTitle) override
    {
        browseTitles.emplace_back(browseTitle);
        if (folders.empty())
            return {};
        std::string folder = std::move(folders.front());
        folders.pop_front();
        return folder;
    }

    std::string title;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    std::vector<std::string> browseTitles;
    std::deque<bool> answers;
    std::deque<std::string> folders;
    std::function<void(std::string_view)> onMessage;
    std::function<void(std::string_view)> onError;
};

class RecordingLauncher : public app::Launcher
{
public:
    void openTextFile(const std::string &path) override
    {
        if (fail)
            throw std::runtime_error("no text viewer");
        textFiles.push_back(path);
    }
    void openUrl(const std::string &url) override
    {
        if (fail)
            throw std::runtime_error("no web browser");
        urls.push_back(url);
    }

    std::vector<std::string> textFiles;
    std::vector<std::string> urls;
    bool fail = false;
};

class RecordingClipboard : public app::Clipboard
{
public:
    void setText(const std::string &utf8) override { texts.push_back(utf8); }
    std::vector<std::string> texts;
};

class FakeClock : public app::Clock
{
public:
    Date now() const override { return time; }
    Date time = At(2026, 12, 7, 4, 20, 36); // a Monday
};

class FixedRandomDraw : public app::RandomDraw
{
public:
    int percent() override
    {
        ++draws;
        return value;
    }
    int value = 50;
    int draws = 0;
};

// Records registrations; fails when told to.
class RecordingAutostart : public app::Autostart
{
public:
    bool registered() const override { return entry; }
    void add() override
    {
        if (failAdd)
            throw std::runtime_error("the autostart folder is read-only");
        calls.emplace_back("add");
        entry = true;
    }
    void remove() override
    {
        if (failRemove)
            throw std::runtime_error("the autostart entry is locked");
        calls.emplace_back("remove");
        entry = false;
    }

    bool entry = false; // an entry that starts this program is there
    std::vector<std::string> calls;
    bool failAdd = false;
    bool failRemove = false;
};

class FakeTrayIcon : public app::TrayIcon
{
public:
    struct Balloon {
        std::string title;
        std::string text;
        int timeoutMilliseconds = 0;
    };

    bool available() const override { return isAvailable; }
    void show(const std::string &value) override
    {
        EXPECT_FALSE(shown) << "shown twice";
        shown = true;
        ++shows;
        tip = value;
    }
    void hide() override
    {
        shown = false;
        ++hides;
    }
    void setTip(const std::string &value) override
    {
        EXPECT_TRUE(shown) << "a tip set on an icon that is not shown";
        tip = value;
    }
    void showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds) override
    {
        balloons.push_back({title, text, timeoutMilliseconds});
    }

    bool isAvailable = true;
    bool shown = false;
    int shows = 0;
    int hides = 0;
    std::string tip;
    std::vector<Balloon> balloons;
};

class RecordingTimer : public app::Timer
{
public:
    void start() override
    {
        running = true;
        ++starts;
    }
    void stop() override
    {
        running = false;
        ++stops;
    }
    bool running = false;
    int starts = 0;
    int stops = 0;
};

// Settings in memory. Writes can be made to fail, and the store can report that what it holds could not be read.
class MemorySettingsStore : public app::SettingsStore
{
public:
    std::optional<std::string> read(std::string_view key) const override
    {
        ++reads;
        const auto it = values.find(std::string(key));
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    void write(std::string_view key, std::string_view text) override
    {
        if (failWrites)
            throw std::runtime_error("the settings file is read-only");
        values[std::string(key)] = std::string(text);
        writes.emplace_back(key);
    }
    std::optional<std::string> readProblem() const override { return problem; }

    // The stored text of a key, or nothing.
    std::optional<std::string> stored(std::string_view key) const
    {
        const auto it = values.find(std::string(key));
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> writes; // the keys, in the order they were written
    bool failWrites = false;
    std::optional<std::string> problem;
    mutable int reads = 0;
};

// Queues every work with its completion; the test decides when the work runs and when its completion arrives,
// so that a pass can be seen "running". wait() runs the works that have not run yet, as a real worker's wait
// returns only when they have ended; their completions stay queued.
class QueuedWorker : public app::Worker
{
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        if (refuse)
            throw std::runtime_error("no thread could be started");
        m_jobs.push_back({std::move(work), std::move(done), false});
    }
    void wait() override
    {
        ++waits;
        for (Job &job : m_jobs)
            runWorkOf(job);
    }

    // Jobs whose completion has not run.
    std::size_t pending() const { return m_jobs.size(); }
    // Runs the work of the oldest job, not its completion.
    void runWork()
    {
        ASSERT_FALSE(m_jobs.empty()) << "no work queued";
        runWorkOf(m_jobs.front());
    }
    // Runs the oldest job to its end: its work if it has not run, then its completion.
    void complete()
    {
        ASSERT_FALSE(m_jobs.empty()) << "no work queued";
        runWorkOf(m_jobs.front());
        // a completion may queue the next work
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        job.done();
    }
    // Runs every job, those queued by completions included.
    void completeAll()
    {
        while (!m_jobs.empty())
            complete();
    }

    bool refuse = false;
    int waits = 0;

private:
    struct Job {
        std::function<void()> work;
        std::function<void()> done;
        bool worked = false;
    };
    static void runWorkOf(Job &job)
    {
        if (!job.worked) {
            job.worked = true;
            job.work();
        }
    }
    std::deque<Job> m_jobs;
};

} // namespace tarnwick::testing
