#include "shell/designfont.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace sorvant {
namespace {

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

TEST(DesignFont, BitmapSansSerifKeepsRegularTextAndHandsBoldToTahoma)
{
    const QString face = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(face))
        GTEST_SKIP() << "fonts-wine is not installed";
    ASSERT_GE(QFontDatabase::addApplicationFont(face), 0);
    ASSERT_FALSE(QFontDatabase::isScalable(QStringLiteral("MS Sans Serif")));

    const struct {
        int pixelSize;
        bool bold;
        const char *family;
    } cases[] = {
        {11, false, "MS Sans Serif"}, // the dialogs' 8-point text
        {11, true, "Tahoma"},         // the preferences dialog's bold labels
        {16, true, "Tahoma"},         // the About box's product name
        {24, false, "Tahoma"},        // larger than any strike
    };
    for (const auto &c : cases) {
        const QFont font = designFont(QStringLiteral("MS Sans Serif"), c.pixelSize, c.bold);
        EXPECT_EQ(font.family(), QString::fromLatin1(c.family)) << c.pixelSize << c.bold;
        EXPECT_EQ(font.pixelSize(), c.pixelSize);
        EXPECT_EQ(font.bold(), c.bold);
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
