#include "schedule_controls.h"

#include "folder_list.h"
#include "monitor.h"
#include "procedure.h"
#include "settings.h"
#include "toolkit.h"
#include "window_design.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick::app {

namespace {

using schedule::Mode;
using schedule::SwitchState;

constexpr std::string_view kIntervalOverflow = "Overflow: the interval does not fit in a count of seconds.";

constexpr std::array<Control, 3> kBoxes = kIntervalBoxes;
constexpr std::array<SettingKey, 3> kBoxKeys = {SettingKey::Text1, SettingKey::Text2, SettingKey::Text3};

Control optionOf(Mode mode)
{
    return mode == Mode::Weekly ? Control::Option5 : mode == Mode::Daily ? Control::Option4 : Control::Option3;
}

SettingKey keyOf(Mode mode)
{
    return mode == Mode::Weekly ? SettingKey::Option5 : mode == Mode::Daily ? SettingKey::Option4 : SettingKey::Option3;
}

std::string changeHandler(int box)
{
    return std::string(ControlName(kBoxes[static_cast<std::size_t>(box)])) + "_Change";
}

// Forwards to the real prompts and tells the switch while an error report of the tick is open, so that ticks
// wait meanwhile.
class TickPrompts : public Prompts
{
public:
    TickPrompts(Prompts &prompts, schedule::MonitoringSwitch &monitoringSwitch)
        : m_prompts(prompts)
        , m_switch(monitoringSwitch)
    {
    }
    void setApplicationTitle(std::string_view title) override { m_prompts.setApplicationTitle(title); }
    void message(std::string_view text) override { m_prompts.message(text); }
    bool askYesNo(std::string_view text) override { return m_prompts.askYesNo(text); }
    void errorReport(std::string_view text) override
    {
        m_switch.reportOpened();
        try {
            m_prompts.errorReport(text);
        } catch (...) {
            m_switch.reportClosed();
            throw;
        }
        m_switch.reportClosed();
    }
    std::string browseForFolder(std::string_view title) override { return m_prompts.browseForFolder(title); }

private:
    Prompts &m_prompts;
    schedule::MonitoringSwitch &m_switch;
};

} // namespace

std::string FormatSeconds(std::int64_t seconds)
{
    const std::uint64_t magnitude =
        (seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds)) % 86400;
    const int h = static_cast<int>(magnitude / 3600);
    const int m = static_cast<int>(magnitude / 60 % 60);
    const int s = static_cast<int>(magnitude % 60);
    std::string text = "00:00:00";
    text[0] = static_cast<char>('0' + h / 10);
    text[1] = static_cast<char>('0' + h % 10);
    text[3] = static_cast<char>('0' + m / 10);
    text[4] = static_cast<char>('0' + m % 10);
    text[6] = static_cast<char>('0' + s / 10);
    text[7] = static_cast<char>('0' + s % 10);
    return text;
}

std::string StatusText(const schedule::Status &status, std::string_view dayText)
{
    if (!status.on)
        return std::string(kOffStatus);
    std::string text(kStatusPrefix);
    // once the day's time has passed, the bare prefix until midnight
    if (status.secondsLeft) {
        text += FormatSeconds(*status.secondsLeft);
        if (status.mode == Mode::Weekly)
            text.append(" [").append(dayText).append("]");
    }
    return text;
}

ScheduleControls::ScheduleControls(View &view, Prompts &prompts, Settings &settings, Timer &timer, const Clock &clock,
                                   Monitor &monitor, FolderList &folders)
    : m_view(view)
    , m_prompts(prompts)
    , m_settings(settings)
    , m_timer(timer)
    , m_clock(clock)
    , m_monitor(monitor)
    , m_folders(folders)
{
    // as designed: the interval mode, with the picker and the day list unavailable
    m_view.setChecked(Control::Option3, true);
    m_view.setEnabled(Control::dtpWeekly, false);
    m_view.setEnabled(Control::cboWeekly, false);
}

