#include "outputfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorvant {

OutputFile::OutputFile(const QString &fileName)
    : m_fileName(fileName)
{
}

OutputFile::~OutputFile()
{
    if (auto *save = dynamic_cast<QSaveFile *>(m_device.get()))
        save->cancelWriting(); // nothing committed: the temporary file goes
}

bool OutputFile::open()
{
    const QFileInfo info(m_fileName);
    if (info.exists()) {
        if (info.isDir()) {
            m_error = QStringLiteral("Is a directory");
            return false;
        }
        // Replacing by rename would go around the file's own permissions. A
        // file marked read-only for everyone stays so even for the superuser,
        // who could otherwise write anything.
        constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || (info.isFile() && !(info.permissions() & anyWrite))) {
            m_error = QStringLiteral("Permission denied");
            return false;
        }
        m_direct = !info.isFile();
    }
    if (!m_direct) {
        auto save = std::make_unique<QSaveFile>(m_fileName);
        if (save->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_device = std::move(save);
            return true;
        }
        m_error = save->errorString();
        // A writable file in a folder where no file can be made (read-only,
        // immutable) cannot be replaced by rename; it is then written in
        // place, truncated first, as a plain open for writing would. A
        // failure after that is still reported.
        if (!info.exists())
            return false;
    }
    return openDirect();
}

bool OutputFile::openDirect()
{
    // Opened without blocking: a pipe that nobody reads would otherwise
    // hang the program in open() instead of being refused.
    const int fd = ::open(QFile::encodeName(m_fileName).constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
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
        return false;
    }
    bool ok;
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
