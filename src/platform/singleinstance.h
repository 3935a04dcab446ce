#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace sorvant {

// Only one Sorvant runs per user. The first start listens on a per-user local
// socket; a later start connects to it, asks the running one to come forward
// (and, when it was started to open a file, to open that file) and ends. The check and the listen happen under a lock file, so two starts
// at the same moment give exactly one primary, and a socket left behind by a
// crashed instance is recognised (nobody answers) and replaced.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // "<folder>/Sorvant-<uid>": one name per user, in a folder only the user
    // can write: $XDG_RUNTIME_DIR when it is such a folder, else
    // "sorvant-<uid>" in the temporary folder (made with mode 0700, and
    // used only when it is ours and private), else one in the cache folder.
    // Empty when there is no such folder.
    static QString defaultServerName();

    // True: no other instance runs, and this one now listens. False: another
    // instance runs and has been asked to come forward; the caller ends with
    // exit code 0 without looking at its command line or any setting. When
    // the socket cannot be set up at all the answer is true: running without
    // the guard is better than not running. A socket or lock file owned by
    // another user is never trusted: it is removed, or passed by.
    bool tryBecomePrimary();

    // A later start that was asked to open a file hands it over: set before
    // tryBecomePrimary(). An absolute path, taken byte for byte.
    void setFileToOpen(const QString &absolutePath) { m_fileToOpen = absolutePath; }

    // What a later start sends: "activate\n", or "open " and the path's
    // bytes in Base64 and "\n". Both ask the running one to come forward.
    static QByteArray requestFor(const QString &fileToOpen);

    bool isPrimary() const;
    QString serverName() const { return m_serverName; }
    QString socketPath() const;
    // The lock file around the check, beside the socket.
    QString lockFilePath() const;

signals:
    // In the primary instance: a later start asked it to come forward.
    void activationRequested();
    // In the primary instance, right after activationRequested(): the later
    // start was asked to open this file.
    void openRequested(const QString &path);

private:
    void acceptConnections();
    bool askRunningInstance();

    void handleRequest(const QByteArray &request);

    QString m_serverName;
    QString m_fileToOpen;
    QLocalServer *m_server = nullptr;
};

} // namespace sorvant
