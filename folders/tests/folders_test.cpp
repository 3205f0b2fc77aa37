#include "folders/folder_list.h"
#include "folders/folder_picker.h"
#include "folders/subfolder_scan.h"

#include "qtest_main.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

using namespace tarnwick;
using namespace Qt::StringLiterals;

namespace {

// Test rows are written with "\" and turned into the form of the separator under test.
QString withSeparator(QString text, QChar separator)
{
    return text.replace(u'\\', separator);
}

} // namespace

class FoldersTest : public QObject
{
    Q_OBJECT

private slots:
    void normalisePath_data();
    void normalisePath();
    void normalisePathOfThisPlatform();

    void storedFormRoundTrip_data();
    void storedFormRoundTrip();
    void parseStoredFolderList_data();
    void parseStoredFolderList();

    void listedPathFromPicker_data();
    void listedPathFromPicker();
    void listedPathFromEntry_data();
    void listedPathFromEntry();

    void desktopFolderPath();

    void folderFromDialogResult_data();
    void folderFromDialogResult();

    void scanListsTreeLevelByLevel();
    void scanOfFolderWithoutSubfolders();
    void scanOfCancelledRun();
    void scanOfEmptyChoice();
    void scanOfMissingFolder();
};

void FoldersTest::normalisePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("networkPaths");
    QTest::addColumn<QString>("expected");

    // Every case runs with both separators: "\" in the table stands for the one under test.
    QTest::newRow("drive root with a separator appended") << u"C:\\\\"_s << true << u"C:\\"_s;
    QTest::newRow("doubled final separator") << u"C:\\Data\\\\"_s << true << u"C:\\Data\\"_s;
    QTest::newRow("single separators untouched") << u"C:\\Data\\Sub\\"_s << true << u"C:\\Data\\Sub\\"_s;
    QTest::newRow("three become two") << u"a\\\\\\b"_s << true << u"a\\\\b"_s;
    QTest::newRow("four become two") << u"a\\\\\\\\b"_s << true << u"a\\\\b"_s;
    QTest::newRow("five become three") << u"a\\\\\\\\\\b"_s << true << u"a\\\\\\b"_s;
    QTest::newRow("network path kept") << u"\\\\server\\share\\"_s << true << u"\\\\server\\share\\"_s;
    QTest::newRow("network path, rest collapsed") << u"\\\\server\\\\share\\\\"_s << true << u"\\\\server\\share\\"_s;
    QTest::newRow("four leading become two") << u"\\\\\\\\server"_s << true << u"\\\\server"_s;
    QTest::newRow("one leading becomes two") << u"\\server"_s << true << u"\\\\server"_s;
    QTest::newRow("only separators") << u"\\\\\\"_s << true << u"\\\\"_s;
    QTest::newRow("empty") << QString() << true << QString();
    QTest::newRow("no network: leading pair collapsed") << u"\\\\home\\\\u\\"_s << false << u"\\home\\u\\"_s;
    QTest::newRow("no network: root with separator appended") << u"\\\\"_s << false << u"\\"_s;
    QTest::newRow("no network: single leading kept") << u"\\home\\u\\"_s << false << u"\\home\\u\\"_s;
    QTest::newRow("no network: three become two") << u"a\\\\\\b"_s << false << u"a\\\\b"_s;
    QTest::newRow("no network: four become two") << u"a\\\\\\\\b"_s << false << u"a\\\\b"_s;
}

void FoldersTest::normalisePath()
{
    QFETCH(QString, path);
    QFETCH(bool, networkPaths);
    QFETCH(QString, expected);

    for (const QChar separator : {QChar(u'\\'), QChar(u'/')}) {
        QCOMPARE(NormalisePath(withSeparator(path, separator), separator, networkPaths),
                 withSeparator(expected, separator));
    }
}

void FoldersTest::normalisePathOfThisPlatform()
{
#ifdef _WIN32
    QCOMPARE(NormalisePath(u"\\\\\\\\server\\share\\"_s), u"\\\\server\\share\\"_s);
    QCOMPARE(NormalisePath(u"C:\\\\"_s), u"C:\\"_s);
#else
    QCOMPARE(NormalisePath(u"/home//u/"_s), u"/home/u/"_s);
    QCOMPARE(NormalisePath(u"//"_s), u"/"_s);
    QCOMPARE(NormalisePath(u"//home/"_s), u"/home/"_s);
    // A backslash is an ordinary character of a name here.
    QCOMPARE(NormalisePath(u"/a\\\\b/"_s), u"/a\\\\b/"_s);
#endif
}

