#pragma once

#include "gridpageplan.h"
#include "numberlayout.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QLine>
#include <QList>
#include <QRawFont>

#include <array>
#include <memory>
#include <string_view>

class QPainter;

namespace sorvant {

// Draws the pages of a GridPagePlan onto any QPainter: a printer, a PDF
// writer or an image. Texts are shaped once per font and reused on every
// page they appear on; each page's fills and lines are drawn as few long
// runs instead of four strokes and a fill per cell.
class GridPagePainter
{
public:
    // `measurer` measures the header and footer texts; the plan's own when
    // null. A painter on another thread than the plan's needs one of its own.
    explicit GridPagePainter(const GridPagePlan &plan, PrintTextMeasurer *measurer = nullptr);
    ~GridPagePainter();
    GridPagePainter(const GridPagePainter &) = delete;
    GridPagePainter &operator=(const GridPagePainter &) = delete;

    // Draws page `index` with its header and footer composed at `now`.
    // `painter` works in device pixels from the top-left corner of the
    // printable area, at `dpiX` × `dpiY` dots per inch.
    void drawPage(QPainter &painter, int index, const QDateTime &now, double dpiX, double dpiY);

    // Off: every cell's text is shaped and drawn as its own glyph runs and
    // every line as its own stroke, as before the page's texts were
    // gathered. The pages look the same either way; kept to compare the two.
    void setBatched(bool batched) { m_batched = batched; }

private:
    using Shaped = ShapedLine; // width in drawing units
    // One font of the page at its drawing size, with its shaped texts.
    struct FontCache {
        QFont font;
        QColor colour;
        QHash<QByteArray, Shaped> texts;
        int numbersState = 0; // numbers laid out from their characters: 0 not known yet, 1 yes, -1 no
        NumberLayout numbers;
    };
    static bool laysOutNumbers(FontCache &cache);
    // The glyphs of one face and colour on a page, drawn as one run.
    struct GlyphBatch {
        const FontCache *font;
        QRawFont face;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    FontCache &cellFont(bool fixed);
    FontCache &slotFont(bool top, int styleBits);
    const Shaped &shape(FontCache &cache, std::string_view utf8);
    void drawCell(QPainter &painter, const GridPageColumn &column, const GridPageRow &row, std::string_view text,
                  bool fixed);
    GlyphBatch &batch(const FontCache &font, const QRawFont &face);
    void addToBatch(const FontCache &font, const QGlyphRun &run, const QPointF &at);
    bool drawBatches(QPainter &painter); // true when it drew anything
    void drawFills(QPainter &painter, const GridPage &page);
    void drawLines(QPainter &painter, const GridPage &page);
    void drawTexts(QPainter &painter, const PrintPageTexts &texts);

    const GridPagePlan &m_plan;
    PrintTextMeasurer &m_measurer;
    std::unique_ptr<FontCache> m_data, m_fixed;
    QHash<int, std::shared_ptr<FontCache>> m_slotFonts;
    int m_dataLine = 0, m_fixedLine = 0; // "gh" heights of the cell fonts
    std::vector<std::string_view> m_texts;
    bool m_batched = true;
    std::vector<GlyphBatch> m_batches;
    QList<QLine> m_lines;
};

} // namespace sorvant
