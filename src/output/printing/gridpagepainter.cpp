#include "gridpagepainter.h"

#include "qtprinttextmeasurer.h"

#include <QGuiApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace sorvant {

namespace {

// Drawing units per tenth of a millimetre. Texts are shaped at this many
// times their size so that their glyph positions are not rounded to whole
// tenths of a millimetre.
constexpr int kUnit = 16;

// Shaped texts kept per font before the cache starts again: a log's record
// numbers never repeat, and keeping all of them would only cost memory.
constexpr int kMaxShapedTexts = 20000;

QPalette printPalette()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::palette() : QPalette();
}

Qt::PenStyle penStyle(TPrintPenStyle style)
{
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

} // namespace

GridPagePainter::GridPagePainter(const GridPagePlan &plan, PrintTextMeasurer *measurer)
    : m_plan(plan), m_measurer(measurer ? *measurer : plan.measurer())
{
    const double k = plan.k();
    const QPalette palette = printPalette();
    const auto make = [&](const TPrintFont &f) {
        auto cache = std::make_unique<FontCache>();
        cache->font = QtPrintTextMeasurer::qtFont(f, printCharHeight(f.Size, k) * kUnit);
        cache->colour = colorFromCode(f.Color, palette);
        return cache;
    };
    m_data = make(plan.cellFont(false));
    m_fixed = make(plan.cellFont(true));
    m_dataLine = m_measurer.lineHeight(plan.cellFont(false), k);
    m_fixedLine = m_measurer.lineHeight(plan.cellFont(true), k);
}

GridPagePainter::~GridPagePainter() = default;

GridPagePainter::FontCache &GridPagePainter::cellFont(bool fixed)
{
    return fixed ? *m_fixed : *m_data;
}

GridPagePainter::FontCache &GridPagePainter::slotFont(bool top, int styleBits)
{
    const int key = (top ? 16 : 0) | styleBits;
    auto found = m_slotFonts.find(key);
    if (found == m_slotFonts.end()) {
        const PrintSettings &s = m_plan.settings();
        TPrintFont f = top ? s.HeaderFont : s.FooterFont;
        f.setStyleBits(f.styleBits() | styleBits);
        auto cache = std::make_shared<FontCache>();
        cache->font = QtPrintTextMeasurer::qtFont(f, printCharHeight(f.Size, m_plan.k()) * kUnit);
        cache->colour = colorFromCode(f.Color, printPalette());
        found = m_slotFonts.insert(key, cache);
    }
    return *found.value();
}

// Numbers and times are most of a log's texts, and the record numbers never
// repeat: where the face allows, they are laid out from their characters
// (NumberLayout) rather than shaped one by one.
bool GridPagePainter::laysOutNumbers(FontCache &cache)
{
    if (cache.numbersState == 0)
        cache.numbersState = cache.numbers.build(cache.font) ? 1 : -1;
    return cache.numbersState > 0;
}

const GridPagePainter::Shaped &GridPagePainter::shape(FontCache &cache, std::string_view utf8)
{
    const QByteArray key = QByteArray::fromRawData(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const auto found = cache.texts.constFind(key);
    if (found != cache.texts.constEnd())
        return found.value();
    if (cache.texts.size() >= kMaxShapedTexts)
        cache.texts.clear();
    Shaped shaped;
    if (m_batched && NumberLayout::isNumber(utf8) && laysOutNumbers(cache)) {
        QGlyphRun run;
        QList<quint32> glyphs;
        QList<QPointF> positions;
        cache.numbers.appendGlyphs(utf8, QPointF(0, 0), glyphs, positions);
        run.setRawFont(cache.numbers.face());
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        shaped.width = cache.numbers.width(utf8);
        shaped.runs.append(run);
    } else {
        shaped = shapeLine(cache.font, QString::fromUtf8(key));
    }
    return cache.texts.insert(QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())), std::move(shaped)).value();
}

