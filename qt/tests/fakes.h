#pragma once

#include "app/autostart.h"
#include "app/clock.h"
#include "app/prompts.h"

#include "folders/folder_picker.h"
#include "history/launcher.h"

#include <QDateTime>
#include <QQueue>
#include <QStringList>

#include <stdexcept>

namespace tarnwick::testing {

// Records every message and answers questions from a script (Yes when the script is empty).
class ScriptedPrompts : public Prompts
{
public:
    void message(const QString &text) override { messages.append(text); }
    bool askYesNo(const QString &text) override
    {
        questions.append(text);
        return answers.isEmpty() ? true : answers.dequeue();
    }
    void errorReport(const QString &text) override { errors.append(text); }

    QStringList messages;
    QStringList questions;
    QStringList errors;
    QQueue<bool> answers;
};

class FakeClock : public Clock
{
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 7), QTime(4, 20, 36));
};

class RecordingLauncher : public Launcher
{
public:
    void openTextFile(const QString &path) override
    {
        if (fail)
            throw std::runtime_error("no text viewer");
        textFiles.append(path);
    }
    void openUrl(const QUrl &url) override { urls.append(url.toString()); }

    QStringList textFiles;
    QStringList urls;
    bool fail = false;
};

// Answers the folder picker from a script; an empty script cancels.
class ScriptedPicker : public FolderPicker
{
public:
    QString browseForFolder(QWidget *, const QString &title, const QString &) override
    {
        titles.append(title);
        return answers.isEmpty() ? QString() : answers.dequeue();
    }

    QQueue<QString> answers;
    QStringList titles;
};

// Records registrations; fails when told to.
class RecordingAutostart : public Autostart
{
public:
    void add() override
    {
        if (failAdd)
            throw std::runtime_error("the autostart folder is read-only");
        calls.append(QStringLiteral("add"));
    }
    void remove() override { calls.append(QStringLiteral("remove")); }

    QStringList calls;
    bool failAdd = false;
};

} // namespace tarnwick::testing
