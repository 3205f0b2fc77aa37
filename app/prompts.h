#pragma once

#include <QString>

class QWidget;

namespace tarnwick {

// Every modal message the program shows goes through here, so tests can answer them.
class Prompts
{
public:
    virtual ~Prompts() = default;
    // A message with an OK button and no icon, captioned with the application title.
    virtual void message(const QString &text) = 0;
    // A question with Yes and No and no icon; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // The standard error report: title "Application Error", a warning icon, an OK button.
    virtual void errorReport(const QString &text) = 0;
};

class MessageBoxPrompts : public Prompts
{
public:
    MessageBoxPrompts(QWidget *parent, QString applicationTitle);
    void message(const QString &text) override;
    bool askYesNo(const QString &text) override;
    void errorReport(const QString &text) override;

private:
    QWidget *m_parent;
    QString m_title;
};

} // namespace tarnwick
