#include "schedule_controller.h"

#include "clock.h"
#include "date_text.h"
#include "error_report.h"
#include "folder_list_controller.h"
#include "main_window.h"
#include "monitor_controller.h"
#include "prompts.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

const QString kOff = u"Off."_s;

// Forwards to the real prompts and tells whether an error report is open, so that ticks wait meanwhile.
class GuardedPrompts : public Prompts
{
public:
    GuardedPrompts(Prompts &prompts, bool &reportOpen)
        : m_prompts(prompts)
        , m_reportOpen(reportOpen)
    {
    }
    void message(const QString &text) override { m_prompts.message(text); }
    bool askYesNo(const QString &text) override { return m_prompts.askYesNo(text); }
    void errorReport(const QString &text) override
    {
        m_reportOpen = true;
        m_prompts.errorReport(text);
        m_reportOpen = false;
    }

private:
    Prompts &m_prompts;
    bool &m_reportOpen;
};

QString localeTimeFormat()
{
    // the user's long time format, without the time zone
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return format.trimmed();
}

} // namespace

ScheduleController::ScheduleController(MainWindow &window, Settings &settings, Prompts &prompts, const Clock &clock,
                                       MonitorController &monitor, FolderListController &folders, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_clock(clock)
    , m_monitor(monitor)
    , m_folders(folders)
{
    MainWindow &w = m_window;
    w.dtpWeekly->setDisplayFormat(localeTimeFormat());
    w.dtpWeekly->setEnabled(false);
    w.cboWeekly->setEnabled(false);

    connect(w.Option5, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optionClicked(schedule::Mode::Weekly);
    });
    connect(w.Option4, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optionClicked(schedule::Mode::Daily);
    });
    connect(w.Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optionClicked(schedule::Mode::Interval);
    });
    connect(w.dtpWeekly, &QTimeEdit::timeChanged, this, &ScheduleController::pickerChanged);
    connect(w.cboWeekly, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { save(SettingKey::Weekly, text, u"cboWeekly_Change"_s); });
    const SettingKey keys[] = {SettingKey::Text1, SettingKey::Text2, SettingKey::Text3};
    for (int i = 0; i < 3; ++i) {
        QLineEdit *edit = box(i);
        const SettingKey key = keys[i];
        const QString handler = edit->objectName() + u"_Change"_s;
        connect(edit, &QLineEdit::textChanged, this,
                [this, key, handler](const QString &text) { save(key, text, handler); });
        edit->installEventFilter(this);
    }
    connect(w.Timer1, &QTimer::timeout, this, &ScheduleController::Timer1_Timer);
    connect(w.PushButton5, &QPushButton::clicked, this, &ScheduleController::PushButton5_Click);
    connect(w.PushButton6, &QPushButton::clicked, this, &ScheduleController::PushButton6_Click);
    connect(&m_monitor, &MonitorController::passFinished, this, &ScheduleController::passFinished);
}

QLineEdit *ScheduleController::box(int index) const
{
    QLineEdit *boxes[] = {m_window.Text1, m_window.Text2, m_window.Text3};
    return boxes[index];
}

void ScheduleController::save(SettingKey key, const QString &text, const QString &handler)
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1."_s + handler + u" "_s);
    procedure.step([&] { m_settings.save(key, text); });
}

void ScheduleController::optionClicked(schedule::Mode mode)
{
    MainWindow &w = m_window;
    const QString handler = mode == schedule::Mode::Weekly ? u"Option5_Click"_s
        : mode == schedule::Mode::Daily                    ? u"Option4_Click"_s
                                                           : u"Option3_Click"_s;
    if (mode == schedule::Mode::Interval) {
        m_scheduler.RestartInterval();
        w.dtpWeekly->setEnabled(false);
        w.cboWeekly->setEnabled(false);
    } else {
        baseCountdown();
        w.dtpWeekly->setEnabled(true);
        w.cboWeekly->setEnabled(mode == schedule::Mode::Weekly);
    }
    save(SettingKey::Option5, Settings::fromTruth(w.Option5->isChecked()), handler);
    save(SettingKey::Option4, Settings::fromTruth(w.Option4->isChecked()), handler);
    save(SettingKey::Option3, Settings::fromTruth(w.Option3->isChecked()), handler);
}

void ScheduleController::pickerChanged()
{
    save(SettingKey::WeeklyTime, TimeOfDayText(m_window.dtpWeekly->time(), SystemDateTextFormat()),
         u"dtpWeekly_Change"_s);
    if (m_window.Option4->isChecked())
        baseCountdown();
}

