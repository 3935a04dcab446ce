#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <unistd.h>

// Makes a file impossible to move or replace, as a spreadsheet program holding
// it open does on Windows: as root by marking it immutable, otherwise by
// making it and its folder read-only (a writable file in a read-only folder
// is written in place). held() is false where neither works.
class HeldFile
{
public:
    explicit HeldFile(const QString &path) : m_path(path)
    {
        if (geteuid() == 0) {
            m_immutable = run(QStringLiteral("+i"));
        } else {
            m_folder = QFileInfo(path).absolutePath();
            m_readOnlyFolder = QFile::setPermissions(m_path, QFile::ReadOwner)
                               && QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner);
        }
    }
    ~HeldFile() { release(); }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    bool held() const { return m_immutable || m_readOnlyFolder; }
    void release()
    {
        if (m_immutable)
            run(QStringLiteral("-i"));
        if (m_readOnlyFolder) {
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        }
        m_immutable = m_readOnlyFolder = false;
    }

private:
    bool run(const QString &flag) const
    {
        QProcess p;
        p.start(QStringLiteral("chattr"), {flag, m_path});
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString m_path, m_folder;
    bool m_immutable = false;
    bool m_readOnlyFolder = false;
};
