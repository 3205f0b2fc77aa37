#include "main_window.h"

#include "history_model.h"

#include "app/application.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
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

// The design's background. Check boxes and option buttons draw theirs from the button colour, so they get both.
void paintBackground(QWidget *widget, const QColor &colour, bool button)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    if (button)
        palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
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
    // The option buttons first, in a row: Tab enters their group at the checked one and goes on to the boxes.
    Option3 = make<QRadioButton>(Frame3, u"Option3"_s, 240, 345, 1575, 255);
    Option3->setText(u"Monitor every:"_s);
    Option3->setChecked(true);
    Option4 = make<QRadioButton>(Frame3, u"Option4"_s, 240, 795, 825, 255);
    Option4->setText(u"Daily:"_s);
    Option5 = make<QRadioButton>(Frame3, u"Option5"_s, 240, 1275, 1185, 255);
    Option5->setText(u" Weekly:"_s);
    Text1 = make<QLineEdit>(Frame3, u"Text1"_s, 2040, 300, 500, 345);
    Label1 = make<QLabel>(Frame3, u"Label1"_s, 2640, 345, 540, 225);
    Label1->setText(u"hour/s"_s);
    Text2 = make<QLineEdit>(Frame3, u"Text2"_s, 3360, 300, 500, 345);
    Label2 = make<QLabel>(Frame3, u"Label2"_s, 3960, 345, 735, 225);
    Label2->setText(u"minute/s"_s);
    Text3 = make<QLineEdit>(Frame3, u"Text3"_s, 4920, 300, 500, 345);
    Label3 = make<QLabel>(Frame3, u"Label3"_s, 5520, 345, 780, 225);
    Label3->setText(u"second/s"_s);
    dtpWeekly = make<QTimeEdit>(Frame3, u"dtpWeekly"_s, 2040, 750, 4335, 375);
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
    // Tab moves on to the controls below, as everywhere else in the window, instead of from cell to cell.
    ListView2->setTabKeyNavigation(false);

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

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(u"Timer1"_s);
    m_timer1->setInterval(1000);

    QString timeFormat = QLocale::system().timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't'); // the user's long time format, without the time zone
    dtpWeekly->setDisplayFormat(timeFormat.trimmed());
    m_history = new HistoryModel(this);
    ListView2->setModel(m_history);

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

    for (QWidget *widget : {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame2),
                            static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Frame4)})
        paintBackground(widget, Qt::white, false);
    for (QWidget *widget :
         {static_cast<QWidget *>(Check4), static_cast<QWidget *>(Check8), static_cast<QWidget *>(Option3),
          static_cast<QWidget *>(Option4), static_cast<QWidget *>(Option5)})
        paintBackground(widget, Qt::white, true);
}

MainWindow::~MainWindow()
{
    if (m_hourglass)
        QApplication::restoreOverrideCursor();
}

QList<QPushButton *> MainWindow::pushButtons() const
{
    return {PushButton1, PushButton2, PushButton3, PushButton4,  PushButton5,
            PushButton6, PushButton7, PushButton8, PushButton11, PushButton12};
}

QWidget *MainWindow::control(app::Control control) const
{
    using app::Control;
    switch (control) {
    case Control::Form1:
        return const_cast<MainWindow *>(this);
    case Control::Frame2:
        return Frame2;
    case Control::Frame3:
        return Frame3;
    case Control::Frame4:
        return Frame4;
    case Control::ProgressBar2:
        return ProgressBar2;
    case Control::ListView1:
        return ListView1;
    case Control::ListView2:
        return ListView2;
    case Control::PushButton1:
        return PushButton1;
    case Control::PushButton2:
        return PushButton2;
    case Control::PushButton3:
        return PushButton3;
    case Control::PushButton4:
        return PushButton4;
    case Control::PushButton5:
        return PushButton5;
    case Control::PushButton6:
        return PushButton6;
    case Control::PushButton7:
        return PushButton7;
    case Control::PushButton8:
        return PushButton8;
    case Control::PushButton11:
        return PushButton11;
    case Control::PushButton12:
        return PushButton12;
    case Control::Check4:
        return Check4;
    case Control::Check8:
        return Check8;
    case Control::Option3:
        return Option3;
    case Control::Option4:
        return Option4;
    case Control::Option5:
        return Option5;
    case Control::Text1:
        return Text1;
    case Control::Text2:
        return Text2;
    case Control::Text3:
        return Text3;
    case Control::Label1:
        return Label1;
    case Control::Label2:
        return Label2;
    case Control::Label3:
        return Label3;
    case Control::dtpWeekly:
        return dtpWeekly;
    case Control::cboWeekly:
        return cboWeekly;
    }
    return nullptr;
}

