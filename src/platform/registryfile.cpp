#include "registryfile.h"

#include "outputfile.h"
#include "textlines.h"
#include "usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sorvant {

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kRoot[] = "HKEY_CURRENT_USER";
// A settings file is a few hundred bytes; anything far beyond this is not
// ours to load into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

using textlines::content;
using textlines::isBlank;
using textlines::lineEndOf;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to eight hex digits, nothing else.
std::optional<quint32> parseHex32(const QByteArray &digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 v = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<quint32>(d);
    }
    return v;
}

// The bytes of a "hex:" list from `pos` on: two-digit (or one-digit) hex
// numbers separated by commas, blanks allowed around each, a trailing comma
// or nothing at all allowed. One pass without a list of parts, so a value of
// tens of megabytes costs its size and no more.
bool parseHexList(const QByteArray &t, qsizetype pos, QByteArray &out)
{
    const qsizetype n = t.size();
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    out.reserve((n - pos) / 3 + 1);
    while (true) {
        while (pos < n && isSpace(t[pos]))
            ++pos;
        if (pos >= n)
            return true; // "hex:" alone, or after a trailing comma
        int value = 0, digits = 0;
        for (int d; pos < n && (d = hexDigit(t[pos])) >= 0; ++pos, ++digits)
            value = (value << 4) | d;
        if (digits == 0 || digits > 2)
            return false;
        while (pos < n && isSpace(t[pos]))
            ++pos;
        out += static_cast<char>(value);
        if (pos >= n)
            return true;
        if (t[pos] != ',')
            return false;
        ++pos;
    }
}

// Reads a quoted text starting after its opening quote; .reg files escape
// only backslash and quote. Returns the position after the closing quote, or
// -1 when the text is not closed.
qsizetype parseQuoted(const QByteArray &t, qsizetype pos, QByteArray &out)
{
    const qsizetype n = t.size();
    while (pos < n) {
        const char c = t[pos];
        if (c == '\\' && pos + 1 < n && (t[pos + 1] == '\\' || t[pos + 1] == '"')) {
            out += t[pos + 1];
            pos += 2;
        } else if (c == '"') {
            return pos + 1;
        } else {
            out += c;
            ++pos;
        }
    }
    return -1;
}

QByteArray escaped(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// Text as string data: UTF-8, except that a lone surrogate (a byte of a file
// name that is not UTF-8, see filenames.h) is written as the three bytes its
// code point would have, so that such a name survives the file. Strict UTF-8
// has no such sequence, so it never stands for other text.
QByteArray dataFromText(const QString &text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!ch.isSurrogate())
            continue;
        out += QStringView(text).mid(runStart, i - runStart).toUtf8();
        const char16_t u = ch.unicode();
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
        runStart = i + 1;
    }
    out += QStringView(text).mid(runStart).toUtf8();
    return out;
}

// The reverse of dataFromText(). Bytes that are not such text come from a
// file written on Windows in its 8-bit code page and are read as Latin-1.
QString textFromData(const QByteArray &bytes)
{
    QString text;
    bool ok = true;
    qsizetype runStart = 0;
    const auto addRun = [&](qsizetype end) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text += utf8(QByteArrayView(bytes.constData() + runStart, end - runStart));
        ok = ok && !utf8.hasError();
    };
    for (qsizetype i = 0; i + 2 < bytes.size();) {
        const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]),
                   b2 = static_cast<unsigned char>(bytes[i + 2]);
        if (b0 == 0xED && (b1 & 0xE0) == 0xA0 && (b2 & 0xC0) == 0x80) {
            addRun(i);
            text += QChar(static_cast<char16_t>(0xD000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F)));
            i += 3;
            runStart = i;
        } else {
            ++i;
        }
    }
    addRun(bytes.size());
    return ok ? text : QString::fromLatin1(bytes);
}

QByteArray utf16leBytes(const QString &text)
{
    QByteArray out;
    out.reserve((text.size() + 1) * 2);
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    out += '\0';
    out += '\0';
    return out;
}

