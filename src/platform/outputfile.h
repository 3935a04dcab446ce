#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;
struct stat;

namespace sorvant {

// A file being written as a whole. A regular file is written to a temporary
// file beside it and renamed over the target only by commit(), so a failure
// never leaves a half-written file and an existing file stays as it was.
// An existing writable file in a folder that allows no new file is written
// in place instead. Targets that are not regular files (devices, pipes) are
// written directly. Names with bytes that are not UTF-8 (see filenames.h),
// which QSaveFile cannot reach, get the same temporary file and rename
// through the system calls.
class OutputFile
{
public:
    explicit OutputFile(const QString &fileName);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // False when the file cannot be created or replaced: a folder of that
    // name, a read-only file, a folder that cannot be written.
    bool open();
    bool write(const char *data, std::size_t size);
    // Flushes and puts the file in place; false when anything failed.
    bool commit();
    QString errorString() const;

private:
    bool openDirect();
    bool openTemporary(const QByteArray &target, const struct stat *existing);
    bool commitTemporary();
    void discardTemporary();

    QString m_fileName;
    std::unique_ptr<QFileDevice> m_device;
    bool m_direct = false;
    bool m_failed = false;
    QString m_error;
    QByteArray m_target;    // with a temporary file of our own: the name it replaces
    QByteArray m_temporary; // and its own name
};

} // namespace sorvant
