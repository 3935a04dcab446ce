// Draws Sorvant's icon at every size the desktop asks for. Not part of the
// build; run it again after changing the picture:
//   g++ -std=c++17 -fPIC make-icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make-icons
//   QT_QPA_PLATFORM=offscreen /tmp/make-icons src/shell/icons
// The picture: a corn kernel beside a dryer's warm air, over a rising
// line of readings, on the teal of the About box's title.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

static QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // Background: rounded square, teal shading to a deep blue-green.
    QLinearGradient bg(0, 0, 0, 256);
    bg.setColorAt(0, QColor(0, 150, 150));
    bg.setColorAt(1, QColor(0, 78, 88));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    // Warm air rising behind the kernel (left out where it would only blur).
    if (size >= 32) {
        QPen heat(QColor(255, 120, 60, 220), 12, Qt::SolidLine, Qt::RoundCap);
        p.setPen(heat);
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i) {
            const double x = 172 + i * 26;
            QPainterPath wave;
            wave.moveTo(x, 168);
            wave.cubicTo(x - 16, 144, x + 16, 122, x, 100);
            wave.cubicTo(x - 16, 80, x + 12, 60, x, 44);
            p.drawPath(wave);
        }
    }

    // The kernel: a corn kernel, broad and rounded at the crown, narrowing
    // to its tip, with the pale germ on its face.
    p.save();
    p.translate(100, 112);
    p.rotate(-14);
    QPainterPath kernel;
    kernel.moveTo(0, 84);
    kernel.cubicTo(-30, 70, -66, 10, -66, -40);
    kernel.cubicTo(-66, -82, -30, -92, 0, -92);
    kernel.cubicTo(30, -92, 66, -82, 66, -40);
    kernel.cubicTo(66, 10, 30, 70, 0, 84);
    QRadialGradient gold(QPointF(-20, -40), 130);
    gold.setColorAt(0, QColor(255, 230, 120));
    gold.setColorAt(0.55, QColor(244, 180, 30));
    gold.setColorAt(1, QColor(190, 115, 0));
    p.setPen(QPen(QColor(110, 60, 0), size >= 32 ? 6 : 10));
    p.setBrush(gold);
    p.drawPath(kernel);
    if (size >= 24) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 246, 200));
        p.drawEllipse(QRectF(-22, -18, 44, 78));
    }
    p.restore();

    // A line of readings along the bottom.
    if (size >= 32) {
        QPen line(Qt::white, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const QPointF points[] = {{36, 222}, {82, 204}, {122, 214}, {168, 186}, {220, 194}};
        p.drawPolyline(points, 5);
    }
    p.end();
    return image;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!drawIcon(size).save(folder + QStringLiteral("/sorvant-%1.png").arg(size)))
            return 1;
    }
    return 0;
}
