#pragma once

#include "gridpageplan.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>

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
    explicit GridPagePainter(const GridPagePlan &plan);
    ~GridPagePainter();
    GridPagePainter(const GridPagePainter &) = delete;
    GridPagePainter &operator=(const GridPagePainter &) = delete;

    // Draws page `index` with its header and footer composed at `now`.
    // `painter` works in device pixels from the top-left corner of the
    // printable area, at `dpiX` × `dpiY` dots per inch.
    void drawPage(QPainter &painter, int index, const QDateTime &now, double dpiX, double dpiY);

private:
    struct Shaped {
        QList<QGlyphRun> runs;
        double width = 0; // in drawing units
    };
    // One font of the page at its drawing size, with its shaped texts.
    struct FontCache {
        QFont font;
        QColor colour;
        QHash<QByteArray, Shaped> texts;
    };
    FontCache &cellFont(bool fixed);
    FontCache &slotFont(bool top, int styleBits);
    const Shaped &shape(FontCache &cache, std::string_view utf8);
    void drawCell(QPainter &painter, const GridPageColumn &column, const GridPageRow &row, std::string_view text,
                  bool fixed);
    void drawFills(QPainter &painter, const GridPage &page);
    void drawLines(QPainter &painter, const GridPage &page);
    void drawTexts(QPainter &painter, const PrintPageTexts &texts);

    const GridPagePlan &m_plan;
    std::unique_ptr<FontCache> m_data, m_fixed;
    QHash<int, std::shared_ptr<FontCache>> m_slotFonts;
    int m_dataLine = 0, m_fixedLine = 0; // "gh" heights of the cell fonts
    std::vector<std::string_view> m_texts;
};

} // namespace sorvant
