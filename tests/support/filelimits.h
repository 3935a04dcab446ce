#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvant::filelimits {

// While it lives, no file of this process grows beyond `bytes`: a write past
// that fails (EFBIG, the signal ignored), as on a disk that has filled up.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool set() const { return m_set; }
    void lift()
    {
        if (!m_set)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
        m_set = false;
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_set = false;
};

// A folder in which no new file can be made while this lives, so an
// existing file in it can only be written in place: for root an immutable
// folder, for anyone else a read-only one. sealed() is false where neither
// works.
class SealedFolder
{
public:
    explicit SealedFolder(const QString &folder) : m_folder(folder)
    {
        if (::geteuid() == 0)
            m_sealed = chattr(QStringLiteral("+i"));
        else
            m_sealed = ::chmod(QFile::encodeName(folder).constData(), 0555) == 0;
    }
    ~SealedFolder() { unseal(); }
    SealedFolder(const SealedFolder &) = delete;
    SealedFolder &operator=(const SealedFolder &) = delete;

    bool sealed() const { return m_sealed; }
    void unseal()
    {
        if (!m_sealed)
            return;
        if (::geteuid() == 0)
            chattr(QStringLiteral("-i"));
        else
            ::chmod(QFile::encodeName(m_folder).constData(), 0755);
        m_sealed = false;
    }

private:
    bool chattr(const QString &flag) const
    {
        QProcess p;
        p.start(QStringLiteral("chattr"), {flag, m_folder});
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString m_folder;
    bool m_sealed = false;
};

} // namespace sorvant::filelimits
