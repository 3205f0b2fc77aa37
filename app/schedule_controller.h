#pragma once

#include "app/settings.h"
#include "schedule/schedule.h"

#include <QObject>
#include <QString>

#include <optional>

class QLineEdit;

namespace tarnwick {

class Clock;
class FolderListController;
class MainWindow;
class MonitorController;
class Prompts;

inline const QString kTurnOn = QStringLiteral("Turn On Automatic Monitoring");
inline const QString kTurnOff = QStringLiteral("Turn Off Automatic Monitoring");

// The schedule controls with their saving handlers, the one-second tick (Timer1) with the status line and bar,
// the automatic monitoring switch (PushButton5) and the manual run (PushButton6). One pass at a time: ticks
// wait while a pass runs or while a report of theirs is open, and the manual run is refused meanwhile.
class ScheduleController : public QObject
{
    Q_OBJECT
public:
    ScheduleController(MainWindow &window, Settings &settings, Prompts &prompts, const Clock &clock,
                       MonitorController &monitor, FolderListController &folders, QObject *parent = nullptr);

    // Start-up, one step each; a stored value that cannot be read throws and the control keeps its state.
    void restoreOption(schedule::Mode mode);
    void restoreWeeklyTime();
    void restoreWeekday();
    void restoreIntervalBox(int box);
    void restoreMonitoringState();

    void Timer1_Timer();
    void PushButton5_Click();
    void PushButton6_Click();

    bool MonitoringActive() const { return m_monitoringActive; }
    bool MonitoringStopped() const { return m_monitoringStopped; }
    schedule::Scheduler &scheduler() { return m_scheduler; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void optionClicked(schedule::Mode mode);
    void pickerChanged();
    void baseCountdown();
    void startTimer();
    void stopTimer();
    void applyBar(std::int32_t maximum, std::optional<std::int32_t> value);
    void runScheduledPass();
    void passFinished();
    void checkEntry(QLineEdit *box);
    // Saves from a control's handler; such handlers have no report of their own, so a failing save is
    // reported under the handler's name.
    void save(SettingKey key, const QString &text, const QString &handler);

    schedule::Now now() const;
    schedule::TickInputs inputs() const;
    int pickerSeconds() const;
    QLineEdit *box(int index) const;

    MainWindow &m_window;
    Settings &m_settings;
    Prompts &m_prompts;
    const Clock &m_clock;
    MonitorController &m_monitor;
    FolderListController &m_folders;
    schedule::Scheduler m_scheduler;
    bool m_monitoringActive = false;
    bool m_monitoringStopped = false;
    bool m_scheduledPass = false;
    bool m_manualPass = false;
    bool m_reportOpen = false;
    bool m_checkingEntry = false;
};

} // namespace tarnwick
