#include "printsettings.h"

#include <QFont>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace sorvant {

namespace {

// The desktop colours a stored code can name, by their system number.
QColor systemColor(int index, const QPalette &palette)
{
    switch (index) {
    case 4: // menu
    case 15: // button face
        return palette.color(QPalette::Active, QPalette::Button);
    case 5: // window
        return palette.color(QPalette::Active, QPalette::Base);
    case 7: // menu text
    case 8: // window text
        return palette.color(QPalette::Active, QPalette::Text);
    case 13:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case 14:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 16: // button shadow
        return palette.color(QPalette::Active, QPalette::Mid);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Active, QPalette::Light);
    default:
        return QColor(Qt::black);
    }
}

} // namespace

QColor colorFromCode(ColorCode code, const QPalette &palette)
{
    const auto bits = static_cast<std::uint32_t>(code);
    if (bits & 0x80000000u)
        return systemColor(static_cast<int>(bits & 0xFFu), palette);
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

ColorCode codeFromColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return static_cast<ColorCode>(static_cast<std::uint32_t>(rgb.red())
                                  | static_cast<std::uint32_t>(rgb.green()) << 8
                                  | static_cast<std::uint32_t>(rgb.blue()) << 16);
}

int TPrintFont::styleBits() const
{
    return (Bold ? 1 : 0) | (Italic ? 2 : 0) | (Underline ? 4 : 0) | (StrikeOut ? 8 : 0);
}

void TPrintFont::setStyleBits(int bits)
{
    Bold = (bits & 1) != 0;
    Italic = (bits & 2) != 0;
    Underline = (bits & 4) != 0;
    StrikeOut = (bits & 8) != 0;
}

QFont TPrintFont::toQFont() const
{
    QFont font(Name);
    font.setPointSize(boundedFontSize(Size));
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    font.setStrikeOut(StrikeOut);
    return font;
}

void TPrintFont::assignFont(const QFont &font)
{
    Name = font.family();
    // A font given by pixels has no point size: the size stays as it was.
    const qreal points = font.pointSizeF();
    if (points > 0)
        Size = boundedFontSize(static_cast<int>(std::lround(std::min<qreal>(points, kMaxPrintFontSize))));
    Bold = font.bold();
    Italic = font.italic();
    Underline = font.underline();
    StrikeOut = font.strikeOut();
}

int boundedPrintLength(int tenths)
{
    return std::clamp(tenths, 0, kMaxPrintLength);
}

int boundedFontSize(int points)
{
    return std::clamp(points, kMinPrintFontSize, kMaxPrintFontSize);
}

void boundPrintSettings(PrintSettings &s)
{
    for (int *length : {&s.FooterSize, &s.HeaderSize, &s.LeftSize, &s.RightSize, &s.ColumnSpacing, &s.RowSpacing,
                        &s.TitleSpacing, &s.FixedWidth, &s.FixedHeight})
        *length = boundedPrintLength(*length);
    for (TPrintFont *font : {&s.Font, &s.FixedFont, &s.HeaderFont, &s.FooterFont})
        font->Size = boundedFontSize(font->Size);
}

bool operator==(const TPrintFont &a, const TPrintFont &b)
{
    return a.Name == b.Name && a.Size == b.Size && a.Color == b.Color && a.styleBits() == b.styleBits();
}

bool operator==(const PrintSettings &a, const PrintSettings &b)
{
    return a.FooterSize == b.FooterSize && a.HeaderSize == b.HeaderSize && a.Time == b.Time
        && a.Date == b.Date && a.DateFormat == b.DateFormat && a.PageNr == b.PageNr && a.Title == b.Title
        && a.TitleText == b.TitleText && a.TitleLines == b.TitleLines && a.Font == b.Font
        && a.FixedFont == b.FixedFont && a.HeaderFont == b.HeaderFont && a.FooterFont == b.FooterFont
        && a.Borders == b.Borders && a.BorderStyle == b.BorderStyle && a.Centered == b.Centered
        && a.RepeatFixedRows == b.RepeatFixedRows && a.RepeatFixedCols == b.RepeatFixedCols
        && a.LeftSize == b.LeftSize && a.RightSize == b.RightSize && a.ColumnSpacing == b.ColumnSpacing
        && a.RowSpacing == b.RowSpacing && a.TitleSpacing == b.TitleSpacing && a.Orientation == b.Orientation
        && a.PagePrefix == b.PagePrefix && a.PageSuffix == b.PageSuffix
        && a.PageNumberOffset == b.PageNumberOffset && a.MaxPagesOffset == b.MaxPagesOffset
        && a.FixedWidth == b.FixedWidth && a.FixedHeight == b.FixedHeight
        && a.UseFixedHeight == b.UseFixedHeight && a.UseFixedWidth == b.UseFixedWidth
        && a.FitToPage == b.FitToPage && a.JobName == b.JobName && a.PageNumSep == b.PageNumSep
        && a.NoAutoSize == b.NoAutoSize && a.NoAutoSizeRow == b.NoAutoSizeRow
        && a.PrintGraphics == b.PrintGraphics && a.UseDisplayFont == b.UseDisplayFont
        && a.UseDefaultOrientation == b.UseDefaultOrientation;
}

} // namespace sorvant