void GridPagePainter::drawPage(QPainter &painter, int index, const QDateTime &now, double dpiX, double dpiY)
{
    const GridPage page = m_plan.page(index);
    painter.save();
    painter.scale(dpiX / 254.0 / kUnit, dpiY / 254.0 / kUnit);
    painter.setBackgroundMode(Qt::TransparentMode);

    drawTexts(painter, m_plan.pageTexts(index, now, m_measurer));
    drawFills(painter, page);

    const GridPrintTable &table = m_plan.table();
    m_texts.resize(static_cast<std::size_t>(table.columnCount()));
    for (const GridPageRow &row : page.rows) {
        table.rowTexts(row.row, m_texts.data());
        for (const GridPageColumn &column : page.columns)
            drawCell(painter, column, row, m_texts[static_cast<std::size_t>(column.column)],
                     m_plan.isFixedCell(column.column, row.row));
    }
    drawBatches(painter);
    drawLines(painter, page);
    painter.restore();
}

GridPagePainter::GlyphBatch &GridPagePainter::batch(const FontCache &font, const QRawFont &face)
{
    auto found = std::find_if(m_batches.begin(), m_batches.end(),
                              [&](const GlyphBatch &b) { return b.font == &font && b.face == face; });
    if (found == m_batches.end())
        found = m_batches.insert(m_batches.end(), GlyphBatch{&font, face, {}, {}});
    return *found;
}

void GridPagePainter::addToBatch(const FontCache &font, const QGlyphRun &run, const QPointF &at)
{
    GlyphBatch &b = batch(font, run.rawFont());
    b.glyphs += run.glyphIndexes();
    for (const QPointF &p : run.positions())
        b.positions.append(p + at);
}

bool GridPagePainter::drawBatches(QPainter &painter)
{
    bool drawn = false;
    for (GlyphBatch &batch : m_batches) {
        if (batch.glyphs.isEmpty())
            continue;
        QGlyphRun run;
        run.setRawFont(batch.face);
        run.setGlyphIndexes(batch.glyphs);
        run.setPositions(batch.positions);
        painter.setPen(batch.font->colour);
        painter.drawGlyphRun(QPointF(0, 0), run);
        // Kept, emptied, so the next page reuses the memory.
        batch.glyphs.clear();
        batch.positions.clear();
        drawn = true;
    }
    return drawn;
}

void GridPagePainter::drawFills(QPainter &painter, const GridPage &page)
{
    // Neighbouring cells of one colour make one rectangle across a row, and
    // the same rectangle in the rows below grows downwards.
    struct Fill {
        int x0, x1, y0, y1;
        QRgb colour;
    };
    std::vector<Fill> open, done;
    const GridPrintTable &table = m_plan.table();
    const QColor fixedColour = table.cellColor(true);
    const QColor dataColour = table.cellColor(false);
    for (const GridPageRow &row : page.rows) {
        std::vector<Fill> runs;
        for (const GridPageColumn &c : page.columns) {
            const QRgb colour = (m_plan.isFixedCell(c.column, row.row) ? fixedColour : dataColour).rgba();
            if (!runs.empty() && runs.back().colour == colour && runs.back().x1 == c.x)
                runs.back().x1 = c.x + c.width;
            else
                runs.push_back(Fill{c.x, c.x + c.width, row.y, row.y + row.height, colour});
        }
        std::vector<Fill> next;
        for (Fill &run : runs) {
            auto same = std::find_if(open.begin(), open.end(), [&](const Fill &f) {
                return f.x0 == run.x0 && f.x1 == run.x1 && f.colour == run.colour && f.y1 == run.y0;
            });
            if (same != open.end()) {
                same->y1 = run.y1;
                next.push_back(*same);
                open.erase(same);
            } else {
                next.push_back(run);
            }
        }
        done.insert(done.end(), open.begin(), open.end());
        open = std::move(next);
    }
    done.insert(done.end(), open.begin(), open.end());
    for (const Fill &f : done)
        painter.fillRect(QRect(f.x0 * kUnit, f.y0 * kUnit, (f.x1 - f.x0) * kUnit, (f.y1 - f.y0) * kUnit),
                         QColor::fromRgba(f.colour));
}

