#include "toolbaricons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace sorvant {

namespace {

const QColor kOutline(40, 48, 64);

QColor lit(const QColor &c, bool hot)
{
    return hot ? c.lighter(118) : c;
}

void drawOpen(QPainter &p, bool hot)
{
    // A folder with a log sheet sticking out of it.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(lit(QColor(205, 160, 60), hot));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(14, 11);
    back.lineTo(27, 11);
    back.lineTo(27, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.drawPath(back);

    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 4.5, 14, 17));
    p.setPen(QPen(QColor(70, 110, 170), 1));
    for (int y = 8; y <= 18; y += 3)
        p.drawLine(QPointF(12, y + 0.5), QPointF(21, y + 0.5));

    p.setPen(QPen(kOutline, 1));
    QLinearGradient g(0, 14, 0, 28);
    g.setColorAt(0, lit(QColor(250, 210, 110), hot));
    g.setColorAt(1, lit(QColor(225, 170, 55), hot));
    p.setBrush(g);
    QPainterPath front;
    front.moveTo(6, 14.5);
    front.lineTo(30.5, 14.5);
    front.lineTo(27, 27.5);
    front.lineTo(2.5, 27.5);
    front.closeSubpath();
    p.drawPath(front);
}

void drawPrint(QPainter &p, bool hot)
{
    p.setPen(QPen(kOutline, 1));
    // Paper going in at the back.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 3.5, 13, 10));
    // Body.
    QLinearGradient g(0, 12, 0, 24);
    g.setColorAt(0, lit(QColor(200, 205, 215), hot));
    g.setColorAt(1, lit(QColor(130, 138, 152), hot));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3.5, 12.5, 25, 11), 2, 2);
    p.setBrush(lit(QColor(80, 200, 90), hot));
    p.drawEllipse(QRectF(23, 15, 3, 3));
    // The printed page coming out, with a small curve on it.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 20.5, 15, 9));
    p.setPen(QPen(QColor(200, 60, 50), 1.2));
    p.drawPolyline(QPolygonF({QPointF(10, 27), QPointF(13, 24), QPointF(16, 26), QPointF(19, 22.5),
                              QPointF(22, 24)}));
}

void drawPie(QPainter &p, bool hot)
{
    const QRectF r(3.5, 4.5, 24, 24);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(lit(QColor(60, 120, 210), hot));
    p.drawPie(r, 90 * 16, 150 * 16);
    p.setBrush(lit(QColor(240, 180, 40), hot));
    p.drawPie(r, 240 * 16, 120 * 16);
    // The slice pulled out.
    p.setBrush(lit(QColor(215, 70, 60), hot));
    p.drawPie(r.translated(2.5, -2.5), 0, 90 * 16);
}

void drawTableLines(QPainter &p, const QRectF &area, int rows, int columns, const QColor &header)
{
    p.setPen(Qt::NoPen);
    p.setBrush(header);
    p.drawRect(QRectF(area.left(), area.top(), area.width(), area.height() / rows));
    p.setPen(QPen(QColor(120, 130, 150), 1));
    for (int i = 1; i < rows; ++i) {
        const qreal y = std::floor(area.top() + area.height() * i / rows) + 0.5;
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    for (int i = 1; i < columns; ++i) {
        const qreal x = std::floor(area.left() + area.width() * i / columns) + 0.5;
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
}

// An arrow pointing right: the shaft from `tail` to `neck` between shaftTop
// and shaftBottom, the head from headTop to headBottom ending at `tip`.
QPainterPath rightArrow(qreal tail, qreal neck, qreal tip, qreal shaftTop, qreal shaftBottom, qreal headTop,
                        qreal headBottom)
{
    QPainterPath arrow;
    arrow.moveTo(tail, shaftTop);
    arrow.lineTo(neck, shaftTop);
    arrow.lineTo(neck, headTop);
    arrow.lineTo(tip, (headTop + headBottom) / 2);
    arrow.lineTo(neck, headBottom);
    arrow.lineTo(neck, shaftBottom);
    arrow.lineTo(tail, shaftBottom);
    arrow.closeSubpath();
    return arrow;
}

void drawExport(QPainter &p, bool hot)
{
    // A sheet of cells with an arrow leaving it.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 20, 25));
    drawTableLines(p, QRectF(3, 4, 19, 24), 6, 3, lit(QColor(160, 200, 245), hot));
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 3.5, 20, 25));

    p.setBrush(lit(QColor(40, 160, 70), hot));
    p.drawPath(rightArrow(14, 22, 30.5, 14.5, 21.5, 10.5, 25.5));
}

void drawExit(QPainter &p, bool hot)
{
    // An open door with an arrow pointing out.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(lit(QColor(235, 235, 225), hot));
    p.drawRect(QRectF(4.5, 3.5, 16, 26));
    QLinearGradient g(8, 0, 20, 0);
    g.setColorAt(0, lit(QColor(150, 95, 50), hot));
    g.setColorAt(1, lit(QColor(110, 65, 30), hot));
    p.setBrush(g);
    QPainterPath door;
    door.moveTo(4.5, 3.5);
    door.lineTo(14.5, 6.5);
    door.lineTo(14.5, 31);
    door.lineTo(4.5, 29.5);
    door.closeSubpath();
    p.drawPath(door);
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QRectF(11, 17, 2.5, 2.5));

    p.setBrush(lit(QColor(210, 50, 45), hot));
    p.drawPath(rightArrow(17, 23, 30.5, 14.5, 19.5, 10.5, 23.5));
}

void drawShowTable(QPainter &p, bool hot)
{
    // A window holding a table.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 4.5, 27, 23));
    p.setPen(Qt::NoPen);
    QLinearGradient title(0, 5, 0, 10);
    title.setColorAt(0, lit(QColor(90, 140, 220), hot));
    title.setColorAt(1, lit(QColor(40, 90, 180), hot));
    p.setBrush(title);
    p.drawRect(QRectF(3, 5, 26, 5));
    drawTableLines(p, QRectF(5, 12, 22, 13), 4, 4, lit(QColor(200, 222, 250), hot));
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4.5, 11.5, 23, 14));
    p.drawRect(QRectF(2.5, 4.5, 27, 23));
}

void drawImage(QPainter &p, int index, bool hot)
{
    switch (index) {
    case ImageOpen: drawOpen(p, hot); break;
    case ImagePrint: drawPrint(p, hot); break;
    case ImageShowChart: drawPie(p, hot); break;
    case ImageExport: drawExport(p, hot); break;
    case ImageExit: drawExit(p, hot); break;
    case ImageShowTable: drawShowTable(p, hot); break;
    default: break;
    }
}

} // namespace

QPixmap toolbarImage(int index, bool hot, qreal devicePixelRatio)
{
    const int side = static_cast<int>(std::lround(kToolbarImageSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (hot) {
        // A soft light behind the picture marks the button under the mouse.
        QRadialGradient glow(QPointF(16, 16), 17);
        glow.setColorAt(0, QColor(255, 240, 170, 190));
        glow.setColorAt(1, QColor(255, 240, 170, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QRectF(-1, -1, 34, 34));
    }
    drawImage(p, index, hot);
    return pixmap;
}

QIcon toolbarIcon(int index)
{
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(toolbarImage(index, false, ratio), QIcon::Normal);
        icon.addPixmap(toolbarImage(index, true, ratio), QIcon::Active);
    }
    return icon;
}

} // namespace sorvant