void FoldersTest::storedFormRoundTrip_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("stored");

    const QString sep = kStoredFolderSeparator.toString();
    QTest::newRow("empty list") << QStringList() << QString();
    QTest::newRow("two folders") << QStringList {u"C:\\Data\\"_s, u"D:\\Work\\"_s}
                                 << u"C:\\Data\\"_s + sep + u"D:\\Work\\"_s + sep;
    QTest::newRow("duplicates kept") << QStringList {u"/home/u/"_s, u"/home/u/"_s}
                                     << u"/home/u/"_s + sep + u"/home/u/"_s + sep;
    QTest::newRow("empty row kept") << QStringList {QString(), u"/a/"_s} << sep + u"/a/"_s + sep;
    QTest::newRow("partial separator inside a row") << QStringList {u"/x|234SSDEP/"_s} << u"/x|234SSDEP/"_s + sep;
}

void FoldersTest::storedFormRoundTrip()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, stored);

    QCOMPARE(StoredFolderList(rows), stored);
    QCOMPARE(ParseStoredFolderList(stored), rows);
}

void FoldersTest::parseStoredFolderList_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("rows");

    const QString sep = kStoredFolderSeparator.toString();
    QTest::newRow("text after the last separator ignored")
        << u"C:\\A\\"_s + sep + u"junk"_s << QStringList {u"C:\\A\\"_s};
    QTest::newRow("no separator") << u"C:\\A\\"_s << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("separator in other case") << u"C:\\A\\"_s + sep.toLower() << QStringList();
    QTest::newRow("separator alone") << sep << QStringList {QString()};
    QTest::newRow("two in a row") << u"/a/"_s + sep + sep << QStringList {u"/a/"_s, QString()};
    QTest::newRow("56 characters for two rows")
        << u"C:\\Data\\"_s + sep + u"D:\\Work\\"_s + sep << QStringList {u"C:\\Data\\"_s, u"D:\\Work\\"_s};
}

void FoldersTest::parseStoredFolderList()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, rows);

    QCOMPARE(ParseStoredFolderList(stored), rows);
}

void FoldersTest::listedPathFromPicker_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<bool>("networkPaths");
    QTest::addColumn<QString>("row");

    QTest::newRow("cancelled, POSIX") << QString() << QChar(u'/') << false << QString();
    QTest::newRow("cancelled, Windows") << QString() << QChar(u'\\') << true << QString();
    QTest::newRow("root, POSIX") << u"/"_s << QChar(u'/') << false << u"/"_s;
    QTest::newRow("folder, POSIX") << u"/home/u/Photos"_s << QChar(u'/') << false << u"/home/u/Photos/"_s;
    QTest::newRow("doubled inside, POSIX") << u"/home//u"_s << QChar(u'/') << false << u"/home/u/"_s;
    QTest::newRow("two leading, POSIX") << u"//home/u"_s << QChar(u'/') << false << u"/home/u/"_s;
    QTest::newRow("drive root, Windows") << u"C:\\"_s << QChar(u'\\') << true << u"C:\\"_s;
    QTest::newRow("folder, Windows") << u"D:\\Photos"_s << QChar(u'\\') << true << u"D:\\Photos\\"_s;
    QTest::newRow("network folder, Windows")
        << u"\\\\server\\share"_s << QChar(u'\\') << true << u"\\\\server\\share\\"_s;
    // A network path is taken as it comes, doubled separators and all.
    QTest::newRow("network folder kept whole, Windows")
        << u"\\\\server\\\\share"_s << QChar(u'\\') << true << u"\\\\server\\\\share\\"_s;
}

void FoldersTest::listedPathFromPicker()
{
    QFETCH(QString, chosen);
    QFETCH(QChar, separator);
    QFETCH(bool, networkPaths);
    QFETCH(QString, row);

    QCOMPARE(ListedPathFromPicker(chosen, separator, networkPaths), row);
#ifdef _WIN32
    const bool thisPlatform = separator == u'\\';
#else
    const bool thisPlatform = separator == u'/';
#endif
    if (thisPlatform)
        QCOMPARE(ListedPathFromPicker(chosen), row);
}

void FoldersTest::listedPathFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<bool>("networkPaths");
    QTest::addColumn<QString>("row");

    QTest::newRow("root entry, POSIX") << u"//"_s << QChar(u'/') << false << u"/"_s;
    QTest::newRow("below root, POSIX") << u"//home/"_s << QChar(u'/') << false << u"/home/"_s;
    QTest::newRow("plain folder, POSIX") << u"/w/a/c/"_s << QChar(u'/') << false << u"/w/a/c/"_s;
    QTest::newRow("drive root entry, Windows") << u"C:\\\\"_s << QChar(u'\\') << true << u"C:\\"_s;
    QTest::newRow("below drive root, Windows") << u"C:\\\\Windows\\"_s << QChar(u'\\') << true << u"C:\\Windows\\"_s;
    QTest::newRow("network entry, Windows")
        << u"\\\\server\\share\\sub\\"_s << QChar(u'\\') << true << u"\\\\server\\share\\sub\\"_s;
}

void FoldersTest::listedPathFromEntry()
{
    QFETCH(QString, entry);
    QFETCH(QChar, separator);
    QFETCH(bool, networkPaths);
    QFETCH(QString, row);

    QCOMPARE(ListedPathFromEntry(entry, separator, networkPaths), row);
}

