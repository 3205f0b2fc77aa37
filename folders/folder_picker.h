#pragma once

#include <QString>

class QWidget;

namespace tarnwick {

// Lets the user choose one folder. Tests replace it so that no real dialog opens.
class FolderPicker
{
public:
    virtual ~FolderPicker() = default;

    // The chosen folder's full path in the platform's form, without a trailing separator except for a root
    // ("/" here, "C:\" on Windows); the empty text when the user cancels or the choice has no file-system path.
    // An empty preselect opens the dialog at its default position.
    virtual QString browseForFolder(QWidget *owner, const QString &title, const QString &preselect) = 0;
};

// The platform's folder dialog, modal to the owner, showing folders only.
class DialogFolderPicker final : public FolderPicker
{
public:
    QString browseForFolder(QWidget *owner, const QString &title, const QString &preselect) override;
};

// What the dialog gave, in the form browseForFolder returns: native separators, no trailing separator
// except for a root, the empty text kept empty.
QString FolderFromDialogResult(const QString &result);

} // namespace tarnwick
