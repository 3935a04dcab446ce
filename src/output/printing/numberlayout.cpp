#include "numberlayout.h"

#include <QGlyphRun>
#include <QTextLayout>

#include <string>
#include <vector>

namespace sorvant {

namespace {

constexpr std::string_view kChars = "0123456789-.,:";

// Every string of three of the characters appears once in this text (a de
// Bruijn sequence, made from its Lyndon words in order).
std::string runsOfThree()
{
    const int k = static_cast<int>(kChars.size());
    constexpr std::size_t n = 3;
    std::string out;
    std::vector<int> word(1, -1);
    for (;;) {
        word.back() += 1;
        if (n % word.size() == 0) {
            for (int d : word)
                out += kChars[static_cast<std::size_t>(d)];
        }
        const std::size_t length = word.size();
        while (word.size() < n)
            word.push_back(word[word.size() - length]);
        while (!word.empty() && word.back() == k - 1)
            word.pop_back();
        if (word.empty())
            break;
    }
    return out + out.substr(0, n - 1); // the runs that wrap around
}

} // namespace

ShapedLine shapeLine(const QFont &font, const QString &text)
{
    ShapedLine shaped;
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        shaped.width = line.naturalTextWidth();
        shaped.runs = layout.glyphRuns();
    }
    return shaped;
}

int NumberLayout::slot(char c)
{
    const std::size_t at = kChars.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool NumberLayout::isNumber(std::string_view text)
{
    return !text.empty() && text.find_first_not_of(kChars) == std::string_view::npos;
}

bool NumberLayout::isNumber(QStringView text, std::string &out)
{
    out.clear();
    if (text.size() > 64)
        return false;
    for (const QChar c : text) {
        if (c.unicode() > 127 || slot(static_cast<char>(c.unicode())) < 0)
            return false;
        out += static_cast<char>(c.unicode());
    }
    return !out.empty();
}

std::vector<std::string> NumberLayout::checkedTexts()
{
    std::vector<std::string> texts;
    for (char a : kChars)
        texts.emplace_back(1, a);
    for (char a : kChars) {
        for (char b : kChars)
            texts.push_back(std::string{a, b});
    }
    texts.push_back(runsOfThree());
    return texts;
}

bool NumberLayout::build(const QFont &font)
{
    m_usable = false;
    for (std::size_t i = 0; i < kChars.size(); ++i) {
        const ShapedLine one = shapeLine(font, QString(QLatin1Char(kChars[i])));
        if (one.runs.size() != 1 || one.runs[0].glyphIndexes().size() != 1
            || one.runs[0].flags() != QGlyphRun::GlyphRunFlags())
            return false;
        if (i == 0)
            m_face = one.runs[0].rawFont();
        else if (one.runs[0].rawFont() != m_face)
            return false;
        m_glyphs[i] = Glyph{one.runs[0].glyphIndexes()[0], one.runs[0].positions()[0], one.width};
    }
    // Pair kerning: how far the second glyph of a pair sits from where the
    // first one's advance puts it.
    for (std::size_t a = 0; a < kChars.size(); ++a) {
        for (std::size_t b = 0; b < kChars.size(); ++b) {
            const std::string pair{kChars[a], kChars[b]};
            const ShapedLine two = shapeLine(font, QString::fromLatin1(pair.data(), 2));
            if (two.runs.size() != 1 || two.runs[0].positions().size() != 2)
                return false;
            m_kerning[a][b] = two.runs[0].positions()[1].x() - m_glyphs[b].offset.x() - m_glyphs[a].advance;
        }
    }
    // Checked, not assumed: the pairs alone and every run of three.
    for (const std::string &text : checkedTexts()) {
        if (!fits(font, text))
            return false;
    }
    m_usable = true;
    return true;
}

bool NumberLayout::fits(const QFont &font, std::string_view text) const
{
    const ShapedLine shaped = shapeLine(font, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (shaped.runs.size() != 1)
        return false;
    const QGlyphRun &run = shaped.runs[0];
    QList<quint32> glyphs;
    QList<QPointF> positions;
    appendGlyphs(text, QPointF(0, 0), glyphs, positions);
    return run.rawFont() == m_face && run.flags() == QGlyphRun::GlyphRunFlags() && run.glyphIndexes() == glyphs
        && run.positions() == positions && shaped.width == width(text);
}

double NumberLayout::width(std::string_view text) const
{
    double x = 0;
    int previous = -1;
    for (const char c : text) {
        const int s = slot(c);
        if (previous >= 0)
            x += m_kerning[static_cast<std::size_t>(previous)][static_cast<std::size_t>(s)];
        x += m_glyphs[static_cast<std::size_t>(s)].advance;
        previous = s;
    }
    return x;
}

void NumberLayout::appendGlyphs(std::string_view text, const QPointF &origin, QList<quint32> &glyphs,
                                QList<QPointF> &positions) const
{
    double x = 0;
    int previous = -1;
    for (const char c : text) {
        const int s = slot(c);
        const Glyph &g = m_glyphs[static_cast<std::size_t>(s)];
        if (previous >= 0)
            x += m_kerning[static_cast<std::size_t>(previous)][static_cast<std::size_t>(s)];
        glyphs.append(g.index);
        positions.append(QPointF(x + g.offset.x(), g.offset.y()) + origin);
        x += g.advance;
        previous = s;
    }
}

} // namespace sorvant
