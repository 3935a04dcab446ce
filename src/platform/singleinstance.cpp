#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <memory>

#include <unistd.h>

namespace sorvant {

namespace {

constexpr int kLockWaitMs = 10000;
constexpr int kConnectWaitMs = 2000;
constexpr int kIdleClientMs = 5000;
constexpr qsizetype kMaxRequest = 64;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
{
}

SingleInstance::~SingleInstance()
{
    if (!m_server)
        return;
    // Closing removes the socket file; under the lock, so a start that
    // found this instance gone cannot have its fresh socket removed by us.
    QLockFile lock(lockFilePath());
    lock.tryLock(kLockWaitMs);
    m_server->close();
}

QString SingleInstance::defaultServerName()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Sorvant-") + QString::number(::getuid());
}

QString SingleInstance::lockFilePath() const
{
    // QLocalServer puts a bare name in the temporary folder; the lock goes
    // beside the socket either way.
    const QString socketPath = QDir::isAbsolutePath(m_serverName)
                                   ? m_serverName
                                   : QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + m_serverName;
    return socketPath + QStringLiteral(".lock");
}

bool SingleInstance::isPrimary() const
{
    return m_server != nullptr;
}

bool SingleInstance::tryBecomePrimary()
{
    if (m_server)
        return true;
    // A lock left by a crashed start is stale at once (its process is gone).
    // Without the lock the check still runs: better two windows than none.
    QLockFile lock(lockFilePath());
    lock.tryLock(kLockWaitMs);

    if (askRunningInstance())
        return false;

    // Nobody answered: whatever socket file is there was left by a crash.
    QLocalServer::removeServer(m_serverName);
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (server->listen(m_serverName)) {
        m_server = server.release();
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    }
    return true;
}

bool SingleInstance::askRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectWaitMs);
    return true;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        auto handled = std::make_shared<bool>(false);
        auto take = [this, client, received, handled]() {
            if (*handled)
                return;
            *received += client->read(kMaxRequest - received->size());
            const bool complete = received->contains('\n') || received->size() >= kMaxRequest
                                  || client->state() != QLocalSocket::ConnectedState;
            if (!complete)
                return;
            *handled = true;
            const bool activate = received->startsWith(kActivate);
            client->disconnectFromServer();
            client->deleteLater();
            if (activate)
                emit activationRequested();
        };
        connect(client, &QLocalSocket::readyRead, this, take);
        connect(client, &QLocalSocket::disconnected, this, take);
        // A client that connects and says nothing is not kept forever.
        QTimer::singleShot(kIdleClientMs, client, [client]() {
            client->abort();
            client->deleteLater();
        });
        if (client->bytesAvailable() > 0 || client->state() != QLocalSocket::ConnectedState)
            take();
    }
}

} // namespace sorvant
