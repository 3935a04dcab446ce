#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;
struct stat;

namespace sorvant {

// A file being written as a whole. A regular file is written to a temporary
// file beside it and renamed over the target only by commit(), so a failure
// never leaves a half-written file and an existing file stays as it was. The
// temporary file has no name until commit() (where the system allows it), so
// a program killed half-way leaves nothing behind; every name, UTF-8 or not
// (see filenames.h), goes through the same system calls.
// An existing writable file in a folder that allows no new file is written
// in place instead, after a copy of its content is kept in the user's cache
// folder: a write that fails (a full disk) puts the old content back. Targets
// that are not regular files (devices, pipes) are written directly.
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
    bool openInPlace();
    bool openTemporary(const QByteArray &target, const struct stat *existing);
    bool commitTemporary();
    void discardTemporary();
    void restoreInPlace();

    QString m_fileName;
    std::unique_ptr<QFileDevice> m_device;
    bool m_direct = false;
    bool m_failed = false;
    QString m_error;
    QByteArray m_target;    // with a temporary file: the name it replaces
    QByteArray m_temporary; // and its own name, once it has one
    bool m_unnamed = false; // the temporary file has no name yet
    QByteArray m_backup;    // written in place: where the old content is kept
};

} // namespace sorvant
