#pragma once

#include "schedule/schedule.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::schedule {

enum class PassKind { Scheduled, Manual }; // Scheduled passes are silent; a manual one shows its messages

enum class SwitchState { Off, On };

// What happened at one event, for the window to show, save and start; an absent member leaves that thing as it is.
struct Actions {
    std::optional<SwitchState> shownState; // the state PushButton5's caption shows (it offers the other)
    std::optional<SwitchState> saveState; // write the setting "StartStopState"
    std::optional<bool> timer; // Timer1: true starts it (a fresh 1000 ms period), false stops it
    std::optional<Status> status; // the status line (Frame4's caption)
    std::optional<std::int32_t> barMaximum; // ProgressBar2; may be zero or negative (the window clamps)
    std::optional<std::int32_t> barValue; // may lie outside 0..maximum (the window clamps)
    std::array<std::optional<std::string>, 3> repairs; // interval boxes set back to "0", "0", "5"
    bool intervalOverflow = false; // a failure of the tick for the error report
    std::optional<PassKind> startPass; // start one pass now

    bool operator==(const Actions &) const = default;
};

// Automatic monitoring (PushButton5), the manual run (PushButton6) and the one-second tick (Timer1) as one
// state machine: the state lives here, not in the button's caption or the timer, and every event returns what
// the window must show or start. One pass at a time: a manual run is refused while any pass runs, switching on
// is refused during a manual pass, and a scheduled pass that comes due while one runs waits for its end.
class MonitoringSwitch
{
public:
    using State = SwitchState;

    // Start-up with the stored "StartStopState": "On" switches on (caption, timer; the daily and weekly countdown
    // is based now; the status line keeps showing off until the first tick), "Off" switches off (caption, timer
    // stopped, status off, bar 0), any other text changes nothing. Nothing is saved.
    Actions restore(std::string_view stored, const TickInputs &inputs, const Now &now);
    // PushButton5. Off -> On: caption, save on, base the daily/weekly countdown, start the timer. Refused while a
    // manual pass runs. On -> Off: stop the timer, status off, bar 0, caption, save off; a running scheduled pass
    // finishes and nothing restarts.
    Actions click(const TickInputs &inputs, const Now &now);
    // PushButton6: a manual pass; refused (no actions) while on or while any pass runs.
    Actions manualRun();
    // Timer1, once a second while on. While an error report of an earlier tick is open, ticks wait (no actions).
    // While a pass runs, ticks keep the status line, countdown and bar current; only the start of a new pass
    // waits: a daily or weekly pass that comes due meanwhile starts when the running pass ends (once, however
    // many ticks found it due). In the interval mode the count does not advance while a pass runs, so the next
    // interval counts from the end of the pass.
    Actions tick(const TickInputs &inputs, const Now &now);
    // The running pass ended, or it could not be started (the window reports that failure): monitoring goes on.
    // Returns a waiting scheduled pass to start, if one came due and monitoring is still on.
    Actions passFinished();
    // The schedule controls: choosing the interval mode restarts its count; daily and weekly base the countdown.
    void optionChosen(Mode mode, int timeOfDay, const Now &now);
    // The time picker changed: in the daily mode the countdown is based again (not in the weekly mode, whose
    // length stays until the mode is chosen again or monitoring is switched on).
    void timeChanged(Mode mode, int timeOfDay, const Now &now);
    // An error report of a tick is open / closed (the window calls these around it).
    void reportOpened() { m_reportOpen = true; }
    void reportClosed() { m_reportOpen = false; }

    State state() const { return m_state; }
    std::optional<PassKind> runningPass() const { return m_running; }
    bool reportOpen() const { return m_reportOpen; }
    const Scheduler &scheduler() const { return m_scheduler; }
    // A scheduled pass came due while another ran and starts when that one ends.
    bool passWaiting() const { return m_waiting; }

private:
    void switchOn(const TickInputs &inputs, const Now &now, Actions &actions);
    void switchOff(Actions &actions);

    Scheduler m_scheduler;
    State m_state = State::Off;
    std::optional<PassKind> m_running;
    bool m_waiting = false;
    bool m_reportOpen = false;
};

} // namespace tarnwick::schedule
