#include "designfont.h"

#include "platform/fonts.h"

#include <QFontDatabase>
#include <QList>

#include <algorithm>

namespace sorvant {

namespace {

bool canRender(const QString &family, int pixelSize, bool bold)
{
    // A family that is not installed is left to fontconfig's substitution.
    if (!QFontDatabase::hasFamily(family) || QFontDatabase::isScalable(family))
        return true;
    if (bold && QFontDatabase::weight(family, QStringLiteral("Bold")) < QFont::DemiBold)
        return false;
    // Bitmap strikes are listed in points at 96 dpi and are cell heights: a
    // character height of 11 pixels is drawn by the 13-pixel (10 point) cell.
    int largest = 0;
    for (int points : QFontDatabase::pointSizes(family))
        largest = std::max(largest, (points * 96 + 36) / 72);
    return largest == 0 || pixelSize <= largest;
}

} // namespace

QFont designFont(const QString &family, int pixelSize, bool bold)
{
    const QString standIn = bold ? boldStandInFamily() : QStringLiteral("Tahoma");
    QFont font(canRender(family, pixelSize, bold) ? family : standIn);
    // Two serif faces of the About box that Linux desktops do not have: the
    // generic fallback would be a wide sans-serif that overruns the box.
    if ((family == QLatin1String("Nimrod") || family == QLatin1String("Book Antiqua"))
        && !QFontDatabase::hasFamily(family))
        font.setFamilies({family, QStringLiteral("Liberation Serif")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace sorvant
