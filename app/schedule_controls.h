#pragma once

#include "schedule/monitoring_switch.h"
#include "schedule/schedule.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::app {

// "hh:mm:ss" of a count of seconds' magnitude within one day: 90061 shows 01:01:01, -5 shows 00:00:05.
std::string FormatSeconds(std::int64_t seconds);
// The status line's words for what the schedule reports; dayText is the weekly schedule's day.
std::string StatusText(const schedule::Status &status, std::string_view dayText);

class Clock;
class FolderList;
class Monitor;
class Prompts;
class Settings;
class Timer;
class View;

// The schedule controls with their saving handlers, the one-second tick (Timer1) with the status line and bar,
// the automatic monitoring switch (PushButton5) and the manual run (PushButton6). What the schedule controls
// hold lives here; when and what to run is the monitoring switch's decision.
class ScheduleControls
{
public:
    ScheduleControls(View &view, Prompts &prompts, Settings &settings, Timer &timer, const Clock &clock,
                     Monitor &monitor, FolderList &folders);

    // Start-up, one step each; a stored value that cannot be read throws and the control keeps its state.
    void restoreOption(schedule::Mode mode);
    void restoreWeeklyTime();
    void restoreWeekday();
    void restoreIntervalBox(int box);
    void restoreMonitoringState();

    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    // Every edit of an interval box (0 hours, 1 minutes, 2 seconds), typed or set.
    void Text_Change(int box, std::string text);
    void Text_GotFocus(int box);
    // The focus moved from the box to another control of the window (not merely away from the window).
    void Text_LostFocus(int box);
    void dtpWeekly_Change(int secondOfDay);
    void cboWeekly_Change(std::string text);

    void Timer1_Timer();
    void PushButton5_Click();
    void PushButton6_Click();

    // What the schedule controls hold now, as a tick reads them.
    schedule::TickInputs inputs() const;
    const schedule::MonitoringSwitch &monitoringSwitch() const { return m_switch; }
    std::optional<schedule::Mode> selectedMode() const { return m_mode; }
    const std::array<std::string, 3> &intervalTexts() const { return m_interval; }
    int timeOfDay() const { return m_timeOfDay; }
    const std::string &weekday() const { return m_weekday; }

private:
    void select(schedule::Mode mode);
    void optionClicked(schedule::Mode mode);
    void setIntervalText(int box, std::string text);
    void apply(const schedule::Actions &actions, Prompts &prompts, std::string_view procedure);
    void startPass(schedule::PassKind kind, Prompts &prompts, std::string_view procedure);
    void passFinished();
    schedule::Now now() const;

    View &m_view;
    Prompts &m_prompts;
    Settings &m_settings;
    Timer &m_timer;
    const Clock &m_clock;
    Monitor &m_monitor;
    FolderList &m_folders;
    schedule::MonitoringSwitch m_switch;

    std::optional<schedule::Mode> m_mode = schedule::Mode::Interval;
    std::array<std::string, 3> m_interval;
    int m_timeOfDay = 0;
    std::string m_weekday = "Sunday";
    int m_barMaximum = 100;
    int m_barValue = 0;
    bool m_checkingEntry = false;
};

} // namespace tarnwick::app
