#pragma once

// The adapters of app/'s interfaces that are a few lines each: the clipboard, Timer1 and the worker.

#include "app/toolkit.h"

#include <QClipboard>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace tarnwick {

class QtClipboard final : public app::Clipboard
{
public:
    void setText(const std::string &utf8) override
    {
        QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
    }
};

// Timer1: a fresh 1000 ms period at each start.
class QtTimer final : public app::Timer
{
public:
    explicit QtTimer(QTimer &timer)
        : m_timer(timer)
    {
    }
    void start() override { m_timer.start(1000); }
    void stop() override { m_timer.stop(); }

private:
    QTimer &m_timer;
};

// Work on Qt's thread pool; the completion comes back to the UI thread through the watcher.
class QtWorker final : public QObject, public app::Worker
{
public:
    ~QtWorker() override { wait(); }

    void run(std::function<void()> work, std::function<void()> done) override
    {
        auto *watcher = new QFutureWatcher<void>(this);
        connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, done = std::move(done)] {
            m_watchers.removeOne(watcher);
            watcher->deleteLater();
            done();
        });
        m_watchers.append(watcher);
        watcher->setFuture(QtConcurrent::run([work = std::move(work)] {
            try {
                work();
            } catch (...) {
                // the work reports its own failures; nothing may end the program from here
            }
        }));
    }

    void wait() override
    {
        for (const QPointer<QFutureWatcher<void>> &watcher :
             QList<QPointer<QFutureWatcher<void>>>(m_watchers.begin(), m_watchers.end()))
            if (watcher)
                watcher->waitForFinished();
    }

private:
    QList<QFutureWatcher<void> *> m_watchers;
};

} // namespace tarnwick