schedule::Now ScheduleControls::now() const
{
    return schedule::NowOf(m_clock.now());
}

schedule::TickInputs ScheduleControls::inputs() const
{
    schedule::TickInputs in;
    in.mode = m_mode.value_or(Mode::None);
    in.interval = m_interval;
    in.decimalSeparator = m_settings.decimalSeparator();
    in.timeOfDay = m_timeOfDay;
    in.weekday = DayOfList(m_weekday);
    return in;
}

void ScheduleControls::select(Mode mode)
{
    m_mode = mode;
    for (const Mode option : {Mode::Weekly, Mode::Daily, Mode::Interval})
        m_view.setChecked(optionOf(option), option == mode);
    optionClicked(mode);
}

void ScheduleControls::Option3_Click()
{
    select(Mode::Interval);
}

void ScheduleControls::Option4_Click()
{
    select(Mode::Daily);
}

void ScheduleControls::Option5_Click()
{
    select(Mode::Weekly);
}

void ScheduleControls::optionClicked(Mode mode)
{
    m_switch.optionChosen(mode, m_timeOfDay, now());
    m_view.setEnabled(Control::dtpWeekly, mode != Mode::Interval);
    m_view.setEnabled(Control::cboWeekly, mode == Mode::Weekly);
    Procedure procedure(m_prompts, Form1Location(std::string(ControlName(optionOf(mode))) + "_Click"));
    procedure.step(100, [&] { m_settings.saveTruth(SettingKey::Option5, m_mode == Mode::Weekly); });
    procedure.step(102, [&] { m_settings.saveTruth(SettingKey::Option4, m_mode == Mode::Daily); });
    procedure.step(104, [&] { m_settings.saveTruth(SettingKey::Option3, m_mode == Mode::Interval); });
}

void ScheduleControls::Text_Change(int box, std::string text)
{
    const auto index = static_cast<std::size_t>(box);
    m_interval[index] = std::move(text);
    Procedure procedure(m_prompts, Form1Location(changeHandler(box)));
    procedure.step(100, [&] { m_settings.save(kBoxKeys[index], m_interval[index]); });
}

void ScheduleControls::setIntervalText(int box, std::string text)
{
    m_view.setText(kBoxes[static_cast<std::size_t>(box)], text);
    Text_Change(box, std::move(text));
}

void ScheduleControls::Text_GotFocus(int box)
{
    m_view.selectAllText(kBoxes[static_cast<std::size_t>(box)]);
}

void ScheduleControls::Text_LostFocus(int box)
{
    const auto index = static_cast<std::size_t>(box);
    // the message box itself takes the focus away: that is no second leaving
    if (m_checkingEntry || schedule::IsNumeric(m_interval[index], m_settings.decimalSeparator()))
        return;
    m_checkingEntry = true;
    m_prompts.message("Must be a numeric entry.");
    m_view.setFocus(kBoxes[index]);
    m_checkingEntry = false;
}

void ScheduleControls::dtpWeekly_Change(int secondOfDay)
{
    m_timeOfDay = secondOfDay;
    Procedure procedure(m_prompts, Form1Location("dtpWeekly_Change"));
    procedure.step(100, [&] { m_settings.saveTimeOfDay(SettingKey::WeeklyTime, secondOfDay); });
    m_switch.timeChanged(m_mode.value_or(Mode::None), secondOfDay, now());
}

void ScheduleControls::cboWeekly_Change(std::string text)
{
    m_weekday = std::move(text);
    Procedure procedure(m_prompts, Form1Location("cboWeekly_Change"));
    procedure.step(100, [&] { m_settings.save(SettingKey::Weekly, m_weekday); });
}

void ScheduleControls::restoreOption(Mode mode)
{
    if (m_settings.truth(keyOf(mode))) {
        // selecting the one already selected still runs its handler, as a click would
        select(mode);
    } else if (m_mode == mode) {
        m_mode.reset();
        m_view.setChecked(optionOf(mode), false);
    }
}

