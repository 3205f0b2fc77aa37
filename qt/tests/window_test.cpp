// The main window: its controls as designed, and every event of a control reaching the application.

#include "harness.h"

#include "qt/layout.h"

#include "qtest_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnwick {

class WindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsFollowTheDesign_data();
    void controlsFollowTheDesign();
    void theWindowIsFixedWithAMinimiseButton();
    void headersFontsAndColours();
    void theSkinFileChangesOnlyTheColours();
    void aCursorFileGivesTheButtonsItsPointer();
    void everyControlReachesTheApplication();
    void theNumericCheckRunsOnlyWhenTheFocusMovesWithinTheWindow();
    void tabLeavesTheHistoryTable();
    void tabGoesThroughEveryControlInDesignOrder();
    void theArrowKeysMoveWithinTheOptionGroupAndSelectAndSaveEachButton();
    void folderRowsFollowTheCommands();
};

void WindowTest::controlsFollowTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<qreal>("points"); // Arial, bold
    QTest::addColumn<bool>("shown");
    QTest::newRow("Frame4") << u"Frame4"_s << u"Off."_s << QRect(120, 60, 7800, 855) << 9.0 << true;
    QTest::newRow("ProgressBar2") << u"ProgressBar2"_s << QString() << QRect(240, 270, 7320, 405) << 9.0 << true;
    QTest::newRow("ListView1") << u"ListView1"_s << QString() << QRect(120, 1020, 7800, 1815) << 9.0 << true;
    QTest::newRow("PushButton3") << u"PushButton3"_s << u"Add Folder"_s << QRect(120, 2920, 3840, 405) << 11.25 << true;
    QTest::newRow("PushButton4") << u"PushButton4"_s << u"Add All Subfolders In Folder"_s
                                 << QRect(4080, 2920, 3840, 405) << 11.25 << true;
    QTest::newRow("PushButton7") << u"PushButton7"_s << u"Clear List"_s << QRect(120, 3430, 3840, 405) << 11.25 << true;
    QTest::newRow("PushButton8") << u"PushButton8"_s << u"Load Sample/Example Data"_s << QRect(4080, 3430, 3840, 405)
                                 << 11.25 << true;
    QTest::newRow("Frame2") << u"Frame2"_s << u"Startup Options"_s << QRect(120, 3870, 7800, 735) << 9.0 << true;
    QTest::newRow("Check4") << u"Check4"_s << u"Load this software on Windows startup"_s << QRect(240, 300, 3930, 285)
                            << 9.0 << true;
    QTest::newRow("Check8") << u"Check8"_s << u"Minimized to system tray"_s << QRect(4320, 300, 2580, 285) << 9.0
                            << false;
    QTest::newRow("Frame3") << u"Frame3"_s << u"Monitor Schedule Option"_s << QRect(120, 4650, 7800, 1760) << 9.0
                            << true;
    QTest::newRow("Option3") << u"Option3"_s << u"Monitor every:"_s << QRect(240, 345, 1575, 255) << 9.0 << true;
    QTest::newRow("Text1") << u"Text1"_s << QString() << QRect(2040, 300, 500, 345) << 9.0 << true;
    QTest::newRow("Label1") << u"Label1"_s << u"hour/s"_s << QRect(2640, 345, 540, 225) << 9.0 << true;
    QTest::newRow("Text2") << u"Text2"_s << QString() << QRect(3360, 300, 500, 345) << 9.0 << true;
    QTest::newRow("Label2") << u"Label2"_s << u"minute/s"_s << QRect(3960, 345, 735, 225) << 9.0 << true;
    QTest::newRow("Text3") << u"Text3"_s << QString() << QRect(4920, 300, 500, 345) << 9.0 << true;
    QTest::newRow("Label3") << u"Label3"_s << u"second/s"_s << QRect(5520, 345, 780, 225) << 9.0 << true;
    QTest::newRow("Option4") << u"Option4"_s << u"Daily:"_s << QRect(240, 795, 825, 255) << 9.0 << true;
    QTest::newRow("dtpWeekly") << u"dtpWeekly"_s << QString() << QRect(2040, 750, 4335, 375) << 9.0 << true;
    QTest::newRow("Option5") << u"Option5"_s << u" Weekly:"_s << QRect(240, 1275, 1185, 255) << 9.0 << true;
    QTest::newRow("cboWeekly") << u"cboWeekly"_s << QString() << QRect(2040, 1230, 4335, 345) << 9.0 << true;
    QTest::newRow("ListView2") << u"ListView2"_s << QString() << QRect(8040, 120, 7800, 4755) << 9.0 << true;
    QTest::newRow("PushButton5") << u"PushButton5"_s << u"Turn On Automatic Monitoring"_s
                                 << QRect(8040, 4980, 7800, 405) << 11.25 << true;
    QTest::newRow("PushButton1") << u"PushButton1"_s << u"View History Log"_s << QRect(8040, 5490, 3840, 405) << 11.25
                                 << true;
    QTest::newRow("PushButton2") << u"PushButton2"_s << u"Copy History To Clipboard"_s << QRect(12000, 5490, 3840, 405)
                                 << 11.25 << true;
    QTest::newRow("PushButton11") << u"PushButton11"_s << u"Help"_s << QRect(8040, 6000, 3840, 405) << 11.25 << true;
    QTest::newRow("PushButton12") << u"PushButton12"_s << u"Clear History Log"_s << QRect(12000, 6000, 3840, 405)
                                  << 11.25 << true;
    QTest::newRow("PushButton6") << u"PushButton6"_s << u"Monitor Folder Now (Test)"_s << QRect(8040, 6600, 3840, 405)
                                 << 11.25 << true;
}

