#include "history/history_log_file.h"
#include "history/history_model.h"
#include "history/launcher.h"

#include "qtest_main.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace tarnwick;
using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

constexpr auto kReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ExeOwner | QFileDevice::ExeUser;

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void historyLogPath_data();
    void historyLogPath();
    void historyLogPathInTemporaryFolder();
    void stripFileNameChars();

    void historyLogExists();
    void readHistoryLogText();
    void readHistoryLogTextFailures_data();
    void readHistoryLogTextFailures();

    void deleteFileForced_data();
    void deleteFileForced();
    void deleteFileForcedOfMissingFile();
    void deleteFileForcedOfLinkKeepsTarget();

    void modelHeaders();
    void modelAppendsBatches();
    void modelAppendsChanges();
    void modelClear();
    void modelHoldsAMillionRows();

    void launcherPassesPathWithBlanks();
    void launcherReportsMissingViewer();
    void launcherRefusesInvalidAddress();
};

void HistoryTest::historyLogPath_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("tempFolder");
    QTest::addColumn<QString>("expected");

    const QString sep = QDir::separator();
    const QString temp = sep + u"tmp"_s;
    QTest::newRow("product title") << u"Tarnwick"_s << temp << temp + sep + u"Tarnwick.txt"_s;
    QTest::newRow("last word Software") << u"Tarnwick Software"_s << temp << temp + sep + u"Tarnwick.txt"_s;
    QTest::newRow("Software with a trailing blank")
        << u"Tarnwick Software "_s << temp << temp + sep + u"Tarnwick.txt"_s;
    QTest::newRow("Software in another case kept")
        << u"Tarnwick software"_s << temp << temp + sep + u"Tarnwicksoftware.txt"_s;
    QTest::newRow("Software not last") << u"Software Tarnwick"_s << temp << temp + sep + u"SoftwareTarnwick.txt"_s;
    QTest::newRow("Software alone") << u"Software"_s << temp << temp + sep + u"Software.txt"_s;
    QTest::newRow("only the last word goes") << u"Big Data Software"_s << temp << temp + sep + u"BigData.txt"_s;
    QTest::newRow("punctuation stripped") << u"My App (v1.0)"_s << temp << temp + sep + u"MyAppv10.txt"_s;
    QTest::newRow("temporary folder ending in a separator")
        << u"Tarnwick"_s << temp + sep << temp + sep + u"Tarnwick.txt"_s;
    QTest::newRow("temporary folder with blanks")
        << u"Tarnwick"_s << temp + sep + u"my temp"_s << temp + sep + u"my temp"_s + sep + u"Tarnwick.txt"_s;
}

void HistoryTest::historyLogPath()
{
    QFETCH(QString, title);
    QFETCH(QString, tempFolder);
    QFETCH(QString, expected);

    QCOMPARE(HistoryLogPath(title, tempFolder), expected);
}

void HistoryTest::historyLogPathInTemporaryFolder()
{
    // The test process runs with TEMP pointing at its own folder.
    const QString temp = QDir::toNativeSeparators(qEnvironmentVariable("TEMP"));
    QVERIFY(!temp.isEmpty());
    QCOMPARE(HistoryLogPath(u"Tarnwick"_s), temp + QDir::separator() + u"Tarnwick.txt"_s);
}

void HistoryTest::stripFileNameChars()
{
    QCOMPARE(StripFileNameChars(u"a$b/c\\d*e:f?g<h>i|j#k'l m.n,o\"p(q)r-s+t=u%v;w}x{y\tz"_s),
             u"abcdefghijklmnopqrstuvwxyz"_s);
    // Everything else stays, letters of other scripts included.
    QCOMPARE(StripFileNameChars(u"Ä_é~!@&[]^`Ж"_s), u"Ä_é~!@&[]^`Ж"_s);
    QCOMPARE(DropLastWord(u"  Tarnwick   Software"_s), u"Tarnwick"_s);
    QCOMPARE(DropLastWord(u"Tarnwick\tSoftware"_s), u"Tarnwick\tSoftware"_s);
}

void HistoryTest::historyLogExists()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Tarnwick.txt"_s);
    QVERIFY(!HistoryLogExists(path));
    QVERIFY(writeFile(path, "x\n"));
    QVERIFY(HistoryLogExists(path));
}