void ScheduleController::baseCountdown()
{
    m_scheduler.BaseCountdown(pickerSeconds(), now());
}

int ScheduleController::pickerSeconds() const
{
    return m_window.dtpWeekly->time().msecsSinceStartOfDay() / 1000;
}

schedule::Now ScheduleController::now() const
{
    return schedule::NowOf(DateOf(m_clock.now()));
}

schedule::TickInputs ScheduleController::inputs() const
{
    const MainWindow &w = m_window;
    schedule::TickInputs in;
    in.mode = w.Option5->isChecked() ? schedule::Mode::Weekly
        : w.Option4->isChecked()     ? schedule::Mode::Daily
        : w.Option3->isChecked()     ? schedule::Mode::Interval
                                     : schedule::Mode::None;
    in.interval = {w.Text1->text().toStdString(), w.Text2->text().toStdString(), w.Text3->text().toStdString()};
    in.decimalSeparator = QLocale::system().decimalPoint().toStdString();
    in.timeOfDay = pickerSeconds();
    in.dayText = w.cboWeekly->currentText().toStdString();
    return in;
}

bool ScheduleController::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit != nullptr && (edit == m_window.Text1 || edit == m_window.Text2 || edit == m_window.Text3)) {
        if (event->type() == QEvent::FocusIn)
            // after the click that gave the focus has placed the cursor
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        else if (event->type() == QEvent::FocusOut)
            checkEntry(edit);
    }
    return QObject::eventFilter(watched, event);
}

void ScheduleController::checkEntry(QLineEdit *edit)
{
    if (m_checkingEntry || !m_window.isVisible() ||
        schedule::IsNumeric(edit->text().toStdString(), QLocale::system().decimalPoint().toStdString()))
        return;
    m_checkingEntry = true;
    m_prompts.message(u"Must be a numeric entry."_s);
    QTimer::singleShot(0, edit, [this, edit] {
        edit->setFocus(Qt::OtherFocusReason);
        m_checkingEntry = false;
    });
}

void ScheduleController::startTimer()
{
    m_window.Timer1->start(1000);
}

void ScheduleController::stopTimer()
{
    m_window.Timer1->stop();
}

void ScheduleController::applyBar(std::int32_t maximum, std::optional<std::int32_t> value)
{
    // The countdown's length can be zero or negative and its value outside it: the bar shows it clamped.
    QProgressBar *bar = m_window.ProgressBar2;
    bar->setRange(0, std::max<std::int32_t>(maximum, 1));
    if (value)
        bar->setValue(std::clamp<std::int32_t>(*value, 0, bar->maximum()));
}

void ScheduleController::Timer1_Timer()
{
    // one pass at a time, and at most one report of the tick open at a time
    if (m_reportOpen || m_monitor.isRunning())
        return;
    GuardedPrompts prompts(m_prompts, m_reportOpen);
    Procedure procedure(prompts, u"Tarnwick2021/08/31.Form1.Timer1_Timer "_s);
    schedule::TickResult result;
    procedure.step([&] { result = m_scheduler.Tick(inputs(), now()); });
    procedure.step([&] {
        for (int i = 0; i < 3; ++i)
            if (result.repairs[static_cast<std::size_t>(i)])
                box(i)->setText(QString::fromStdString(*result.repairs[static_cast<std::size_t>(i)]));
    });
    procedure.step([&] {
        if (result.error)
            throw std::runtime_error(*result.error);
    });
    procedure.step([&] {
        if (result.barMaximum)
            applyBar(*result.barMaximum, result.barValue);
    });
    procedure.step([&] {
        if (result.status)
            m_window.Frame4->setTitle(QString::fromStdString(*result.status));
    });
    if (result.due)
        procedure.step([&] { runScheduledPass(); });
}

void ScheduleController::runScheduledPass()
{
    stopTimer();
    m_scheduledPass = true;
    if (!m_monitor.StartMonitor(m_folders.folders(), true)) {
        m_scheduledPass = false;
        if (!m_monitoringStopped)
            startTimer();
    }
}

void ScheduleController::passFinished()
{
    if (m_scheduledPass) {
        m_scheduledPass = false;
        // switched off while the pass ran: the timer stays stopped
        if (!m_monitoringStopped)
            startTimer();
    }
    if (m_manualPass) {
        m_manualPass = false;
        m_monitoringActive = false;
    }
}

