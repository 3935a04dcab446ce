#include "singleinstance.h"

#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace sorvant {

namespace {

constexpr int kLockWaitMs = 10000;
constexpr int kConnectWaitMs = 2000;
constexpr int kIdleClientMs = 5000;
// Room for the longest path the system takes (PATH_MAX, 4096 bytes) in Base64.
constexpr qsizetype kMaxRequest = 8192;
const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kOpen = QByteArrayLiteral("open ");

// A folder where only this user can make, remove or replace files: a real
// folder (not a link), ours, writable by nobody else.
bool isPrivateFolder(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Made with mode 0700 when missing; empty when it is not private, which
// includes a folder of that name that someone else made first.
QString privateFolder(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path) ? path : QString();
}

// A socket or lock file that someone else owns is never trusted: another
// user could otherwise answer for Sorvant or hold its start-up forever.
bool ownedByOthers(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && st.st_uid != ::geteuid();
}

// Removes a foreign file from our own folder; false when it stays.
bool removeForeign(const QString &path)
{
    if (!ownedByOthers(path))
        return true;
    ::unlink(QFile::encodeName(path).constData());
    return !ownedByOthers(path);
}

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
    if (removeForeign(lockFilePath()))
        lock.tryLock(kLockWaitMs);
    m_server->close();
}

QString SingleInstance::defaultServerName()
{
    const QString uid = QString::number(::geteuid());
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !isPrivateFolder(folder)) {
        // No runtime folder of our own: a private one in the temporary
        // folder, or, when someone else took that name, in our cache folder.
        folder = privateFolder(QDir::tempPath() + QStringLiteral("/sorvant-") + uid);
        if (folder.isEmpty()) {
            QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
            if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
                cache = QDir::homePath() + QStringLiteral("/.cache");
            QDir().mkpath(cache);
            folder = privateFolder(cache + QStringLiteral("/sorvant-runtime-") + uid);
        }
        if (folder.isEmpty())
            return QString();
    }
    return folder + QStringLiteral("/Sorvant-") + uid;
}

QString SingleInstance::socketPath() const
{
    // QLocalServer puts a bare name in the temporary folder.
    return QDir::isAbsolutePath(m_serverName) ? m_serverName
                                              : QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + m_serverName;
}

QString SingleInstance::lockFilePath() const
{
    // Beside the socket.
    return socketPath() + QStringLiteral(".lock");
}

bool SingleInstance::isPrimary() const
{
    return m_server != nullptr;
}

bool SingleInstance::tryBecomePrimary()
{
    if (m_server)
        return true;
    if (m_serverName.isEmpty())
        return true; // no private place for the socket: run unguarded
    // A lock left by a crashed start is stale at once (its process is gone).
    // Without the lock the check still runs: better two windows than none.
    QLockFile lock(lockFilePath());
    if (removeForeign(lockFilePath()))
        lock.tryLock(kLockWaitMs);

    // A socket someone else made is not a running Sorvant of ours.
    if (!ownedByOthers(socketPath()) && askRunningInstance())
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
    socket.write(requestFor(m_fileToOpen));
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
            const QByteArray request = *received;
            client->disconnectFromServer();
            client->deleteLater();
            handleRequest(request);
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

QByteArray SingleInstance::requestFor(const QString &fileToOpen)
{
    if (fileToOpen.isEmpty())
        return kActivate;
    return kOpen + encodeFileName(fileToOpen).toBase64() + '\n';
}

void SingleInstance::handleRequest(const QByteArray &request)
{
    if (request.startsWith(kActivate)) {
        emit activationRequested();
        return;
    }
    if (!request.startsWith(kOpen))
        return;
    emit activationRequested();
    // Only a complete request opens: a cut-off path would name some other file.
    const qsizetype end = request.indexOf('\n');
    if (end < 0)
        return;
    const auto decoded = QByteArray::fromBase64Encoding(request.mid(kOpen.size(), end - kOpen.size()),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (decoded && !decoded.decoded.isEmpty() && !decoded.decoded.contains('\0'))
        emit openRequested(decodeFileName(decoded.decoded));
}

} // namespace sorvant
