// Starts the real program, lets it monitor a folder on a 1-second schedule, and reads its history log.

#include "qtest_main.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <utime.h>

using namespace Qt::StringLiterals;

namespace tarnwick {

class EndToEndTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportsChangesInTheLogAndClosesOnTerm();

private:
    static void writeFile(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    static QString logText(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

void EndToEndTest::reportsChangesInTheLogAndClosesOnTerm()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString temp = qEnvironmentVariable("TEMP");
    QTemporaryDir watched;
    const QString folder = watched.path() + u"/"_s;
    writeFile(folder + u"keep.txt"_s);
    writeFile(folder + u"old.txt"_s);

    QVERIFY(QDir().mkpath(config));
    QFile ini(config + u"/Quelvane.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Tarnwick]\n");
    ini.write("Folders=" + folder.toUtf8() + "|234SSDEPERATATORZZ|\n");
    ini.write("Option3=True\nOption4=False\nOption5=False\nText1=0\nText2=0\nText3=1\nStartStopState=On\n");
    ini.close();

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(TARNWICK_EXECUTABLE), {});
    QVERIFY(program.waitForStarted());

    // The first pass only records. A probe file added after it is reported; keep adding probes until one is.
    const QString log = temp + u"/Tarnwick.txt"_s;
    int probe = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            writeFile(folder + u"probe-%1.txt"_s.arg(++probe));
            return logText(log).contains(u" Added file "_s + folder + u"probe-"_s);
        }(),
        30000);
    const qsizetype before = logText(log).size();

    writeFile(folder + u"new.txt"_s);
    QVERIFY(QFile::remove(folder + u"old.txt"_s));
    struct utimbuf later {
    };
    later.actime = later.modtime = ::time(nullptr) + 10;
    QCOMPARE(::utime(QFile::encodeName(folder + u"keep.txt"_s).constData(), &later), 0);

    const QString added = u" Added file "_s + folder + u"new.txt\n"_s;
    const QString removed = u" Removed file "_s + folder + u"old.txt\n"_s;
    const QString modified = u" Modified file "_s + folder + u"keep.txt\n"_s;
    QTRY_VERIFY_WITH_TIMEOUT(logText(log).mid(before).contains(modified), 30000);
    const QString tail = logText(log).mid(before);
    QVERIFY2(tail.indexOf(added) >= 0 && tail.indexOf(added) < tail.indexOf(removed) &&
                 tail.indexOf(removed) < tail.indexOf(modified),
             qPrintable(tail));

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::EndToEndTest)
#include "end_to_end_test.moc"
