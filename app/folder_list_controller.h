#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class QTreeWidget;
class QWidget;

namespace tarnwick {

class FolderPicker;
class Prompts;
class Settings;
struct SubfolderScan;

// The folder list: the rows of ListView1, their stored form in the setting "Folders", and the commands that
// change them.
class FolderListController : public QObject
{
    Q_OBJECT
public:
    FolderListController(QTreeWidget *list, Settings &settings, Prompts &prompts, FolderPicker &picker, QWidget *owner,
                         QObject *parent = nullptr);
    ~FolderListController() override;

    // The listed folders in display order.
    QStringList folders() const;
    // Replaces the rows by the folders of a stored list.
    void restore(const QString &stored);
    void StoreFolderList();

    void PushButton3_Click(); // Add Folder
    void PushButton4_Click(); // Add All Subfolders In Folder: the enumeration runs on a worker
    void PushButton7_Click(); // Clear List
    void PushButton8_Click(); // Load Sample/Example Data
    void ListView1_DblClick();
    void ListView1_KeyDown(int key);

    // True while "Add All Subfolders In Folder" enumerates (the hourglass is shown).
    bool isBusy() const { return m_busy; }
    // Closing: stops a running enumeration and waits for it.
    void cancelAndWait();

Q_SIGNALS:
    void busyChanged(bool busy);
    void subfoldersAdded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addRow(const QString &text);
    void removeSelected();
    void setBusy(bool busy);
    void finishSubfolders();

    QTreeWidget *m_list;
    Settings &m_settings;
    Prompts &m_prompts;
    FolderPicker &m_picker;
    QWidget *m_owner;
    bool m_busy = false;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<QFutureWatcher<SubfolderScan>> m_scan;
};

} // namespace tarnwick
