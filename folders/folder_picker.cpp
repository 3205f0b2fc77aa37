#include "folders/folder_picker.h"

#include <QDir>
#include <QFileDialog>

namespace tarnwick {

QString FolderFromDialogResult(const QString &result)
{
    if (result.isEmpty())
        return {};
    // cleanPath drops a trailing separator but keeps the one of a root ("/", "C:/") and the two of "//server".
    return QDir::toNativeSeparators(QDir::cleanPath(result));
}

QString DialogFolderPicker::browseForFolder(QWidget *owner, const QString &title, const QString &preselect)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, title, preselect, QFileDialog::ShowDirsOnly);
    return FolderFromDialogResult(chosen);
}

} // namespace tarnwick
