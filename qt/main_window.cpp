#include "main_window.h"

#include "design_fonts.h"
#include "history_model.h"
#include "layout.h"

#include "app/application.h"
#include "app/window_design.h"

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

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

using app::Control;
using app::ControlKind;

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
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

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Tarnwick"_s);
    setFixedSize(ClientSize());
    setFont(DesignFont(app::FontRole::Window));
    m_history = new HistoryModel(this);

    QWidget *previousStop = nullptr;
    for (const app::ControlDesign &design : app::kControls) {
        QWidget *container = design.container == Control::Form1 ? this : control(design.container);
        QWidget *widget = makeControl(design, container);
        widget->setObjectName(text(app::ControlName(design.control)));
        widget->setGeometry(GeometryOf(design.rect));
        if (!design.visible)
            widget->setVisible(false);
        m_controls[static_cast<std::size_t>(design.control)] = widget;
        if (design.tabStop) {
            if (previousStop != nullptr)
                setTabOrder(previousStop, widget);
            previousStop = widget;
        }
    }
    control(app::kTooltipControl)->setToolTip(text(app::kFolderTooltip));

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(u"Timer1"_s);
    m_timer1->setInterval(1000);

    paintBackgrounds(Qt::white);
}

QWidget *MainWindow::makeControl(const app::ControlDesign &design, QWidget *container)
{
    const QString caption = text(design.caption);
    QWidget *widget = nullptr;
    switch (design.kind) {
    case ControlKind::Frame:
        widget = new QGroupBox(caption, container);
        break;
    case ControlKind::ProgressBar: {
        auto *bar = new QProgressBar(container);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        widget = bar;
        break;
    }
    case ControlKind::ListView: {
        auto *list = new QTreeWidget(container);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setColumnCount(1);
        // the column keeps its width; the user drags its edge to read long paths
        list->header()->setStretchLastSection(false);
        widget = list;
        break;
    }
    case ControlKind::HistoryView: {
        auto *view = new QTableView(container);
        view->setFont(DesignFont(design.font));
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setWordWrap(false);
        view->setShowGrid(false);
        view->verticalHeader()->setVisible(false);
        // fixed row heights keep the view quick with a million rows
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
        view->horizontalHeader()->setStretchLastSection(false);
        view->horizontalHeader()->setHighlightSections(false);
        // Tab moves on to the controls below, as everywhere else in the window, instead of from cell to cell.
        view->setTabKeyNavigation(false);
        view->setModel(m_history);
        widget = view;
        break;
    }
    case ControlKind::PushButton: {
        auto *button = new QPushButton(caption, container);
        button->setAutoDefault(false);
        widget = button;
        break;
    }
    case ControlKind::CheckBox:
        widget = new QCheckBox(caption, container);
        break;
    case ControlKind::OptionButton:
        // the option buttons of one container are one exclusive group, as the design's groups are
        widget = new QRadioButton(caption, container);
        break;
    case ControlKind::TextBox:
        widget = new QLineEdit(container);
        break;
    case ControlKind::Label:
        widget = new QLabel(caption, container);
        break;
    case ControlKind::TimePicker: {
        auto *picker = new QTimeEdit(container);
        QString format = QLocale::system().timeFormat(QLocale::LongFormat);
        format.remove(u't'); // the user's long time format, without the time zone
        picker->setDisplayFormat(format.trimmed());
        widget = picker;
        break;
    }
    case ControlKind::DropDownList: {
        auto *list = new QComboBox(container);
        for (const std::string_view item : design.items)
            list->addItem(text(item));
        widget = list;
        break;
    }
    }
    widget->setFont(DesignFont(design.font));
    return widget;
}

void MainWindow::paintBackgrounds(const QColor &colour)
{
    paintBackground(this, colour, false);
    for (const app::ControlDesign &design : app::kControls) {
        switch (design.kind) {
        case ControlKind::Frame:
            paintBackground(control(design.control), colour, false);
            break;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            paintBackground(control(design.control), colour, true);
            break;
        default:
            break;
        }
    }
}

MainWindow::~MainWindow()
{
    if (m_hourglass)
        QApplication::restoreOverrideCursor();
}

QWidget *MainWindow::control(Control which) const
{
    return which == Control::Form1 ? const_cast<MainWindow *>(this) : m_controls[static_cast<std::size_t>(which)];
}

int MainWindow::boxIndex(const QObject *object) const
{
    for (std::size_t box = 0; box < app::kIntervalBoxes.size(); ++box)
        if (control(app::kIntervalBoxes[box]) == object)
            return static_cast<int>(box);
    return -1;
}

