#include "profileini.h"

#include "outputfile.h"
#include "registryfile.h"
#include "textlines.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace sorvant {

namespace {

using textlines::Line;

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// A name as the file spells it matched against one asked for, without regard
// to case; names in plain ASCII (all the program's own) without making texts.
struct WantedName {
    QString name;
    QByteArray utf8;
    bool ascii = false;

    explicit WantedName(const QString &n) : name(n.trimmed()), utf8(name.toUtf8()), ascii(isAscii(utf8)) {}
    bool matches(QByteArrayView found) const
    {
        if (ascii && isAscii(found))
            return found.size() == utf8.size() && qstrnicmp(found.data(), utf8.constData(), found.size()) == 0;
        return same(QString::fromUtf8(found), name);
    }
};

// A quick "surely not" for the key names of a section of many lines: the
// lengths and first letters of ASCII names asked for.
class KeyFilter
{
public:
    explicit KeyFilter(const std::vector<WantedName> &keys)
    {
        for (const WantedName &k : keys) {
            if (!k.ascii || k.utf8.isEmpty() || k.utf8.size() >= 64) {
                m_all = true;
                return;
            }
            m_lengths |= std::uint64_t(1) << k.utf8.size();
            const auto first = static_cast<unsigned char>(k.utf8.front());
            m_first[std::tolower(first)] = m_first[std::toupper(first)] = true;
        }
    }
    bool mayMatch(QByteArrayView key) const
    {
        if (m_all || key.isEmpty())
            return true;
        // Outside ASCII, case folding may change lengths and letters.
        if (!isAscii(key))
            return true;
        return key.size() < 64 && (m_lengths >> key.size() & 1) && m_first[static_cast<unsigned char>(key.front())];
    }

private:
    bool m_all = false;
    std::uint64_t m_lengths = 0;
    std::array<bool, 256> m_first{};
};

// Where one section and the wanted keys in it stand in the file. Only the
// first section of that name counts, and in it the first line of each key.
struct SectionScan {
    bool found = false;
    qsizetype insertAt = 0;             // after the section's last line that is not blank
    std::vector<std::optional<Line>> keys; // per wanted key
    QByteArray lineEnd;                 // what new lines end with: the file's own
    std::optional<Line> lastLine;       // of the whole file
};

// The name of a "[name]" line.
std::optional<QByteArrayView> sectionName(QByteArrayView content)
{
    content = textlines::trimmed(content);
    if (content.isEmpty() || content.front() != '[')
        return std::nullopt;
    const qsizetype close = content.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return textlines::trimmed(content.sliced(1, close - 1));
}

// One pass over the file. Reading stops at the section's end; writing needs
// the last line of the file as well, so `whole` goes on to the end.
SectionScan scan(const QByteArray &bytes, const QString &section, const std::vector<WantedName> &keys, bool whole)
{
    SectionScan out;
    out.keys.resize(keys.size());
    const WantedName wanted(section);
    const KeyFilter filter(keys);
    bool inSection = false;
    std::size_t found = 0;
    for (qsizetype pos = 0; pos < bytes.size();) {
        const Line line = textlines::lineAt(bytes, pos);
        pos = line.end;
        if (out.lineEnd.isEmpty())
            out.lineEnd = textlines::lineEndOf(bytes, line);
        out.lastLine = line;
        const QByteArrayView content = textlines::contentOf(bytes, line);
        if (textlines::trimmed(content).isEmpty())
            continue;
        if (const auto name = sectionName(content)) {
            if (inSection) {
                inSection = false;
                if (!whole)
                    break;
                continue;
            }
            if (!out.found && wanted.matches(*name)) {
                out.found = inSection = true;
                out.insertAt = line.end;
            }
            continue;
        }
        if (!inSection)
            continue;
        out.insertAt = line.end;
        if (found == keys.size())
            continue;
        const qsizetype eq = content.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArrayView key = textlines::trimmed(content.first(eq));
        if (!filter.mayMatch(key))
            continue;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (!out.keys[k] && keys[k].matches(key)) {
                out.keys[k] = line;
                ++found;
                break;
            }
        }
    }
    if (out.lineEnd.isEmpty() || out.lineEnd == "\n" || !out.lastLine)
        out.lineEnd = QByteArrayLiteral("\n");
    return out;
}

// The value of a key line: blanks and one pair of enclosing quotes taken off,
// at most MaxValueLength characters.
QString valueOf(const QByteArray &bytes, const Line &line)
{
    const QByteArrayView content = textlines::contentOf(bytes, line);
    QByteArrayView raw = textlines::trimmed(content.sliced(content.indexOf('=') + 1));
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.sliced(1, raw.size() - 2);
    return textlines::decodePrefix(raw, ProfileIni::MaxValueLength);
}

// The file's bytes; nothing (and why) when it exists but cannot be read. A
// missing file reads as empty.
std::optional<QByteArray> readFile(const QString &path, QString &error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile()) {
        error = QStringLiteral("%1 is not a file").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > ProfileIni::MaxFileSize) {
        error = QStringLiteral("%1 is larger than %2 MiB, more than a settings file can be; it was not read")
                    .arg(path)
                    .arg(ProfileIni::MaxFileSize / (1024 * 1024));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

// A key line as the reader finds it again. The reader trims a value and takes
// off one pair of enclosing quotes, so a value that would lose something that
// way is written inside quotes: a page separator " of " reads back as " of ",
// not "of".
QByteArray keyLine(const QString &key, const QString &value)
{
    QByteArray stored = value.toUtf8();
    const bool quoteLike = stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'')
        && stored.back() == stored.front();
    if (stored.trimmed().size() != stored.size() || quoteLike)
        stored = '"' + stored + '"';
    return key.toUtf8() + '=' + stored;
}

} // namespace

