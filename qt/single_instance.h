#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace tarnwick {

// One copy of the program per user: the first holds a lock file and listens on a local socket in the user's
// runtime folder; a second start finds the lock taken, asks the first to show its window, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // folder: where the lock and the socket live (the user's runtime folder in the program).
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is to run: no other copy holds the lock, or none answers (a lock left over by a copy that
    // died, a folder in the lock's place). False when another runs; it has been asked to show its window.
    bool claim();

    // The folder the program uses: $XDG_RUNTIME_DIR, else the temporary folder (with the user's id in the names).
    static QString defaultFolder();

Q_SIGNALS:
    // Another start of the program asked this one to show its window.
    void showRequested();

private:
    bool askRunningCopyToShow() const;
    bool lockMayBeLive() const;

    QString m_socketName;
    QString m_lockPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace tarnwick
