#pragma once

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace tarnwick {

struct FolderFailure {
    QString folder;
    QString description;

    // "<description> (<folder>)", for the error report.
    QString message() const;
};

struct SubfolderScan {
    // Rows in listed-path form: the chosen folder, then its subfolders level by level. Empty when cancelled.
    QStringList rows;
    // Folders that could not be listed for a reason other than a missing folder or a denied permission.
    QList<FolderFailure> failures;
    bool cancelled = false;
};

// Enumerates the chosen folder (as the picker returned it) and all its subfolders on a worker thread. The
// caller keeps the future and, to stop early, sets the flag; the walk checks it between directories. A null
// flag means the scan cannot be cancelled. An empty choice gives no rows.
QFuture<SubfolderScan> ScanSubfolders(const QString &chosen, std::shared_ptr<const std::atomic<bool>> cancel = {});

// The same work on the calling thread.
SubfolderScan ScanSubfoldersNow(const QString &chosen, const std::atomic<bool> *cancel = nullptr);

} // namespace tarnwick
