#include "app/history_controller.h"
#include "harness.h"

#include "history/history_model.h"

#include "qtest_main.h"

#include <QClipboard>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tarnwick {

class HistoryCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void withoutALogNothingIsViewedOrCopied();
    void viewOpensTheLogInTheTextViewer();
    void aViewerThatCannotStartIsReported();
    void copyPutsTheWholeLogOnTheClipboard();
    void clearAsksFirst();
    void clearDeletesAReadOnlyLogAndTheRows();
    void helpShowsTheContact();
    void theMakersSiteIsVisitedOnSeven_data();
    void theMakersSiteIsVisitedOnSeven();

private:
    static void writeLog(const QString &path, const QByteArray &text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static void addRows(Application &application)
    {
        application.historyModel().appendChanges(u"t"_s, {{ChangeKind::Added, "/w/a"}, {ChangeKind::Removed, "/w/b"}});
    }
};

void HistoryCommandsTest::withoutALogNothingIsViewedOrCopied()
{
    testing::Harness harness;
    harness.start();
    QGuiApplication::clipboard()->setText(u"before"_s);
    QTest::mouseClick(harness.window->PushButton1, Qt::LeftButton);
    QTest::mouseClick(harness.window->PushButton2, Qt::LeftButton);
    QCOMPARE(harness.prompts.messages,
             QStringList {u"There isn't a history to view because actions have not been performed yet."_s});
    QVERIFY(harness.launcher.textFiles.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
}

void HistoryCommandsTest::viewOpensTheLogInTheTextViewer()
{
    testing::Harness harness;
    harness.start();
    writeLog(harness.application->historyLogPath(), "line\n");
    QTest::mouseClick(harness.window->PushButton1, Qt::LeftButton);
    QCOMPARE(harness.launcher.textFiles, QStringList {harness.application->historyLogPath()});
    QVERIFY(harness.prompts.messages.isEmpty());
}

void HistoryCommandsTest::aViewerThatCannotStartIsReported()
{
    testing::Harness harness;
    harness.start();
    writeLog(harness.application->historyLogPath(), "line\n");
    harness.launcher.fail = true;
    QTest::mouseClick(harness.window->PushButton1, Qt::LeftButton);
    QCOMPARE(harness.prompts.errors.size(), 1);
    QVERIFY2(harness.prompts.errors.front().startsWith(
                 u"no text viewer\nin Tarnwick2021/08/31.Form1.PushButton1_Click at line 100\n"_s),
             qPrintable(harness.prompts.errors.front()));
}

void HistoryCommandsTest::copyPutsTheWholeLogOnTheClipboard()
{
    testing::Harness harness;
    harness.start();
    const QByteArray text = "12/7/2026 4:20:36 AM Added file /w/a\n"
                            "12/7/2026 4:20:36 AM Removed file /w/b\n"
                            "12/7/2026 4:20:36 AM Modified file /w/\xc3\xa9t\xc3\xa9\n";
    writeLog(harness.application->historyLogPath(), text);
    QTest::mouseClick(harness.window->PushButton2, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(text));
}

void HistoryCommandsTest::clearAsksFirst()
{
    testing::Harness harness;
    harness.start();
    writeLog(harness.application->historyLogPath(), "line\n");
    addRows(*harness.application);
    harness.prompts.answers << false;
    QTest::mouseClick(harness.window->PushButton12, Qt::LeftButton);
    QCOMPARE(harness.prompts.questions,
             QStringList {u"Are you sure you want to delete the history log and start over?"_s});
    QVERIFY(QFile::exists(harness.application->historyLogPath()));
    QCOMPARE(harness.application->historyModel().rowCount(), 2);
}

void HistoryCommandsTest::clearDeletesAReadOnlyLogAndTheRows()
{
    testing::Harness harness;
    harness.start();
    const QString log = harness.application->historyLogPath();
    writeLog(log, "line\n");
    QFile::setPermissions(log, QFile::ReadOwner);
    addRows(*harness.application);
    harness.prompts.answers << true;
    QTest::mouseClick(harness.window->PushButton12, Qt::LeftButton);
    QVERIFY(!QFile::exists(log));
    QCOMPARE(harness.application->historyModel().rowCount(), 0);

    // with the log gone, viewing says so again
    QTest::mouseClick(harness.window->PushButton1, Qt::LeftButton);
    QCOMPARE(harness.prompts.messages,
             QStringList {u"There isn't a history to view because actions have not been performed yet."_s});

    // a missing log still clears the rows
    addRows(*harness.application);
    QTest::mouseClick(harness.window->PushButton12, Qt::LeftButton);
    QCOMPARE(harness.application->historyModel().rowCount(), 0);
    QVERIFY(harness.prompts.errors.isEmpty());
}

void HistoryCommandsTest::helpShowsTheContact()
{
    testing::Harness harness;
    harness.start();
    QTest::mouseClick(harness.window->PushButton11, Qt::LeftButton);
    QCOMPARE(harness.prompts.messages,
             QStringList {u"Questions? Please contact Team Quelvane at https://www.quelvane.example/contact"_s});
}

void HistoryCommandsTest::theMakersSiteIsVisitedOnSeven_data()
{
    QTest::addColumn<int>("draw");
    QTest::addColumn<bool>("visited");
    QTest::newRow("1") << 1 << false;
    QTest::newRow("7") << 7 << true;
    QTest::newRow("100") << 100 << false;
}

void HistoryCommandsTest::theMakersSiteIsVisitedOnSeven()
{
    QFETCH(int, draw);
    QFETCH(bool, visited);
    testing::Harness harness;
    harness.draw = draw;
    harness.start();
    QCOMPARE(harness.launcher.urls, visited ? QStringList {u"https://www.quelvane.example/"_s} : QStringList {});
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::HistoryCommandsTest)
#include "history_commands_test.moc"
