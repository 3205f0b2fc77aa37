#include "folder_list_controller.h"

#include "error_report.h"
#include "prompts.h"
#include "settings.h"

#include "folders/folder_list.h"
#include "folders/folder_picker.h"
#include "folders/subfolder_scan.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnwick {

FolderListController::FolderListController(QTreeWidget *list, Settings &settings, Prompts &prompts,
                                           FolderPicker &picker, QWidget *owner, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_picker(picker)
    , m_owner(owner)
{
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

FolderListController::~FolderListController()
{
    cancelAndWait();
    setBusy(false);
}

QStringList FolderListController::folders() const
{
    QStringList result;
    result.reserve(m_list->topLevelItemCount());
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        result.append(m_list->topLevelItem(i)->text(0));
    return result;
}

void FolderListController::restore(const QString &stored)
{
    const QStringList rows = ParseStoredFolderList(stored);
    m_list->clear();
    for (const QString &row : rows)
        addRow(row);
}

void FolderListController::StoreFolderList()
{
    m_settings.save(SettingKey::Folders, StoredFolderList(folders()));
}

void FolderListController::addRow(const QString &text)
{
    auto *item = new QTreeWidgetItem(m_list);
    item->setText(0, text);
}

void FolderListController::PushButton3_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton3_Click "_s);
    QString row;
    procedure.step([&] { row = ListedPathFromPicker(m_picker.browseForFolder(m_owner, u"Select Folder"_s, {})); });
    if (row.isEmpty())
        return; // cancelled: nothing changes
    procedure.step([&] { addRow(row); });
    procedure.step([&] { StoreFolderList(); });
}

void FolderListController::PushButton4_Click()
{
    if (m_busy)
        return;
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton4_Click "_s);
    QString chosen;
    procedure.step([&] { chosen = m_picker.browseForFolder(m_owner, u"Please select folder:"_s, {}); });
    if (chosen.isEmpty())
        return;
    setBusy(true);
    m_cancel->store(false);
    m_scan = std::make_unique<QFutureWatcher<SubfolderScan>>();
    connect(m_scan.get(), &QFutureWatcher<SubfolderScan>::finished, this, &FolderListController::finishSubfolders);
    m_scan->setFuture(ScanSubfolders(chosen, m_cancel));
}

void FolderListController::finishSubfolders()
{
    const SubfolderScan scan = m_scan->result();
    m_scan.reset();
    if (m_cancel->load()) {
        setBusy(false);
        return;
    }
    if (!scan.failures.isEmpty()) {
        Procedure enumeration(m_prompts, u"Orvandel2021/08/31.AddFolder.GetSubDirectories2016 "_s);
        for (const FolderFailure &failure : scan.failures)
            enumeration.step([&] { throw std::runtime_error(failure.message().toStdString()); });
    }
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton4_Click "_s);
    procedure.step([&] {
        for (const QString &row : scan.rows)
            addRow(row);
    });
    procedure.step([&] { StoreFolderList(); });
    procedure.step([&] { setBusy(false); });
    Q_EMIT subfoldersAdded();
}

void FolderListController::cancelAndWait()
{
    if (!m_scan)
        return;
    m_cancel->store(true);
    m_scan->waitForFinished();
}

void FolderListController::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    Q_EMIT busyChanged(busy);
}

void FolderListController::removeSelected()
{
    // with rows but none selected, there is nothing to remove
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
}

void FolderListController::ListView1_DblClick()
{
    if (m_list->topLevelItemCount() == 0 || m_list->selectedItems().isEmpty())
        return;
    removeSelected();
    StoreFolderList();
}

void FolderListController::ListView1_KeyDown(int key)
{
    if (key != Qt::Key_Delete || m_busy || m_list->topLevelItemCount() == 0)
        return;
    removeSelected();
}

void FolderListController::PushButton7_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton7_Click "_s);
    procedure.step([&] {
        if (!m_busy)
            m_list->clear();
    });
}

void FolderListController::PushButton8_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.PushButton8_Click "_s);
    procedure.step([&] { addRow(DesktopFolderPath()); });
    procedure.step([&] { StoreFolderList(); });
}

bool FolderListController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete) {
            ListView1_KeyDown(key->key());
            return true;
        }
    }
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ListView1_DblClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnwick
