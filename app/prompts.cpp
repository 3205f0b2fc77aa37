#include "prompts.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tarnwick {

MessageBoxPrompts::MessageBoxPrompts(QWidget *parent, QString applicationTitle)
    : m_parent(parent)
    , m_title(std::move(applicationTitle))
{
}

void MessageBoxPrompts::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxPrompts::askYesNo(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::errorReport(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, u"Application Error"_s, text, QMessageBox::Ok, m_parent);
    box.exec();
}

} // namespace tarnwick