void ScheduleControls::restoreWeeklyTime()
{
    const int secondOfDay = m_settings.timeOfDay(SettingKey::WeeklyTime);
    m_view.setTimeOfDay(secondOfDay);
    dtpWeekly_Change(secondOfDay);
}

void ScheduleControls::restoreWeekday()
{
    std::string text = m_settings.text(SettingKey::Weekly);
    if (!DayOfList(text))
        throw std::runtime_error("Invalid property value: \"" + text + "\" is not a day of the list.");
    m_view.setText(Control::cboWeekly, text);
    cboWeekly_Change(std::move(text));
}

void ScheduleControls::restoreIntervalBox(int box)
{
    setIntervalText(box, m_settings.text(kBoxKeys[static_cast<std::size_t>(box)]));
}

void ScheduleControls::restoreMonitoringState()
{
    apply(m_switch.restore(m_settings.text(SettingKey::StartStopState), inputs(), now()), m_prompts, "Form_Load");
}

void ScheduleControls::PushButton5_Click()
{
    apply(m_switch.click(inputs(), now()), m_prompts, "PushButton5_Click");
}

void ScheduleControls::PushButton6_Click()
{
    apply(m_switch.manualRun(), m_prompts, "PushButton6_Click");
}

void ScheduleControls::Timer1_Timer()
{
    // at most one report of the tick open at a time: ticks wait meanwhile
    if (m_switch.reportOpen())
        return;
    TickPrompts prompts(m_prompts, m_switch);
    apply(m_switch.tick(inputs(), now()), prompts, "Timer1_Timer");
}

void ScheduleControls::apply(const schedule::Actions &actions, Prompts &prompts, std::string_view procedureName)
{
    Procedure procedure(prompts, Form1Location(procedureName));
    for (int box = 0; box < 3; ++box) {
        if (const auto &repair = actions.repairs[static_cast<std::size_t>(box)])
            procedure.step(100, [&] { setIntervalText(box, *repair); });
    }
    if (actions.intervalOverflow)
        procedure.report(102, kIntervalOverflow);
    if (actions.timer)
        procedure.step(104, [&] {
            if (*actions.timer)
                m_timer.start();
            else
                m_timer.stop();
        });
    if (actions.status)
        procedure.step(106, [&] { m_view.setText(Control::Frame4, StatusText(*actions.status, m_weekday)); });
    if (actions.barMaximum || actions.barValue) {
        procedure.step(108, [&] {
            // The countdown's length can be zero or negative and its value outside it: the bar shows it clamped.
            if (actions.barMaximum)
                m_barMaximum = std::max<std::int32_t>(*actions.barMaximum, 1);
            if (actions.barValue)
                m_barValue = *actions.barValue;
            m_barValue = std::clamp(m_barValue, 0, m_barMaximum);
            m_view.setProgress(m_barMaximum, m_barValue);
        });
    }
    if (actions.shownState)
        procedure.step(110, [&] {
            m_view.setText(Control::PushButton5,
                           *actions.shownState == SwitchState::On ? kTurnOffCaption : kTurnOnCaption);
        });
    if (actions.saveState)
        procedure.step(
            112, [&] { m_settings.saveOnOff(SettingKey::StartStopState, *actions.saveState == SwitchState::On); });
    if (actions.startPass)
        startPass(*actions.startPass, prompts, procedureName);
}

void ScheduleControls::startPass(schedule::PassKind kind, Prompts &prompts, std::string_view procedureName)
{
    Procedure procedure(prompts, Form1Location(procedureName));
    bool started = false;
    procedure.step(114, [&] {
        started =
            m_monitor.StartMonitor(m_folders.rows(), kind == schedule::PassKind::Scheduled, [this] { passFinished(); });
    });
    // A pass that could not start is over: monitoring goes on.
    if (!started)
        passFinished();
}

void ScheduleControls::passFinished()
{
    apply(m_switch.passFinished(), m_prompts, "Timer1_Timer");
}

} // namespace tarnwick::app