// UTF-16LE bytes (an odd last byte is dropped) as UTF-8 text with one
// terminating zero.
QByteArray utf8FromUtf16le(const QByteArray &raw)
{
    QString text;
    text.reserve(raw.size() / 2);
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(raw[i]);
        const auto hi = static_cast<unsigned char>(raw[i + 1]);
        text += QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    QByteArray out = dataFromText(text);
    if (!out.endsWith('\0'))
        out += '\0';
    return out;
}

QString stringFromData(const QByteArray &data)
{
    const qsizetype zero = data.indexOf('\0');
    return textFromData(zero < 0 ? data : data.left(zero));
}

QString normalizedKeyName(const QString &keyPath)
{
    QString path = keyPath;
    while (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return QLatin1String(kRoot) + QLatin1Char('\\') + path;
}

[[noreturn]] void fail(const char *format, const QString &name)
{
    throw UserError(QString::fromLatin1(format).arg(name));
}

} // namespace

RegistryKey::RegistryKey(const QString &filePath)
    : m_path(filePath.isEmpty() ? defaultFilePath() : filePath)
{
}

QString RegistryKey::defaultFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Sorvant/Sorvant.reg");
}

bool RegistryKey::load(bool missingIsEmpty)
{
    m_lines.clear();
    m_entries.clear();
    const QFileInfo info(m_path);
    if (!info.exists()) {
        m_error = QStringLiteral("%1 does not exist").arg(m_path);
        return missingIsEmpty;
    }
    // Only a regular file: a device or pipe could block or never end.
    if (!info.isFile()) {
        m_error = QStringLiteral("%1 is not a regular file").arg(m_path);
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        m_error = QStringLiteral("%1 is too large").arg(m_path);
        return false;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = file.errorString();
        return false;
    }
    // regedit itself exports UTF-16LE with a byte order mark; such a file is
    // read as well and saved as UTF-8 from then on.
    if (bytes.startsWith("\xFF\xFE"))
        bytes = utf8FromUtf16le(bytes.mid(2)).chopped(1);

    m_lines = textlines::split(bytes);
    parse();
    return true;
}

