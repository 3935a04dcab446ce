#include "platform/fonts.h"

#include "filetestutil.h"

#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FontsTest, RegistersTheWineFacesSoTheOldNamesResolve)
{
    // A folder without the faces, or with junk under their names, adds nothing.
    QTemporaryDir dir;
    EXPECT_TRUE(sorvant::registerCompatibleFonts(dir.path()).isEmpty());
    sorvant::testing::writeAllBytes(dir.filePath(QStringLiteral("tahoma.ttf")), "not a font");
    EXPECT_TRUE(sorvant::registerCompatibleFonts(dir.path()).isEmpty());

    const QString wine = QStringLiteral("/usr/share/wine/fonts");
    if (!QFileInfo::exists(wine + QStringLiteral("/tahoma.ttf"))
        || !QFileInfo::exists(wine + QStringLiteral("/ms_sans_serif.ttf")))
        GTEST_SKIP() << "fonts-wine is not installed";
    sorvant::registerCompatibleFonts();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Tahoma"), 8)).family(), QStringLiteral("Tahoma"));
    QFont bold(QStringLiteral("Tahoma"), 8);
    bold.setBold(true);
    EXPECT_EQ(QFontInfo(bold).styleName(), QStringLiteral("Bold")); // the real bold face, not a synthetic one
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS Sans Serif"), 8)).family(), QStringLiteral("MS Sans Serif"));

    const QStringList families = sorvant::registerCompatibleFonts(wine);
    EXPECT_TRUE(families.contains(QStringLiteral("Tahoma"))) << families.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(families.contains(QStringLiteral("MS Sans Serif"))) << families.join(QLatin1Char(',')).toStdString();
}
