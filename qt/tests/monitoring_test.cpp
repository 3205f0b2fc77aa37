#include "app/monitor_controller.h"
#include "app/schedule_controller.h"
#include "harness.h"

#include "history/history_model.h"

#include "qtest_main.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>

#include <utime.h>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
void writeFile(const QString &path, qint64 time = 1700000000)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    struct utimbuf times {
    };
    times.actime = times.modtime = time;
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

QString logText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class MonitoringTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void passThroughTheWindow();
    void aLogThatCannotBeWrittenIsReportedOnceAndTheRowsStay();
    void theManualRunIsRefusedWhileAPassRuns();
    void closingDuringAPassCancelsIt();

private:
    // Clicks "Monitor Folder Now (Test)" and waits until the pass has shown its closing message.
    static void runByHand(testing::Harness &harness)
    {
        QSignalSpy finished(&harness.application->monitor(), &MonitorController::passFinished);
        const qsizetype messages = harness.prompts.messages.size();
        QTest::mouseClick(harness.window->PushButton6, Qt::LeftButton);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(harness.prompts.messages.size(), messages + 1);
        QVERIFY(!harness.application->schedule().MonitoringActive());
    }
};

void MonitoringTest::passThroughTheWindow()
{
    testing::Harness harness;
    QTemporaryDir watched;
    const QString folder = watched.path() + u"/"_s;
    writeFile(folder + u"keep.txt"_s);
    writeFile(folder + u"old.txt"_s);
    harness.start();
    const QString log = harness.application->historyLogPath();
    QCOMPARE(log, harness.tempFolder() + u"/Tarnwick.txt"_s);

    runByHand(harness);
    QCOMPARE(harness.prompts.messages.last(), u"No folders added."_s);

    harness.picker.answers << watched.path();
    QTest::mouseClick(harness.window->PushButton3, Qt::LeftButton);
    runByHand(harness);
    QCOMPARE(harness.prompts.messages.last(), u"No changes since last monitor."_s);
    QCOMPARE(harness.application->historyModel().rowCount(), 0);
    QVERIFY2(!QFile::exists(log), "a pass that reports nothing leaves no log");

    writeFile(folder + u"new.txt"_s);
    QVERIFY(QFile::remove(folder + u"old.txt"_s));
    writeFile(folder + u"keep.txt"_s, 1700000001);
    harness.clock.time = QDateTime(QDate(2026, 12, 7), QTime(4, 20, 36));
    runByHand(harness);
    QCOMPARE(harness.prompts.messages.last(), u"Done."_s);
    QVERIFY2(harness.prompts.errors.isEmpty(), qPrintable(harness.prompts.errors.join(u"|"_s)));

    const HistoryModel &model = harness.application->historyModel();
    QCOMPARE(model.rowCount(), 3);
    const QString time = model.data(model.index(0, 0)).toString();
    QVERIFY(time.contains(u"36"_s));
    const QStringList actions = {u"Added file"_s, u"Removed file"_s, u"Modified file"_s};
    const QStringList files = {folder + u"new.txt"_s, folder + u"old.txt"_s, folder + u"keep.txt"_s};
    QString expectedLog;
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(model.data(model.index(row, 0)).toString(), time);
        QCOMPARE(model.data(model.index(row, 1)).toString(), actions[row]);
        QCOMPARE(model.data(model.index(row, 2)).toString(), files[row]);
        expectedLog += time + u" "_s + actions[row] + u" "_s + files[row] + u"\n"_s;
    }
    QCOMPARE(logText(log), expectedLog);

    // the next pass appends below, and rows go on at the end
    QVERIFY(QFile::remove(folder + u"new.txt"_s));
    runByHand(harness);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.data(model.index(3, 2)).toString(), folder + u"new.txt"_s);
    QVERIFY(logText(log).startsWith(expectedLog));
    QCOMPARE(logText(log).count(u'\n'), 4);
}

void MonitoringTest::aLogThatCannotBeWrittenIsReportedOnceAndTheRowsStay()
{
    testing::Harness harness;
    QTemporaryDir watched;
    harness.prepareSettings("Folders=" + watched.path().toUtf8() + "/|234SSDEPERATATORZZ|\n");
    harness.start();
    runByHand(harness);
    // a folder where the log should be
    QVERIFY(QDir().mkpath(harness.application->historyLogPath()));
    writeFile(watched.path() + u"/a.txt"_s);
    writeFile(watched.path() + u"/b.txt"_s);
    runByHand(harness);
    QCOMPARE(harness.application->historyModel().rowCount(), 2);
    QCOMPARE(harness.prompts.errors.size(), 1);
    QVERIFY2(harness.prompts.errors.front().contains(u"in Tarnwick2021/08/31.Form1.StartMonitor at line "_s),
             qPrintable(harness.prompts.errors.front()));
    QCOMPARE(harness.prompts.messages.last(), u"Done."_s);
}

void MonitoringTest::theManualRunIsRefusedWhileAPassRuns()
{
    testing::Harness harness;
    QTemporaryDir watched;
    harness.prepareSettings("Folders=" + watched.path().toUtf8() + "/|234SSDEPERATATORZZ|\n");
    harness.start();
    QSignalSpy started(&harness.application->monitor(), &MonitorController::passStarted);
    QSignalSpy finished(&harness.application->monitor(), &MonitorController::passFinished);
    QTest::mouseClick(harness.window->PushButton6, Qt::LeftButton);
    QVERIFY(harness.application->schedule().MonitoringActive());
    QTest::mouseClick(harness.window->PushButton6, Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(started.size(), 1);
    QCOMPARE(harness.prompts.messages, QStringList {u"No changes since last monitor."_s});
}

void MonitoringTest::closingDuringAPassCancelsIt()
{
    testing::Harness harness;
    QTemporaryDir watched;
    // enough directories that the walk is still going when the window closes
    for (int i = 0; i < 300; ++i)
        QVERIFY(QDir(watched.path()).mkpath(u"d%1/e/f"_s.arg(i)));
    harness.prepareSettings("Folders=" + watched.path().toUtf8() + "/|234SSDEPERATATORZZ|\n");
    harness.start();
    QSignalSpy closed(harness.application.get(), &Application::closed);
    QTest::mouseClick(harness.window->PushButton6, Qt::LeftButton);
    QVERIFY(harness.application->monitor().isRunning());
    harness.window->close();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!harness.application->monitor().isRunning());
    QVERIFY(harness.prompts.messages.isEmpty());
    QVERIFY(harness.prompts.errors.isEmpty());
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::MonitoringTest)
#include "monitoring_test.moc"
