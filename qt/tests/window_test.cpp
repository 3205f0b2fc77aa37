#include "app/schedule_controller.h"
#include "harness.h"

#include "qtest_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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
    void theApplicationTitleIsCutAtBlanks_data();
    void theApplicationTitleIsCutAtBlanks();
    void theSkinFileChangesOnlyTheColours();
    void aCursorFileGivesTheButtonsItsPointer();
    void anUnknownMonitoringStateLeavesTheSwitchOff();
};

void WindowTest::controlsFollowTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Frame4") << u"Frame4"_s << u"Off."_s << QRect(120, 60, 7800, 855);
    QTest::newRow("ProgressBar2") << u"ProgressBar2"_s << QString() << QRect(240, 270, 7320, 405);
    QTest::newRow("ListView1") << u"ListView1"_s << QString() << QRect(120, 1020, 7800, 1815);
    QTest::newRow("PushButton3") << u"PushButton3"_s << u"Add Folder"_s << QRect(120, 2920, 3840, 405);
    QTest::newRow("PushButton4") << u"PushButton4"_s << u"Add All Subfolders In Folder"_s
                                 << QRect(4080, 2920, 3840, 405);
    QTest::newRow("PushButton7") << u"PushButton7"_s << u"Clear List"_s << QRect(120, 3430, 3840, 405);
    QTest::newRow("PushButton8") << u"PushButton8"_s << u"Load Sample/Example Data"_s << QRect(4080, 3430, 3840, 405);
    QTest::newRow("Frame2") << u"Frame2"_s << u"Startup Options"_s << QRect(120, 3870, 7800, 735);
    QTest::newRow("Check4") << u"Check4"_s << u"Load this software on Windows startup"_s << QRect(240, 300, 3930, 285);
    QTest::newRow("Check8") << u"Check8"_s << u"Minimized to system tray"_s << QRect(4320, 300, 2580, 285);
    QTest::newRow("Frame3") << u"Frame3"_s << u"Monitor Schedule Option"_s << QRect(120, 4650, 7800, 1760);
    QTest::newRow("Option3") << u"Option3"_s << u"Monitor every:"_s << QRect(240, 345, 1575, 255);
    QTest::newRow("Text1") << u"Text1"_s << QString() << QRect(2040, 300, 500, 345);
    QTest::newRow("Label1") << u"Label1"_s << u"hour/s"_s << QRect(2640, 345, 540, 225);
    QTest::newRow("Text2") << u"Text2"_s << QString() << QRect(3360, 300, 500, 345);
    QTest::newRow("Label2") << u"Label2"_s << u"minute/s"_s << QRect(3960, 345, 735, 225);
    QTest::newRow("Text3") << u"Text3"_s << QString() << QRect(4920, 300, 500, 345);
    QTest::newRow("Label3") << u"Label3"_s << u"second/s"_s << QRect(5520, 345, 780, 225);
    QTest::newRow("Option4") << u"Option4"_s << u"Daily:"_s << QRect(240, 795, 825, 255);
    QTest::newRow("dtpWeekly") << u"dtpWeekly"_s << QString() << QRect(2040, 750, 4335, 375);
    QTest::newRow("Option5") << u"Option5"_s << u" Weekly:"_s << QRect(240, 1275, 1185, 255);
    QTest::newRow("cboWeekly") << u"cboWeekly"_s << QString() << QRect(2040, 1230, 4335, 345);
    QTest::newRow("ListView2") << u"ListView2"_s << QString() << QRect(8040, 120, 7800, 4755);
    QTest::newRow("PushButton5") << u"PushButton5"_s << u"Turn On Automatic Monitoring"_s
                                 << QRect(8040, 4980, 7800, 405);
    QTest::newRow("PushButton1") << u"PushButton1"_s << u"View History Log"_s << QRect(8040, 5490, 3840, 405);
    QTest::newRow("PushButton2") << u"PushButton2"_s << u"Copy History To Clipboard"_s << QRect(12000, 5490, 3840, 405);
    QTest::newRow("PushButton11") << u"PushButton11"_s << u"Help"_s << QRect(8040, 6000, 3840, 405);
    QTest::newRow("PushButton12") << u"PushButton12"_s << u"Clear History Log"_s << QRect(12000, 6000, 3840, 405);
    QTest::newRow("PushButton6") << u"PushButton6"_s << u"Monitor Folder Now (Test)"_s << QRect(8040, 6600, 3840, 405);
}