int MainWindow::boxIndex(const QObject *object) const
{
    return object == Text1 ? 0 : object == Text2 ? 1 : object == Text3 ? 2 : -1;
}

void MainWindow::connectTo(app::Application &application)
{
    m_application = &application;
    app::Application *a = &application;
    const std::pair<QPushButton *, void (app::Application::*)()> buttons[] = {
        {PushButton1, &app::Application::PushButton1_Click},   {PushButton2, &app::Application::PushButton2_Click},
        {PushButton3, &app::Application::PushButton3_Click},   {PushButton4, &app::Application::PushButton4_Click},
        {PushButton5, &app::Application::PushButton5_Click},   {PushButton6, &app::Application::PushButton6_Click},
        {PushButton7, &app::Application::PushButton7_Click},   {PushButton8, &app::Application::PushButton8_Click},
        {PushButton11, &app::Application::PushButton11_Click}, {PushButton12, &app::Application::PushButton12_Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [a, handler = handler] { (a->*handler)(); });
    connect(Option3, &QRadioButton::clicked, this, [a] { a->Option3_Click(); });
    connect(Option4, &QRadioButton::clicked, this, [a] { a->Option4_Click(); });
    connect(Option5, &QRadioButton::clicked, this, [a] { a->Option5_Click(); });
    for (QLineEdit *box : {Text1, Text2, Text3}) {
        const int index = boxIndex(box);
        connect(box, &QLineEdit::textEdited, this,
                [a, index](const QString &value) { a->Text_Change(index, value.toStdString()); });
        box->installEventFilter(this);
    }
    connect(dtpWeekly, &QTimeEdit::timeChanged, this,
            [a](QTime time) { a->dtpWeekly_Change(time.msecsSinceStartOfDay() / 1000); });
    connect(cboWeekly, &QComboBox::currentTextChanged, this,
            [a](const QString &value) { a->cboWeekly_Change(value.toStdString()); });
    connect(Check4, &QCheckBox::clicked, this, [a](bool checked) { a->Check4_Click(checked); });
    connect(Check8, &QCheckBox::clicked, this, [a](bool checked) { a->Check8_Click(checked); });
    connect(m_timer1, &QTimer::timeout, this, [a] { a->Timer1_Timer(); });
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
}

std::optional<std::size_t> MainWindow::selectedFolderRow() const
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(ListView1->indexOfTopLevelItem(selected.front()));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_application == nullptr)
        return QWidget::eventFilter(watched, event);
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete) {
            m_application->ListView1_KeyDown(app::kDeleteKey, selectedFolderRow());
            return true;
        }
    }
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_application->ListView1_DblClick(selectedFolderRow());
        return true;
    }
    if (const int box = boxIndex(watched); box >= 0) {
        if (event->type() == QEvent::FocusIn) {
            m_application->Text_GotFocus(box);
        } else if (event->type() == QEvent::FocusOut) {
            // Only a move to another control of this window checks the entry: not the window losing the
            // activation (another program, minimising) nor a popup such as the box's own context menu.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            const QWidget *next = QApplication::focusWidget();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && next != nullptr &&
                next != watched && next->window() == this && isVisible())
                m_application->Text_LostFocus(box);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::setText(app::Control which, std::string_view value)
{
    QWidget *widget = control(which);
    const QSignalBlocker blocker(widget);
    if (which == app::Control::Form1)
        setWindowTitle(text(value));
    else if (auto *frame = qobject_cast<QGroupBox *>(widget))
        frame->setTitle(text(value));
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text(value));
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text(value));
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text(value));
    else if (auto *list = qobject_cast<QComboBox *>(widget))
        list->setCurrentIndex(list->findText(text(value), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void MainWindow::setChecked(app::Control which, bool checked)
{
    auto *button = qobject_cast<QAbstractButton *>(control(which));
    if (button == nullptr || button->isChecked() == checked)
        return;
    const QSignalBlocker blocker(button);
    // an option button of a group can only be cleared with the group's rule off
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

void MainWindow::setEnabled(app::Control which, bool enabled)
{
    control(which)->setEnabled(enabled);
}

void MainWindow::setVisible(app::Control which, bool visible)
{
    control(which)->setVisible(visible);
}

void MainWindow::setTimeOfDay(int secondOfDay)
{
    const QSignalBlocker blocker(dtpWeekly);
    dtpWeekly->setTime(QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000));
}

void MainWindow::setProgress(int maximum, int value)
{
    ProgressBar2->setRange(0, maximum);
    ProgressBar2->setValue(value);
}

void MainWindow::selectAllText(app::Control box)
{
    // after the click that gave the focus has placed the cursor
    if (auto *edit = qobject_cast<QLineEdit *>(control(box)))
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
}

void MainWindow::setFocus(app::Control which)
{
    // once the message box that asked for it has given the focus back
    QTimer::singleShot(0, control(which), [widget = control(which)] { widget->setFocus(Qt::OtherFocusReason); });
}

void MainWindow::setColumns(app::Control listView, const std::vector<app::Column> &columns)
{
    QStringList headers;
    for (const app::Column &column : columns)
        headers.append(text(column.header));
    if (listView == app::Control::ListView1) {
        ListView1->setHeaderLabels(headers);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            ListView1->setColumnWidth(i, Twips(columns[static_cast<std::size_t>(i)].twips));
    } else if (listView == app::Control::ListView2) {
        m_history->setHeaders(headers);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            ListView2->horizontalHeader()->resizeSection(i, Twips(columns[static_cast<std::size_t>(i)].twips));
    }
}

void MainWindow::appendFolderRows(const std::vector<std::string> &rows)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::string &row : rows)
        items.append(new QTreeWidgetItem(QStringList {QString::fromStdString(row)}));
    ListView1->addTopLevelItems(items);
}