void RegistryKey::parse()
{
    m_entries.clear();
    bool inKey = false;
    const int count = static_cast<int>(m_lines.size());
    for (int i = 0; i < count; ++i) {
        QByteArray text = content(m_lines[static_cast<std::size_t>(i)]);
        if (i == 0 && text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        const QByteArray t = text.trimmed();
        if (t.startsWith('[')) {
            if (!t.endsWith(']'))
                continue; // not a section header; the section goes on
            QByteArray name = t.mid(1, t.size() - 2).trimmed();
            const bool deletion = name.startsWith('-');
            if (deletion)
                name.remove(0, 1);
            Entry e;
            e.firstLine = i;
            if (QString::fromUtf8(name).compare(m_keyName, Qt::CaseInsensitive) == 0) {
                e.kind = deletion ? Entry::KeyDeletion : Entry::KeySection;
                inKey = !deletion;
            } else {
                e.kind = Entry::OtherSection;
                inKey = false;
            }
            m_entries.push_back(e);
            continue;
        }
        if (!inKey || !(t.startsWith('"') || t.startsWith('@')))
            continue;

        Entry e;
        e.firstLine = i;
        e.kind = Entry::Broken;
        qsizetype pos = 1;
        QByteArray name;
        if (t[0] == '"') {
            pos = parseQuoted(t, 1, name);
            if (pos < 0)
                continue; // no name to attach the line to
        }
        e.name = QString::fromUtf8(name);
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == '\t'))
            ++pos;
        if (pos >= t.size() || t[pos] != '=') {
            m_entries.push_back(e);
            continue;
        }
        QByteArray rest = t.mid(pos + 1).trimmed();
        const QByteArray lower = rest.left(9).toLower();
        if (lower.startsWith("hex")) {
            // A long hex list goes on in the next lines after a trailing "\",
            // but never into a line that starts a value or a key: a list
            // left unfinished must not swallow the value written after it.
            while (rest.endsWith('\\') && i + e.lineCount < count) {
                const QByteArray next = content(m_lines[static_cast<std::size_t>(i + e.lineCount)]).trimmed();
                if (next.startsWith('"') || next.startsWith('@') || next.startsWith('['))
                    break;
                rest.chop(1);
                rest += next;
                ++e.lineCount;
            }
            if (rest.endsWith('\\'))
                rest.chop(1); // unfinished: the bytes listed so far
            const qsizetype colon = rest.indexOf(':');
            std::optional<quint32> type;
            if (colon == 3)
                type = RegistryType::Binary;
            else if (colon > 5 && rest[3] == '(' && rest[colon - 1] == ')')
                type = parseHex32(rest.mid(4, colon - 5));
            QByteArray data;
            const bool ok = type.has_value() && colon > 0 && parseHexList(rest, colon + 1, data);
            if (ok) {
                e.kind = Entry::Value;
                e.value.type = *type;
                if ((*type == RegistryType::String || *type == RegistryType::ExpandString) && !data.isEmpty())
                    e.value.data = utf8FromUtf16le(data);
                else
                    e.value.data = data;
            }
        } else if (lower.startsWith("dword:")) {
            if (const auto v = parseHex32(rest.mid(6).trimmed())) {
                e.kind = Entry::Value;
                e.value.type = RegistryType::Dword;
                for (int k = 0; k < 4; ++k)
                    e.value.data += static_cast<char>((*v >> (8 * k)) & 0xFF);
            }
        } else if (rest.startsWith('"')) {
            QByteArray text2;
            const qsizetype end = parseQuoted(rest, 1, text2);
            if (end > 0 && rest.mid(end).trimmed().isEmpty()) {
                e.kind = Entry::Value;
                e.value.type = RegistryType::String;
                e.value.data = text2 + '\0';
            }
        } else if (rest == "-") {
            e.kind = Entry::Deletion;
        }
        m_entries.push_back(e);
        i += e.lineCount - 1;
    }
}

bool RegistryKey::openKey(const QString &keyPath, bool canCreate)
{
    closeKey();
    m_keyName = normalizedKeyName(keyPath);
    if (!load(canCreate))
        return false;
    bool exists = false;
    for (const Entry &e : m_entries) {
        if (e.kind == Entry::KeySection)
            exists = true;
        else if (e.kind == Entry::KeyDeletion)
            exists = false;
    }
    if (exists) {
        m_open = true;
        return true;
    }
    if (!canCreate) {
        m_error = QStringLiteral("%1 has no key %2").arg(m_path, m_keyName);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_error = QStringLiteral("Cannot create the folder of %1").arg(m_path);
        return false;
    }
    const QByteArray eol = lineEnding();
    std::vector<QByteArray> lines = m_lines;
    if (lines.empty()) {
        lines.push_back(kHeader + eol);
        lines.push_back(eol);
    } else {
        if (lineEndOf(lines.back()).isEmpty())
            lines.back() += eol;
        if (!isBlank(lines.back()))
            lines.push_back(eol);
    }
    lines.push_back('[' + m_keyName.toUtf8() + ']' + eol);
    if (!save(lines))
        return false;
    m_lines = std::move(lines);
    parse();
    m_open = true;
    return true;
}

void RegistryKey::closeKey()
{
    m_open = false;
    m_lines.clear();
    m_entries.clear();
}

QByteArray RegistryKey::lineEnding() const
{
    return textlines::preferredLineEnd(m_lines);
}