void WindowTest::controlsFollowTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(qreal, points);
    QFETCH(bool, shown);
    MainWindow window;
    auto *widget = window.findChild<QWidget *>(name);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QCOMPARE(widget->geometry(),
             QRect(Twips(twips.x()), Twips(twips.y()), Twips(twips.width()), Twips(twips.height())));
    QString text;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        text = button->text();
    else if (auto *frame = qobject_cast<QGroupBox *>(widget))
        text = frame->title();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    QCOMPARE(text, caption);
    QCOMPARE(widget->font().family(), u"Arial"_s);
    QCOMPARE(widget->font().pointSizeF(), points);
    QVERIFY(widget->font().bold());
    QCOMPARE(!widget->isHidden(), shown);
}

void WindowTest::theWindowIsFixedWithAMinimiseButton()
{
    MainWindow window;
    QCOMPARE(window.objectName(), u"Form1"_s);
    QCOMPARE(window.size(), QSize(1064, 434));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    // "Monitor Folder Now (Test)" lies below the window's bottom edge, as designed
    QVERIFY(window.findChild<QPushButton *>(u"PushButton6"_s)->geometry().top() >= window.height());
    auto *timer = window.findChild<QTimer *>(u"Timer1"_s);
    QVERIFY(timer != nullptr);
    QVERIFY(!timer->isActive());
    auto *days = window.findChild<QComboBox *>(u"cboWeekly"_s);
    QCOMPARE(days->count(), 7);
    QCOMPARE(days->itemText(0), u"Sunday"_s);
    QCOMPARE(days->itemText(6), u"Saturday"_s);
    QCOMPARE(window.findChild<QTreeWidget *>(u"ListView1"_s)->toolTip(),
             u"Double-click item to remove it. Move | line to right and out of window to reveal full names."_s);
}

void WindowTest::headersFontsAndColours()
{
    testing::Harness harness;
    harness.start();
    MainWindow &w = *harness.window;
    QCOMPARE(w.windowTitle(), u"Tarnwick"_s);
    auto *folders = harness.find<QTreeWidget>(u"ListView1"_s);
    QCOMPARE(folders->headerItem()->text(0), u"Folder(s)"_s);
    QCOMPARE(folders->columnWidth(0), Twips(7000));
    auto *history = harness.find<QTableView>(u"ListView2"_s);
    QCOMPARE(history->model()->headerData(0, Qt::Horizontal).toString(), u"Time"_s);
    QCOMPARE(history->model()->headerData(1, Qt::Horizontal).toString(), u"Action"_s);
    QCOMPARE(history->model()->headerData(2, Qt::Horizontal).toString(), u"File"_s);
    QCOMPARE(history->horizontalHeader()->sectionSize(0), Twips(2200));
    QCOMPARE(history->horizontalHeader()->sectionSize(1), Twips(2200));
    QCOMPARE(history->horizontalHeader()->sectionSize(2), Twips(3100));

    QCOMPARE(w.font().family(), u"Arial"_s);
    QVERIFY(!w.font().bold());
    auto *button = harness.find<QPushButton>(u"PushButton3"_s);
    QCOMPARE(button->font().pointSizeF(), 11.25);
    QVERIFY(button->font().bold());
    auto *option = harness.find<QRadioButton>(u"Option3"_s);
    QCOMPARE(option->font().pointSizeF(), 9.0);
    QVERIFY(option->font().bold());
    QVERIFY(history->font().bold());
    // What is drawn, not only the palette: the design's white behind the option buttons and check boxes (the
    // style shades a frame's panel on its own).
    harness.application->showWindow();
    for (const QString &name : {u"Option5"_s, u"Check4"_s, u"Option3"_s, u"Option4"_s}) {
        auto *widget = harness.find<QWidget>(name);
        const QImage picture = widget->grab().toImage();
        QCOMPARE(picture.pixelColor(picture.width() - 2, 1), QColor(Qt::white));
    }
    // no cursor file: the platform's hand over push buttons, the default pointer elsewhere
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(history->cursor().shape(), Qt::ArrowCursor);
}

