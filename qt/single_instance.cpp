#include "single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

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

} // namespace

QString SingleInstance::defaultFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketName(QDir(folder).filePath(u"tarnwick"_s + userSuffix() + u".socket"_s))
    , m_lock(QDir(folder).filePath(u"tarnwick"_s + userSuffix() + u".lock"_s))
{
    // Never stale by age, since the program runs for days; a lock whose copy has died is still taken over.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() == QLockFile::LockFailedError) {
            QLocalSocket socket;
            socket.connectToServer(m_socketName);
            if (socket.waitForConnected(2000)) {
                socket.write("show\n");
                socket.waitForBytesWritten(2000);
                socket.disconnectFromServer();
            }
            return false;
        }
        // the lock cannot be made at all (a read-only folder): better a second copy than none
        return true;
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