void MainWindow::removeFolderRow(std::size_t row)
{
    delete ListView1->takeTopLevelItem(static_cast<int>(row));
}

void MainWindow::clearFolderRows()
{
    ListView1->clear();
}

void MainWindow::appendHistory(app::HistoryBatch batch)
{
    m_history->appendBatch(std::move(batch));
}

void MainWindow::clearHistory()
{
    m_history->clear();
}

void MainWindow::setPointer(app::Pointer pointer)
{
    const bool hourglass = pointer == app::Pointer::Hourglass;
    if (hourglass == m_hourglass)
        return;
    m_hourglass = hourglass;
    if (hourglass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::setButtonPointer(const std::string &cursorFile)
{
    QCursor cursor(Qt::PointingHandCursor);
    if (!cursorFile.empty()) {
        const QPixmap picture(QString::fromStdString(cursorFile));
        if (!picture.isNull())
            cursor = QCursor(picture);
    }
    for (QPushButton *button : pushButtons())
        button->setCursor(cursor);
}

void MainWindow::applySkinColours()
{
    // the system's button face, as the desktop's style has it
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (QWidget *widget :
         {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame2), static_cast<QWidget *>(Frame3),
          static_cast<QWidget *>(Frame4), static_cast<QWidget *>(Label1), static_cast<QWidget *>(Label2),
          static_cast<QWidget *>(Label3)})
        paintBackground(widget, face, false);
    for (QWidget *widget :
         {static_cast<QWidget *>(Check4), static_cast<QWidget *>(Check8), static_cast<QWidget *>(Option3),
          static_cast<QWidget *>(Option4), static_cast<QWidget *>(Option5)})
        paintBackground(widget, face, true);
}

void MainWindow::centre()
{
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::showNormal()
{
    m_inTray = false;
    if (!m_shownOnce)
        centre();
    QWidget::showNormal();
}

void MainWindow::showMinimized()
{
    m_inTray = false;
    if (!m_shownOnce)
        centre();
    QWidget::showMinimized();
}

void MainWindow::hideInTray()
{
    m_inTray = true;
    if (!isVisible())
        return; // never shown yet: it simply stays hidden
    // After the state change has been handled. The minimised state stays until the window comes back: clearing
    // it now would map the window again on X11.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_inTray)
                hide();
        },
        Qt::QueuedConnection);
}

void MainWindow::restoreFromTray()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_application != nullptr)
        m_application->Form_QueryUnload();
    event->accept();
    Q_EMIT closed();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_shownOnce = true;
    m_inTray = false;
    if (m_application != nullptr)
        m_application->windowShown();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && m_application != nullptr)
        m_application->Form_Resize();
}

} // namespace tarnwick
