#include "main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

template<typename Widget>
Widget *make(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(name);
    place(widget, left, top, width, height);
    return widget;
}

QFont arial(qreal points, bool bold)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void paintWhite(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Tarnwick"_s);
    setFixedSize(Twips(15960), Twips(6510));
    setFont(arial(9, false));
    const QFont controlFont = arial(9, true);
    const QFont buttonFont = arial(11.25, true);

    Frame4 = make<QGroupBox>(this, u"Frame4"_s, 120, 60, 7800, 855);
    Frame4->setTitle(u"Off."_s);
    ProgressBar2 = make<QProgressBar>(Frame4, u"ProgressBar2"_s, 240, 270, 7320, 405);
    ProgressBar2->setTextVisible(false);
    ProgressBar2->setRange(0, 100);
    ProgressBar2->setValue(0);

    ListView1 = make<QTreeWidget>(this, u"ListView1"_s, 120, 1020, 7800, 1815);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setToolTip(
        u"Double-click item to remove it. Move | line to right and out of window to reveal full names."_s);
    ListView1->setColumnCount(1);
    // the column keeps its width; the user drags its edge to read long paths
    ListView1->header()->setStretchLastSection(false);

    PushButton3 = make<QPushButton>(this, u"PushButton3"_s, 120, 2920, 3840, 405);
    PushButton3->setText(u"Add Folder"_s);
    PushButton4 = make<QPushButton>(this, u"PushButton4"_s, 4080, 2920, 3840, 405);
    PushButton4->setText(u"Add All Subfolders In Folder"_s);
    PushButton7 = make<QPushButton>(this, u"PushButton7"_s, 120, 3430, 3840, 405);
    PushButton7->setText(u"Clear List"_s);
    PushButton8 = make<QPushButton>(this, u"PushButton8"_s, 4080, 3430, 3840, 405);
    PushButton8->setText(u"Load Sample/Example Data"_s);

    Frame2 = make<QGroupBox>(this, u"Frame2"_s, 120, 3870, 7800, 735);
    Frame2->setTitle(u"Startup Options"_s);
    Check4 = make<QCheckBox>(Frame2, u"Check4"_s, 240, 300, 3930, 285);
    Check4->setText(u"Load this software on Windows startup"_s);
    Check8 = make<QCheckBox>(Frame2, u"Check8"_s, 4320, 300, 2580, 285);
    Check8->setText(u"Minimized to system tray"_s);
    Check8->setVisible(false);

    Frame3 = make<QGroupBox>(this, u"Frame3"_s, 120, 4650, 7800, 1760);
    Frame3->setTitle(u"Monitor Schedule Option"_s);
    Option3 = make<QRadioButton>(Frame3, u"Option3"_s, 240, 345, 1575, 255);
    Option3->setText(u"Monitor every:"_s);
    Option3->setChecked(true);
    Text1 = make<QLineEdit>(Frame3, u"Text1"_s, 2040, 300, 500, 345);
    Label1 = make<QLabel>(Frame3, u"Label1"_s, 2640, 345, 540, 225);
    Label1->setText(u"hour/s"_s);
    Text2 = make<QLineEdit>(Frame3, u"Text2"_s, 3360, 300, 500, 345);
    Label2 = make<QLabel>(Frame3, u"Label2"_s, 3960, 345, 735, 225);
    Label2->setText(u"minute/s"_s);
    Text3 = make<QLineEdit>(Frame3, u"Text3"_s, 4920, 300, 500, 345);
    Label3 = make<QLabel>(Frame3, u"Label3"_s, 5520, 345, 780, 225);
    Label3->setText(u"second/s"_s);
    Option4 = make<QRadioButton>(Frame3, u"Option4"_s, 240, 795, 825, 255);
    Option4->setText(u"Daily:"_s);
    dtpWeekly = make<QTimeEdit>(Frame3, u"dtpWeekly"_s, 2040, 750, 4335, 375);
    Option5 = make<QRadioButton>(Frame3, u"Option5"_s, 240, 1275, 1185, 255);
    Option5->setText(u" Weekly:"_s);
    cboWeekly = make<QComboBox>(Frame3, u"cboWeekly"_s, 2040, 1230, 4335, 345);
    cboWeekly->addItems(
        {u"Sunday"_s, u"Monday"_s, u"Tuesday"_s, u"Wednesday"_s, u"Thursday"_s, u"Friday"_s, u"Saturday"_s});

    ListView2 = make<QTableView>(this, u"ListView2"_s, 8040, 120, 7800, 4755);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView2->setWordWrap(false);
    ListView2->setShowGrid(false);
    ListView2->verticalHeader()->setVisible(false);
    // fixed row heights keep the view quick with a million rows
    ListView2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView2->verticalHeader()->setDefaultSectionSize(ListView2->fontMetrics().height() + 4);
    ListView2->horizontalHeader()->setStretchLastSection(false);
    ListView2->horizontalHeader()->setHighlightSections(false);

    PushButton5 = make<QPushButton>(this, u"PushButton5"_s, 8040, 4980, 7800, 405);
    PushButton5->setText(u"Turn On Automatic Monitoring"_s);
    PushButton1 = make<QPushButton>(this, u"PushButton1"_s, 8040, 5490, 3840, 405);
    PushButton1->setText(u"View History Log"_s);
    PushButton2 = make<QPushButton>(this, u"PushButton2"_s, 12000, 5490, 3840, 405);
    PushButton2->setText(u"Copy History To Clipboard"_s);
    PushButton11 = make<QPushButton>(this, u"PushButton11"_s, 8040, 6000, 3840, 405);
    PushButton11->setText(u"Help"_s);
    PushButton12 = make<QPushButton>(this, u"PushButton12"_s, 12000, 6000, 3840, 405);
    PushButton12->setText(u"Clear History Log"_s);
    // Below the bottom edge of the window as designed: reached with the keyboard (Tab, then Space).
    PushButton6 = make<QPushButton>(this, u"PushButton6"_s, 8040, 6600, 3840, 405);
    PushButton6->setText(u"Monitor Folder Now (Test)"_s);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);

    for (QWidget *widget : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        widget->setFont(controlFont);
    for (QWidget *frame :
         {static_cast<QWidget *>(Frame2), static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Frame4)})
        for (QWidget *widget : frame->findChildren<QWidget *>())
            widget->setFont(controlFont);
    for (QPushButton *button : pushButtons()) {
        button->setFont(buttonFont);
        button->setAutoDefault(false);
    }

    paintWhite(this);
    for (QWidget *widget :
         {static_cast<QWidget *>(Frame2), static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Frame4),
          static_cast<QWidget *>(Check4), static_cast<QWidget *>(Check8), static_cast<QWidget *>(Option3),
          static_cast<QWidget *>(Option4), static_cast<QWidget *>(Option5)})
        paintWhite(widget);
}

QList<QPushButton *> MainWindow::pushButtons() const
{
    return {PushButton1, PushButton2, PushButton3, PushButton4,  PushButton5,
            PushButton6, PushButton7, PushButton8, PushButton11, PushButton12};
}

void MainWindow::applySkinColours()
{
    const QColor face = palette().color(QPalette::Button);
    QList<QWidget *> widgets = {this,    Frame2,  Frame3,  Frame4, Check4, Check8,
                                Option3, Option4, Option5, Label1, Label2, Label3};
    for (QWidget *widget : widgets) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, face);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

void MainWindow::setButtonCursor(const QCursor &cursor)
{
    for (QPushButton *button : pushButtons())
        button->setCursor(cursor);
}

void MainWindow::centre()
{
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    event->accept();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Q_EMIT shown();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        Q_EMIT minimized();
}

} // namespace tarnwick
