#include "monitoring_switch.h"

#include <utility>

namespace tarnwick::schedule {

namespace {

bool timeOfDayMode(Mode mode)
{
    return mode == Mode::Daily || mode == Mode::Weekly;
}

} // namespace

void MonitoringSwitch::switchOn(const TickInputs &inputs, const Now &now, Actions &actions)
{
    m_state = State::On;
    actions.shownState = State::On;
    if (timeOfDayMode(inputs.mode))
        m_scheduler.baseCountdown(inputs.timeOfDay, now);
    m_scheduler.SwitchedOn(now);
    actions.timer = true;
}

void MonitoringSwitch::switchOff(Actions &actions)
{
    m_state = State::Off;
    // a pass that came due during the running one is dropped with the rest of the schedule
    m_waiting = false;
    actions.timer = false;
    actions.status = Status {};
    actions.barValue = 0;
    actions.shownState = State::Off;
}

Actions MonitoringSwitch::restore(std::string_view stored, const TickInputs &inputs, const Now &now)
{
    Actions actions;
    if (stored == "Off") {
        switchOff(actions);
    } else if (stored == "On") {
        if (m_state == State::On)
            actions.shownState = State::On;
        else if (m_running != PassKind::Manual)
            switchOn(inputs, now, actions);
    }
    return actions;
}

Actions MonitoringSwitch::click(const TickInputs &inputs, const Now &now)
{
    Actions actions;
    if (m_state == State::On) {
        switchOff(actions);
        actions.saveState = State::Off;
    } else if (m_running != PassKind::Manual) {
        // A scheduled pass may still run after a switch-off; it goes on, and the next one waits for its end.
        switchOn(inputs, now, actions);
        actions.saveState = State::On;
    }
    return actions;
}

Actions MonitoringSwitch::manualRun()
{
    Actions actions;
    if (m_state == State::Off && !m_running) {
        m_running = PassKind::Manual;
        actions.startPass = PassKind::Manual;
    }
    return actions;
}

Actions MonitoringSwitch::tick(const TickInputs &inputs, const Now &now)
{
    Actions actions;
    // a tick already queued when the timer stopped, or one that arrives while the report of an earlier one is open
    if (m_state == State::Off || m_reportOpen)
        return actions;
    TickResult result = m_scheduler.tick(inputs, now, m_running.has_value());
    actions.status = std::move(result.status);
    actions.barMaximum = result.barMaximum;
    actions.barValue = result.barValue;
    actions.repairs = std::move(result.repairs);
    actions.intervalOverflow = result.intervalOverflow;
    if (result.due) {
        if (m_running) {
            m_waiting = true;
        } else {
            m_running = PassKind::Scheduled;
            actions.startPass = PassKind::Scheduled;
        }
    }
    return actions;
}

Actions MonitoringSwitch::passFinished()
{
    Actions actions;
    if (!m_running)
        return actions;
    m_running.reset();
    if (m_waiting && m_state == State::On) {
        m_running = PassKind::Scheduled;
        actions.startPass = PassKind::Scheduled;
    }
    m_waiting = false;
    return actions;
}

void MonitoringSwitch::optionChosen(Mode mode, int timeOfDay, const Now &now)
{
    if (mode == Mode::Interval)
        m_scheduler.restartInterval();
    else if (timeOfDayMode(mode))
        m_scheduler.baseCountdown(timeOfDay, now);
}

void MonitoringSwitch::timeChanged(Mode mode, int timeOfDay, const Now &now)
{
    if (mode == Mode::Daily)
        m_scheduler.baseCountdown(timeOfDay, now);
}

} // namespace tarnwick::schedule
