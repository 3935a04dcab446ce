#include "outputfile.h"

#include "filenames.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

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

} // namespace

OutputFile::~OutputFile()
{
    if (auto *save = dynamic_cast<QSaveFile *>(m_device.get()))
        save->cancelWriting(); // nothing committed: the temporary file goes
    discardTemporary();
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
        m_direct = !S_ISREG(st.st_mode);
    }
    if (!m_direct) {
        if (hasEscapedBytes(m_fileName)) {
            if (openTemporary(name, exists ? &st : nullptr))
                return true;
        } else {
            auto save = std::make_unique<QSaveFile>(m_fileName);
            if (save->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                m_device = std::move(save);
                return true;
            }
            m_error = save->errorString();
        }
        // A writable file in a folder where no file can be made (read-only,
        // immutable) cannot be replaced by rename; it is then written in
        // place, truncated first, as a plain open for writing would. A
        // failure after that is still reported.
        if (!exists)
            return false;
    }
    return openDirect();
}

bool OutputFile::openTemporary(const QByteArray &target, const struct stat *existing)
{
    // As QSaveFile does: a link is written through to its file, the new file
    // keeps the permissions of the one it replaces, and a new one gets those
    // the umask leaves.
    m_target = target;
    if (existing) {
        if (char *resolved = ::realpath(target.constData(), nullptr)) {
            m_target = QByteArray(resolved);
            std::free(resolved);
        }
    }
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        m_temporary = m_target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
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

void OutputFile::discardTemporary()
{
    if (m_temporary.isEmpty())
        return;
    if (m_device)
        m_device->close();
    ::unlink(m_temporary.constData());
    m_temporary.clear();
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
        if (auto *save = dynamic_cast<QSaveFile *>(m_device.get()))
            save->cancelWriting();
        discardTemporary();
        return false;
    }
    bool ok;
    if (!m_temporary.isEmpty()) {
        ok = commitTemporary();
        m_failed = !ok;
        m_device.reset();
        return ok;
    }
    if (auto *save = dynamic_cast<QSaveFile *>(m_device.get())) {
        ok = save->commit();
    } else {
        ok = m_device->flush();
        m_device->close();
        ok = ok && m_device->error() == QFileDevice::NoError;
    }
    if (!ok) {
        m_failed = true;
        m_error = m_device->errorString();
    }
    m_device.reset();
    return ok;
}

QString OutputFile::errorString() const
{
    return m_error;
}

} // namespace sorvant
