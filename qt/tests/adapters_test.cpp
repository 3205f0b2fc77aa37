// The Qt adapters of app/'s interfaces: the history model, the settings store, the tray icon, the autostart
// entry, the launcher, the folder dialog's result and the one-copy-per-user lock.

#include "qt/desktop_launcher.h"
#include "qt/history_model.h"
#include "qt/ini_settings_store.h"
#include "qt/message_box_prompts.h"
#include "qt/qt_tray_icon.h"
#include "qt/single_instance.h"
#include "qt/xdg_autostart.h"

#include "app/sys_tray.h"

#include "qtest_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tarnwick {

class AdaptersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theHistoryModelTakesAPassInOneInsertion();
    void theHistoryModelHoldsAMillionRows();
    void settingsLiveInTheIniSection();
    void settingsThatCannotBeReadAreLeftAsTheyAre();
    void settingsSpoiltWhileRunningAreLeftAsTheyAre_data();
    void settingsSpoiltWhileRunningAreLeftAsTheyAre();
    void settingsDeletedWhileRunningAreWrittenWhole();
    void aSettingThatCannotBeWrittenThrows();
    void theTrayIconSpeaksInTheControlsMessages();
    void theAutostartEntryStartsThisProgram();
    void anAutostartFolderThatCannotBeMadeIsReported();
    void theLauncherPassesThePathAsOneArgument();
    void theLauncherReportsWhatItCannotStart();
    void theFolderDialogsResult_data();
    void theFolderDialogsResult();
    void aSecondCopyAsksTheFirstToShowItself();
    void aLeftOverLockDoesNotStopAStart_data();
    void aLeftOverLockDoesNotStopAStart();
};

void AdaptersTest::theHistoryModelTakesAPassInOneInsertion()
{
    HistoryModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendBatch({"t1", {{ChangeKind::Added, "/w/a"}, {ChangeKind::Removed, "/w/b"}}});
    model.appendBatch({"t2", {{ChangeKind::Modified, "/w/\\nc"}}});
    model.appendBatch({"t3", {}});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 2);
    QCOMPARE(model.rowCount(), 3);
    const auto cell = [&](int row, int column) { return model.data(model.index(row, column)).toString(); };
    QCOMPARE(cell(0, 0), u"t1"_s);
    QCOMPARE(cell(1, 1), u"Removed file"_s);
    QCOMPARE(cell(1, 2), u"/w/b"_s);
    QCOMPARE(cell(2, 0), u"t2"_s);
    QCOMPARE(cell(2, 1), u"Modified file"_s);
    QCOMPARE(cell(2, 2), u"/w/\\nc"_s);
    QCOMPARE(model.data(model.index(2, 2), Qt::ToolTipRole).toString(), u"/w/\\nc"_s);
    QVERIFY(!model.data(model.index(3, 0)).isValid());

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(reset.count(), 1);
    model.appendBatch({"t4", {{ChangeKind::Added, "/w/d"}}});
    QCOMPARE(cell(0, 0), u"t4"_s);
}

void AdaptersTest::theHistoryModelHoldsAMillionRows()
{
    HistoryModel model;
    std::vector<Change> changes(1000000, Change {ChangeKind::Added, "/w/file"});
    changes.back().path = "/w/last";
    model.appendBatch({"now", std::move(changes)});
    QCOMPARE(model.rowCount(), 1000000);
    QCOMPARE(model.data(model.index(999999, 2)).toString(), u"/w/last"_s);
}

void AdaptersTest::settingsLiveInTheIniSection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quelvane.ini"_s);
    IniSettingsStore store(path);
    QVERIFY(!store.readProblem());
    QCOMPARE(store.read("Weekly Time"), std::nullopt);
    store.write("Weekly Time", "09:30:00");
    store.write("Folders", "/a, b/|234SSDEPERATATORZZ|");
    // written at once, under the section, readable by a new store
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("[Tarnwick]"));
    IniSettingsStore again(path);
    QCOMPARE(again.read("Weekly Time"), std::optional<std::string>("09:30:00"));
    QCOMPARE(again.read("Folders"), std::optional<std::string>("/a, b/|234SSDEPERATATORZZ|"));

    // the user's own file is Quelvane.ini in the configuration folder (a temporary one in tests)
    QCOMPARE(IniSettingsStore().fileName(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Quelvane.ini"_s);
}

void AdaptersTest::settingsThatCannotBeReadAreLeftAsTheyAre()
{
    QTemporaryDir dir;
    // Something at the path that is no readable file (root reads any file, so a folder stands for it here).
    const QString path = dir.filePath(u"Quelvane.ini"_s);
    QVERIFY(QDir().mkpath(path + u"/keep"_s));
    IniSettingsStore store(path);
    const std::optional<std::string> problem = store.readProblem();
    QVERIFY(problem.has_value());
    QVERIFY2(QString::fromStdString(*problem).contains(path), problem->c_str());
    store.write("Text3", "9");
    QCOMPARE(store.read("Text3"), std::optional<std::string>("9"));
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFileInfo::exists(path + u"/keep"_s));
}

