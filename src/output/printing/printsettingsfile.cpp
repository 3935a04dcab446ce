#include "printsettingsfile.h"

#include "platform/profileini.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace sorvant {

namespace printsettingsfile {

std::optional<int> parseInteger(const QString &value)
{
    bool ok = false;
    if (value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = value.mid(2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        for (const QChar c : digits) {
            const char16_t u = c.unicode();
            if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')))
                return std::nullopt;
        }
        const uint bits = digits.toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        return static_cast<int>(bits);
    }
    const qsizetype start = value.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (value.size() == start)
        return std::nullopt;
    for (qsizetype i = start; i < value.size(); ++i) {
        if (value.at(i) < QLatin1Char('0') || value.at(i) > QLatin1Char('9'))
            return std::nullopt;
    }
    const int number = value.toInt(&ok, 10);
    if (!ok)
        return std::nullopt; // beyond 32 bits
    return number;
}

QString encodeTitleLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    text.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    text.remove(QLatin1Char('\n'));
    return text;
}

QStringList decodeTitleLines(const QString &value)
{
    QString text = value;
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    return splitLines(text);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            lines.append(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace printsettingsfile

namespace {

using printsettingsfile::parseInteger;

QString yesNo(bool flag) { return flag ? QStringLiteral("Y") : QStringLiteral("N"); }

struct FontKeys {
    const char *name, *size, *style, *color;
};
constexpr FontKeys kTableFontKeys{"FontName", "FontSize", "FontStyle", "FontColor"};
constexpr FontKeys kHeaderFontKeys{"HeaderFontName", "HeaderFontSize", "HeaderFontStyle", "HeaderFontColor"};
constexpr FontKeys kFooterFontKeys{"FooterFontName", "FooterFontSize", "FooterFontStyle", "FooterFontColor"};

void appendFont(std::vector<std::pair<QString, QString>> &keys, const FontKeys &names, const TPrintFont &font)
{
    keys.emplace_back(QLatin1String(names.name), font.Name);
    keys.emplace_back(QLatin1String(names.size), QString::number(font.Size));
    keys.emplace_back(QLatin1String(names.style), QString::number(font.styleBits()));
    keys.emplace_back(QLatin1String(names.color), QString::number(font.Color));
}

// The keys in the order they are written, with their value texts.
std::vector<std::pair<QString, QString>> keysOf(const PrintSettings &s)
{
    std::vector<std::pair<QString, QString>> keys;
    const auto add = [&keys](const char *key, const QString &value) {
        keys.emplace_back(QLatin1String(key), value);
    };
    add("ColumnSpacing", QString::number(s.ColumnSpacing));
    add("RowSpacing", QString::number(s.RowSpacing));
    add("TitleSpacing", QString::number(s.TitleSpacing));
    add("FixedHeight", QString::number(s.FixedHeight));
    add("FixedWidth", QString::number(s.FixedWidth));
    add("Centered", yesNo(s.Centered));
    add("NoAutoSize", yesNo(s.NoAutoSize));
    add("UseFixedHeight", yesNo(s.UseFixedHeight));
    add("UseFixedWidth", yesNo(s.UseFixedWidth));
    add("RepeatFixedRows", yesNo(s.RepeatFixedRows));
    add("RepeatFixedCols", yesNo(s.RepeatFixedCols));
    add("UseDisplFont", yesNo(s.UseDisplayFont));
    add("UseDefOrientation", yesNo(s.UseDefaultOrientation));
    add("Borders", QString::number(s.Borders));
    add("BorderStyle", QString::number(s.BorderStyle));
    add("Date", QString::number(s.Date));
    add("PageNr", QString::number(s.PageNr));
    add("Title", QString::number(s.Title));
    add("Time", QString::number(s.Time));
    add("DateFormat", s.DateFormat);
    add("TitleText", s.TitleText);
    add("FooterSize", QString::number(s.FooterSize));
    add("HeaderSize", QString::number(s.HeaderSize));
    add("LeftSize", QString::number(s.LeftSize));
    add("RightSize", QString::number(s.RightSize));
    add("FitToPage", QString::number(s.FitToPage));
    appendFont(keys, kTableFontKeys, s.Font);
    appendFont(keys, kHeaderFontKeys, s.HeaderFont);
    appendFont(keys, kFooterFontKeys, s.FooterFont);
    add("PageNumSep", s.PageNumSep);
    add("PageSuffix", s.PageSuffix);
    add("PagePrefix", s.PagePrefix);
    add("Orientation", QString::number(s.Orientation));
    add("TitleLines", printsettingsfile::encodeTitleLines(s.TitleLines));
    return keys;
}

// The stored keys of one section, read with one pass over the file.
class SectionReader
{
public:
    SectionReader(const QString &fileName, const QString &section, const QStringList &keys) : m_keys(keys)
    {
        ProfileIni ini(fileName);
        m_ok = ini.readStrings(section, keys, m_values);
        m_error = ini.errorString();
    }
    bool ok() const { return m_ok; }
    QString errorString() const { return m_error; }

    std::optional<QString> text(const char *key) const
    {
        const qsizetype i = m_keys.indexOf(QLatin1String(key));
        return i < 0 ? std::nullopt : m_values[static_cast<std::size_t>(i)];
    }
    QString text(const char *key, const QString &missingValue) const { return text(key).value_or(missingValue); }
    std::optional<int> number(const char *key) const
    {
        const auto value = text(key);
        return value ? parseInteger(*value) : std::nullopt;
    }
    int number(const char *key, int missingValue) const { return number(key).value_or(missingValue); }
    // A length a page can hold; a negative one counts as none.
    int length(const char *key, int missingValue) const { return boundedPrintLength(number(key, missingValue)); }
    bool flag(const char *key, bool missingValue) const
    {
        const auto value = text(key);
        return value ? *value == QLatin1String("Y") : missingValue;
    }

private:
    QStringList m_keys;
    std::vector<std::optional<QString>> m_values;
    bool m_ok = false;
    QString m_error;
};

// A number within [low, high] replaces the field; missing or unreadable gives
// `missingValue`; any other number leaves the field as it is.
template <typename Enum>
void readRanged(const SectionReader &in, const char *key, Enum &field, int low, int high, Enum missingValue)
{
    const auto value = in.number(key);
    if (!value)
        field = missingValue;
    else if (*value >= low && *value <= high)
        field = static_cast<Enum>(*value);
}

// Positions: 1 to 6 name a slot, anything else is none.
TPrintPosition readPosition(const SectionReader &in, const char *key)
{
    const int value = in.number(key, 0);
    return value >= ppTopLeft && value <= ppBottomCenter ? static_cast<TPrintPosition>(value) : ppNone;
}

void readFont(const SectionReader &in, const FontKeys &names, TPrintFont &font)
{
    font.Name = in.text(names.name, QString());
    if (font.Name.isEmpty())
        font.Name = QStringLiteral("Arial"); // a face without a name cannot be drawn
    // A size that cannot be drawn counts as one that cannot be read.
    font.Size = in.number(names.size, 10);
    if (font.Size < kMinPrintFontSize)
        font.Size = 10;
    font.Size = boundedFontSize(font.Size);
    font.setStyleBits(in.number(names.style, 0));
    font.Color = in.number(names.color, clBlack);
}

} // namespace

QString printSettingsFileName(const QString &iniFile)
{
    return iniFile.contains(QLatin1Char('.')) ? iniFile : iniFile + QLatin1String(".ini");
}

bool SavePrintSettings(const PrintSettings &settings, const QString &fileName, const QString &section,
                       QString *failedKey)
{
    ProfileIni ini(fileName);
    const auto keys = keysOf(settings);
    int stored = 0;
    if (ini.writeStrings(section, keys, &stored))
        return true;
    if (failedKey)
        *failedKey = keys[static_cast<std::size_t>(stored)].first;
    return false;
}

bool LoadPrintSettings(PrintSettings &s, const QString &fileName, const QString &section, QString *error)
{
    QStringList names;
    for (const auto &[key, value] : keysOf(s))
        names.append(key);
    const SectionReader in(fileName, section, names);
    if (!in.ok()) {
        if (error)
            *error = in.errorString();
        return false;
    }
    s.ColumnSpacing = in.length("ColumnSpacing", 20);
    s.RowSpacing = in.length("RowSpacing", 20);
    s.TitleSpacing = in.length("TitleSpacing", 20);
    s.FixedHeight = in.length("FixedHeight", 0);
    s.FixedWidth = in.length("FixedWidth", 0);
    s.Centered = in.flag("Centered", true);
    s.NoAutoSize = in.flag("NoAutoSize", false);
    s.UseFixedHeight = in.flag("UseFixedHeight", false);
    s.UseFixedWidth = in.flag("UseFixedWidth", false);
    s.RepeatFixedRows = in.flag("RepeatFixedRows", false);
    s.RepeatFixedCols = in.flag("RepeatFixedCols", false);
    s.UseDisplayFont = in.flag("UseDisplFont", false);
    s.UseDefaultOrientation = in.flag("UseDefOrientation", false);
    readRanged(in, "Borders", s.Borders, pbNoborder, pbCustom, pbNoborder);
    readRanged(in, "BorderStyle", s.BorderStyle, psSolid, psInsideFrame, psSolid);
    s.Date = readPosition(in, "Date");
    s.PageNr = readPosition(in, "PageNr");
    s.Title = readPosition(in, "Title");
    s.Time = readPosition(in, "Time");
    s.DateFormat = in.text("DateFormat", QString());
    s.TitleText = in.text("TitleText", QString());
    s.FooterSize = in.length("FooterSize", 100);
    s.HeaderSize = in.length("HeaderSize", 100);
    s.LeftSize = in.length("LeftSize", 100);
    s.RightSize = in.length("RightSize", 100);
    readRanged(in, "FitToPage", s.FitToPage, fpNever, fpCustom, fpNever);
    readFont(in, kTableFontKeys, s.Font);
    readFont(in, kHeaderFontKeys, s.HeaderFont);
    readFont(in, kFooterFontKeys, s.FooterFont);
    s.PageNumSep = in.text("PageNumSep", QString());
    s.PageSuffix = in.text("PageSuffix", QString());
    s.PagePrefix = in.text("PagePrefix", QString());
    readRanged(in, "Orientation", s.Orientation, poPortrait, poLandscape, poPortrait);
    s.TitleLines = printsettingsfile::decodeTitleLines(in.text("TitleLines", QString()));
    return true;
}

bool LoadPrintSettingsFromExistingFile(const QString &path, PrintSettings &settings, QString *error)
{
    const QFileInfo info(path);
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (!info.exists())
        return fail(QStringLiteral("%1 does not exist").arg(path));
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a file").arg(path));
    // Loaded into a copy: a file that cannot be read leaves the settings whole.
    PrintSettings loaded = settings;
    QString why;
    if (!LoadPrintSettings(loaded, info.absoluteFilePath(), printSettingsSection(), &why))
        return fail(why);
    settings = loaded;
    return true;
}

} // namespace sorvant
