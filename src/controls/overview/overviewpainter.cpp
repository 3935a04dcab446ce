#include "overviewpainter.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

int overviewColumnCount(const QPainter &painter, const OverviewLayout &layout, int maxColumns)
{
    const double deviceWidth = painter.combinedTransform().mapRect(layout.plot).width();
    return std::clamp(int(std::ceil(deviceWidth - 1e-6)), 1, std::clamp(maxColumns, 1, kOverviewMaxColumns));
}

namespace {

void drawLabel(QPainter &p, const OverviewLayout::Label &label)
{
    const QFontMetricsF fm(p.font());
    const double w = fm.horizontalAdvance(label.text);
    const double h = fm.height();
    double x = label.at.x(), y = label.at.y();
    if (label.align & Qt::AlignRight)
        x -= w;
    else if (label.align & Qt::AlignHCenter)
        x -= w / 2;
    if (label.align & Qt::AlignVCenter)
        y -= h / 2;
    else if (label.align & Qt::AlignBottom)
        y -= h;
    p.drawText(QRectF(x, y, w + 1, h), Qt::AlignLeft | Qt::AlignTop, label.text);
}

void drawRotated(QPainter &p, const QRectF &box, const QString &text, double angle)
{
    if (text.isEmpty())
        return;
    p.save();
    p.translate(box.center());
    p.rotate(angle);
    const QRectF r(-box.height() / 2, -box.width() / 2, box.height(), box.width());
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void drawSpans(QPainter &p, const OverviewLayout &l, const std::vector<OverviewSpan> &spans, double minWidth)
{
    for (const OverviewSpan &s : spans) {
        double x0 = std::max(l.plot.left(), l.xOf(s.first));
        double x1 = std::min(l.plot.right(), l.xOf(s.end));
        if (x1 < l.plot.left() || x0 > l.plot.right())
            continue;
        // A span narrower than a pixel still shows as one.
        if (x1 - x0 < minWidth) {
            const double c = (x0 + x1) / 2;
            x0 = std::max(l.plot.left(), c - minWidth / 2);
            x1 = std::min(l.plot.right(), x0 + minWidth);
        }
        const QRectF r(x0, l.plot.top(), x1 - x0, l.plot.height());
        p.fillRect(r, s.fill);
        if (s.outline.alpha() > 0) {
            p.setPen(QPen(s.outline, 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
        }
    }
}

} // namespace

void paintOverview(QPainter &p, const OverviewLayout &l, const OverviewPicture &picture)
{
    const OverviewLook &look = *picture.look;
    const OverviewSummary &summary = *picture.summary;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(look.font);
    p.fillRect(l.outer, look.background);
    p.fillRect(l.plot, look.plotBackground);

    const int columns = overviewColumnCount(p, l, picture.maxColumns);
    const double columnWidth = l.plot.width() / columns;
    const double devicePixel = l.plot.width() / std::max(1.0, p.combinedTransform().mapRect(l.plot).width());

    drawSpans(p, l, picture.shades, devicePixel);

    p.setPen(QPen(look.grid, 0, Qt::DotLine));
    for (double y : l.leftGrid)
        p.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.right(), y));
    p.setPen(QPen(look.midnight, 0, Qt::DashLine));
    for (double x : l.midnights)
        p.drawLine(QPointF(x, l.plot.top()), QPointF(x, l.plot.bottom()));
    p.setPen(QPen(look.frame, 0));
    for (double x : l.hourTicks)
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + 3 * devicePixel));

    if (!l.empty) {
        // Column c covers the points [a, b); together they cover every point
        // in view, and each holds at least one.
        const double perColumn = (l.end - l.first) / columns;
        std::vector<std::pair<std::size_t, std::size_t>> ranges(static_cast<std::size_t>(columns));
        const std::size_t lastPoint = std::size_t(std::ceil(l.end));
        for (int c = 0; c < columns; ++c) {
            const std::size_t a = std::size_t(std::floor(l.first + c * perColumn));
            std::size_t b = c + 1 == columns ? lastPoint : std::size_t(std::floor(l.first + (c + 1) * perColumn));
            b = std::max(b, a + 1);
            ranges[static_cast<std::size_t>(c)] = {a, b};
        }
        const double top = l.plot.top(), bottom = l.plot.bottom();
        std::vector<QRectF> bands;
        QPolygonF means;
        bands.reserve(ranges.size());
        means.reserve(static_cast<qsizetype>(ranges.size()));
        p.setClipRect(l.plot);
        for (std::size_t s = 0; s < picture.series->size(); ++s) {
            const OverviewSeriesStyle &style = (*picture.series)[s];
            if (!style.visible)
                continue;
            bands.clear();
            means.clear();
            for (int c = 0; c < columns; ++c) {
                const auto [a, b] = ranges[static_cast<std::size_t>(c)];
                const OverviewStats st = summary.query(int(s), a, b);
                if (st.count == 0)
                    continue;
                const double x = l.plot.left() + c * columnWidth;
                const double yHigh = std::clamp(l.yOf(style.axis, st.maximum), top, bottom);
                const double yLow = std::clamp(l.yOf(style.axis, st.minimum), top, bottom);
                const double yMean = std::clamp(l.yOf(style.axis, st.mean()), top, bottom);
                bands.emplace_back(x, yHigh, columnWidth, std::max(yLow - yHigh, devicePixel));
                means << QPointF(x + columnWidth / 2, yMean);
            }
            QColor band = style.colour;
            band.setAlpha(look.bandAlpha);
            p.setPen(Qt::NoPen);
            p.setBrush(band);
            p.drawRects(bands.data(), static_cast<int>(bands.size()));
            p.setPen(QPen(style.colour, 0));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(means);
        }
        p.setClipping(false);
    }

    drawSpans(p, l, picture.markers, 2 * devicePixel);

    // The frame stands just outside the plot, so it hides no column.
    p.setPen(QPen(look.frame, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(l.plot.adjusted(-devicePixel, -devicePixel, 0, 0));
    p.setPen(look.text);
    for (const auto *labels : {&l.leftLabels, &l.rightLabels, &l.timeLabels}) {
        for (const OverviewLayout::Label &label : *labels)
            drawLabel(p, label);
    }
    drawRotated(p, l.leftTitleBox, l.leftTitle, -90);
    drawRotated(p, l.rightTitleBox, l.rightTitle, 90);
    for (const OverviewLayout::LegendItem &item : l.legend) {
        p.fillRect(item.swatch, item.colour);
        p.setPen(look.text);
        drawLabel(p, item.label);
    }
    if (l.empty && !look.emptyText.isEmpty())
        p.drawText(l.plot, Qt::AlignCenter, look.emptyText);
    p.restore();
}