void GridPagePainter::drawCell(QPainter &painter, const GridPageColumn &column, const GridPageRow &row,
                               std::string_view text, bool fixed)
{
    if (text.empty())
        return;
    FontCache &font = cellFont(fixed);
    const int lineHeight = fixed ? m_fixedLine : m_dataLine;
    const GridPrintTable::Align align = m_plan.table().alignment(column.column, row.row);
    const double left = (column.x + 4.0) * kUnit;
    const double room = (column.width - 8.0) * kUnit;
    const QRect cell(column.x * kUnit, row.y * kUnit, column.width * kUnit, row.height * kUnit);
    painter.setPen(font.colour);
    int y = row.y;
    for (;;) {
        const std::size_t cut = text.find('\n');
        const std::string_view line = text.substr(0, cut);
        const auto placed = [&](double width) {
            if (align == GridPrintTable::Align::Right)
                return left + room - width;
            if (align == GridPrintTable::Align::Centre)
                return left + (room - width) / 2;
            return left;
        };
        // Clipping costs a clip path in the output: only where the text
        // would spill over the cell.
        const auto spillsAt = [&](double width) { return width > room || y + lineHeight > row.y + row.height; };
        // A number that fits its cell goes straight into the page's run:
        // nothing of it is shaped, kept or copied on the way.
        if (m_batched && NumberLayout::isNumber(line) && laysOutNumbers(font)) {
            const double width = font.numbers.width(line);
            if (!spillsAt(width)) {
                GlyphBatch &b = batch(font, font.numbers.face());
                font.numbers.appendGlyphs(line, QPointF(placed(width), y * kUnit), b.glyphs, b.positions);
                if (cut == std::string_view::npos)
                    break;
                text.remove_prefix(cut + 1);
                y += lineHeight;
                continue;
            }
        }
        const Shaped &shaped = shape(font, line);
        const double x = placed(shaped.width);
        const bool spills = spillsAt(shaped.width);
        if (spills) {
            if (m_batched && drawBatches(painter))
                painter.setPen(font.colour);
            painter.save();
            painter.setClipRect(cell);
        }
        // A page's cells share a few faces: their glyphs go out as one run
        // per face, which costs the PDF writer far less than a run per
        // cell. A run that draws its own lines (underline, strikeout) would
        // draw them across the whole page's run, and a clipped one needs
        // its clip, so those go out alone, after the runs gathered so far:
        // the texts then stand in the file in the order they always had,
        // which is the order a reader takes them in.
        for (const QGlyphRun &run : shaped.runs) {
            if (m_batched && !spills && run.flags() == QGlyphRun::GlyphRunFlags()) {
                addToBatch(font, run, QPointF(x, y * kUnit));
                continue;
            }
            if (m_batched && drawBatches(painter))
                painter.setPen(font.colour);
            painter.drawGlyphRun(QPointF(x, y * kUnit), run);
        }
        if (spills)
            painter.restore();
        if (cut == std::string_view::npos)
            break;
        text.remove_prefix(cut + 1);
        y += lineHeight;
    }
}

void GridPagePainter::drawLines(QPainter &painter, const GridPage &page)
{
    const PrintSettings &s = m_plan.settings();
    if (s.BorderStyle == psClear || page.lines.empty())
        return;
    QPen pen(Qt::black, (s.Borders == pbDouble ? 10 : 2) * kUnit, penStyle(s.BorderStyle));
    painter.setPen(pen);
    if (!m_batched) {
        for (const GridPageLine &l : page.lines)
            painter.drawLine(QLine(l.x1 * kUnit, l.y1 * kUnit, l.x2 * kUnit, l.y2 * kUnit));
        return;
    }
    // One call for the page's lines, in the order the plan gives them.
    m_lines.clear();
    m_lines.reserve(static_cast<qsizetype>(page.lines.size()));
    for (const GridPageLine &l : page.lines)
        m_lines.append(QLine(l.x1 * kUnit, l.y1 * kUnit, l.x2 * kUnit, l.y2 * kUnit));
    painter.drawLines(m_lines);
}

void GridPagePainter::drawTexts(QPainter &painter, const PrintPageTexts &texts)
{
    // A few texts a page: drawn as text, not from the shaped-text cache.
    for (const PrintSlotLine &line : texts.lines) {
        const bool top = line.slot <= SlotTopCenter;
        double x = line.x * kUnit;
        for (const PrintTextRun &run : line.runs) {
            FontCache &font = slotFont(top, run.styleBits);
            painter.setFont(font.font);
            painter.setPen(font.colour);
            const QFontMetricsF metrics(font.font, painter.device());
            painter.drawText(QPointF(x, line.y * kUnit + metrics.ascent()), run.text);
            x += metrics.horizontalAdvance(run.text);
        }
    }
}

} // namespace sorvant
