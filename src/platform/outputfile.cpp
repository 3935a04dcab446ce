#include "outputfile.h"

#include "backgroundcommit.h"
#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvant {

OutputFile::OutputFile(const QString &fileName)
    : m_fileName(fileName)
{
}

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray randomSuffix()
{
    return '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// The file a name finally reaches through its symbolic links, also when that
// file does not exist yet (a dangling link is written through, as QSaveFile
// does); the name itself when it is no link.
QByteArray linkTarget(const QByteArray &name)
{
    QByteArray path = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), static_cast<std::size_t>(target.size()));
        if (n <= 0)
            return path;
        target.truncate(n);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target = (slash < 0 ? QByteArray() : path.left(slash + 1)) + target;
        }
        path = target;
    }
    return path;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// Copies what is left to read of `from` into `to`; false (errno set) when a
// read or write fails.
bool copyAll(int from, int to)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

} // namespace

OutputFile::~OutputFile()
{
    // Nothing committed: the temporary file goes, an in-place write is undone.
    discardTemporary();
    restoreInPlace();
}

bool OutputFile::open()
{
    // The checks go through the system calls, which reach every name.
    const QByteArray name = encodeFileName(m_fileName);
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            m_error = QStringLiteral("Is a directory");
            return false;
        }
        // Replacing by rename would go around the file's own permissions. A
        // file marked read-only for everyone stays so even for the superuser,
        // who could otherwise write anything.
        if (::access(name.constData(), W_OK) != 0 || (S_ISREG(st.st_mode) && !(st.st_mode & 0222))) {
            m_error = QStringLiteral("Permission denied");
            return false;
        }
        if (!S_ISREG(st.st_mode))
            return openDirect();
    }
    if (openTemporary(name, exists ? &st : nullptr))
        return true;
    // A writable file in a folder where no file can be made (read-only,
    // immutable) cannot be replaced by rename; it is then written in place.
    if (!exists || !openInPlace())
        return false;
    m_error.clear();
    return true;
}

bool OutputFile::openTemporary(const QByteArray &name, const struct stat *existing)
{
    // As QSaveFile does: a link is written through to its file, the new file
    // keeps the permissions of the one it replaces, and a new one gets those
    // the umask leaves.
    m_target = linkTarget(name);
    // Without a name until commit(), so that nothing is left behind by a
    // program that is killed; a named one where the file system has no such
    // files.
    int fd = ::open(folderOf(m_target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    m_unnamed = fd >= 0;
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)) {
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            m_temporary = m_target + randomSuffix();
            fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (fd < 0) {
        m_error = systemError(errno);
        m_temporary.clear();
        return false;
    }
    if (existing)
        ::fchmod(fd, existing->st_mode & 07777);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_error = file->errorString();
        m_unnamed = false;
        discardTemporary();
        return false;
    }
    m_device = std::move(file);
    return true;
}

bool OutputFile::commitTemporary()
{
    auto *file = static_cast<QFile *>(m_device.get());
    bool ok = file->flush();
    if (!ok)
        m_error = file->errorString();
    if (m_unnamed) {
        // Nothing reaches an unnamed file once its handle is closed: a
        // handle of its own carries it on, here or on a committer's thread.
        const int fd = ok ? ::fcntl(file->handle(), F_DUPFD_CLOEXEC, 0) : -1;
        if (ok && fd < 0) {
            m_error = systemError(errno);
            ok = false;
        }
        file->close();
        m_unnamed = false;
        if (ok && file->error() != QFileDevice::NoError) {
            m_error = file->errorString();
            ok = false;
        }
        if (!ok) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        return BackgroundCommitter::handOver(fd, m_target, m_fileName) || placeUnnamedFile(fd, m_target, m_error);
    }
    if (ok && ::fsync(file->handle()) != 0) {
        m_error = systemError(errno);
        ok = false;
    }
    file->close();
    if (ok && file->error() != QFileDevice::NoError) {
        m_error = file->errorString();
        ok = false;
    }
    if (ok && ::rename(m_temporary.constData(), m_target.constData()) != 0) {
        m_error = systemError(errno);
        ok = false;
    }
    if (ok)
        m_temporary.clear();
    else
        discardTemporary();
    return ok;
}