void WindowTest::controlsFollowTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
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
    QVERIFY(window.PushButton6->geometry().top() >= window.height());
    QCOMPARE(window.Timer1->objectName(), u"Timer1"_s);
    QVERIFY(!window.Timer1->isActive());
    QCOMPARE(window.cboWeekly->count(), 7);
    QCOMPARE(window.cboWeekly->itemText(0), u"Sunday"_s);
    QCOMPARE(window.cboWeekly->itemText(6), u"Saturday"_s);
    QCOMPARE(window.ListView1->toolTip(),
             u"Double-click item to remove it. Move | line to right and out of window to reveal full names."_s);
}

void WindowTest::headersFontsAndColours()
{
    testing::Harness harness;
    harness.start();
    MainWindow &w = *harness.window;
    QCOMPARE(w.windowTitle(), u"Tarnwick"_s);
    QCOMPARE(w.ListView1->headerItem()->text(0), u"Folder(s)"_s);
    QCOMPARE(w.ListView1->columnWidth(0), Twips(7000));
    const QAbstractItemModel *history = w.ListView2->model();
    QCOMPARE(history->headerData(0, Qt::Horizontal).toString(), u"Time"_s);
    QCOMPARE(history->headerData(1, Qt::Horizontal).toString(), u"Action"_s);
    QCOMPARE(history->headerData(2, Qt::Horizontal).toString(), u"File"_s);
    QCOMPARE(w.ListView2->horizontalHeader()->sectionSize(0), Twips(2200));
    QCOMPARE(w.ListView2->horizontalHeader()->sectionSize(1), Twips(2200));
    QCOMPARE(w.ListView2->horizontalHeader()->sectionSize(2), Twips(3100));

    QCOMPARE(w.font().family(), u"Arial"_s);
    QVERIFY(!w.font().bold());
    QCOMPARE(w.PushButton3->font().pointSizeF(), 11.25);
    QVERIFY(w.PushButton3->font().bold());
    QCOMPARE(w.Option3->font().pointSizeF(), 9.0);
    QVERIFY(w.Option3->font().bold());
    QVERIFY(w.ListView2->font().bold());
    for (QWidget *white : {static_cast<QWidget *>(&w), static_cast<QWidget *>(w.Frame3),
                           static_cast<QWidget *>(w.Option5), static_cast<QWidget *>(w.Check4)})
        QCOMPARE(white->palette().color(QPalette::Window), QColor(Qt::white));
    // no cursor file: the platform's hand over push buttons, the default pointer elsewhere
    QCOMPARE(w.PushButton1->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(w.ListView2->cursor().shape(), Qt::ArrowCursor);
}

void WindowTest::theApplicationTitleIsCutAtBlanks_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("title");
    QTest::newRow("one word") << u"Tarnwick"_s << u"Tarnwick"_s;
    QTest::newRow("cut at least once") << u"Tarnwick Folder Monitor"_s << u"Tarnwick Folder"_s;
    QTest::newRow("until 40 or shorter") << u"Tarnwick watches the folders you pick and tells what changed"_s
                                         << u"Tarnwick watches the folders you pick"_s;
    QTest::newRow("long single word") << QString(50, u'x') << QString(50, u'x');
}

void WindowTest::theApplicationTitleIsCutAtBlanks()
{
    QFETCH(QString, product);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitle(product), title);
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
    const QColor face = w.palette().color(QPalette::Button);
    QVERIFY(face != QColor(Qt::white));
    for (QWidget *widget :
         {static_cast<QWidget *>(&w), static_cast<QWidget *>(w.Frame2), static_cast<QWidget *>(w.Option4),
          static_cast<QWidget *>(w.Check8), static_cast<QWidget *>(w.Label2)})
        QCOMPARE(widget->palette().color(QPalette::Window), face);
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
    QCOMPARE(harness.window->PushButton5->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(harness.window->PushButton5->cursor().pixmap().size(), QSize(32, 32));
}

void WindowTest::anUnknownMonitoringStateLeavesTheSwitchOff()
{
    testing::Harness harness;
    harness.prepareSettings("StartStopState=on\n");
    harness.start();
    MainWindow &w = *harness.window;
    QCOMPARE(w.PushButton5->text(), u"Turn On Automatic Monitoring"_s);
    QCOMPARE(w.Frame4->title(), u"Off."_s);
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(!harness.application->schedule().MonitoringActive());
    QTest::mouseClick(w.PushButton5, Qt::LeftButton);
    QCOMPARE(w.PushButton5->text(), u"Turn Off Automatic Monitoring"_s);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(harness.stored(SettingKey::StartStopState), u"On"_s);
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::WindowTest)
#include "window_test.moc"
