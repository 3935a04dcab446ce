#include "chartpainter.h"

#include "chartlayout.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

#include <cmath>

namespace {

// Places one line of text in its box by hand: QPainter's boxed drawText
// runs the full text layout engine, which costs more than the whole page.
QPointF textOrigin(const QFontMetricsF &fm, const QRectF &box, const QString &text, int flags)
{
    const double w = fm.horizontalAdvance(text);
    double x = box.left() + (box.width() - w) / 2;
    if (flags & Qt::AlignLeft)
        x = box.left();
    else if (flags & Qt::AlignRight)
        x = box.right() - w;
    const double y = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    return QPointF(x, y);
}

// Qt widens an absolute letter spacing by the device's resolution over the
// screen's, on top of the painter's own scaling: on a 1200 dpi printer the
// title's letters would stand twelve times as far apart as on screen. The
// layout measured the text at the screen's resolution, so the spacing is
// narrowed back by the same ratio.
QFont fontForDevice(const QPainter &p, QFont font)
{
    if (font.letterSpacingType() != QFont::AbsoluteSpacing || font.letterSpacing() == 0 || !p.device())
        return font;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double screenDpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const int deviceDpi = p.device()->logicalDpiY();
    if (deviceDpi > 0 && std::abs(deviceDpi - screenDpi) > 0.5)
        font.setLetterSpacing(QFont::AbsoluteSpacing, font.letterSpacing() * screenDpi / deviceDpi);
    return font;
}

void drawText(QPainter &p, const ChartText &t, int flags = Qt::AlignCenter)
{
    if (!t.visible())
        return;
    p.setFont(fontForDevice(p, t.font));
    p.setPen(t.colour);
    const QFontMetricsF fm(t.font);
    if (t.angle == 0) {
        p.drawText(textOrigin(fm, t.rect, t.text, flags), t.text);
        return;
    }
    p.save();
    p.translate(t.rect.center());
    p.rotate(-t.angle);
    const QRectF r(-t.rect.width() / 2, -t.rect.height() / 2, t.rect.width(), t.rect.height());
    p.drawText(textOrigin(fm, r, t.text, Qt::AlignCenter), t.text);
    p.restore();
}

void drawBevel(QPainter &p, const QRectF &outer, int width)
{
    if (width <= 0)
        return;
    const QRectF inner = outer.adjusted(width, width, -width, -width);
    const QPolygonF topLeft({outer.bottomLeft(), outer.topLeft(), outer.topRight(), inner.topRight(),
                             inner.topLeft(), inner.bottomLeft()});
    const QPolygonF bottomRight({outer.topRight(), outer.bottomRight(), outer.bottomLeft(), inner.bottomLeft(),
                                 inner.bottomRight(), inner.topRight()});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPolygon(topLeft);
    p.setBrush(QColor(64, 64, 64, 200));
    p.drawPolygon(bottomRight);
}

void drawLines(QPainter &p, const std::vector<QLineF> &lines, QPen pen)
{
    if (lines.empty())
        return;
    // On screen one-pixel lines take the rasterizer's fast path; stretched
    // onto paper they scale with the picture.
    if (pen.widthF() <= 1 && p.transform().isIdentity())
        pen.setCosmetic(true);
    p.setPen(pen);
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void drawAxis(QPainter &p, const ChartAxisLayout &a, const ChartAxisStyle &style, int alignment)
{
    if (!a.visible)
        return;
    QPen line(style.axisColour, style.axisWidth);
    line.setCosmetic(false);
    p.setPen(line);
    p.drawLine(a.line);
    drawLines(p, a.ticks, QPen(style.axisColour, 1));
    drawLines(p, a.minorTicks, QPen(style.axisColour, 1));
    for (const ChartText &t : a.labels)
        drawText(p, t, alignment);
    drawText(p, a.title);
}

void drawLegend(QPainter &p, const ChartLayout &l, const ChartAppearance &ap)
{
    if (l.legend.empty())
        return;
    const QRectF r = l.legendRect;
    p.setPen(Qt::NoPen);
    p.setBrush(ap.legendShadow);
    p.drawRoundedRect(r.translated(ap.legendShadowOffset), 6, 6);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, ap.legendTop);
    g.setColorAt(0.5, ap.legendMiddle);
    g.setColorAt(1, ap.legendBottom);
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    p.setFont(ap.legendFont);
    for (std::size_t i = 0; i < l.legend.size(); ++i) {
        const ChartLegendItem &it = l.legend[i];
        if (i > 0 && it.rect.top() == l.legend[i - 1].rect.top()) {
            p.setPen(QPen(ap.legendDivider, 1));
            p.drawLine(QLineF(it.rect.left(), it.rect.top() + 2, it.rect.left(), it.rect.bottom() - 2));
        }
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(it.box);
        if (it.checked) {
            QPen tick(QColor(0, 0, 100), std::max(1.5, it.box.width() / 6));
            p.setPen(tick);
            const QRectF b = it.box.adjusted(2, 2, -2, -2);
            const QPointF pts[3] = {QPointF(b.left(), b.center().y()),
                                    QPointF(b.left() + b.width() * 0.4, b.bottom()), b.topRight()};
            p.drawPolyline(pts, 3);
        }
        p.setPen(QPen(ap.legendText));
        p.drawText(textOrigin(QFontMetricsF(ap.legendFont), it.textRect, it.text, Qt::AlignLeft), it.text);
    }
}

// The panel's gradient and bevel, drawn once per size: a radial gradient
// over the whole chart costs more than everything else on a page.
const QImage &panelBackground(const QSize &size, const ChartAppearance &ap)
{
    struct Cache {
        QSize size;
        QRgb start = 0, middle = 0, end = 0;
        int bevel = -1;
        QImage image;
    };
    // One per thread: the exporter draws charts on several at once.
    thread_local Cache cache;
    if (cache.size != size || cache.start != ap.gradientStart.rgba() || cache.middle != ap.gradientMiddle.rgba()
        || cache.end != ap.gradientEnd.rgba() || cache.bevel != ap.bevelWidth) {
        cache.size = size;
        cache.start = ap.gradientStart.rgba();
        cache.middle = ap.gradientMiddle.rgba();
        cache.end = ap.gradientEnd.rgba();
        cache.bevel = ap.bevelWidth;
        cache.image = QImage(size, QImage::Format_RGB32); // opaque: drawn by plain copy
        QPainter p(&cache.image);
        const QRectF outer(QPointF(0, 0), QSizeF(size));
        const double radius = std::hypot(outer.width(), outer.height()) / 2;
        QRadialGradient g(outer.center(), radius);
        g.setColorAt(0, ap.gradientStart);
        g.setColorAt(0.5, ap.gradientMiddle);
        g.setColorAt(1, ap.gradientEnd);
        p.fillRect(outer, g);
        drawBevel(p, outer, ap.bevelWidth);
    }
    return cache.image;
}

} // namespace

