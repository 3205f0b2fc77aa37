// The real program as users and desktop sessions start and end it: a second copy, and the end of the session
// while a start-up report is open.

#include "qtest_main.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <csignal>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tarnwick {

class ProgramTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aSecondStartLeavesTheFirstRunning();
    void theSessionEndingDuringAStartUpReportEndsIt_data();
    void theSessionEndingDuringAStartUpReportEndsIt();
    void theSessionEndingEndsItCleanly_data();
    void aStartWithTheSessionLostBehindItsBackIsWrittenAgain();
    void theSessionEndingEndsItCleanly();

private:
    static QString settingsFile()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Quelvane.ini"_s;
    }
    static void start(QProcess &program)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(TARNWICK_EXECUTABLE), {});
    }
    // No settings: a first start (an earlier test may have left a folder in the file's place).
    static void clearSettings()
    {
        QDir(settingsFile()).removeRecursively();
        QFile::remove(settingsFile());
    }
    static void terminate(QProcess &program) { ::kill(static_cast<pid_t>(program.processId()), SIGTERM); }
};

void ProgramTest::aSecondStartLeavesTheFirstRunning()
{
    clearSettings();
    QProcess first;
    start(first);
    QVERIFY(first.waitForStarted());
    // the first has taken its place once its settings are written
    QTRY_VERIFY_WITH_TIMEOUT(QFile(settingsFile()).size() > 0, 60000);

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTest::qWait(500);
    QCOMPARE(first.state(), QProcess::Running);

    terminate(first);
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
}

void ProgramTest::theSessionEndingDuringAStartUpReportEndsIt_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("settingsAreAFolder");
    // a stored weekday that is none: the start-up shows its error report and waits for the user
    QTest::newRow("error report") << QByteArray("[Tarnwick]\nWeekly=Funday\nStartStopState=On\n") << false;
    // settings that cannot be read: the start-up says so and waits for the user
    QTest::newRow("unreadable settings") << QByteArray() << true;
}

void ProgramTest::theSessionEndingDuringAStartUpReportEndsIt()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, settingsAreAFolder);
    clearSettings();
    if (settingsAreAFolder) {
        QVERIFY(QDir().mkpath(settingsFile() + u"/keep"_s));
    } else {
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
    }

    QProcess program;
    start(program);
    QVERIFY(program.waitForStarted());
    // time for the start-up to reach its report; the program must not be ended before
    QVERIFY(!program.waitForFinished(2000));
    QElapsedTimer ending;
    ending.start();
    terminate(program);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(ending.elapsed() < 5000, "the program took long to end");
    if (settingsAreAFolder)
        QVERIFY(QFileInfo::exists(settingsFile() + u"/keep"_s));
}

void ProgramTest::theSessionEndingEndsItCleanly_data()
{
    QTest::addColumn<QList<int>>("sent");
    QTest::newRow("log-out: SIGTERM, then SIGHUP") << QList<int> {SIGTERM, SIGHUP};
    QTest::newRow("a closed terminal: SIGHUP") << QList<int> {SIGHUP};
}

void ProgramTest::theSessionEndingEndsItCleanly()
{
    QFETCH(QList<int>, sent);
    clearSettings();
    QProcess program;
    start(program);
    QVERIFY(program.waitForStarted());
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/tarnwick-%1.socket"_s.arg(::getuid());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket) && QFile(settingsFile()).size() > 0, 60000);

    for (const int signal : sent)
        ::kill(static_cast<pid_t>(program.processId()), signal);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // it closed as it does when the window is closed: nothing is left for the next start to trip over
    QVERIFY(!QFileInfo::exists(socket));
}

void ProgramTest::aStartWithTheSessionLostBehindItsBackIsWrittenAgain()
{
    // The option is on, but the entry went (removed by hand or a cleaning tool) or starts a program that is gone.
    const QString entry =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart/tarnwick.desktop"_s;
    for (const QByteArray &before : {QByteArray(), QByteArray("[Desktop Entry]\nType=Application\nExec=/gone\n")}) {
        QFile::remove(entry);
        clearSettings();
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(entry).absolutePath()));
            QFile file(entry);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).absolutePath()));
        QFile settings(settingsFile());
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[Tarnwick]\nWindows%20Startup=On\n");
        settings.close();

        QProcess program;
        start(program);
        QVERIFY(program.waitForStarted());
        const QByteArray exec =
            "\nExec=\"" + QFileInfo(QStringLiteral(TARNWICK_EXECUTABLE)).canonicalFilePath().toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QFile file(entry);
                return file.open(QIODevice::ReadOnly) && file.readAll().contains(exec);
            }(),
            60000);
        terminate(program);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
    }
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::ProgramTest)
#include "program_test.moc"
