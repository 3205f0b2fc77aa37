#pragma once

#include "app/toolkit.h"

#include <QString>

class QWidget;

namespace tarnwick {

// The modal message boxes and the folder dialog, owned by the main window. Once the program is asked to end, no
// further dialog opens: each answers as if cancelled.
class MessageBoxPrompts final : public app::Prompts
{
public:
    explicit MessageBoxPrompts(QWidget *parent);

    void setApplicationTitle(std::string_view title) override;
    void message(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::string browseForFolder(std::string_view title) override;

private:
    QWidget *m_parent;
    QString m_title;
};

// What the folder dialog gave, in the form browseForFolder returns: native separators, no trailing separator
// except for a root, the empty text kept empty.
QString FolderFromDialogResult(const QString &result);

// Closes every modal dialog that is open (the termination of the program).
void CloseModalDialogs();

} // namespace tarnwick