bool placeUnnamedFile(int fd, const QByteArray &target, QString &error)
{
    bool ok = ::fsync(fd) == 0;
    if (!ok)
        error = systemError(errno);
    // The file gets a name of its own beside the target, then takes the
    // target's place in one step.
    QByteArray name;
    if (ok) {
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
        int linked = -1;
        for (int attempt = 0; linked != 0 && attempt < 100; ++attempt) {
            name = target + randomSuffix();
            linked = ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
            if (linked != 0 && errno != EEXIST)
                linked = ::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno != EEXIST)
                break;
        }
        if (linked != 0) {
            error = systemError(errno);
            name.clear();
            ok = false;
        }
    }
    if (::close(fd) != 0 && ok) {
        error = systemError(errno);
        ok = false;
    }
    if (ok && ::rename(name.constData(), target.constData()) != 0) {
        error = systemError(errno);
        ok = false;
    }
    if (!ok && !name.isEmpty())
        ::unlink(name.constData());
    return ok;
}

void OutputFile::discardTemporary()
{
    if (m_temporary.isEmpty() && !m_unnamed)
        return;
    if (m_device)
        m_device->close(); // an unnamed file goes with its handle
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
    m_unnamed = false;
}

bool OutputFile::openInPlace()
{
    // A copy of the old content first, in the user's cache folder: should
    // the disk fill up half-way, it is put back. Without room for the copy
    // the file is not touched at all.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                          + QStringLiteral("/Sorvant");
    QDir().mkpath(cache);
    const int from = ::open(encodeFileName(m_fileName).constData(), O_RDONLY | O_CLOEXEC);
    int to = -1;
    for (int attempt = 0; from >= 0 && to < 0 && attempt < 100; ++attempt) {
        m_backup = encodeFileName(cache) + "/in-place" + randomSuffix();
        to = ::open(m_backup.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (to < 0 && errno != EEXIST)
            break;
    }
    bool kept = from >= 0 && to >= 0 && copyAll(from, to) && ::fsync(to) == 0;
    const int error = errno;
    if (to >= 0 && ::close(to) != 0)
        kept = false;
    if (from >= 0)
        ::close(from);
    if (!kept) {
        if (to >= 0)
            ::unlink(m_backup.constData());
        m_backup.clear();
        m_error = QStringLiteral("No room to keep a copy of the old file while it is rewritten (%1)")
                      .arg(systemError(error));
        return false;
    }
    if (openDirect())
        return true;
    ::unlink(m_backup.constData());
    m_backup.clear();
    return false;
}

void OutputFile::restoreInPlace()
{
    if (m_backup.isEmpty())
        return;
    if (m_device)
        m_device->close();
    const int from = ::open(m_backup.constData(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(encodeFileName(m_fileName).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool restored = from >= 0 && to >= 0 && copyAll(from, to) && ::fsync(to) == 0;
    if (to >= 0 && ::close(to) != 0)
        restored = false;
    if (from >= 0)
        ::close(from);
    if (restored) {
        ::unlink(m_backup.constData());
    } else {
        // The copy stays where the user can find it.
        m_error += QStringLiteral("; the old content is kept in %1").arg(decodeFileName(m_backup));
    }
    m_backup.clear();
}

bool OutputFile::openDirect()
{
    // Opened without blocking: a pipe that nobody reads would otherwise
    // hang the program in open() instead of being refused.
    const int fd = ::open(encodeFileName(m_fileName).constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = systemError(errno);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>(m_fileName);
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_error = file->errorString();
        return false;
    }
    m_device = std::move(file);
    m_direct = true;
    return true;
}

bool OutputFile::write(const char *data, std::size_t size)
{
    if (m_failed || !m_device)
        return false;
    while (size > 0) {
        const qint64 n = m_device->write(data, static_cast<qint64>(size));
        if (n <= 0) {
            m_failed = true;
            m_error = m_device->errorString();
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::commit()
{
    if (!m_device)
        return false;
    if (m_failed) {
        discardTemporary();
        restoreInPlace();
        m_device.reset();
        return false;
    }
    bool ok;
    if (!m_direct) {
        ok = commitTemporary();
        m_failed = !ok;
        m_device.reset();
        return ok;
    }
    ok = m_device->flush();
    QString error = m_device->errorString();
    auto *file = static_cast<QFile *>(m_device.get());
    // Written in place, the new content must be on the disk before the copy
    // of the old one goes.
    if (ok && !m_backup.isEmpty() && ::fsync(file->handle()) != 0) {
        error = systemError(errno);
        ok = false;
    }
    m_device->close();
    if (ok && m_device->error() != QFileDevice::NoError) {
        error = m_device->errorString();
        ok = false;
    }
    if (!ok) {
        m_failed = true;
        m_error = error;
        restoreInPlace();
    } else if (!m_backup.isEmpty()) {
        ::unlink(m_backup.constData());
        m_backup.clear();
    }
    m_device.reset();
    return ok;
}

QString OutputFile::errorString() const
{
    return m_error;
}

} // namespace sorvant