void paintChart(QPainter &p, const ChartModel &chart, const ChartLayout &l)
{
    const ChartAppearance &ap = chart.appearance();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Panel: radial gradient and raised bevel.
    const QSize panel = l.outer.size().toSize();
    if (!panel.isEmpty())
        p.drawImage(l.outer, panelBackground(panel, ap));

    // Title with its shadow.
    if (l.title.visible()) {
        ChartText shadow = l.title;
        shadow.rect.translate(ap.titleShadowOffset);
        shadow.colour = ap.titleShadowColour;
        drawText(p, shadow);
        drawText(p, l.title);
    }

    // Walls.
    p.setPen(Qt::NoPen);
    if (l.projection.enabled) {
        p.setBrush(ap.leftWall);
        p.drawPolygon(l.leftWall);
        p.drawRect(l.leftWallEdge);
        p.setBrush(ap.bottomWall);
        p.drawPolygon(l.bottomWall);
        p.drawRect(l.bottomWallEdge);
    }
    p.setBrush(ap.backWall);
    p.drawPolygon(l.backWall);

    // Grids: minor under major.
    const ChartAxisStyle &bs = chart.axis(ChartAxisId::Bottom);
    const ChartAxisStyle &ls = chart.axis(ChartAxisId::Left);
    const ChartAxisStyle &rs = chart.axis(ChartAxisId::Right);
    p.setRenderHint(QPainter::Antialiasing, false);
    drawLines(p, l.bottom.minorGrid, QPen(bs.minorGridColour, 1, Qt::SolidLine));
    drawLines(p, l.bottom.grid, QPen(bs.gridColour, 1, bs.gridStyle));
    drawLines(p, l.left.grid, QPen(ls.gridColour, 1, ls.gridStyle));
    drawLines(p, l.right.grid, QPen(rs.gridColour, 1, rs.gridStyle));
    p.setRenderHint(QPainter::Antialiasing, true);

    // Series, clipped to the plot; later ones over earlier ones.
    p.save();
    p.setClipRect(l.frontPlane.adjusted(-1, -1, 1, 1));
    for (const ChartSeriesLayout &sl : l.series) {
        const TLineSeries &s = chart.series(sl.series);
        if (l.projection.enabled)
            p.setClipRect(sl.clip.adjusted(-1, -1, 1, 1));
        if (sl.ribbon) {
            QPen outline(s.penColour, 1);
            outline.setJoinStyle(Qt::RoundJoin);
            p.setPen(outline);
            p.setBrush(s.seriesColour);
            for (std::size_t r = 0; r < sl.front.size(); ++r) {
                const QPolygonF &f = sl.front[r];
                const QPolygonF &b = sl.back[r];
                for (qsizetype i = 0; i + 1 < f.size(); ++i) {
                    const QPointF quad[4] = {f[i], f[i + 1], b[i + 1], b[i]};
                    p.drawPolygon(quad, 4);
                }
            }
        } else {
            QPen pen(s.seriesColour, s.penWidth);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(Qt::RoundCap);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            for (const QPolygonF &run : sl.front)
                p.drawPolyline(run);
        }
    }
    // Marks sit over every line.
    p.setClipRect(l.frontPlane.adjusted(-1, -1, 1, 1));
    if (!l.marks.empty()) {
        p.setFont(ap.markFont);
        const QFontMetricsF markMetrics(ap.markFont);
        for (const ChartMarkLayout &m : l.marks) {
            p.setPen(QPen(ap.markFrame, 1));
            p.setBrush(ap.markBackground);
            p.drawRect(m.rect);
            p.setPen(ap.markText);
            p.drawText(textOrigin(markMetrics, m.rect, m.text, Qt::AlignCenter), m.text);
        }
    }
    p.restore();

    p.setRenderHint(QPainter::Antialiasing, false);
    drawAxis(p, l.left, ls, Qt::AlignRight | Qt::AlignVCenter);
    drawAxis(p, l.right, rs, Qt::AlignLeft | Qt::AlignVCenter);
    drawAxis(p, l.bottom, bs, Qt::AlignCenter);
    p.setRenderHint(QPainter::Antialiasing, true);

    drawLegend(p, l, ap);
    // The legend's short lines in the series colours.
    for (const ChartLegendItem &it : l.legend) {
        const TLineSeries &s = chart.series(it.series);
        p.setPen(QPen(s.seriesColour, std::max(2, s.penWidth)));
        p.drawLine(it.line);
    }
    p.restore();
}