void WindowTest::theSkinFileChangesOnlyTheColours()
{
    testing::Harness harness;
    QVERIFY(QDir(harness.programFolder()).mkpath(u"x"_s));
    QFile skin(harness.programFolder() + u"/x/o.cjs"_s);
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.close();
    harness.start();
    MainWindow &w = *harness.window;
    const QColor face = QApplication::palette().color(QPalette::Button);
    QVERIFY(face != QColor(Qt::white));
    for (const QString &name : {u"Frame2"_s, u"Option4"_s, u"Check8"_s, u"Label2"_s})
        QCOMPARE(harness.find<QWidget>(name)->palette().color(QPalette::Window), face);
    QCOMPARE(w.palette().color(QPalette::Window), face);
    QVERIFY(harness.prompts.errors.isEmpty());
}

void WindowTest::aCursorFileGivesTheButtonsItsPointer()
{
    testing::Harness harness;
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    // Qt reads Windows cursor files through its ico reader
    QVERIFY(picture.save(harness.programFolder() + u"/HAND-M.CUR"_s, "cur"));
    harness.start();
    auto *button = harness.find<QPushButton>(u"PushButton5"_s);
    QCOMPARE(button->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(button->cursor().pixmap().size(), QSize(32, 32));
}

void WindowTest::everyControlReachesTheApplication()
{
    testing::Harness harness;
    harness.start();
    auto click = [&](const QString &name) { QTest::mouseClick(harness.find<QAbstractButton>(name), Qt::LeftButton); };

    click(u"PushButton11"_s);
    QCOMPARE(harness.prompts.messages.value(0),
             u"Questions? Please contact Team Quelvane at https://www.quelvane.example/contact"_s);
    click(u"PushButton1"_s);
    QCOMPARE(harness.prompts.messages.value(1),
             u"There isn't a history to view because actions have not been performed yet."_s);
    click(u"PushButton12"_s);
    QCOMPARE(harness.prompts.questions.value(0), u"Are you sure you want to delete the history log and start over?"_s);
    click(u"PushButton6"_s);
    QCOMPARE(harness.prompts.messages.value(2), u"No folders added."_s);

    QVERIFY(QDir().mkpath(harness.desktop));
    click(u"PushButton8"_s);
    auto *folders = harness.find<QTreeWidget>(u"ListView1"_s);
    QCOMPARE(folders->topLevelItemCount(), 1);
    click(u"PushButton3"_s);
    QCOMPARE(harness.prompts.titles.value(0), u"Select Folder"_s);
    click(u"PushButton4"_s);
    QCOMPARE(harness.prompts.titles.value(1), u"Please select folder:"_s);
    click(u"PushButton7"_s);
    QCOMPARE(folders->topLevelItemCount(), 0);

    click(u"Option4"_s);
    QCOMPARE(harness.stored("Option4"), u"True"_s);
    QVERIFY(harness.find<QTimeEdit>(u"dtpWeekly"_s)->isEnabled());
    QVERIFY(!harness.find<QComboBox>(u"cboWeekly"_s)->isEnabled());
    click(u"Option5"_s);
    QCOMPARE(harness.stored("Option5"), u"True"_s);
    QVERIFY(harness.find<QComboBox>(u"cboWeekly"_s)->isEnabled());
    harness.find<QComboBox>(u"cboWeekly"_s)->setCurrentIndex(3);
    QCOMPARE(harness.stored("Weekly"), u"Wednesday"_s);
    harness.find<QTimeEdit>(u"dtpWeekly"_s)->setTime(QTime(9, 30, 15));
    QCOMPARE(harness.application->schedule().timeOfDay(), 9 * 3600 + 30 * 60 + 15);
    click(u"Option3"_s);
    QCOMPARE(harness.stored("Option3"), u"True"_s);

    auto *minutes = harness.find<QLineEdit>(u"Text2"_s);
    minutes->setFocus();
    QTest::keyClicks(minutes, u"7"_s);
    QCOMPARE(harness.stored("Text2"), minutes->text());

    click(u"Check4"_s);
    QCOMPARE(harness.autostart.calls, QStringList {u"add"_s});
    QVERIFY(harness.find<QCheckBox>(u"Check8"_s)->isVisibleTo(harness.window.get()));
    click(u"Check8"_s);
    QCOMPARE(harness.stored("Minimized"), u"On"_s);

    click(u"PushButton5"_s);
    auto *timer = harness.window->findChild<QTimer *>(u"Timer1"_s);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(harness.find<QPushButton>(u"PushButton5"_s)->text(), u"Turn Off Automatic Monitoring"_s);
    QTRY_VERIFY_WITH_TIMEOUT(harness.find<QGroupBox>(u"Frame4"_s)->title() != u"Off."_s, 3000);
    QVERIFY2(harness.find<QGroupBox>(u"Frame4"_s)->title().startsWith(u"On. Next inspection will occur in: "_s),
             qPrintable(harness.find<QGroupBox>(u"Frame4"_s)->title()));
    QVERIFY(harness.prompts.errors.isEmpty());
}

void WindowTest::theNumericCheckRunsOnlyWhenTheFocusMovesWithinTheWindow()
{
    testing::Harness harness;
    harness.start();
    harness.application->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(harness.window.get()));
    auto *minutes = harness.find<QLineEdit>(u"Text2"_s);
    minutes->setFocus();
    QCoreApplication::processEvents(); // entering the box selects its text: typing replaces it
    QTest::keyClicks(minutes, u"abc"_s);

    // Another program taking the activation, or the box's own context menu, must not trap the user.
    for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent away(QEvent::FocusOut, reason);
        QApplication::sendEvent(minutes, &away);
    }
    QVERIFY(harness.prompts.messages.isEmpty());

    harness.find<QLineEdit>(u"Text3"_s)->setFocus(Qt::TabFocusReason);
    QCOMPARE(harness.prompts.messages, QStringList {u"Must be a numeric entry."_s});
    QTRY_COMPARE(QApplication::focusWidget(), minutes);
    QCOMPARE(minutes->text(), u"abc"_s);
    QCOMPARE(harness.stored("Text2"), u"abc"_s);
}

