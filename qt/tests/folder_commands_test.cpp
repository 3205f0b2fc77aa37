#include "app/folder_list_controller.h"
#include "harness.h"

#include "qtest_main.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {
const QString kSeparator = u"|234SSDEPERATATORZZ|"_s;

QStringList rows(const MainWindow &window)
{
    QStringList result;
    for (int i = 0; i < window.ListView1->topLevelItemCount(); ++i)
        result << window.ListView1->topLevelItem(i)->text(0);
    return result;
}

void select(MainWindow &window, int row)
{
    window.ListView1->setCurrentItem(window.ListView1->topLevelItem(row));
}
} // namespace

class FolderCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void restoresTheStoredList_data();
    void restoresTheStoredList();
    void addFolderStoresTheNewRow();
    void cancellingChangesNothing();
    void addAllSubfoldersAddsTheTreeInOrder();
    void removingByDeleteIsNotStoredButDoubleClickIs();
    void clearListIsNotStored();
    void sampleDataAddsTheDesktopEachTime();
    void deleteAndClearWaitWhileSubfoldersAreAdded();
};

void FolderCommandsTest::restoresTheStoredList_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two folders") << QByteArray("/a/|234SSDEPERATATORZZ|/b/|234SSDEPERATATORZZ|")
                                 << QStringList {u"/a/"_s, u"/b/"_s};
    QTest::newRow("junk after the last separator")
        << QByteArray("/a/|234SSDEPERATATORZZ|junk") << QStringList {u"/a/"_s};
    QTest::newRow("no separator") << QByteArray("/a/") << QStringList {};
    QTest::newRow("absent") << QByteArray() << QStringList {};
}

void FolderCommandsTest::restoresTheStoredList()
{
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, expected);
    testing::Harness harness;
    if (!stored.isEmpty())
        harness.prepareSettings("Folders=\"" + stored + "\"\n");
    harness.start();
    QCOMPARE(rows(*harness.window), expected);
    QCOMPARE(harness.window->ListView1->headerItem()->text(0), u"Folder(s)"_s);
    QVERIFY(harness.prompts.errors.isEmpty());
}

void FolderCommandsTest::addFolderStoresTheNewRow()
{
    testing::Harness harness;
    harness.start();
    harness.picker.answers << u"/data//photos"_s << u"/"_s << u"/data/photos"_s;
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(harness.window->PushButton3, Qt::LeftButton);
    QCOMPARE(harness.picker.titles, (QStringList {u"Select Folder"_s, u"Select Folder"_s, u"Select Folder"_s}));
    const QStringList expected = {u"/data/photos/"_s, u"/"_s, u"/data/photos/"_s};
    QCOMPARE(rows(*harness.window), expected);
    QCOMPARE(harness.stored(SettingKey::Folders), expected.join(kSeparator) + kSeparator);
}

void FolderCommandsTest::cancellingChangesNothing()
{
    testing::Harness harness;
    harness.prepareSettings("Folders=/a/|234SSDEPERATATORZZ|\n");
    harness.start();
    QTest::mouseClick(harness.window->PushButton3, Qt::LeftButton);
    QTest::mouseClick(harness.window->PushButton4, Qt::LeftButton);
    QCOMPARE(harness.picker.titles, (QStringList {u"Select Folder"_s, u"Please select folder:"_s}));
    QCOMPARE(rows(*harness.window), QStringList {u"/a/"_s});
    QCOMPARE(harness.stored(SettingKey::Folders), u"/a/"_s + kSeparator);
    QVERIFY(harness.prompts.messages.isEmpty());
    QVERIFY(!harness.application->folderList().isBusy());
}

void FolderCommandsTest::addAllSubfoldersAddsTheTreeInOrder()
{
    testing::Harness harness;
    harness.start();
    QTemporaryDir tree;
    QVERIFY(QDir(tree.path()).mkpath(u"only/inner"_s));
    harness.picker.answers << tree.path();
    QSignalSpy added(&harness.application->folderList(), &FolderListController::subfoldersAdded);
    QTest::mouseClick(harness.window->PushButton4, Qt::LeftButton);
    QTRY_COMPARE(added.size(), 1);
    const QStringList expected = {tree.path() + u"/"_s, tree.path() + u"/only/"_s, tree.path() + u"/only/inner/"_s};
    QCOMPARE(rows(*harness.window), expected);
    QCOMPARE(harness.stored(SettingKey::Folders), expected.join(kSeparator) + kSeparator);
    QVERIFY(!harness.application->folderList().isBusy());
    QVERIFY(!QApplication::overrideCursor());
}

