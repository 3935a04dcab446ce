#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

namespace sorvant::testing {

// The darkness of `text` drawn black on white in `font`: the sum over all
// pixels, so a bold face that draws no heavier than its regular shows.
inline long long textInk(const QFont &font, const QString &text)
{
    QImage image(600, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(5, 50, text);
    painter.end();
    long long sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += 255 - qGray(image.pixel(x, y));
    return sum;
}

// How much more ink `font` puts down than the same font not bold.
inline double boldInkRatio(const QFont &font, const QString &text)
{
    QFont regular = font;
    regular.setBold(false);
    return static_cast<double>(textInk(font, text)) / static_cast<double>(textInk(regular, text));
}

} // namespace sorvant::testing