void WindowTest::tabLeavesTheHistoryTable()
{
    testing::Harness harness;
    harness.start();
    harness.window->appendHistory({"now", {{ChangeKind::Added, "/w/a"}, {ChangeKind::Added, "/w/b"}}});
    harness.application->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(harness.window.get()));
    auto *history = harness.find<QTableView>(u"ListView2"_s);
    history->setFocus();
    history->setCurrentIndex(history->model()->index(0, 0));
    QTest::keyClick(history, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != history);
}

// The object names of the controls Tab moves the focus to, one after the other. Within the time picker Tab first
// goes from field to field, as Qt's time edits do, before it leaves.
QStringList tabRound(int controls)
{
    QStringList names;
    for (int control = 0; control < controls; ++control) {
        QWidget *from = QApplication::focusWidget();
        for (int field = 0; field < 5 && QApplication::focusWidget() == from; ++field)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        names.append(QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->objectName() : QString());
    }
    return names;
}

void WindowTest::tabGoesThroughEveryControlInDesignOrder()
{
    testing::Harness harness;
    harness.start();
    harness.application->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(harness.window.get()));
    harness.find<QWidget>(u"PushButton6"_s)->setFocus(Qt::TabFocusReason);

    // As started: the interval mode, so the picker and the day list are unavailable; Check8 hidden. Frames, labels
    // and the bar take no focus; the button below the window's edge is still reached.
    const QStringList started = {
        u"ListView1"_s,   u"PushButton3"_s, u"PushButton4"_s,  u"PushButton7"_s,  u"PushButton8"_s, u"Check4"_s,
        u"Option3"_s,     u"Text1"_s,       u"Text2"_s,        u"Text3"_s,        u"ListView2"_s,   u"PushButton5"_s,
        u"PushButton1"_s, u"PushButton2"_s, u"PushButton11"_s, u"PushButton12"_s, u"PushButton6"_s};
    QCOMPARE(tabRound(static_cast<int>(started.size())), started);

    // Check4 shows Check8; the weekly mode makes the picker and the day list available and is where Tab enters
    // the option group.
    QTest::mouseClick(harness.find<QCheckBox>(u"Check4"_s), Qt::LeftButton);
    QTest::mouseClick(harness.find<QRadioButton>(u"Option5"_s), Qt::LeftButton);
    harness.find<QWidget>(u"PushButton6"_s)->setFocus(Qt::TabFocusReason);
    const QStringList weekly = {u"ListView1"_s, u"PushButton3"_s, u"PushButton4"_s, u"PushButton7"_s, u"PushButton8"_s,
                                u"Check4"_s,    u"Check8"_s,      u"Option5"_s,     u"Text1"_s,       u"Text2"_s,
                                u"Text3"_s,     u"dtpWeekly"_s,   u"cboWeekly"_s,   u"ListView2"_s};
    QCOMPARE(tabRound(static_cast<int>(weekly.size())), weekly);

    // with none of the option buttons checked (as a stored schedule can leave them) the group is still reached
    harness.window->setChecked(app::Control::Option5, false);
    harness.find<QWidget>(u"Check8"_s)->setFocus(Qt::TabFocusReason);
    const QStringList reached = tabRound(2);
    QVERIFY2(reached.value(0).startsWith(u"Option"_s), qPrintable(reached.join(u", "_s)));
    QCOMPARE(reached.value(1), u"Text1"_s);
}