void AdaptersTest::settingsSpoiltWhileRunningAreLeftAsTheyAre_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("spoiler");
    QTest::newRow("a broken line added by hand") << true << QByteArray("a line that is no setting\n");
    // the start of a binary file, a NUL byte among the rest
    static constexpr char kJunk[] = "\x7f"
                                    "ELF\x02\x01\x01\0\xff\xfe[\x80\n\x01\x02";
    QTest::newRow("replaced by junk") << false << QByteArray(kJunk, sizeof kJunk - 1);
}

void AdaptersTest::settingsSpoiltWhileRunningAreLeftAsTheyAre()
{
    QFETCH(bool, append);
    QFETCH(QByteArray, spoiler);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quelvane.ini"_s);
    IniSettingsStore store(path);
    store.write("Folders", "/a/|234SSDEPERATATORZZ|");
    {
        QFile file(path);
        QVERIFY(file.open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(spoiler);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray spoilt = file.readAll();
    file.close();

    // told once, with where and why; nothing claims a save failed when none was tried
    try {
        store.write("StartStopState", "On");
        QFAIL("the spoilt file was not reported");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromStdString(error.what());
        QVERIFY2(message.contains(path) && message.contains(u"can no longer be read"_s), error.what());
        QVERIFY2(!message.contains(u"could not be saved"_s), error.what());
    }
    store.write("Text1", "5");
    // the run goes on in memory and the file is never written over
    QCOMPARE(store.read("StartStopState"), std::optional<std::string>("On"));
    QCOMPARE(store.read("Text1"), std::optional<std::string>("5"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), spoilt);
}

void AdaptersTest::settingsDeletedWhileRunningAreWrittenWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quelvane.ini"_s);
    {
        IniSettingsStore earlier(path);
        earlier.write("Folders", "/a, b/|234SSDEPERATATORZZ|");
        earlier.write("Text3", "30");
    }
    IniSettingsStore store(path);
    store.write("Weekly", "Monday");
    QVERIFY(QFile::remove(path));
    store.write("StartStopState", "On");
    // the next start finds every setting, not only the last one written
    IniSettingsStore next(path);
    QCOMPARE(next.read("Folders"), std::optional<std::string>("/a, b/|234SSDEPERATATORZZ|"));
    QCOMPARE(next.read("Text3"), std::optional<std::string>("30"));
    QCOMPARE(next.read("Weekly"), std::optional<std::string>("Monday"));
    QCOMPARE(next.read("StartStopState"), std::optional<std::string>("On"));
}

void AdaptersTest::aSettingThatCannotBeWrittenThrows()
{
    QTemporaryDir dir;
    // the file's folder is a file: nothing can be written there
    QFile blocker(dir.filePath(u"blocked"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    IniSettingsStore store(dir.filePath(u"blocked/Quelvane.ini"_s));
    QVERIFY(!store.readProblem());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.write("Text1", "3"));
}

void AdaptersTest::theTrayIconSpeaksInTheControlsMessages()
{
    QtTrayIcon icon([] { return true; });
    QList<int> messages;
    icon.setNotify([&](int message) { messages.append(message); });
    QVERIFY(icon.available());
    QVERIFY(icon.findChild<QSystemTrayIcon *>() == nullptr);
    icon.show("Tarnwick");
    auto *shownIcon = icon.findChild<QSystemTrayIcon *>();
    QVERIFY(shownIcon != nullptr);
    QVERIFY(shownIcon->isVisible());
    QCOMPARE(shownIcon->toolTip(), u"Tarnwick"_s);
    QVERIFY(!shownIcon->icon().isNull());
    icon.setTip("Other");
    QCOMPARE(shownIcon->toolTip(), u"Other"_s);

    // what the desktop reports about the icon
    const auto activate = [&](QSystemTrayIcon::ActivationReason reason) { Q_EMIT shownIcon->activated(reason); };
    activate(QSystemTrayIcon::Trigger);
    activate(QSystemTrayIcon::Context);
    activate(QSystemTrayIcon::DoubleClick);
    activate(QSystemTrayIcon::MiddleClick);
    QCOMPARE(messages,
             (QList<int> {app::cSysTray::LeftButtonDown, app::cSysTray::LeftButtonUp, app::cSysTray::RightButtonDown,
                          app::cSysTray::RightButtonUp, app::cSysTray::LeftDoubleClick}));

    messages.clear();
    QSignalSpy shown(&icon, &QtTrayIcon::balloonShown);
    icon.showBalloon("Tarnwick", "hidden", 50);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(1).toString(), u"hidden"_s);
    QTRY_COMPARE(messages, QList<int> {app::cSysTray::BalloonTimedOut});
    icon.hide();
    QVERIFY(icon.findChild<QSystemTrayIcon *>() == nullptr);
    QVERIFY(!QtTrayIcon([] { return false; }).available());
}

void AdaptersTest::theAutostartEntryStartsThisProgram()
{
    XdgAutostart autostart(u"/opt/my apps/tarnwick"_s);
    QCOMPARE(autostart.entryPath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 u"/autostart/tarnwick.desktop"_s);
    QVERIFY(!autostart.registered());
    autostart.add();
    QVERIFY(autostart.registered());
    // an entry that starts the program from where it used to be is not this program's
    QVERIFY(!XdgAutostart(u"/opt/my apps/tarnwick-old"_s).registered());
    QVERIFY(!XdgAutostart(u"/opt/my"_s).registered());
    QFile entry(autostart.entryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    QVERIFY2(text.contains("\nExec=\"/opt/my apps/tarnwick\"\n"), text.constData());
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    entry.close();
    // the desktop's own validator accepts it (desktop-file-utils is installed by scripts/deps)
    QProcess validate;
    validate.start(u"desktop-file-validate"_s, {autostart.entryPath()});
    QVERIFY2(validate.waitForFinished(30000), "desktop-file-validate did not run: install desktop-file-utils");
    QVERIFY2(validate.exitStatus() == QProcess::NormalExit && validate.exitCode() == 0,
             validate.readAllStandardOutput().constData());
    autostart.remove();
    QVERIFY(!QFileInfo::exists(autostart.entryPath()));
    QVERIFY(!autostart.registered());
    autostart.remove(); // nothing to remove: no failure
}

void AdaptersTest::anAutostartFolderThatCannotBeMadeIsReported()
{
    XdgAutostart autostart(u"/usr/bin/tarnwick"_s);
    const QString folder = QFileInfo(autostart.entryPath()).absolutePath();
    QDir(folder).removeRecursively();
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        autostart.add();
        QFAIL("the failure was not reported");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(folder), error.what());
    }
    QFile::remove(folder);
}

