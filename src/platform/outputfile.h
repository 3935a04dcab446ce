#pragma once

#include <QString>

#include <memory>

class QFileDevice;

namespace sorvant {

// A file being written as a whole. A regular file is written to a temporary
// file beside it and renamed over the target only by commit(), so a failure
// never leaves a half-written file and an existing file stays as it was.
// An existing writable file in a folder that allows no new file is written
// in place instead. Targets that are not regular files (devices, pipes) are
// written directly.
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

    QString m_fileName;
    std::unique_ptr<QFileDevice> m_device;
    bool m_direct = false;
    bool m_failed = false;
    QString m_error;
};

} // namespace sorvant