void FolderCommandsTest::removingByDeleteIsNotStoredButDoubleClickIs()
{
    testing::Harness harness;
    harness.prepareSettings("Folders=/a/|234SSDEPERATATORZZ|/b/|234SSDEPERATATORZZ|/c/|234SSDEPERATATORZZ|\n");
    harness.start();
    const QString before = harness.stored(SettingKey::Folders);

    // nothing selected: neither removes anything
    harness.window->ListView1->setCurrentItem(nullptr);
    harness.window->ListView1->clearSelection();
    QTest::keyClick(harness.window->ListView1, Qt::Key_Delete);
    QTest::mouseDClick(harness.window->ListView1->viewport(), Qt::LeftButton);
    QCOMPARE(rows(*harness.window).size(), 3);

    select(*harness.window, 1);
    QTest::keyClick(harness.window->ListView1, Qt::Key_A);
    QCOMPARE(rows(*harness.window).size(), 3);
    QTest::keyClick(harness.window->ListView1, Qt::Key_Delete);
    QCOMPARE(rows(*harness.window), (QStringList {u"/a/"_s, u"/c/"_s}));
    QCOMPARE(harness.stored(SettingKey::Folders), before);

    const QRect first = harness.window->ListView1->visualItemRect(harness.window->ListView1->topLevelItem(0));
    QTest::mouseClick(harness.window->ListView1->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(harness.window->ListView1->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(rows(*harness.window), QStringList {u"/c/"_s});
    QCOMPARE(harness.stored(SettingKey::Folders), u"/c/"_s + kSeparator);
}

void FolderCommandsTest::clearListIsNotStored()
{
    testing::Harness harness;
    harness.prepareSettings("Folders=/a/|234SSDEPERATATORZZ|\n");
    harness.start();
    QTest::mouseClick(harness.window->PushButton7, Qt::LeftButton);
    QVERIFY(rows(*harness.window).isEmpty());
    QCOMPARE(harness.stored(SettingKey::Folders), u"/a/"_s + kSeparator);

    // the next storing command writes the rows as they are then
    harness.picker.answers << u"/new"_s;
    QTest::mouseClick(harness.window->PushButton3, Qt::LeftButton);
    QCOMPARE(harness.stored(SettingKey::Folders), u"/new/"_s + kSeparator);
}

void FolderCommandsTest::sampleDataAddsTheDesktopEachTime()
{
    testing::Harness harness;
    harness.start();
    QTest::mouseClick(harness.window->PushButton8, Qt::LeftButton);
    QTest::mouseClick(harness.window->PushButton8, Qt::LeftButton);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + u"/"_s;
    QCOMPARE(rows(*harness.window), (QStringList {desktop, desktop}));
    QCOMPARE(harness.stored(SettingKey::Folders), desktop + kSeparator + desktop + kSeparator);
    QVERIFY2(!QDir(desktop).exists() || QDir(desktop).isEmpty(), "nothing is created");
}

void FolderCommandsTest::deleteAndClearWaitWhileSubfoldersAreAdded()
{
    testing::Harness harness;
    harness.prepareSettings("Folders=/a/|234SSDEPERATATORZZ|\n");
    harness.start();
    QTemporaryDir tree;
    harness.picker.answers << tree.path();
    QSignalSpy added(&harness.application->folderList(), &FolderListController::subfoldersAdded);
    QTest::mouseClick(harness.window->PushButton4, Qt::LeftButton);
    // the enumeration runs on a worker; until it reports back, the hourglass is up
    QVERIFY(harness.application->folderList().isBusy());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    select(*harness.window, 0);
    QTest::keyClick(harness.window->ListView1, Qt::Key_Delete);
    QTest::mouseClick(harness.window->PushButton7, Qt::LeftButton);
    QCOMPARE(rows(*harness.window).size(), 1);
    QTRY_COMPARE(added.size(), 1);
    QCOMPARE(rows(*harness.window), (QStringList {u"/a/"_s, tree.path() + u"/"_s}));
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::FolderCommandsTest)
#include "folder_commands_test.moc"
