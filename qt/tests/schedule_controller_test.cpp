#include "app/date_text.h"
#include "app/folder_list_controller.h"
#include "app/monitor_controller.h"
#include "app/schedule_controller.h"
#include "harness.h"

#include "qtest_main.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
const QString kPrefix = u"On. Next inspection will occur in: "_s;

QByteArray timeText(int h, int m, int s)
{
    return TimeOfDayText(QTime(h, m, s), SystemDateTextFormat()).toUtf8();
}

// Error reports that let a tick arrive while the report is open, as the timer would during a modal box.
class ReenteringPrompts : public testing::ScriptedPrompts
{
public:
    void errorReport(const QString &text) override
    {
        ScriptedPrompts::errorReport(text);
        if (controller != nullptr)
            controller->Timer1_Timer();
    }
    ScheduleController *controller = nullptr;
};
} // namespace

class ScheduleControllerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartShowsAndStoresTheDefaults();
    void startsFromStoredSettings();
    void anUnreadableStoredValueFailsOnlyItsStep_data();
    void anUnreadableStoredValueFailsOnlyItsStep();
    void optionsEnableTheirControlsAndSaveAllThree();
    void entriesAreSavedAsTypedAndCheckedOnLeaving();
    void intervalTicksCountDownAndRunSilentPasses();
    void switchingOffDuringAPassLeavesTheTimerStopped();
    void theManualRunIsRefusedWhileMonitoringIsOnOrAPassRuns();
    void dailyAfterItsTimeShowsTheBarePrefix();
    void aTickShowsOneReportAtATime();
};

void ScheduleControllerTest::firstStartShowsAndStoresTheDefaults()
{
    testing::Harness harness;
    harness.clock.time = QDateTime(QDate(2026, 12, 7), QTime(10, 11, 12));
    harness.start();
    MainWindow &w = *harness.window;
    QVERIFY(w.Option3->isChecked());
    QCOMPARE(w.Text1->text(), u"0"_s);
    QCOMPARE(w.Text2->text(), u"0"_s);
    QCOMPARE(w.Text3->text(), u"5"_s);
    QCOMPARE(w.cboWeekly->currentText(), u"Monday"_s);
    QVERIFY(!w.dtpWeekly->isEnabled());
    QVERIFY(!w.cboWeekly->isEnabled());
    QCOMPARE(w.PushButton5->text(), u"Turn On Automatic Monitoring"_s);
    QCOMPARE(w.Frame4->title(), u"Off."_s);
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(harness.prompts.errors.isEmpty());

    // restoring ran the handlers, so the defaults are now stored
    QCOMPARE(harness.stored(SettingKey::Option3), u"True"_s);
    QCOMPARE(harness.stored(SettingKey::Option4), u"False"_s);
    QCOMPARE(harness.stored(SettingKey::Option5), u"False"_s);
    QCOMPARE(harness.stored(SettingKey::Weekly), u"Monday"_s);
    QCOMPARE(harness.stored(SettingKey::Text3), u"5"_s);
    QVERIFY(harness.settings->contains(SettingKey::WeeklyTime));
    QVERIFY2(!harness.settings->contains(SettingKey::StartStopState), "the switch is stored only when used");
}

void ScheduleControllerTest::startsFromStoredSettings()
{
    testing::Harness harness;
    harness.clock.time = QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0));
    harness.prepareSettings("Option5=True\nOption4=False\nOption3=False\nWeekly%20Time=" + timeText(9, 30, 0) +
                            "\nWeekly=Friday\nText1=1\nText2=2.5\nText3=abc\nStartStopState=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    QVERIFY(w.Option5->isChecked());
    QVERIFY(w.dtpWeekly->isEnabled());
    QVERIFY(w.cboWeekly->isEnabled());
    QCOMPARE(w.dtpWeekly->time(), QTime(9, 30, 0));
    QCOMPARE(w.cboWeekly->currentText(), u"Friday"_s);
    QCOMPARE(w.Text2->text(), u"2.5"_s);
    QCOMPARE(w.Text3->text(), u"abc"_s);
    QCOMPARE(w.PushButton5->text(), u"Turn Off Automatic Monitoring"_s);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(w.Timer1->interval(), 1000);
    // the weekly countdown is based at start-up
    QCOMPARE(harness.application->schedule().scheduler().TotalSeconds, 5400);
    QVERIFY(harness.prompts.errors.isEmpty());
}

void ScheduleControllerTest::anUnreadableStoredValueFailsOnlyItsStep_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("reason");
    QTest::newRow("truth value") << QByteArray("Option4=maybe\n") << u"maybe"_s;
    QTest::newRow("time") << QByteArray("Weekly%20Time=noon\n") << u"noon"_s;
    QTest::newRow("day") << QByteArray("Weekly=Someday\n") << u"Someday"_s;
}

