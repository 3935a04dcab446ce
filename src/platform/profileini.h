#pragma once

#include <QString>

namespace sorvant {

// One sections-and-keys (INI) file, read and written one key at a time like
// the private-profile functions: a write changes only the line of that key
// (or adds it, and its section, when missing) and keeps every other byte of
// the file; a read takes the file as it is on disk at that moment.
class ProfileIni
{
public:
    // The most characters a read returns of one value.
    static constexpr int MaxValueLength = 2047;

    // A bare file name (no folder) lives in the Sorvant config folder, where
    // the platform keeps per-user files ($XDG_CONFIG_HOME/Sorvant/).
    explicit ProfileIni(const QString &fileName);
    static QString resolvedPath(const QString &fileName);
    QString filePath() const { return m_path; }

    // The value of `key` in `section` (names compared without regard to
    // case, leading and trailing blanks and one pair of enclosing quotes
    // removed), at most MaxValueLength characters; `defaultValue` when the
    // file, the section or the key is missing.
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;

    // False, and the file as it was, when the file cannot be read or saved,
    // or when a name or the value would break the file's lines (a line
    // break anywhere, an empty key, "=" in a key, "]" in a section name).
    bool writeString(const QString &section, const QString &key, const QString &value);
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};

} // namespace sorvant
