#include "single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tarnwick {

namespace {

QString userSuffix()
{
#ifndef _WIN32
    return u"-"_s + QString::number(::getuid());
#else
    return {};
#endif
}

// How long a start waits for a copy that holds the lock but does not answer yet (it may have just taken the lock and
// not be listening, on a loaded machine); after that, nothing answers and this copy runs.
constexpr int kAnswerWaitMs = 5000;
// A lock file younger than this may still be being written by the copy that made it.
constexpr qint64 kLockBeingWrittenMs = 2000;

} // namespace

QString SingleInstance::defaultFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketName(QDir(folder).filePath(u"tarnwick"_s + userSuffix() + u".socket"_s))
    , m_lockPath(QDir(folder).filePath(u"tarnwick"_s + userSuffix() + u".lock"_s))
    , m_lock(m_lockPath)
{
    // Never stale by age, since the program runs for days; a lock whose copy has died is still taken over.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningCopyToShow() const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketName);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write("show\n");
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::lockMayBeLive() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    // QLockFile has already taken over a lock whose process has ended, so a readable lock names a live copy.
    if (m_lock.getLockInfo(&pid, &host, &application))
        return true;
    // Unreadable: a copy may be writing it right now; a folder, or an old empty or broken file, is left over.
    const QFileInfo info(m_lockPath);
    if (!info.isFile())
        return false;
    const QDateTime modified = info.lastModified();
    return modified.isValid() && qAbs(modified.msecsTo(QDateTime::currentDateTime())) < kLockBeingWrittenMs;
}

bool SingleInstance::claim()
{
    QDeadlineTimer deadline(kAnswerWaitMs);
    for (;;) {
        if (m_lock.tryLock(0))
            break;
        // The lock cannot be made at all (a read-only folder): better a copy that runs than none.
        if (m_lock.error() != QLockFile::LockFailedError)
            break;
        if (askRunningCopyToShow())
            return false;
        if (!lockMayBeLive()) {
            // No copy answers and none can be starting: what is there is left over (a copy that died while
            // writing it, a full disk, a folder in its place). Take it over where it is a file; run in any case.
            m_lock.removeStaleLockFile();
            m_lock.tryLock(0);
            break;
        }
        if (deadline.hasExpired())
            break; // a copy holds the lock but never answers: nothing answers, so this one runs
        QThread::msleep(100);
    }
    QLocalServer::removeServer(m_socketName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketName))
        return true;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("show"))
                    Q_EMIT showRequested();
            });
        }
    });
    return true;
}

} // namespace tarnwick