void FoldersTest::desktopFolderPath()
{
    const QString desktop = QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    QVERIFY(!desktop.isEmpty());
    const QString path = DesktopFolderPath();
    QCOMPARE(path, desktop + QChar(kPathSeparator));
    QVERIFY(path.startsWith(QDir::toNativeSeparators(QDir::homePath())));
}

void FoldersTest::folderFromDialogResult_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("folder");

    QTest::newRow("cancelled") << QString() << QString();
#ifdef _WIN32
    QTest::newRow("drive root") << u"C:/"_s << u"C:\\"_s;
    QTest::newRow("folder") << u"D:/Photos"_s << u"D:\\Photos"_s;
    QTest::newRow("trailing separator") << u"D:/Photos/"_s << u"D:\\Photos"_s;
    QTest::newRow("network folder") << u"//server/share"_s << u"\\\\server\\share"_s;
#else
    QTest::newRow("root") << u"/"_s << u"/"_s;
    QTest::newRow("folder") << u"/home/u/Photos"_s << u"/home/u/Photos"_s;
    QTest::newRow("trailing separator") << u"/home/u/Photos/"_s << u"/home/u/Photos"_s;
#endif
}

void FoldersTest::folderFromDialogResult()
{
    QFETCH(QString, result);
    QFETCH(QString, folder);

    QCOMPARE(FolderFromDialogResult(result), folder);
}

void FoldersTest::scanListsTreeLevelByLevel()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir dir(root.path());
    // w holds a and b, each with one child; plus a file, which is no row.
    for (const QString &relative : {u"w/b/d"_s, u"w/a/c"_s})
        QVERIFY(dir.mkpath(relative));
    QFile file(dir.filePath(u"w/file.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString w = QDir::toNativeSeparators(dir.filePath(u"w"_s));
    const QChar sep(kPathSeparator);

    QFutureWatcher<SubfolderScan> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcher<SubfolderScan>::finished);
    watcher.setFuture(ScanSubfolders(w));
    QTRY_COMPARE(finished.count(), 1);

    const SubfolderScan scan = watcher.result();
    QVERIFY(!scan.cancelled);
    QVERIFY(scan.failures.isEmpty());
    QCOMPARE(scan.rows.size(), 5);
    QCOMPARE(scan.rows.at(0), w + sep);
    // The children in the order the directory lists them, then the grandchildren in the order of their parents.
    const QString a = w + sep + u"a"_s + sep;
    const QString b = w + sep + u"b"_s + sep;
    QVERIFY(scan.rows.at(1) == a || scan.rows.at(1) == b);
    QCOMPARE(scan.rows.at(2), scan.rows.at(1) == a ? b : a);
    QCOMPARE(scan.rows.at(3), scan.rows.at(1) + (scan.rows.at(1) == a ? u"c"_s : u"d"_s) + sep);
    QCOMPARE(scan.rows.at(4), scan.rows.at(2) + (scan.rows.at(2) == a ? u"c"_s : u"d"_s) + sep);
}

void FoldersTest::scanOfFolderWithoutSubfolders()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString chosen = QDir::toNativeSeparators(root.path());
    // A trailing separator from the picker must not give a doubled one.
    const SubfolderScan scan = ScanSubfolders(chosen + QChar(kPathSeparator)).result();
    QCOMPARE(scan.rows, QStringList {chosen + QChar(kPathSeparator)});
    QVERIFY(!scan.cancelled);
}

void FoldersTest::scanOfCancelledRun()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath(u"a/b"_s));
    const auto cancel = std::make_shared<std::atomic<bool>>(true);

    const SubfolderScan scan = ScanSubfolders(QDir::toNativeSeparators(root.path()), cancel).result();
    QVERIFY(scan.cancelled);
    QVERIFY(scan.rows.isEmpty());

    // The same folder without the flag set lists all three.
    cancel->store(false);
    QCOMPARE(ScanSubfolders(QDir::toNativeSeparators(root.path()), cancel).result().rows.size(), 3);
}

void FoldersTest::scanOfEmptyChoice()
{
    const SubfolderScan scan = ScanSubfoldersNow(QString());
    QVERIFY(scan.rows.isEmpty());
    QVERIFY(scan.failures.isEmpty());
    QVERIFY(!scan.cancelled);
}

void FoldersTest::scanOfMissingFolder()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString missing = QDir::toNativeSeparators(root.filePath(u"gone"_s));
    // A folder that does not exist stays as the only row, as the enumeration keeps it.
    const SubfolderScan scan = ScanSubfoldersNow(missing);
    QCOMPARE(scan.rows, QStringList {missing + QChar(kPathSeparator)});
    QVERIFY(scan.failures.isEmpty());
}

TARNWICK_QTEST_MAIN(FoldersTest)
#include "folders_test.moc"
