#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace sorvant {

// Value types, numbered as the registry numbers them (the N of "hex(N):").
namespace RegistryType {
constexpr quint32 None = 0;
constexpr quint32 String = 1;       // REG_SZ
constexpr quint32 ExpandString = 2; // REG_EXPAND_SZ
constexpr quint32 Binary = 3;       // REG_BINARY
constexpr quint32 Dword = 4;        // REG_DWORD, little-endian
constexpr quint32 DwordBigEndian = 5;
constexpr quint32 MultiString = 7;
constexpr quint32 Qword = 11;
} // namespace RegistryType

// One value as the program sees it. `data` is the value's bytes: the two
// string types hold their UTF-8 text (a lone surrogate, as a file name that is
// not UTF-8 has, as the three bytes of its code point) and a terminating zero, whether the file
// quotes them or lists them as "hex(1):"/"hex(2):" UTF-16LE bytes (as regedit
// writes expandable strings); a dword holds four little-endian bytes; every
// other "hex(N):" value exactly the bytes listed. An empty hex list is empty
// data. The size of a value is the size of its data.
struct RegistryValue {
    quint32 type = RegistryType::None;
    QByteArray data;
    int size() const { return static_cast<int>(data.size()); }
    static RegistryValue string(const QString &text);
    static RegistryValue dword(qint32 number);
};

// The per-user stand-in for the registry: one text file in the syntax of a
// Windows .reg export,
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Sorvant\Options]
//   "FilePath"="/home/ann/logs/"
//   "SampleInterval"=dword:00000019
//
// Every write goes to disk at once and atomically, like a registry write.
// Only the line of the value written changes: other keys, values, comments
// and even lines that cannot be parsed stay byte for byte. A hand-edited file
// never makes reading fail as a whole: a line that cannot be parsed is
// skipped, the rest is read.
class RegistryKey
{
public:
    // The file is $XDG_CONFIG_HOME/Sorvant/Sorvant.reg (~/.config/Sorvant/
    // when the variable is not set), unless `filePath` names another.
    explicit RegistryKey(const QString &filePath = QString());
    static QString defaultFilePath();
    QString filePath() const { return m_path; }

    // `keyPath` below HKEY_CURRENT_USER, e.g. "\Software\Sorvant\Options".
    // Without `canCreate` the key must exist in a readable file. With it, a
    // missing folder, file or key is created and saved at once; an existing
    // file that cannot be read is never replaced, so the open fails.
    bool openKey(const QString &keyPath, bool canCreate);
    void closeKey();
    bool isOpen() const { return m_open; }
    // Why the last open or write failed, for diagnostics.
    QString errorString() const { return m_error; }

    // The value as stored; nothing when the key is not open or the value is
    // missing (or its line cannot be parsed).
    std::optional<RegistryValue> value(const QString &name) const;

    // Reads a string value up to its first zero (UTF-8; bytes that are not
    // UTF-8 are taken as Latin-1, as an 8-bit Windows file would have meant
    // them). Missing or empty data reads
    // as ""; REG_SZ and REG_EXPAND_SZ (not expanded) are accepted; any other
    // type with data throws UserError "Invalid data type for '<name>'".
    QString readString(const QString &name) const;
    // Reads a 32-bit value. Throws UserError "Failed to get data for '<name>'"
    // when the value is missing or longer than four bytes, and "Invalid data
    // type for '<name>'" when it is not a REG_DWORD.
    qint32 readInteger(const QString &name) const;

    // Each throws UserError "Failed to set data for '<name>'" when the key is
    // not open or the file cannot be saved; the file then stays as it was.
    void writeString(const QString &name, const QString &text);
    void writeExpandString(const QString &name, const QString &text);
    void writeInteger(const QString &name, qint32 number);
    // Writes any typed value; false (file unchanged) when it cannot be saved.
    bool writeValue(const QString &name, const RegistryValue &v);
    // Writes the values in order with a single save. Should that save fail,
    // they are written one by one, as single writes would: the values before
    // the first that cannot be saved stay written, and UserError "Failed to
    // set data for '<name>'" names that one.
    void writeValues(const std::vector<std::pair<QString, RegistryValue>> &values);

    // The text of one value line as it is written, for tests and tools.
    static QByteArray formatValueLine(const QString &name, const RegistryValue &v);

private:
    // A line group of the file that matters to the open key: its section
    // headers and its value lines (with their continuation lines).
    struct Entry {
        enum Kind { KeySection, KeyDeletion, OtherSection, Value, Deletion, Broken };
        Kind kind = Broken;
        int firstLine = 0;
        int lineCount = 1;
        QString name; // value name; empty for "@" and for sections
        RegistryValue value;
    };
    bool load(bool missingIsEmpty);
    void parse();
    bool save(const std::vector<QByteArray> &lines);
    QByteArray lineEnding() const;
    const Entry *findValue(const QString &name) const;
    std::vector<QByteArray> edited(const QString &name, const RegistryValue &v) const;

    QString m_path;
    QString m_keyName;            // "HKEY_CURRENT_USER\Software\Sorvant\Options"
    bool m_open = false;
    QString m_error;
    std::vector<QByteArray> m_lines; // physical lines, each with its own line end
    std::vector<Entry> m_entries;
};

} // namespace sorvant
