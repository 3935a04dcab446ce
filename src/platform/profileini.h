#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace sorvant {

// One sections-and-keys (INI) file, read and written like the private-profile
// functions: a write changes only the lines of its keys (or adds them, and
// their section, when missing) and keeps every other byte of the file; a read
// takes the file as it is on disk at that moment. Lines may end in CR, LF or
// CR LF. Reading or writing many keys at once goes over the file once, so a
// large file costs one pass, not one per key.
class ProfileIni
{
public:
    // The most characters a read returns of one value.
    static constexpr int MaxValueLength = 2047;
    // Larger files are refused, for reading and for writing.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    // A bare file name (no folder) lives in the Sorvant config folder, where
    // the platform keeps per-user files ($XDG_CONFIG_HOME/Sorvant/).
    explicit ProfileIni(const QString &fileName);
    static QString resolvedPath(const QString &fileName);
    QString filePath() const { return m_path; }

    // The value of `key` in `section` (names compared without regard to
    // case, leading and trailing blanks and one pair of enclosing quotes
    // removed), at most MaxValueLength characters; `defaultValue` when the
    // file, the section or the key is missing, or the file cannot be read.
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;

    // The values of `keys` in `section`, in the order of `keys`, as
    // readString() finds them; nothing for a missing key. A missing file or
    // section is not an error (every key is missing); false, with
    // errorString(), when the file exists but cannot be read: not a regular
    // file, not readable, or larger than MaxFileSize.
    bool readStrings(const QString &section, const QStringList &keys, std::vector<std::optional<QString>> &values);

    // False, and the file as it was, when the file cannot be read or saved,
    // or when a name or the value would break the file's lines (a line
    // break anywhere, an empty key, "=" in a key, "]" in a section name).
    bool writeString(const QString &section, const QString &key, const QString &value);

    // writeString() for each of `entries` in order, with one read and one
    // save of the file. An entry that cannot be stored ends the list there:
    // the entries before it are saved, and `stored` tells how many were.
    // When the file cannot be read or saved, it stays as it was and `stored`
    // is 0.
    bool writeStrings(const QString &section, const std::vector<std::pair<QString, QString>> &entries,
                      int *stored = nullptr);

    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};

} // namespace sorvant
