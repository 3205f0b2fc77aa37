#include "message_box_prompts.h"

#include "termination_signals.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

MessageBoxPrompts::MessageBoxPrompts(QWidget *parent)
    : m_parent(parent)
    , m_title(QApplication::applicationName())
{
}

void MessageBoxPrompts::setApplicationTitle(std::string_view title)
{
    m_title = text(title);
}

void MessageBoxPrompts::message(std::string_view message)
{
    if (TerminationSignals::requested())
        return;
    QMessageBox box(QMessageBox::NoIcon, m_title, text(message), QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxPrompts::askYesNo(std::string_view question)
{
    if (TerminationSignals::requested())
        return false;
    QMessageBox box(QMessageBox::NoIcon, m_title, text(question), QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::errorReport(std::string_view report)
{
    if (TerminationSignals::requested())
        return;
    QMessageBox box(QMessageBox::Warning, u"Application Error"_s, text(report), QMessageBox::Ok, m_parent);
    box.exec();
}

std::string MessageBoxPrompts::browseForFolder(std::string_view title)
{
    if (TerminationSignals::requested())
        return {};
    const QString chosen = QFileDialog::getExistingDirectory(m_parent, text(title), {}, QFileDialog::ShowDirsOnly);
    return FolderFromDialogResult(chosen).toStdString();
}

QString FolderFromDialogResult(const QString &result)
{
    if (result.isEmpty())
        return {};
    // cleanPath drops a trailing separator but keeps the one of a root ("/", "C:/") and the two of "//server".
    return QDir::toNativeSeparators(QDir::cleanPath(result));
}

void CloseModalDialogs()
{
    // Closing one may reveal the next (a report over a question): close them until none is left.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

} // namespace tarnwick