const RegistryKey::Entry *RegistryKey::findValue(const QString &name) const
{
    const Entry *found = nullptr;
    for (const Entry &e : m_entries) {
        if (e.kind == Entry::KeyDeletion)
            found = nullptr;
        else if ((e.kind == Entry::Value || e.kind == Entry::Deletion)
                 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            found = e.kind == Entry::Value ? &e : nullptr;
    }
    return found;
}

std::optional<RegistryValue> RegistryKey::value(const QString &name) const
{
    if (!m_open)
        return std::nullopt;
    if (const Entry *e = findValue(name))
        return e->value;
    return std::nullopt;
}

QString RegistryKey::readString(const QString &name) const
{
    const auto v = value(name);
    if (!v || v->data.isEmpty())
        return QString();
    if (v->type != RegistryType::String && v->type != RegistryType::ExpandString)
        fail("Invalid data type for '%1'", name);
    return stringFromData(v->data);
}

qint32 RegistryKey::readInteger(const QString &name) const
{
    const auto v = value(name);
    if (!v || v->size() > 4)
        fail("Failed to get data for '%1'", name);
    if (v->type != RegistryType::Dword)
        fail("Invalid data type for '%1'", name);
    // A hand-written dword of fewer than four bytes is taken zero-extended.
    quint32 number = 0;
    for (int k = 0; k < v->size(); ++k)
        number |= static_cast<quint32>(static_cast<unsigned char>(v->data[k])) << (8 * k);
    return static_cast<qint32>(number);
}

void RegistryKey::writeString(const QString &name, const QString &text)
{
    if (!writeValue(name, RegistryValue::string(text)))
        fail("Failed to set data for '%1'", name);
}

void RegistryKey::writeExpandString(const QString &name, const QString &text)
{
    if (!writeValue(name, {RegistryType::ExpandString, dataFromText(text) + '\0'}))
        fail("Failed to set data for '%1'", name);
}

void RegistryKey::writeInteger(const QString &name, qint32 number)
{
    if (!writeValue(name, RegistryValue::dword(number)))
        fail("Failed to set data for '%1'", name);
}

QByteArray RegistryKey::formatValueLine(const QString &name, const RegistryValue &v)
{
    QByteArray line = name.isEmpty() ? QByteArrayLiteral("@") : '"' + escaped(name.toUtf8()) + '"';
    line += '=';
    const bool isString = v.type == RegistryType::String || v.type == RegistryType::ExpandString;
    QByteArray bytes = v.data;
    if (isString && !v.data.isEmpty()) {
        const QString text = textFromData(v.data.chopped(v.data.endsWith('\0') ? 1 : 0));
        // A quoted string cannot hold a line break or a zero, nor, as UTF-8,
        // a lone surrogate; text that would not survive the quotes is listed
        // as UTF-16LE bytes instead.
        if (v.type == RegistryType::String && !text.contains(QLatin1Char('\n'))
            && !text.contains(QLatin1Char('\r')) && !text.contains(QChar(0)) && dataFromText(text) == text.toUtf8())
            return line + '"' + escaped(text.toUtf8()) + '"';
        bytes = utf16leBytes(text);
    }
    if (v.type == RegistryType::Dword && v.data.size() == 4) {
        quint32 n = 0;
        for (int k = 0; k < 4; ++k)
            n |= static_cast<quint32>(static_cast<unsigned char>(v.data[k])) << (8 * k);
        return line + "dword:" + QByteArray::number(n, 16).rightJustified(8, '0');
    }
    line += v.type == RegistryType::Binary ? QByteArrayLiteral("hex:")
                                           : "hex(" + QByteArray::number(v.type, 16) + "):";
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        if (k > 0)
            line += ',';
        line += QByteArray::number(static_cast<unsigned char>(bytes[k]), 16).rightJustified(2, '0');
    }
    return line;
}