void MainWindow::connectTo(app::Application &application)
{
    m_application = &application;
    app::Application *a = &application;
    for (const app::ControlDesign &design : app::kControls) {
        const Control which = design.control;
        QWidget *widget = control(which);
        switch (design.kind) {
        case ControlKind::PushButton:
        case ControlKind::OptionButton:
            connect(static_cast<QAbstractButton *>(widget), &QAbstractButton::clicked, this,
                    [a, which] { a->Click(which); });
            break;
        case ControlKind::CheckBox:
            connect(static_cast<QAbstractButton *>(widget), &QAbstractButton::clicked, this,
                    [a, which](bool checked) { a->CheckClick(which, checked); });
            break;
        case ControlKind::TextBox: {
            const int box = boxIndex(widget);
            connect(static_cast<QLineEdit *>(widget), &QLineEdit::textEdited, this,
                    [a, box](const QString &value) { a->Text_Change(box, value.toStdString()); });
            widget->installEventFilter(this);
            break;
        }
        case ControlKind::TimePicker:
            connect(static_cast<QTimeEdit *>(widget), &QTimeEdit::timeChanged, this,
                    [a](QTime time) { a->dtpWeekly_Change(time.msecsSinceStartOfDay() / 1000); });
            break;
        case ControlKind::DropDownList:
            connect(static_cast<QComboBox *>(widget), &QComboBox::currentTextChanged, this,
                    [a](const QString &value) { a->cboWeekly_Change(value.toStdString()); });
            break;
        case ControlKind::ListView:
            widget->installEventFilter(this);
            static_cast<QTreeWidget *>(widget)->viewport()->installEventFilter(this);
            break;
        default:
            break;
        }
    }
    connect(m_timer1, &QTimer::timeout, this, [a] { a->Timer1_Timer(); });
}

std::optional<std::size_t> MainWindow::selectedFolderRow() const
{
    const auto *folders = controlAs<QTreeWidget>(Control::ListView1);
    const QList<QTreeWidgetItem *> selected = folders->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(folders->indexOfTopLevelItem(selected.front()));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_application == nullptr)
        return QWidget::eventFilter(watched, event);
    auto *folders = controlAs<QTreeWidget>(Control::ListView1);
    if (watched == folders && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete) {
            m_application->ListView1_KeyDown(app::kDeleteKey, selectedFolderRow());
            return true;
        }
    }
    if (watched == folders->viewport() && event->type() == QEvent::MouseButtonDblClick) {
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

void MainWindow::setText(Control which, std::string_view value)
{
    QWidget *widget = control(which);
    const QSignalBlocker blocker(widget);
    if (which == Control::Form1)
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

void MainWindow::setChecked(Control which, bool checked)
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

void MainWindow::setEnabled(Control which, bool enabled)
{
    control(which)->setEnabled(enabled);
}

void MainWindow::setVisible(Control which, bool visible)
{
    control(which)->setVisible(visible);
}

void MainWindow::setTimeOfDay(int secondOfDay)
{
    const QSignalBlocker blocker(control(Control::dtpWeekly));
    controlAs<QTimeEdit>(Control::dtpWeekly)->setTime(QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000));
}

void MainWindow::setProgress(int maximum, int value)
{
    auto *bar = controlAs<QProgressBar>(Control::ProgressBar2);
    bar->setRange(0, maximum);
    bar->setValue(value);
}

void MainWindow::selectAllText(Control box)
{
    // after the click that gave the focus has placed the cursor
    if (auto *edit = qobject_cast<QLineEdit *>(control(box)))
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
}

void MainWindow::setFocus(Control which)
{
    // once the message box that asked for it has given the focus back
    QTimer::singleShot(0, control(which), [widget = control(which)] { widget->setFocus(Qt::OtherFocusReason); });
}

void MainWindow::setColumns(Control listView, const std::vector<app::Column> &columns)
{
    QStringList headers;
    for (const app::Column &column : columns)
        headers.append(text(column.header));
    if (listView == Control::ListView1) {
        auto *folders = controlAs<QTreeWidget>(Control::ListView1);
        folders->setHeaderLabels(headers);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            folders->setColumnWidth(i, Twips(columns[static_cast<std::size_t>(i)].twips));
    } else if (listView == Control::ListView2) {
        m_history->setHeaders(headers);
        auto *history = controlAs<QTableView>(Control::ListView2);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            history->horizontalHeader()->resizeSection(i, Twips(columns[static_cast<std::size_t>(i)].twips));
    }
}

void MainWindow::appendFolderRows(const std::vector<std::string> &rows)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::string &row : rows)
        items.append(new QTreeWidgetItem(QStringList {QString::fromStdString(row)}));
    controlAs<QTreeWidget>(Control::ListView1)->addTopLevelItems(items);
}

void MainWindow::removeFolderRow(std::size_t row)
{
    delete controlAs<QTreeWidget>(Control::ListView1)->takeTopLevelItem(static_cast<int>(row));
}

void MainWindow::clearFolderRows()
{
    controlAs<QTreeWidget>(Control::ListView1)->clear();
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
    for (const app::ControlDesign &design : app::kControls)
        if (design.kind == ControlKind::PushButton)
            control(design.control)->setCursor(cursor);
}

void MainWindow::applySkinColours()
{
    // the system's button face, as the desktop's style has it
    const QColor face = QApplication::palette().color(QPalette::Button);
    paintBackgrounds(face);
    for (const app::ControlDesign &design : app::kControls)
        if (design.kind == ControlKind::Label)
            paintBackground(control(design.control), face, false);
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
    QWidget::showNormal();
}

void MainWindow::showMinimized()
{
    QWidget::showMinimized();
}

void MainWindow::hideWindow()
{
    // After the state change has been handled. The minimised state stays until the window comes back: clearing
    // it now would map the window again on X11.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_application != nullptr && m_application->hiddenInTray())
                hide();
        },
        Qt::QueuedConnection);
}

void MainWindow::bringToFront()
{
    QWidget::showNormal();
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
