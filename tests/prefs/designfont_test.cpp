#include "shell/designfont.h"
#include "textink.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace sorvant {
namespace {

using sorvant::testing::textInk;

TEST(DesignFont, UnknownAndScalableFamiliesAreKept)
{
    // Run before any face is added: fontconfig substitutes unknown families.
    const QFont unknown = designFont(QStringLiteral("MS Sans Serif"), 16, true);
    EXPECT_EQ(unknown.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(unknown.pixelSize(), 16);
    EXPECT_TRUE(unknown.bold());
    // Missing serif faces fall back to a serif, not to a wide sans-serif.
    EXPECT_EQ(designFont(QStringLiteral("Nimrod"), 12, true).families(),
              (QStringList{QStringLiteral("Nimrod"), QStringLiteral("Liberation Serif")}));
    const QFont arial = designFont(QStringLiteral("Arial"), 15, true);
    EXPECT_EQ(arial.family(), QStringLiteral("Arial"));
    EXPECT_TRUE(arial.bold());
}

TEST(DesignFont, BitmapSansSerifKeepsRegularTextAndHandsBoldToAHeavierFace)
{
    const QString face = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(face))
        GTEST_SKIP() << "fonts-wine is not installed";
    ASSERT_GE(QFontDatabase::addApplicationFont(face), 0);
    // As the program registers them: Tahoma is there to be chosen.
    for (const char *name : {"tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(name));
    ASSERT_FALSE(QFontDatabase::isScalable(QStringLiteral("MS Sans Serif")));

    const struct {
        int pixelSize;
        bool bold;
        const char *family;
    } cases[] = {
        {11, false, "MS Sans Serif"}, // the dialogs' 8-point text
        {11, true, "Liberation Sans"}, // the preferences dialog's bold labels
        {16, true, "Liberation Sans"}, // the About box's product name
        {24, false, "Tahoma"},        // larger than any strike
    };
    for (const auto &c : cases) {
        const QFont font = designFont(QStringLiteral("MS Sans Serif"), c.pixelSize, c.bold);
        EXPECT_EQ(font.family(), QString::fromLatin1(c.family)) << c.pixelSize << c.bold;
        EXPECT_EQ(font.pixelSize(), c.pixelSize);
        EXPECT_EQ(font.bold(), c.bold);
    }

    // What is drawn: the bold labels carry clearly more ink than the same
    // text in regular, and stay about as wide as the design's text.
    const QString text = QStringLiteral("Select the sampling");
    for (int pixelSize : {11, 16}) {
        const QFont regular = designFont(QStringLiteral("MS Sans Serif"), pixelSize, false);
        const QFont bold = designFont(QStringLiteral("MS Sans Serif"), pixelSize, true);
        const double ratio = static_cast<double>(textInk(bold, text)) / static_cast<double>(textInk(regular, text));
        EXPECT_GT(ratio, 1.25) << pixelSize << " px: bold draws no heavier than regular";
        const double widthRatio = QFontMetricsF(bold).horizontalAdvance(text) / QFontMetricsF(regular).horizontalAdvance(text);
        EXPECT_LT(widthRatio, 1.25) << pixelSize;
    }
}

} // namespace
} // namespace sorvant

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
