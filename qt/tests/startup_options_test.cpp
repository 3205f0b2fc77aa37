#include "app/autostart.h"
#include "app/startup_options.h"
#include "harness.h"

#include "qtest_main.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
const QString kBalloon = u"has been minimized to the system tray.\n"
                         u"Click on the blue 'Q' icon (Q for Quelvane) to bring the software back."_s;

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class StartupOptionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checkingRegistersAndOffersTheSecondOption();
    void uncheckingClearsBothAndUnregisters();
    void aFailedRegistrationIsReportedAndUndone();
    void startUpRestoresWithoutRegistering_data();
    void startUpRestoresWithoutRegistering();
    void theAutostartEntryStartsThisProgram();
    void anAutostartFolderThatCannotBeWrittenIsReported();
    void execArgumentsAreQuoted_data();
    void execArgumentsAreQuoted();
    void minimisingHidesInTheTrayWithOneBalloon();
    void withoutATrayMinimisingKeepsAnOrdinaryWindow();
    void theTrayIconLivesAsLongAsTheWindow();
};

void StartupOptionsTest::checkingRegistersAndOffersTheSecondOption()
{
    testing::Harness harness;
    harness.start();
    MainWindow &w = *harness.window;
    QVERIFY(!w.Check4->isChecked());
    QVERIFY(w.Check8->isHidden());
    w.Check4->click();
    QVERIFY(!w.Check8->isHidden());
    QVERIFY(!w.Check8->isChecked());
    QCOMPARE(harness.stored(SettingKey::WindowsStartup), u"On"_s);
    QCOMPARE(harness.autostart.calls, QStringList {u"add"_s});
    w.Check8->click();
    QCOMPARE(harness.stored(SettingKey::Minimized), u"On"_s);
}

void StartupOptionsTest::uncheckingClearsBothAndUnregisters()
{
    testing::Harness harness;
    harness.prepareSettings("Windows%20Startup=On\nMinimized=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    QVERIFY(w.Check8->isChecked());
    w.Check4->click();
    QVERIFY(!w.Check8->isChecked());
    QVERIFY(w.Check8->isHidden());
    QCOMPARE(harness.stored(SettingKey::Minimized), u"Off"_s);
    QCOMPARE(harness.stored(SettingKey::WindowsStartup), u"Off"_s);
    QCOMPARE(harness.autostart.calls, QStringList {u"remove"_s});
}

void StartupOptionsTest::aFailedRegistrationIsReportedAndUndone()
{
    testing::Harness harness;
    harness.start();
    harness.autostart.failAdd = true;
    harness.window->Check4->click();
    QCOMPARE(harness.prompts.messages.size(), 1);
    QVERIFY2(harness.prompts.messages.front().contains(u"read-only"_s), qPrintable(harness.prompts.messages.front()));
    QVERIFY(!harness.window->Check4->isChecked());
    QVERIFY(harness.window->Check8->isHidden());
    QCOMPARE(harness.stored(SettingKey::WindowsStartup), u"Off"_s);
}

void StartupOptionsTest::startUpRestoresWithoutRegistering_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("check4");
    QTest::addColumn<bool>("check8");
    QTest::addColumn<bool>("check8Shown");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("both on") << QByteArray("Windows%20Startup=On\nMinimized=On\n") << true << true << true << true;
    QTest::newRow("start only") << QByteArray("Windows%20Startup=On\n") << true << false << true << false;
    QTest::newRow("minimised without start")
        << QByteArray("Windows%20Startup=Off\nMinimized=On\n") << false << true << false << false;
    QTest::newRow("lower case is off") << QByteArray("Windows%20Startup=on\nMinimized=On\n") << false << true << false
                                       << false;
}

void StartupOptionsTest::startUpRestoresWithoutRegistering()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, check4);
    QFETCH(bool, check8);
    QFETCH(bool, check8Shown);
    QFETCH(bool, minimized);
    testing::Harness harness;
    harness.prepareSettings(settings);
    harness.start();
    QCOMPARE(harness.window->Check4->isChecked(), check4);
    QCOMPARE(harness.window->Check8->isChecked(), check8);
    QCOMPARE(!harness.window->Check8->isHidden(), check8Shown);
    QCOMPARE(harness.application->startsMinimized(), minimized);
    QVERIFY(harness.autostart.calls.isEmpty());
    QVERIFY(!harness.application->formLoading());
}