ProfileIni::ProfileIni(const QString &fileName)
    : m_path(resolvedPath(fileName))
{
}

QString ProfileIni::resolvedPath(const QString &fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        return fileName;
    return QFileInfo(RegistryKey::defaultFilePath()).absolutePath() + QLatin1Char('/') + fileName;
}

QString ProfileIni::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    ProfileIni reader(*this);
    std::vector<std::optional<QString>> values;
    if (!reader.readStrings(section, {key}, values) || !values.front())
        return defaultValue.left(MaxValueLength);
    return *values.front();
}

bool ProfileIni::readStrings(const QString &section, const QStringList &keys, std::vector<std::optional<QString>> &values)
{
    values.assign(static_cast<std::size_t>(keys.size()), std::nullopt);
    const auto bytes = readFile(m_path, m_error);
    if (!bytes)
        return false;
    std::vector<WantedName> wanted;
    for (const QString &key : keys)
        wanted.emplace_back(key);
    const SectionScan found = scan(*bytes, section, wanted, false);
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        if (found.keys[k])
            values[k] = valueOf(*bytes, *found.keys[k]);
    }
    return true;
}

bool ProfileIni::writeString(const QString &section, const QString &key, const QString &value)
{
    return writeStrings(section, {{key, value}});
}

bool ProfileIni::writeStrings(const QString &sectionName, const std::vector<std::pair<QString, QString>> &entries,
                              int *stored)
{
    if (stored)
        *stored = 0;
    // The reader trims the names it finds in the file, so they are written
    // trimmed: " Font " is stored as "Font" and found again as " Font ".
    const QString section = sectionName.trimmed();
    const bool badSection = hasLineBreak(section) || section.contains(QLatin1Char(']'));
    // The entries that can be stored, up to the first that cannot; a key
    // given twice keeps its last value.
    std::vector<WantedName> keys;
    std::vector<QString> values;
    std::size_t accepted = 0;
    for (const auto &[key, value] : entries) {
        const QString trimmedKey = key.trimmed();
        if (badSection || trimmedKey.isEmpty() || trimmedKey.startsWith(QLatin1Char('['))
            || key.contains(QLatin1Char('=')) || hasLineBreak(key) || hasLineBreak(value))
            break;
        std::size_t k = 0;
        while (k < keys.size() && !same(keys[k].name, trimmedKey))
            ++k;
        if (k == keys.size()) {
            keys.emplace_back(trimmedKey);
            values.push_back(value);
        } else {
            keys[k] = WantedName(trimmedKey); // spelled as last given, as a later write would
            values[k] = value;
        }
        ++accepted;
    }
    const bool refused = accepted < entries.size();
    if (refused)
        m_error = QStringLiteral("A name or value that cannot be stored in %1").arg(m_path);
    if (keys.empty())
        return !refused;

    const auto bytes = readFile(m_path, m_error);
    if (!bytes)
        return false; // never replace a file that could not be read
    const SectionScan found = scan(*bytes, section, keys, true);
    const QByteArray &eol = found.lineEnd;

    // The file again with its key lines replaced and the new keys added at
    // the end of the section (or in a new section at the end of the file),
    // every other byte as it was.
    struct Replacement {
        qsizetype start, end;
        QByteArray text;
    };
    std::vector<Replacement> edits;
    QByteArray added;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const QByteArray line = keyLine(keys[k].name, values[k]);
        if (found.keys[k])
            edits.push_back({found.keys[k]->start, found.keys[k]->contentEnd, line});
        else
            added += line + eol;
    }
    qsizetype insertAt = found.found ? found.insertAt : bytes->size();
    if (!added.isEmpty()) {
        QByteArray before;
        const bool lastHasEnd = found.lastLine && found.lastLine->contentEnd < found.lastLine->end;
        if (found.found) {
            if (insertAt == bytes->size() && !bytes->isEmpty() && !lastHasEnd)
                before = eol;
        } else {
            if (found.lastLine) {
                if (!lastHasEnd)
                    before += eol;
                if (!textlines::trimmed(textlines::contentOf(*bytes, *found.lastLine)).isEmpty())
                    before += eol;
            }
            before += '[' + section.toUtf8() + ']' + eol;
        }
        edits.push_back({insertAt, insertAt, before + added});
    }
    std::sort(edits.begin(), edits.end(), [](const Replacement &a, const Replacement &b) { return a.start < b.start; });

    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_error = QStringLiteral("Cannot create the folder of %1").arg(m_path);
        return false;
    }
    OutputFile out(m_path);
    bool ok = out.open();
    qsizetype at = 0;
    for (const Replacement &e : edits) {
        ok = ok && out.write(bytes->constData() + at, static_cast<std::size_t>(e.start - at))
            && out.write(e.text.constData(), static_cast<std::size_t>(e.text.size()));
        at = e.end;
    }
    ok = ok && out.write(bytes->constData() + at, static_cast<std::size_t>(bytes->size() - at));
    ok = ok && out.commit();
    if (!ok) {
        m_error = out.errorString();
        return false;
    }
    if (stored)
        *stored = static_cast<int>(accepted);
    return !refused;
}

} // namespace sorvant