std::vector<QByteArray> RegistryKey::edited(const QString &name, const RegistryValue &v) const
{
    // The last line naming the value is the one in force (later lines win
    // on import); a line of that name that could not be parsed is replaced
    // too, since it was meant to be this value.
    const Entry *named = nullptr;
    const Entry *section = nullptr;
    for (const Entry &e : m_entries) {
        if (e.kind == Entry::KeyDeletion) {
            named = nullptr;
            section = nullptr;
        } else if (e.kind == Entry::KeySection) {
            section = &e;
        } else if ((e.kind == Entry::Value || e.kind == Entry::Deletion || e.kind == Entry::Broken)
                   && e.name.compare(name, Qt::CaseInsensitive) == 0) {
            named = &e;
        }
    }
    std::vector<QByteArray> lines = m_lines;
    const QByteArray formatted = formatValueLine(name, v);
    if (named) {
        const auto first = static_cast<std::size_t>(named->firstLine);
        const QByteArray eol = lineEndOf(lines[first + static_cast<std::size_t>(named->lineCount) - 1]);
        lines.erase(lines.begin() + named->firstLine, lines.begin() + named->firstLine + named->lineCount);
        lines.insert(lines.begin() + named->firstLine, formatted + eol);
    } else {
        if (!section)
            return lines; // cannot happen while the key is open
        // After the section's last line that is not blank.
        std::size_t end = lines.size();
        for (const Entry &e : m_entries) {
            if (e.firstLine > section->firstLine
                && (e.kind == Entry::KeySection || e.kind == Entry::KeyDeletion || e.kind == Entry::OtherSection)) {
                end = static_cast<std::size_t>(e.firstLine);
                break;
            }
        }
        const auto header = static_cast<std::size_t>(section->firstLine);
        while (end > header + 1 && isBlank(lines[end - 1]))
            --end;
        const QByteArray eol = lineEnding();
        if (lineEndOf(lines[end - 1]).isEmpty())
            lines[end - 1] += eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), formatted + eol);
    }
    return lines;
}

bool RegistryKey::writeValue(const QString &name, const RegistryValue &v)
{
    if (!m_open) {
        m_error = QStringLiteral("The key is not open");
        return false;
    }
    // A name is written quoted on its line; a line break would split it.
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) {
        m_error = QStringLiteral("A value name cannot hold a line break");
        return false;
    }
    std::vector<QByteArray> lines = edited(name, v);
    if (!save(lines))
        return false;
    m_lines = std::move(lines);
    parse();
    return true;
}

void RegistryKey::writeValues(const std::vector<std::pair<QString, RegistryValue>> &values)
{
    if (values.empty())
        return;
    if (m_open) {
        const std::vector<QByteArray> before = m_lines;
        bool storable = true;
        for (const auto &[name, v] : values)
            storable = storable && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'));
        for (const auto &[name, v] : values) {
            m_lines = edited(name, v);
            parse();
        }
        if (storable && save(m_lines))
            return;
        m_lines = before;
        parse();
    }
    // One at a time, so that what comes before the value that fails is
    // stored and the error names that value.
    for (const auto &[name, v] : values) {
        if (!writeValue(name, v))
            fail("Failed to set data for '%1'", name);
    }
}

RegistryValue RegistryValue::string(const QString &text)
{
    return {RegistryType::String, dataFromText(text) + '\0'};
}

RegistryValue RegistryValue::dword(qint32 number)
{
    const auto u = static_cast<quint32>(number);
    QByteArray data;
    for (int k = 0; k < 4; ++k)
        data += static_cast<char>((u >> (8 * k)) & 0xFF);
    return {RegistryType::Dword, data};
}

bool RegistryKey::save(const std::vector<QByteArray> &lines)
{
    OutputFile out(m_path);
    bool ok = out.open();
    // The file is written unbuffered: gather lines into large writes.
    QByteArray chunk;
    constexpr qsizetype kChunk = 1 << 16;
    for (std::size_t k = 0; ok && k < lines.size(); ++k) {
        chunk += lines[k];
        if (chunk.size() >= kChunk || k + 1 == lines.size()) {
            ok = out.write(chunk.constData(), static_cast<std::size_t>(chunk.size()));
            chunk.resize(0);
        }
    }
    ok = ok && out.commit();
    if (!ok)
        m_error = out.errorString();
    return ok;
}

} // namespace sorvant