void ScheduleController::PushButton5_Click()
{
    MainWindow &w = m_window;
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton5_Click "_s);
    if (w.PushButton5->text() == kTurnOn) {
        if (m_monitoringActive)
            return; // a manual pass runs
        procedure.step([&] { m_monitoringActive = true; });
        procedure.step([&] { w.PushButton5->setText(kTurnOff); });
        procedure.step([&] { m_settings.save(SettingKey::StartStopState, u"On"_s); });
        procedure.step([&] {
            if (w.Option5->isChecked() || w.Option4->isChecked())
                baseCountdown();
        });
        procedure.step([&] { m_monitoringStopped = false; });
        procedure.step([&] { startTimer(); });
    } else if (w.PushButton5->text() == kTurnOff) {
        procedure.step([&] { stopTimer(); });
        procedure.step([&] { w.Frame4->setTitle(kOff); });
        procedure.step([&] { w.ProgressBar2->setValue(0); });
        procedure.step([&] { m_monitoringStopped = true; });
        procedure.step([&] { m_monitoringActive = false; });
        procedure.step([&] { w.PushButton5->setText(kTurnOn); });
        procedure.step([&] { m_settings.save(SettingKey::StartStopState, u"Off"_s); });
    }
}

void ScheduleController::PushButton6_Click()
{
    // refused while automatic monitoring is on, and while any pass runs
    if (m_monitoringActive || m_monitor.isRunning())
        return;
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton6_Click "_s);
    procedure.step([&] {
        m_monitoringActive = true;
        m_manualPass = true;
    });
    procedure.step([&] {
        if (!m_monitor.StartMonitor(m_folders.folders(), false)) {
            m_manualPass = false;
            m_monitoringActive = false;
        }
    });
}

void ScheduleController::restoreOption(schedule::Mode mode)
{
    MainWindow &w = m_window;
    QRadioButton *button = mode == schedule::Mode::Weekly ? w.Option5
        : mode == schedule::Mode::Daily                   ? w.Option4
                                                          : w.Option3;
    const SettingKey key = mode == schedule::Mode::Weekly ? SettingKey::Option5
        : mode == schedule::Mode::Daily                   ? SettingKey::Option4
                                                          : SettingKey::Option3;
    const bool selected = Settings::toTruth(m_settings.value(key));
    if (selected) {
        // selecting the one already selected still runs its handler, as a click would
        if (button->isChecked())
            optionClicked(mode);
        else
            button->setChecked(true);
    } else if (button->isChecked()) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void ScheduleController::restoreWeeklyTime()
{
    const QString text = m_settings.value(SettingKey::WeeklyTime);
    const std::optional<QTime> time = ParseTimeOfDay(text, SystemDateTextFormat());
    if (!time)
        throw std::runtime_error("Type mismatch: \"" + text.toStdString() + "\" is not a time of day.");
    const QTime before = m_window.dtpWeekly->time();
    m_window.dtpWeekly->setTime(*time);
    if (before == *time)
        pickerChanged(); // the value is saved even when it was already shown
}

void ScheduleController::restoreWeekday()
{
    const QString text = m_settings.value(SettingKey::Weekly);
    const int index = m_window.cboWeekly->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        throw std::runtime_error("Invalid property value: \"" + text.toStdString() + "\" is not a day of the list.");
    if (index == m_window.cboWeekly->currentIndex())
        save(SettingKey::Weekly, text, u"cboWeekly_Change"_s);
    else
        m_window.cboWeekly->setCurrentIndex(index);
}

void ScheduleController::restoreIntervalBox(int index)
{
    const SettingKey keys[] = {SettingKey::Text1, SettingKey::Text2, SettingKey::Text3};
    QLineEdit *edit = box(index);
    const QString text = m_settings.value(keys[index]);
    if (edit->text() == text)
        save(keys[index], text, edit->objectName() + u"_Change"_s);
    else
        edit->setText(text);
}

void ScheduleController::restoreMonitoringState()
{
    MainWindow &w = m_window;
    const QString state = m_settings.value(SettingKey::StartStopState);
    if (state == u"Off"_s) {
        w.PushButton5->setText(kTurnOn);
        stopTimer();
        w.Frame4->setTitle(kOff);
        w.ProgressBar2->setValue(0);
        m_monitoringStopped = true;
        m_monitoringActive = false;
    } else if (state == u"On"_s) {
        w.PushButton5->setText(kTurnOff);
        if (!m_monitoringActive) {
            m_monitoringActive = true;
            if (w.Option5->isChecked() || w.Option4->isChecked())
                baseCountdown();
            m_monitoringStopped = false;
            startTimer();
        }
    }
}

} // namespace tarnwick
