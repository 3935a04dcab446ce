#pragma once

#include "printsettings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace sorvant {

// The section every print settings file of the program uses.
inline QString printSettingsSection() { return QStringLiteral("PRINTSETTINGS"); }

// A settings file name as the dialog's `IniFile` gives it: ".ini" appended
// when the name has no ".".
QString printSettingsFileName(const QString &iniFile);

// The print settings as "&Save settings" writes them: 43 keys in a fixed
// order into `section` of `fileName` (a bare name lives in the Sorvant
// config folder), one key at a time, keeping the file's other sections and
// keys. Stops at the first key the file refuses and returns false with that
// key in `failedKey`; the keys before it stay written.
bool SavePrintSettings(const PrintSettings &settings, const QString &fileName, const QString &section,
                       QString *failedKey = nullptr);

// Reads every stored key of `section` into `settings`, with one pass over
// the file: a missing or unreadable value gives that key's missing value, an
// out-of-range number leaves some fields as they are; a font size below 1
// counts as unreadable, and lengths and font sizes are bounded to what a page
// can hold (boundPrintSettings). A missing file or section is not an error:
// every key is then missing. A file that exists but cannot be read (not a
// file, not readable, over the size limit) is: false, `settings` as they
// were, and `error` says why. FixedFont, NoAutoSizeRow, PrintGraphics,
// JobName and the two page offsets are not stored and stay as they are.
bool LoadPrintSettings(PrintSettings &settings, const QString &fileName, const QString &section,
                       QString *error = nullptr);

// LoadPrintSettings for a file named on a command line: `path` is taken as
// a path (relative to the current folder), and a file that does not exist
// or cannot be read is an error (false, `error` says why, `settings` as it
// was) instead of a silent set of missing values.
bool LoadPrintSettingsFromExistingFile(const QString &path, PrintSettings &settings, QString *error);

// The value forms of the settings file, for the reader and its tests.
namespace printsettingsfile {

// "Decimal integer": optional "-" and digits, or "0x"/"0X" and hexadecimal
// digits (up to 32 bits, read as a signed 32-bit number). Anything else,
// blanks included, is unreadable.
std::optional<int> parseInteger(const QString &value);

// TitleLines as one line: every line followed by a line end, each line end
// written as backslash and "n".
QString encodeTitleLines(const QStringList &lines);
QStringList decodeTitleLines(const QString &value);

// A text split into lines as a multi-line text control holds them: breaks
// are "\r\n", "\n" or "\r", and a break at the very end starts no further
// line (an empty text has no lines).
QStringList splitLines(const QString &text);

} // namespace printsettingsfile

} // namespace sorvant