void WindowTest::theArrowKeysMoveWithinTheOptionGroupAndSelectAndSaveEachButton()
{
    testing::Harness harness;
    harness.start();
    harness.application->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(harness.window.get()));
    auto *interval = harness.find<QRadioButton>(u"Option3"_s);
    auto *daily = harness.find<QRadioButton>(u"Option4"_s);
    auto *weekly = harness.find<QRadioButton>(u"Option5"_s);
    interval->setFocus(Qt::TabFocusReason);

    QTest::keyClick(interval, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), daily);
    QVERIFY(daily->isChecked());
    QVERIFY(!interval->isChecked());
    QCOMPARE(harness.stored("Option4"), u"True"_s);
    QCOMPARE(harness.stored("Option3"), u"False"_s);
    QVERIFY(harness.find<QTimeEdit>(u"dtpWeekly"_s)->isEnabled());

    QTest::keyClick(daily, Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), weekly);
    QVERIFY(weekly->isChecked());
    QCOMPARE(harness.stored("Option5"), u"True"_s);
    QCOMPARE(harness.stored("Option4"), u"False"_s);
    QVERIFY(harness.find<QComboBox>(u"cboWeekly"_s)->isEnabled());

    QTest::keyClick(weekly, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), daily);
    QVERIFY(daily->isChecked());
    QCOMPARE(harness.stored("Option4"), u"True"_s);

    // Tab leaves the group in one step
    QCOMPARE(tabRound(1), QStringList {u"Text1"_s});
}

void WindowTest::folderRowsFollowTheCommands()
{
    testing::Harness harness;
    harness.prepareSettings("Folders=/a/|234SSDEPERATATORZZ|/b/|234SSDEPERATATORZZ|/c/|234SSDEPERATATORZZ|\n");
    harness.start();
    auto *folders = harness.find<QTreeWidget>(u"ListView1"_s);
    QCOMPARE(folders->topLevelItemCount(), 3);
    QCOMPARE(folders->topLevelItem(2)->text(0), u"/c/"_s);

    folders->setCurrentItem(folders->topLevelItem(1));
    QTest::keyClick(folders, Qt::Key_Delete);
    QCOMPARE(folders->topLevelItemCount(), 2);
    QCOMPARE(folders->topLevelItem(1)->text(0), u"/c/"_s);
    QCOMPARE(harness.application->folderList().rows(), (std::vector<std::string> {"/a/", "/c/"}));

    folders->setCurrentItem(folders->topLevelItem(0));
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {},
                       folders->visualItemRect(folders->topLevelItem(0)).center());
    QCOMPARE(folders->topLevelItemCount(), 1);
    QCOMPARE(harness.stored("Folders"), u"/c/|234SSDEPERATATORZZ|"_s);
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::WindowTest)
#include "window_test.moc"
