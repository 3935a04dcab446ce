#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QStringView>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace sorvant {

// One line of text as QTextLayout shapes it: its glyph runs and its natural width.
struct ShapedLine {
    QList<QGlyphRun> runs;
    double width = 0;
};
ShapedLine shapeLine(const QFont &font, const QString &text);

// Lays out numbers and times of day (texts of "0123456789-.,:" only) from a
// table of their characters' glyphs, advances and pair kerning, instead of
// shaping each one: a log's record numbers never repeat, so shaping them is
// most of the cost of measuring and drawing a printout.
//
// The table is read from the text shaper itself, and is used only where it
// gives exactly what shaping gives: every character, every pair and a text
// holding every three characters in a row (a de Bruijn sequence) are shaped
// once and must come out glyph for glyph, position for position and width
// for width as the table puts them. A font that substitutes glyphs, falls
// back to other faces or positions by wider context fails that, and its
// texts are shaped as usual. Advances are whole 64ths of a unit, so the sums
// are exact.
class NumberLayout
{
public:
    static bool isNumber(std::string_view text);
    // A number of at most 64 characters, as Latin-1 in `out`.
    static bool isNumber(QStringView text, std::string &out);

    // Reads the table of `font`; false when its numbers cannot be laid out so.
    bool build(const QFont &font);
    bool usable() const { return m_usable; }
    // The texts the table was checked on: each character, each pair and
    // every run of three, for other measures of the same font to be checked
    // against width().
    static std::vector<std::string> checkedTexts();

    // The face the glyphs belong to; valid on the thread that built the table.
    const QRawFont &face() const { return m_face; }
    // What QTextLayout gives for `text` on one line: its natural width, and
    // its glyphs with their positions, appended to `glyphs` and `positions`
    // shifted by `origin`.
    double width(std::string_view text) const;
    void appendGlyphs(std::string_view text, const QPointF &origin, QList<quint32> &glyphs,
                      QList<QPointF> &positions) const;

private:
    struct Glyph {
        quint32 index = 0;
        QPointF offset; // of the glyph from its pen position
        double advance = 0;
    };
    static int slot(char c);
    bool fits(const QFont &font, std::string_view text) const;

    bool m_usable = false;
    QRawFont m_face;
    std::array<Glyph, 14> m_glyphs{};
    std::array<std::array<double, 14>, 14> m_kerning{}; // [first][second]
};

} // namespace sorvant