void StartupOptionsTest::theAutostartEntryStartsThisProgram()
{
    const QString executable = u"/opt/My Apps/tarnwick"_s;
    DesktopAutostart autostart(executable);
    const QString entry = autostart.entryPath();
    QCOMPARE(entry,
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 u"/autostart/tarnwick.desktop"_s);
    autostart.add();
    const QString text = readAll(entry);
    QVERIFY2(text.startsWith(u"[Desktop Entry]\n"_s), qPrintable(text));
    QVERIFY2(text.contains(u"\nExec=\"/opt/My Apps/tarnwick\"\n"_s), qPrintable(text));
    QVERIFY(text.contains(u"\nType=Application\n"_s));
    autostart.add(); // again: still one entry, rewritten whole
    QCOMPARE(readAll(entry), text);
    autostart.remove();
    QVERIFY(!QFile::exists(entry));
    autostart.remove(); // nothing to remove is no failure
}

void StartupOptionsTest::anAutostartFolderThatCannotBeWrittenIsReported()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString folder = config + u"/autostart"_s;
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(config));
    DesktopAutostart autostart(u"/usr/bin/tarnwick"_s);

    if (::geteuid() != 0) {
        // a read-only folder, where permissions apply
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, autostart.add());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QDir(folder).removeRecursively());
    }

    // a file where the folder should be stops even root
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, autostart.add());

    // through the window: the user is told and the option goes back to off
    QTemporaryDir dir;
    Settings settings(dir.filePath(u"s.ini"_s));
    MainWindow window;
    testing::ScriptedPrompts prompts;
    StartupOptions options(window, settings, prompts, autostart, [] { return false; });
    window.Check4->click();
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages.front().contains(folder), qPrintable(prompts.messages.front()));
    QVERIFY(!window.Check4->isChecked());
    QVERIFY(window.Check8->isHidden());
    QCOMPARE(settings.value(SettingKey::WindowsStartup), u"Off"_s);
    QVERIFY(QFile::remove(folder));
}

void StartupOptionsTest::execArgumentsAreQuoted_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("argument");
    QTest::newRow("plain") << u"/usr/bin/tarnwick"_s << u"\"/usr/bin/tarnwick\""_s;
    QTest::newRow("blank") << u"/a b/t"_s << u"\"/a b/t\""_s;
    QTest::newRow("dollar and quote") << u"/a$b\"c/t"_s << u"\"/a\\\\$b\\\\\"c/t\""_s;
    QTest::newRow("backslash") << u"/a\\b/t"_s << u"\"/a\\\\\\\\b/t\""_s;
    QTest::newRow("percent") << u"/100%/t"_s << u"\"/100%%/t\""_s;
}

void StartupOptionsTest::execArgumentsAreQuoted()
{
    QFETCH(QString, path);
    QFETCH(QString, argument);
    QCOMPARE(DesktopExecArgument(path), argument);
}

void StartupOptionsTest::minimisingHidesInTheTrayWithOneBalloon()
{
    testing::Harness harness;
    harness.trayAvailable = true;
    harness.start();
    MainWindow &w = *harness.window;
    harness.application->showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy balloons(&harness.application->tray(), &cSysTray::balloonShown);

    w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(harness.application->hiddenInTray());
    QCOMPARE(balloons.size(), 1);
    QCOMPARE(balloons[0][0].toString(), u"Tarnwick"_s);
    QCOMPARE(balloons[0][1].toString(), kBalloon);

    // a button released over the icon brings the window back
    Q_EMIT harness.application->tray().icon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(w.isVisible());
    QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    QVERIFY(!harness.application->hiddenInTray());

    // the second time: hidden again, no balloon
    w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(balloons.size(), 1);
    Q_EMIT harness.application->tray().icon()->activated(QSystemTrayIcon::Context);
    QVERIFY(w.isVisible());
}

void StartupOptionsTest::withoutATrayMinimisingKeepsAnOrdinaryWindow()
{
    testing::Harness harness;
    harness.trayAvailable = false;
    harness.prepareSettings("Windows%20Startup=On\nMinimized=On\n");
    harness.start();
    MainWindow &w = *harness.window;
    harness.application->showWindow();
    QVERIFY(w.windowState() & Qt::WindowMinimized);
    QTest::qWait(0);
    QVERIFY(w.isVisible());
    QVERIFY(!harness.application->hiddenInTray());
}

void StartupOptionsTest::theTrayIconLivesAsLongAsTheWindow()
{
    testing::Harness harness;
    harness.trayAvailable = true;
    harness.start();
    cSysTray &tray = harness.application->tray();
    QVERIFY(tray.InTray());
    QCOMPARE(tray.TrayTip(), u"Tarnwick"_s);
    QVERIFY(!tray.TrayIcon().isNull());
    QVERIFY(!harness.window->windowIcon().isNull());
    harness.window->close();
    QVERIFY(!tray.InTray());
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::StartupOptionsTest)
#include "startup_options_test.moc"