void ScheduleControllerTest::anUnreadableStoredValueFailsOnlyItsStep()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, reason);
    testing::Harness harness;
    harness.prepareSettings(settings + "Text1=7\nFolders=/a/|234SSDEPERATATORZZ|\nStartStopState=On\n");
    harness.start();
    QCOMPARE(harness.prompts.errors.size(), 1);
    QVERIFY2(harness.prompts.errors.front().contains(reason), qPrintable(harness.prompts.errors.front()));
    QVERIFY(harness.prompts.errors.front().contains(u"in Tarnwick2021/08/31.Form1.Form_Load at line "_s));
    // the steps after it still ran
    QCOMPARE(harness.window->Text1->text(), u"7"_s);
    QCOMPARE(harness.window->ListView1->topLevelItemCount(), 1);
    QVERIFY(harness.window->Timer1->isActive());
}

void ScheduleControllerTest::optionsEnableTheirControlsAndSaveAllThree()
{
    testing::Harness harness;
    harness.start();
    MainWindow &w = *harness.window;
    struct Step {
        QRadioButton *option;
        bool picker;
        bool day;
        const char *stored;
    };
    const Step steps[] = {
        {w.Option4, true, false, "FTF"}, {w.Option5, true, true, "TFF"}, {w.Option3, false, false, "FFT"}};
    for (const Step &step : steps) {
        QTest::mouseClick(step.option, Qt::LeftButton, {}, QPoint(5, step.option->height() / 2));
        QVERIFY(step.option->isChecked());
        QCOMPARE(w.dtpWeekly->isEnabled(), step.picker);
        QCOMPARE(w.cboWeekly->isEnabled(), step.day);
        const QString expected = QString::fromLatin1(step.stored);
        QCOMPARE(harness.stored(SettingKey::Option5), expected[0] == u'T' ? u"True"_s : u"False"_s);
        QCOMPARE(harness.stored(SettingKey::Option4), expected[1] == u'T' ? u"True"_s : u"False"_s);
        QCOMPARE(harness.stored(SettingKey::Option3), expected[2] == u'T' ? u"True"_s : u"False"_s);
    }
    w.cboWeekly->setCurrentText(u"Sunday"_s);
    QCOMPARE(harness.stored(SettingKey::Weekly), u"Sunday"_s);
    w.dtpWeekly->setTime(QTime(7, 8, 9));
    QCOMPARE(harness.stored(SettingKey::WeeklyTime), QString::fromUtf8(timeText(7, 8, 9)));
}

void ScheduleControllerTest::entriesAreSavedAsTypedAndCheckedOnLeaving()
{
    testing::Harness harness;
    harness.start();
    MainWindow &w = *harness.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    w.Text2->setFocus();
    QTRY_VERIFY(w.Text2->hasFocus());
    QTRY_COMPARE(w.Text2->selectedText(), u"0"_s);
    QTest::keyClicks(w.Text2, u"abc"_s);
    QCOMPARE(harness.stored(SettingKey::Text2), u"abc"_s);
    w.Text3->setFocus();
    QCOMPARE(harness.prompts.messages, QStringList {u"Must be a numeric entry."_s});
    QTRY_VERIFY(w.Text2->hasFocus());
    QCOMPARE(w.Text2->text(), u"abc"_s);

    for (const QString &fine : {u"1.5"_s, u"-2"_s}) {
        w.Text2->setText(fine);
        w.Text1->setFocus();
        QTRY_VERIFY(w.Text1->hasFocus());
        w.Text2->setFocus();
        QTRY_VERIFY(w.Text2->hasFocus());
    }
    QCOMPARE(harness.prompts.messages.size(), 1);
}

void ScheduleControllerTest::intervalTicksCountDownAndRunSilentPasses()
{
    testing::Harness harness;
    QTemporaryDir watched;
    harness.prepareSettings("Folders=" + watched.path().toUtf8() + "/|234SSDEPERATATORZZ|\n");
    harness.start();
    MainWindow &w = *harness.window;
    ScheduleController &schedule = harness.application->schedule();
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QCOMPARE(w.PushButton5->text(), u"Turn Off Automatic Monitoring"_s);
    QCOMPARE(harness.stored(SettingKey::StartStopState), u"On"_s);
    QVERIFY(w.Timer1->isActive());

    QSignalSpy finished(&harness.application->monitor(), &MonitorController::passFinished);
    for (int pass = 1; pass <= 2; ++pass) {
        for (const char *countdown : {"00:00:04", "00:00:03", "00:00:02", "00:00:01"}) {
            schedule.Timer1_Timer();
            QCOMPARE(w.Frame4->title(), kPrefix + QLatin1String(countdown));
        }
        QCOMPARE(w.ProgressBar2->maximum(), 5);
        QCOMPARE(w.ProgressBar2->value(), 4);
        schedule.Timer1_Timer();
        QVERIFY2(!w.Timer1->isActive(), "the timer stops during the pass");
        QVERIFY(harness.application->monitor().isRunning());
        schedule.Timer1_Timer(); // a tick during the pass starts nothing
        QTRY_COMPARE(finished.size(), pass);
        QVERIFY(w.Timer1->isActive());
    }
    QVERIFY2(harness.prompts.messages.isEmpty(), "scheduled passes are silent");

    // a non-numeric box is repaired at the next tick and the repair is saved
    w.Text1->setText(u"x"_s);
    schedule.Timer1_Timer();
    QCOMPARE(w.Text1->text(), u"0"_s);
    QCOMPARE(harness.stored(SettingKey::Text1), u"0"_s);
}

