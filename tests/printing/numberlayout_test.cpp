// Numbers laid out from a table of their characters must be exactly what
// shaping them gives, or not laid out so at all.

#include "output/printing/numberlayout.h"
#include "output/printing/qtprinttextmeasurer.h"
#include "platform/fonts.h"
#include "views/spreadsheetconfig.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>

using namespace sorvant;

namespace {

struct Layout {
    QList<QGlyphRun> runs;
    double width = 0;
};

Layout shaped(const QFont &font, const QString &text)
{
    Layout l;
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    l.width = line.naturalTextWidth();
    l.runs = layout.glyphRuns();
    return l;
}

// Kerned pairs ("11" in a bold sans, "4." in Tahoma), record numbers, values
// in either separator, times, negative values, a long number.
const char *const kTexts[] = {"0", "11", "111", "4.", "14.7", "-3,25", "23:59", "00:00", "144001", "71.1",
                              "1234567890", "-.,:", "1:1.1,1-1"};

} // namespace

TEST(NumberLayout, NumbersAreLaidOutExactlyAsShapedOrNotAtAll)
{
    registerCompatibleFonts();
    TPrintFont tahoma;
    tahoma.Name = QStringLiteral("Tahoma");
    TPrintFont bold = tahoma;
    bold.Name = spreadsheetFont(true).family();
    bold.Bold = true;
    TPrintFont serif;
    serif.Name = QStringLiteral("DejaVu Serif");
    serif.Italic = true;
    int usable = 0;
    for (const TPrintFont &f : {tahoma, bold, serif}) {
        for (int pixels : {448, 1000, 37}) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 %2 px").arg(f.Name).arg(pixels)));
            const QFont font = QtPrintTextMeasurer::qtFont(f, pixels);
            NumberLayout numbers;
            if (!numbers.build(font))
                continue;
            ++usable;
            for (const char *text : kTexts) {
                SCOPED_TRACE(text);
                ASSERT_TRUE(NumberLayout::isNumber(text));
                const Layout expected = shaped(font, QString::fromLatin1(text));
                ASSERT_EQ(expected.runs.size(), 1);
                QList<quint32> glyphs;
                QList<QPointF> positions;
                const QPointF origin(1234.5, 678.25);
                numbers.appendGlyphs(text, origin, glyphs, positions);
                EXPECT_EQ(glyphs, expected.runs[0].glyphIndexes());
                ASSERT_EQ(positions.size(), expected.runs[0].positions().size());
                for (qsizetype i = 0; i < positions.size(); ++i)
                    EXPECT_EQ(positions[i], expected.runs[0].positions()[i] + origin);
                EXPECT_EQ(numbers.width(text), expected.width);
                EXPECT_EQ(numbers.width(text), QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(text)));
                EXPECT_EQ(numbers.face(), expected.runs[0].rawFont());
            }
        }
    }
    // The printout's own faces at least, or the fast path is lost.
    EXPECT_GE(usable, 6);
}

TEST(NumberLayout, AFontThatDrawsLinesIsShapedAsUsual)
{
    // Its runs draw their own underline, which a run of many numbers would
    // draw across the page.
    TPrintFont underlined;
    underlined.Name = QStringLiteral("Tahoma");
    underlined.Underline = true;
    NumberLayout numbers;
    EXPECT_FALSE(numbers.build(QtPrintTextMeasurer::qtFont(underlined, 448)));
    EXPECT_FALSE(numbers.usable());
}

TEST(NumberLayout, WhatCountsAsANumber)
{
    std::string latin1;
    for (const char *text : {"0", "12.5", "-3,25", "23:59"}) {
        EXPECT_TRUE(NumberLayout::isNumber(text)) << text;
        EXPECT_TRUE(NumberLayout::isNumber(QString::fromLatin1(text), latin1)) << text;
        EXPECT_EQ(latin1, text);
    }
    for (const char *text : {"", "1 2", "12a", "Record #", "1/2", "+1", "1e5"}) {
        EXPECT_FALSE(NumberLayout::isNumber(text)) << text;
        EXPECT_FALSE(NumberLayout::isNumber(QString::fromLatin1(text), latin1)) << text;
    }
    EXPECT_FALSE(NumberLayout::isNumber(QStringLiteral("1٢"), latin1)) << "digits of other scripts are shaped";
    EXPECT_FALSE(NumberLayout::isNumber(QString(65, QLatin1Char('1')), latin1)) << "only short texts";
}
