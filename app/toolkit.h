#pragma once

// The interfaces through which app/ reaches the toolkit: the window (View), the modal prompts, the launcher, the
// clipboard, the clock, the random draw, the autostart registration, the tray icon, the one-second timer, the
// worker thread and the settings store. Each front-end (Qt, Win32) implements them; tests give fakes. They live in
// one file because each is only a few lines and a front-end implements them together.

#include "core/date.h"
#include "core/monitor_pass.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

// The controls of the main window, by their design names.
enum class Control {
    Form1,
    Frame2,
    Frame3,
    Frame4,
    ProgressBar2,
    ListView1,
    ListView2,
    PushButton1,
    PushButton2,
    PushButton3,
    PushButton4,
    PushButton5,
    PushButton6,
    PushButton7,
    PushButton8,
    PushButton11,
    PushButton12,
    Check4,
    Check8,
    Option3,
    Option4,
    Option5,
    Text1,
    Text2,
    Text3,
    Label1,
    Label2,
    Label3,
    dtpWeekly,
    cboWeekly,
};

// The design name of a control ("PushButton5"), which the front-ends give their widgets as object names.
std::string_view ControlName(Control control);

struct Column {
    std::string header;
    int twips = 0;
};

// The rows one pass adds to the history view: they share one time text.
struct HistoryBatch {
    std::string time;
    std::vector<Change> changes;
};

enum class Pointer { Default, Hourglass };

// The main window as app/ sees it: it shows what it is told and forwards what the user does to the Application.
// Values set through it raise no events back.
class View
{
public:
    virtual ~View() = default;

    // The caption of the window, a frame, a button, an option button or a check box; the text of a text box or
    // of the day list.
    virtual void setText(Control control, std::string_view text) = 0;
    virtual void setChecked(Control control, bool checked) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    // dtpWeekly's time of day.
    virtual void setTimeOfDay(int secondOfDay) = 0;
    // ProgressBar2: 1 <= maximum, 0 <= value <= maximum.
    virtual void setProgress(int maximum, int value) = 0;
    // Selects the whole text of a text box, so that typing replaces it.
    virtual void selectAllText(Control box) = 0;
    virtual void setFocus(Control control) = 0;
    // The column headers of a list view, with their widths in twips.
    virtual void setColumns(Control listView, const std::vector<Column> &columns) = 0;

    virtual void appendFolderRows(const std::vector<std::string> &rows) = 0;
    virtual void removeFolderRow(std::size_t row) = 0;
    virtual void clearFolderRows() = 0;
    // Appends the rows of one pass at the end of the history view, in one insertion.
    virtual void appendHistory(HistoryBatch batch) = 0;
    virtual void clearHistory() = 0;

    virtual void setPointer(Pointer pointer) = 0;
    // The pointer shown over push buttons: the picture of a cursor file, or the platform's hand when the file is
    // empty or gives no picture.
    virtual void setButtonPointer(const std::string &cursorFile) = 0;
    // The skin's colour change: the window, frames, option buttons, check boxes and labels take the system's
    // button face.
    virtual void applySkinColours() = 0;

    // Moves the window to the middle of its screen.
    virtual void centre() = 0;
    virtual void showNormal() = 0;
    virtual void showMinimized() = 0;
    // Hides the window once the minimise being handled is done, unless Application::hiddenInTray() is false by
    // then.
    virtual void hideWindow() = 0;
    // Shows the window in its normal state, in front and with the focus.
    virtual void bringToFront() = 0;
};

// Every modal dialog the program shows.
class Prompts
{
public:
    virtual ~Prompts() = default;
    // The caption of the message boxes that have no caption of their own.
    virtual void setApplicationTitle(std::string_view title) = 0;
    // A message with an OK button and no icon.
    virtual void message(std::string_view text) = 0;
    // A question with Yes and No and no icon; true for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // The standard error report: title "Application Error", a warning icon, an OK button.
    virtual void errorReport(std::string_view text) = 0;
    // The platform's folder browser with the given title. The chosen folder's full path without a trailing
    // separator (except for a root), or the empty text when the user cancels or the choice has no file-system path.
    virtual std::string browseForFolder(std::string_view title) = 0;
};

// Starts the desktop's programs. Both calls throw std::runtime_error when nothing could be started.
class Launcher
{
public:
    virtual ~Launcher() = default;
    // Shows the text file in the platform's text viewer, without waiting for it.
    virtual void openTextFile(const std::string &path) = 0;
    virtual void openUrl(const std::string &url) = 0;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string &utf8) = 0;
};

// The local date and time. Called from the worker too.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

// A whole number from 1 to 100, drawn afresh at each call.
class RandomDraw
{
public:
    virtual ~RandomDraw() = default;
    virtual int percent() = 0;
};

// Registers this program to start with the user's desktop session. add() and remove() throw std::runtime_error with
// a description when they fail.
class Autostart
{
public:
    virtual ~Autostart() = default;
    // Whether an entry starts this very executable (false when it is missing or starts another one).
    virtual bool registered() const = 0;
    virtual void add() = 0;
    virtual void remove() = 0;
};

// The platform's notification-area icon. Mouse and balloon events come back through cSysTray::TrayNotify.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;
    // Whether the desktop has a notification area at all.
    virtual bool available() const = 0;
    virtual void show(const std::string &tip) = 0;
    virtual void hide() = 0;
    virtual void setTip(const std::string &tip) = 0;
    // timeout 0: the platform's own.
    virtual void showBalloon(const std::string &title, const std::string &text, int timeoutMilliseconds) = 0;
};

// Timer1: while started, Application::Timer1_Timer runs once a second.
class Timer
{
public:
    virtual ~Timer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

// Runs work off the window's thread, then its completion on the window's thread.
class Worker
{
public:
    virtual ~Worker() = default;
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
    // Waits until every work given so far has ended (their completions may still be pending; they are dropped
    // when the application has closed).
    virtual void wait() = 0;
};

// Text values under the program's application name and section.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    // The stored text, or nothing when the key was never written.
    virtual std::optional<std::string> read(std::string_view key) const = 0;
    // Written at once. Throws std::runtime_error when it cannot be written.
    virtual void write(std::string_view key, std::string_view text) = 0;
    // Why the stored settings could not be read, and where they are; nothing when they could. A store that
    // could not be read starts empty and never writes over what it could not read.
    virtual std::optional<std::string> readProblem() const = 0;
};

} // namespace tarnwick::app