void AdaptersTest::theLauncherPassesThePathAsOneArgument()
{
    // "touch" stands in for the viewer: the file it creates shows that the path arrived as one argument.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"my temp"_s));
    const QString path = dir.filePath(u"my temp/Tarnwick log.txt"_s);
    DesktopLauncher launcher(u"touch"_s);
    launcher.openTextFile(path.toStdString());
    QTRY_VERIFY(QFileInfo::exists(path));
    QCOMPARE(QDir(dir.filePath(u"my temp"_s)).entryList(QDir::Files), QStringList {u"Tarnwick log.txt"_s});
}

void AdaptersTest::theLauncherReportsWhatItCannotStart()
{
    QTemporaryDir dir;
    const QString viewer = dir.filePath(u"no-such-viewer"_s);
    try {
        DesktopLauncher(viewer).openTextFile(dir.filePath(u"Tarnwick.txt"_s).toStdString());
        QFAIL("a missing viewer was not reported");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(viewer), error.what());
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, DesktopLauncher().openUrl(""));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, DesktopLauncher().openUrl("http://exa mple.com:port"));
}

void AdaptersTest::theFolderDialogsResult_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("folder");
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("root") << u"/"_s << u"/"_s;
    QTest::newRow("folder") << u"/home/u/Photos"_s << u"/home/u/Photos"_s;
    QTest::newRow("trailing separator") << u"/home/u/Photos/"_s << u"/home/u/Photos"_s;
}

void AdaptersTest::theFolderDialogsResult()
{
    QFETCH(QString, result);
    QFETCH(QString, folder);
    QCOMPARE(FolderFromDialogResult(result), folder);
}

void AdaptersTest::aSecondCopyAsksTheFirstToShowItself()
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QVERIFY(first.claim());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    {
        SingleInstance second(dir.path());
        QVERIFY(!second.claim());
    }
    QTRY_COMPARE(shown.count(), 1);
    // another user's copy (another folder) is no concern of this one
    QTemporaryDir other;
    SingleInstance elsewhere(other.path());
    QVERIFY(elsewhere.claim());
}

void AdaptersTest::aLeftOverLockDoesNotStopAStart_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folder");
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("no process number") << QByteArray("garbage\n") << false;
    QTest::newRow("a folder at its path") << QByteArray() << true;
}

void AdaptersTest::aLeftOverLockDoesNotStopAStart()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    QTemporaryDir dir;
    const QString lock = dir.filePath(u"tarnwick-%1.lock"_s.arg(::getuid()));
    if (folder) {
        QVERIFY(QDir(dir.path()).mkdir(QFileInfo(lock).fileName()));
    } else {
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        // left by a copy that died a while ago, not one writing it right now
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    // nothing answers: this copy runs, and a later start finds it
    SingleInstance first(dir.path());
    QVERIFY(first.claim());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second(dir.path());
    QVERIFY(!second.claim());
    QTRY_COMPARE(shown.count(), 1);
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::AdaptersTest)
#include "adapters_test.moc"