void HistoryTest::readHistoryLogText()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Tarnwick.txt"_s);
    const QString text = u"2026-12-07 04:20:36 Added file /w/new.txt\n"
                         u"2026-12-07 04:20:36 Removed file /w/Ünïcödé ж.txt\n"
                         u"2026-12-07 04:20:37 Modified file /w/a b.txt\n"_s;
    QVERIFY(writeFile(path, text.toUtf8()));
    QCOMPARE(ReadHistoryLogText(path), text);

    QVERIFY(writeFile(path, QByteArray()));
    QCOMPARE(ReadHistoryLogText(path), QString());
}

void HistoryTest::readHistoryLogTextFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("makeFolder");

    QTest::newRow("missing") << u"Tarnwick.txt"_s << false;
    QTest::newRow("a folder") << u"Tarnwick.txt"_s << true;
}

void HistoryTest::readHistoryLogTextFailures()
{
    QFETCH(QString, name);
    QFETCH(bool, makeFolder);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    if (makeFolder)
        QVERIFY(QDir(dir.path()).mkdir(name));
    try {
        ReadHistoryLogText(path);
        QFAIL("no failure reported");
    } catch (const std::runtime_error &error) {
        // The message names the file so that the user knows which one.
        QVERIFY2(QString::fromUtf8(error.what()).contains(path), error.what());
    }
}

void HistoryTest::deleteFileForced_data()
{
    QTest::addColumn<bool>("readOnlyFile");
    QTest::addColumn<bool>("readOnlyFolder");

    QTest::newRow("writable file") << false << false;
    QTest::newRow("read-only file") << true << false;
    QTest::newRow("read-only file in a read-only folder") << true << true;
}

void HistoryTest::deleteFileForced()
{
    QFETCH(bool, readOnlyFile);
    QFETCH(bool, readOnlyFolder);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"logs"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + u"/Tarnwick.txt"_s;
    QVERIFY(writeFile(path, "line\n"));
    if (readOnlyFile)
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    if (readOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, kReadOnly));

        // Whether this process may delete entries of the folder at all: a privileged user may, whatever the
        // folder's mode; otherwise a read-only folder keeps its files and the call must simply return.
#ifdef _WIN32
    const bool folderWritable = true;
#else
    const bool folderWritable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#endif
    DeleteFileForced(path);
    const bool remains = QFileInfo::exists(path);
    QFile::setPermissions(folder, kReadOnly | QFileDevice::WriteOwner | QFileDevice::WriteUser);

    QCOMPARE(remains, !folderWritable);
    if (!readOnlyFolder)
        QVERIFY(!remains);
}

void HistoryTest::deleteFileForcedOfMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Tarnwick.txt"_s);
    DeleteFileForced(path);
    DeleteFileForced(dir.filePath(u"missing/folder/Tarnwick.txt"_s));
    DeleteFileForced(QString());
    QVERIFY(!QFileInfo::exists(path));
    // A folder at the path is no log: it stays.
    QVERIFY(QDir(dir.path()).mkdir(u"Tarnwick.txt"_s));
    DeleteFileForced(path);
    QVERIFY(QFileInfo(path).isDir());
}

void HistoryTest::deleteFileForcedOfLinkKeepsTarget()
{
#ifdef _WIN32
    QSKIP("symbolic links need privileges on Windows");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(u"other.txt"_s);
    QVERIFY(writeFile(target, "keep"));
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
    const QString link = dir.filePath(u"Tarnwick.txt"_s);
    QVERIFY(QFile::link(target, link));
    const QFileDevice::Permissions before = QFile::permissions(target);

    DeleteFileForced(link);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo::exists(target));
    QCOMPARE(QFile::permissions(target), before);
#endif
}

void HistoryTest::modelHeaders()
{
    HistoryModel model;
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Time"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"Action"_s);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), u"File"_s);
    QVERIFY(!model.headerData(3, Qt::Horizontal).isValid());
}