void ScheduleControllerTest::switchingOffDuringAPassLeavesTheTimerStopped()
{
    testing::Harness harness;
    QTemporaryDir watched;
    harness.prepareSettings("Folders=" + watched.path().toUtf8() +
                            "/|234SSDEPERATATORZZ|\nText3=1\nStartStopState=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    QSignalSpy finished(&harness.application->monitor(), &MonitorController::passFinished);
    harness.application->schedule().Timer1_Timer();
    QVERIFY(harness.application->monitor().isRunning());
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QCOMPARE(w.Frame4->title(), u"Off."_s);
    QCOMPARE(w.ProgressBar2->value(), 0);
    QCOMPARE(harness.stored(SettingKey::StartStopState), u"Off"_s);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(harness.application->schedule().MonitoringStopped());
}

void ScheduleControllerTest::theManualRunIsRefusedWhileMonitoringIsOnOrAPassRuns()
{
    testing::Harness harness;
    QTemporaryDir watched;
    harness.prepareSettings("Folders=" + watched.path().toUtf8() +
                            "/|234SSDEPERATATORZZ|\nText3=1\nStartStopState=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    QSignalSpy started(&harness.application->monitor(), &MonitorController::passStarted);
    QSignalSpy finished(&harness.application->monitor(), &MonitorController::passFinished);
    QTest::mouseClick(w.PushButton6, Qt::LeftButton);
    QCOMPARE(started.size(), 0);

    // switched off while a scheduled pass runs: the manual run still waits for it
    harness.application->schedule().Timer1_Timer();
    QCOMPARE(started.size(), 1);
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QTest::mouseClick(w.PushButton6, Qt::LeftButton);
    QCOMPARE(started.size(), 1);
    QTRY_COMPARE(finished.size(), 1);

    // now it runs, and switching on is refused until it has finished
    QTest::mouseClick(w.PushButton6, Qt::LeftButton);
    QCOMPARE(started.size(), 2);
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QCOMPARE(w.PushButton5->text(), u"Turn On Automatic Monitoring"_s);
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(harness.prompts.messages, QStringList {u"No changes since last monitor."_s});
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QCOMPARE(w.PushButton5->text(), u"Turn Off Automatic Monitoring"_s);
}

void ScheduleControllerTest::dailyAfterItsTimeShowsTheBarePrefix()
{
    testing::Harness harness;
    harness.clock.time = QDateTime(QDate(2026, 12, 7), QTime(18, 0, 0));
    harness.prepareSettings("Option4=True\nWeekly%20Time=" + timeText(9, 0, 0) + "\nStartStopState=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    harness.application->schedule().Timer1_Timer();
    QCOMPARE(w.Frame4->title(), kPrefix);
    QCOMPARE(w.ProgressBar2->value(), 0);

    harness.clock.time = QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0));
    harness.application->schedule().Timer1_Timer();
    QCOMPARE(w.Frame4->title(), kPrefix + u"09:00:00"_s);
}

void ScheduleControllerTest::aTickShowsOneReportAtATime()
{
    testing::Harness harness;
    harness.prepareSettings("Text1=1e999\nStartStopState=On\n");
    harness.start();
    ReenteringPrompts prompts;
    // a controller of its own over the same window, with prompts that tick while a report is open
    MonitorController monitor(prompts, harness.clock, QString(), DateTextFormat {});
    FolderListController folders(harness.window->ListView1, *harness.settings, prompts, harness.picker, nullptr);
    ScheduleController reentrant(*harness.window, *harness.settings, prompts, harness.clock, monitor, folders);
    prompts.controller = &reentrant;
    reentrant.Timer1_Timer();
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors.front().contains(u"in Tarnwick2021/08/31.Form1.Timer1_Timer at line "_s),
             qPrintable(prompts.errors.front()));
    // once it is closed, the next tick reports again
    prompts.controller = nullptr;
    reentrant.Timer1_Timer();
    QCOMPARE(prompts.errors.size(), 2);
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::ScheduleControllerTest)
#include "schedule_controller_test.moc"
