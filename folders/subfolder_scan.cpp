#include "folders/subfolder_scan.h"

#include "core/enumeration.h"
#include "folders/folder_list.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

QString FolderFailure::message() const
{
    return description + QStringLiteral(" (") + folder + QChar(u')');
}

SubfolderScan ScanSubfoldersNow(const QString &chosen, const std::atomic<bool> *cancel)
{
    SubfolderScan scan;
    const QString start = ListedPathFromPicker(chosen);
    if (start.isEmpty())
        return scan;
    std::vector<std::string> folders {start.toStdString()};
    std::vector<EnumerationFailure> failures;
    try {
        failures = GetSubDirectories2016(folders, true, cancel);
    } catch (const std::exception &error) {
        // Nothing half-listed is added; the failure reaches the error report like any other.
        scan.failures.append({start, QString::fromUtf8(error.what())});
        return scan;
    }
    if (cancel != nullptr && cancel->load()) {
        scan.cancelled = true;
        return scan;
    }
    scan.rows.reserve(static_cast<qsizetype>(folders.size()));
    for (const std::string &folder : folders)
        scan.rows.append(ListedPathFromEntry(QString::fromStdString(folder)));
    for (const EnumerationFailure &failure : failures)
        scan.failures.append({QString::fromStdString(failure.folder), QString::fromStdString(failure.description)});
    return scan;
}

QFuture<SubfolderScan> ScanSubfolders(const QString &chosen, std::shared_ptr<const std::atomic<bool>> cancel)
{
    return QtConcurrent::run([chosen, cancel = std::move(cancel)] { return ScanSubfoldersNow(chosen, cancel.get()); });
}

} // namespace tarnwick