void HistoryTest::modelAppendsBatches()
{
    HistoryModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.appendRows({{u"t1"_s, ChangeKind::Added, u"/w/a.txt"_s}, {u"t1"_s, ChangeKind::Removed, u"/w/b.txt"_s}});
    model.appendRows({});
    model.appendRows({{u"t2"_s, ChangeKind::Modified, u"/w/c.txt"_s}});

    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 1);
    QCOMPARE(inserted.at(1).at(1).toInt(), 2);
    QCOMPARE(inserted.at(1).at(2).toInt(), 2);

    const QStringList expected[] = {
        {u"t1"_s, u"Added file"_s, u"/w/a.txt"_s},
        {u"t1"_s, u"Removed file"_s, u"/w/b.txt"_s},
        {u"t2"_s, u"Modified file"_s, u"/w/c.txt"_s},
    };
    QCOMPARE(model.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            QCOMPARE(model.data(model.index(row, column)).toString(), expected[row].at(column));
    }
    QCOMPARE(model.data(model.index(2, HistoryModel::FileColumn), Qt::ToolTipRole).toString(), u"/w/c.txt"_s);
    QVERIFY(!model.data(model.index(3, 0)).isValid());
    QVERIFY(!model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
}

void HistoryTest::modelAppendsChanges()
{
    HistoryModel model;
    model.appendChanges(u"12/7/2026 4:20:36 AM"_s,
                        {{ChangeKind::Added, "/w/new.txt"}, {ChangeKind::Modified, "/w/ä ö.txt"}});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0)).toString(), u"12/7/2026 4:20:36 AM"_s);
    QCOMPARE(model.data(model.index(1, 1)).toString(), u"Modified file"_s);
    QCOMPARE(model.data(model.index(1, 2)).toString(), u"/w/ä ö.txt"_s);
    QCOMPARE(model.row(0).path, u"/w/new.txt"_s);
}

void HistoryTest::modelClear()
{
    HistoryModel model;
    model.appendRows({{u"t"_s, ChangeKind::Added, u"/w/a.txt"_s}});
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(reset.count(), 1);

    // Rows appended after clearing start again at the top.
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendRows({{u"u"_s, ChangeKind::Removed, u"/w/b.txt"_s}});
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(model.data(model.index(0, 2)).toString(), u"/w/b.txt"_s);
}

void HistoryTest::modelHoldsAMillionRows()
{
    constexpr int count = 1'000'000;
    const QString time = u"2026-12-07 04:20:36"_s;
    QList<HistoryRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append({time, static_cast<ChangeKind>(i % 3), u"/w/file%1.txt"_s.arg(i)});

    HistoryModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendRows(std::move(rows));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), count - 1);
    QCOMPARE(model.rowCount(), count);
    for (const int row : {0, 1, 2, 499'999, count - 1}) {
        QCOMPARE(model.data(model.index(row, 0)).toString(), time);
        QCOMPARE(model.data(model.index(row, 1)).toString(),
                 QString::fromUtf8(ActionText(static_cast<ChangeKind>(row % 3))));
        QCOMPARE(model.data(model.index(row, 2)).toString(), u"/w/file%1.txt"_s.arg(row));
    }
    model.appendRows({{time, ChangeKind::Added, u"/w/last.txt"_s}});
    QCOMPARE(model.rowCount(), count + 1);
    QCOMPARE(model.data(model.index(count, 2)).toString(), u"/w/last.txt"_s);
}

void HistoryTest::launcherPassesPathWithBlanks()
{
#ifdef _WIN32
    QSKIP("needs a POSIX program that creates the file it is given");
#else
    // "touch" stands in for the viewer: the file it creates shows that the path arrived as one argument.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"my temp"_s));
    const QString path = dir.filePath(u"my temp/Tarnwick log.txt"_s);
    DesktopLauncher launcher(u"touch"_s);
    launcher.openTextFile(path);
    QTRY_VERIFY(QFileInfo::exists(path));
    QCOMPARE(QDir(dir.filePath(u"my temp"_s)).entryList(QDir::Files), QStringList {u"Tarnwick log.txt"_s});
#endif
}

void HistoryTest::launcherReportsMissingViewer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString viewer = dir.filePath(u"no-such-viewer"_s);
    DesktopLauncher launcher(viewer);
    try {
        launcher.openTextFile(dir.filePath(u"Tarnwick.txt"_s));
        QFAIL("a missing viewer was not reported");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(viewer), error.what());
    }
#ifdef _WIN32
    QCOMPARE(DesktopLauncher().textViewer(), u"notepad"_s);
#else
    QCOMPARE(DesktopLauncher().textViewer(), u"xdg-open"_s);
#endif
}

void HistoryTest::launcherRefusesInvalidAddress()
{
    DesktopLauncher launcher;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, launcher.openUrl(QUrl()));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, launcher.openUrl(QUrl(u"http://exa mple.com"_s, QUrl::StrictMode)));
}

TARNWICK_QTEST_MAIN(HistoryTest)
#include "history_test.moc"
