#include "qtprinttextmeasurer.h"

#include "platform/fonts.h"

#include <QFontDatabase>

#include <cmath>

namespace sorvant {

namespace {

// Measured at this pixel size, then scaled: hinting at small sizes would
// make widths depend on the size in steps.
constexpr int kReferencePixels = 1000;

QString faceKey(const TPrintFont &font)
{
    return font.Name + QLatin1Char('|') + QString::number(font.styleBits());
}

} // namespace

struct QtPrintTextMeasurer::Face {
    explicit Face(const QFont &f) : font(f), metrics(f) {}
    QFont font;
    QFontMetricsF metrics;
    int digits = -1; // unknown, 0 no, 1 yes
    int numbersState = 0; // numbers measured from their characters: 0 not known yet, 1 yes, -1 no
    NumberLayout numbers;
    std::string latin1;

    // The advance of `text` as the font metrics give it.
    qreal advance(QStringView text)
    {
        if (numbersState >= 0 && NumberLayout::isNumber(text, latin1) && laysOutNumbers())
            return numbers.width(latin1);
        return metrics.horizontalAdvance(text.toString());
    }
    bool laysOutNumbers()
    {
        if (numbersState == 0)
            numbersState = layOutNumbers() ? 1 : -1;
        return numbersState > 0;
    }
    bool layOutNumbers()
    {
        if (!numbers.build(font))
            return false;
        for (const std::string &text : NumberLayout::checkedTexts()) {
            if (metrics.horizontalAdvance(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())))
                != numbers.width(text))
                return false;
        }
        return true;
    }
};

QtPrintTextMeasurer::QtPrintTextMeasurer()
{
    registerCompatibleFonts();
}

QtPrintTextMeasurer::~QtPrintTextMeasurer() = default;

QFont QtPrintTextMeasurer::qtFont(const TPrintFont &font, int pixelSize)
{
    // A face made of bitmaps for a few screen sizes (such as the "MS Sans
    // Serif" that stands in for the Windows one) cannot be scaled to paper;
    // a printer substitutes a scalable sans-serif face, and so do we.
    QString family = font.Name;
    if (QFontDatabase::hasFamily(family) && !QFontDatabase::isSmoothlyScalable(family))
        family = QStringLiteral("Arial");
    QFont f(family);
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.StrikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QtPrintTextMeasurer::Face &QtPrintTextMeasurer::face(const TPrintFont &font)
{
    const QString key = faceKey(font);
    auto found = m_faces.find(key);
    if (found == m_faces.end())
        found = m_faces.insert(key, std::make_shared<Face>(qtFont(font, kReferencePixels)));
    return *found.value();
}

int QtPrintTextMeasurer::textWidth(const TPrintFont &font, double k, QStringView text)
{
    const double scale = static_cast<double>(printCharHeight(font.Size, k)) / kReferencePixels;
    return boundedPlanLength(std::round(face(font).advance(text) * scale));
}

int QtPrintTextMeasurer::lineHeight(const TPrintFont &font, double k)
{
    const double scale = static_cast<double>(printCharHeight(font.Size, k)) / kReferencePixels;
    return boundedPlanLength(std::round(face(font).metrics.height() * scale));
}

std::function<int(std::string_view)> QtPrintTextMeasurer::numberWidths(const TPrintFont &font, double k)
{
    Face &f = face(font);
    if (!f.laysOutNumbers())
        return {};
    const double scale = static_cast<double>(printCharHeight(font.Size, k)) / kReferencePixels;
    const NumberLayout *numbers = &f.numbers; // the face stays as long as the measurer
    return [numbers, scale](std::string_view text) {
        return NumberLayout::isNumber(text) ? boundedPlanLength(std::round(numbers->width(text) * scale)) : -1;
    };
}

bool QtPrintTextMeasurer::digitsShareWidth(const TPrintFont &font)
{
    Face &f = face(font);
    if (f.digits < 0) {
        f.digits = 1;
        const qreal zero = f.metrics.horizontalAdvance(QStringLiteral("00"));
        for (char d = '1'; d <= '9'; ++d) {
            const QString pair = QString(2, QLatin1Char(d));
            const QString mixed = QString(QLatin1Char('0')) + QLatin1Char(d);
            if (std::abs(f.metrics.horizontalAdvance(pair) - zero) > 0.01
                || std::abs(f.metrics.horizontalAdvance(mixed) - zero) > 0.01)
                f.digits = 0;
        }
    }
    return f.digits == 1;
}

} // namespace sorvant
