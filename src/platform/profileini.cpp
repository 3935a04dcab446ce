#include "profileini.h"

#include "outputfile.h"
#include "registryfile.h"
#include "textlines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace sorvant {

namespace {

constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

// The section name of a "[name]" line.
std::optional<QString> sectionOf(const QByteArray &line)
{
    const QByteArray t = textlines::content(line).trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return QString::fromUtf8(t.mid(1, close - 1).trimmed());
}

// The key of a "key=value" line, and where its value starts.
std::optional<QString> keyOf(const QByteArray &line, QByteArray *value = nullptr)
{
    const QByteArray t = textlines::content(line);
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    if (value)
        *value = t.mid(eq + 1);
    return QString::fromUtf8(t.left(eq).trimmed());
}

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// The file's lines; nothing (and why) when it exists but cannot be read.
std::optional<std::vector<QByteArray>> readLines(const QString &path, QString &error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::vector<QByteArray>();
    if (!info.isFile()) {
        error = QStringLiteral("%1 is not a regular file").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        error = file.isOpen() ? QStringLiteral("%1 is too large").arg(path) : file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return std::nullopt;
    }
    return textlines::split(bytes);
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

QString ProfileIni::readString(const QString &sectionName, const QString &keyName, const QString &defaultValue) const
{
    // Names are stored without their outer blanks and compared so.
    const QString section = sectionName.trimmed(), key = keyName.trimmed();
    QString error;
    const auto lines = readLines(m_path, error);
    QString result = defaultValue;
    if (lines) {
        bool inSection = false;
        for (const QByteArray &line : *lines) {
            if (const auto name = sectionOf(line)) {
                if (inSection)
                    break; // only the first section of that name counts
                inSection = same(*name, section);
                continue;
            }
            QByteArray raw;
            if (inSection && keyOf(line, &raw).has_value() && same(*keyOf(line), key)) {
                raw = raw.trimmed();
                if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
                    raw = raw.mid(1, raw.size() - 2);
                result = textlines::decode(raw);
                break;
            }
        }
    }
    return result.left(MaxValueLength);
}

bool ProfileIni::writeString(const QString &sectionName, const QString &key, const QString &value)
{
    // The reader trims the names it finds in the file, so they are written
    // trimmed: " Font " is stored as "Font" and found again as " Font ".
    const QString section = sectionName.trimmed();
    const QString trimmedKey = key.trimmed();
    if (trimmedKey.isEmpty() || trimmedKey.startsWith(QLatin1Char('[')) || key.contains(QLatin1Char('='))
        || hasLineBreak(key) || hasLineBreak(section) || hasLineBreak(value) || section.contains(QLatin1Char(']'))) {
        m_error = QStringLiteral("A name or value that cannot be stored in %1").arg(m_path);
        return false;
    }
    auto loaded = readLines(m_path, m_error);
    if (!loaded)
        return false; // never replace a file that could not be read
    std::vector<QByteArray> lines = std::move(*loaded);
    const QByteArray eol = textlines::preferredLineEnd(lines);
    // The reader trims a value and takes off one pair of enclosing quotes, so
    // a value that would lose something that way is written inside quotes:
    // a page separator " of " reads back as " of ", not "of".
    QByteArray stored = value.toUtf8();
    const bool quoteLike = stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'')
        && stored.back() == stored.front();
    if (stored.trimmed().size() != stored.size() || quoteLike)
        stored = '"' + stored + '"';
    const QByteArray newLine = trimmedKey.toUtf8() + '=' + stored;

    // The first section of that name and the first key of that name in it
    // count, as they do for reading.
    std::optional<std::size_t> sectionLine, keyLine, sectionEnd;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionOf(lines[i])) {
            if (sectionLine) {
                sectionEnd = i;
                break;
            }
            if (same(*name, section))
                sectionLine = i;
            continue;
        }
        if (sectionLine && !keyLine) {
            const auto k = keyOf(lines[i]);
            if (k && same(*k, trimmedKey))
                keyLine = i;
        }
    }
    if (keyLine) {
        lines[*keyLine] = newLine + textlines::lineEndOf(lines[*keyLine]);
    } else {
        std::size_t at;
        if (sectionLine) {
            // After the section's last line that is not blank.
            at = sectionEnd.value_or(lines.size());
            while (at > *sectionLine + 1 && textlines::isBlank(lines[at - 1]))
                --at;
        } else {
            if (!lines.empty()) {
                if (textlines::lineEndOf(lines.back()).isEmpty())
                    lines.back() += eol;
                if (!textlines::isBlank(lines.back()))
                    lines.push_back(eol);
            }
            lines.push_back('[' + section.toUtf8() + ']' + eol);
            at = lines.size();
        }
        if (at > 0 && textlines::lineEndOf(lines[at - 1]).isEmpty())
            lines[at - 1] += eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine + eol);
    }

    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_error = QStringLiteral("Cannot create the folder of %1").arg(m_path);
        return false;
    }
    OutputFile out(m_path);
    bool ok = out.open();
    for (std::size_t i = 0; ok && i < lines.size(); ++i)
        ok = out.write(lines[i].constData(), static_cast<std::size_t>(lines[i].size()));
    ok = ok && out.commit();
    if (!ok)
        m_error = out.errorString();
    return ok;
}

} // namespace sorvant
