#include "output/printing/printsettingsfile.h"

#include "../platform/filetestutil.h"
#include "filelimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace sorvant;
using sorvant::testing::readAllBytes;
using sorvant::testing::writeAllBytes;

namespace {

class PrintSettingsFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("DataLogPrinterSettings.ini")); }
    QString section() const { return printSettingsSection(); }

    // A record loaded from a file holding `body` under the section header.
    PrintSettings loadFrom(const QByteArray &body, const PrintSettings &start = PrintSettings())
    {
        EXPECT_TRUE(writeAllBytes(path(), "[PRINTSETTINGS]\r\n" + body));
        PrintSettings s = start;
        LoadPrintSettings(s, path(), section());
        return s;
    }
};

// What every key gives when it is missing.
PrintSettings missingValues(PrintSettings s)
{
    s.ColumnSpacing = s.RowSpacing = s.TitleSpacing = 20;
    s.FixedHeight = s.FixedWidth = 0;
    s.Centered = true;
    s.NoAutoSize = s.UseFixedHeight = s.UseFixedWidth = s.RepeatFixedRows = s.RepeatFixedCols = false;
    s.UseDisplayFont = s.UseDefaultOrientation = false;
    s.Borders = pbNoborder;
    s.BorderStyle = psSolid;
    s.Date = s.PageNr = s.Title = s.Time = ppNone;
    s.DateFormat.clear();
    s.TitleText.clear();
    s.FooterSize = s.HeaderSize = s.LeftSize = s.RightSize = 100;
    s.FitToPage = fpNever;
    for (TPrintFont *f : {&s.Font, &s.HeaderFont, &s.FooterFont}) {
        f->Name = QStringLiteral("Arial");
        f->Size = 10;
        f->setStyleBits(0);
        f->Color = clBlack;
    }
    s.PageNumSep.clear();
    s.PageSuffix.clear();
    s.PagePrefix.clear();
    s.Orientation = poPortrait;
    s.TitleLines.clear();
    return s;
}

} // namespace

TEST_F(PrintSettingsFileTest, LoadWithoutFileOrSectionGivesEveryMissingValueAndKeepsUnstoredFields)
{
    PrintSettings start;
    start.FixedFont.Name = QStringLiteral("Courier");
    start.NoAutoSizeRow = true;
    start.PrintGraphics = true;
    start.JobName = QStringLiteral("job");
    start.PageNumberOffset = 3;
    start.MaxPagesOffset = 4;
    start.Borders = pbCustom; // even out-of-list values give way to the missing value

    PrintSettings fromNothing = start;
    LoadPrintSettings(fromNothing, path(), section());
    EXPECT_EQ(fromNothing, missingValues(start));
    EXPECT_FALSE(QFileInfo::exists(path())); // loading never creates the file

    ASSERT_TRUE(writeAllBytes(path(), "[OTHER]\nBorders=2\nFontName=Courier\n"));
    PrintSettings otherSection = start;
    LoadPrintSettings(otherSection, path(), section());
    EXPECT_EQ(otherSection, missingValues(start));
}

TEST_F(PrintSettingsFileTest, SavingTheStartingValuesWritesTheKeysInOrderIntoTheConfigFolder)
{
    // A bare name lives in the Sorvant config folder.
    const QString name = printSettingsFileName(QStringLiteral("DataLogPrinterSettings"));
    EXPECT_EQ(name, QStringLiteral("DataLogPrinterSettings.ini"));
    EXPECT_EQ(printSettingsFileName(QStringLiteral("my.settings")), QStringLiteral("my.settings"));
    ASSERT_TRUE(SavePrintSettings(PrintSettings(), name, section()));

    const QString expectedPath = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Sorvant/") + name;
    const QByteArray expected = "[PRINTSETTINGS]\n"
                                "ColumnSpacing=0\nRowSpacing=0\nTitleSpacing=0\nFixedHeight=0\nFixedWidth=0\n"
                                "Centered=Y\nNoAutoSize=N\nUseFixedHeight=N\nUseFixedWidth=N\n"
                                "RepeatFixedRows=N\nRepeatFixedCols=N\nUseDisplFont=Y\nUseDefOrientation=N\n"
                                "Borders=1\nBorderStyle=0\nDate=0\nPageNr=0\nTitle=0\nTime=0\n"
                                "DateFormat=dd/mm/yyyy\nTitleText=\n"
                                "FooterSize=0\nHeaderSize=0\nLeftSize=0\nRightSize=0\nFitToPage=0\n"
                                "FontName=MS Sans Serif\nFontSize=8\nFontStyle=0\nFontColor=-2147483640\n"
                                "HeaderFontName=MS Sans Serif\nHeaderFontSize=8\nHeaderFontStyle=0\n"
                                "HeaderFontColor=-2147483640\n"
                                "FooterFontName=MS Sans Serif\nFooterFontSize=8\nFooterFontStyle=0\n"
                                "FooterFontColor=-2147483640\n"
                                "PageNumSep=/\nPageSuffix=\nPagePrefix=\nOrientation=0\nTitleLines=\n";
    EXPECT_EQ(readAllBytes(expectedPath), expected);

    // Loaded back, the starting values return (the unstored fields aside).
    PrintSettings loaded = missingValues(PrintSettings());
    LoadPrintSettings(loaded, name, section());
    EXPECT_EQ(loaded, PrintSettings());
}

TEST_F(PrintSettingsFileTest, EveryStoredFieldSurvivesSaveAndLoad)
{
    PrintSettings s;
    s.ColumnSpacing = 31;
    s.RowSpacing = 7;
    s.TitleSpacing = 45;
    s.FixedHeight = 12;
    s.FixedWidth = 250;
    s.Centered = false;
    s.NoAutoSize = s.UseFixedHeight = s.UseFixedWidth = s.RepeatFixedRows = s.RepeatFixedCols = true;
    s.UseDisplayFont = false;
    s.UseDefaultOrientation = true;
    s.Borders = pbCustom;
    s.BorderStyle = psInsideFrame;
    s.Date = ppTopLeft;
    s.PageNr = ppBottomCenter;
    s.Title = ppTopCenter;
    s.Time = ppBottomRight;
    s.DateFormat = QStringLiteral("yyyy-mm-dd = ISO; \"quoted\"");
    s.TitleText = QStringLiteral("One line");
    s.FooterSize = 125;
    s.HeaderSize = 99;
    s.LeftSize = 254;
    s.RightSize = 1;
    s.FitToPage = fpCustom;
    s.Font = {QStringLiteral("DejaVu Sans"), 11, codeFromColor(QColor(10, 20, 30)), true, false, true, false};
    s.HeaderFont = {QStringLiteral("Liberation Serif"), 14, clWindowText, false, true, false, true};
    s.FooterFont = {QStringLiteral("Tahoma"), 6, codeFromColor(QColor(255, 255, 255)), true, true, true, true};
    s.PageNumSep = QStringLiteral("of");
    s.PageSuffix = QStringLiteral(")");
    s.PagePrefix = QStringLiteral("(Page");
    s.Orientation = poLandscape;
    s.TitleLines = {QStringLiteral("Dryer"), QString(), QStringLiteral("Bin 3")};
    ASSERT_TRUE(SavePrintSettings(s, path(), section()));

    const QByteArray file = readAllBytes(path());
    EXPECT_TRUE(file.contains("\nTitleLines=Dryer\\n\\nBin 3\\n\n"));
    EXPECT_TRUE(file.contains("\nFontColor=1971210\n"));
    EXPECT_TRUE(file.contains("\nFooterFontStyle=15\n"));

    PrintSettings loaded;
    LoadPrintSettings(loaded, path(), section());
    EXPECT_EQ(loaded, s);
}

TEST_F(PrintSettingsFileTest, LoadingReplacesTheWholeFontStyle)
{
    PrintSettings s;
    s.HeaderFont.Bold = true;
    ASSERT_TRUE(SavePrintSettings(s, path(), section()));
    s.HeaderFont.Bold = false;
    s.HeaderFont.Italic = true;
    LoadPrintSettings(s, path(), section());
    EXPECT_TRUE(s.HeaderFont.Bold);
    EXPECT_FALSE(s.HeaderFont.Italic);
}

TEST_F(PrintSettingsFileTest, ValueFormsAndRangeRules)
{
    PrintSettings start;
    start.Borders = pbDouble;
    start.BorderStyle = psDot;
    start.FitToPage = fpShrink;
    start.Orientation = poLandscape;

    struct Case {
        QByteArray line;
        std::function<bool(const PrintSettings &)> holds;
        const char *what;
    };
    const Case cases[] = {
        {"ColumnSpacing=0x1E", [](auto &s) { return s.ColumnSpacing == 30; }, "hexadecimal"},
        {"ColumnSpacing=0X1e", [](auto &s) { return s.ColumnSpacing == 30; }, "hexadecimal, any case"},
        {"ColumnSpacing=abc", [](auto &s) { return s.ColumnSpacing == 20; }, "not a number"},
        {"ColumnSpacing=", [](auto &s) { return s.ColumnSpacing == 20; }, "empty"},
        {"ColumnSpacing=0x", [](auto &s) { return s.ColumnSpacing == 20; }, "hex without digits"},
        {"ColumnSpacing=1.5", [](auto &s) { return s.ColumnSpacing == 20; }, "not whole"},
        {"ColumnSpacing=9999999999", [](auto &s) { return s.ColumnSpacing == 20; }, "beyond 32 bits"},
        {"ColumnSpacing= 35 ", [](auto &s) { return s.ColumnSpacing == 35; }, "blanks around"},
        {"LeftSize=-15", [](auto &s) { return s.LeftSize == 0; }, "negative margin: none"},
        {"Borders=8", [](auto &s) { return s.Borders == pbCustom; }, "last border kind"},
        {"Borders=9", [](auto &s) { return s.Borders == pbDouble; }, "border kind above range"},
        {"Borders=-1", [](auto &s) { return s.Borders == pbDouble; }, "border kind below range"},
        {"Borders=x", [](auto &s) { return s.Borders == pbNoborder; }, "border kind unreadable"},
        {"BorderStyle=7", [](auto &s) { return s.BorderStyle == psDot; }, "pen style out of range"},
        {"BorderStyle=6", [](auto &s) { return s.BorderStyle == psInsideFrame; }, "last pen style"},
        {"FitToPage=5", [](auto &s) { return s.FitToPage == fpShrink; }, "fit rule out of range"},
        {"FitToPage=4", [](auto &s) { return s.FitToPage == fpCustom; }, "last fit rule"},
        {"Orientation=2", [](auto &s) { return s.Orientation == poLandscape; }, "orientation out of range"},
        {"Orientation=0", [](auto &s) { return s.Orientation == poPortrait; }, "portrait"},
        {"Date=7", [](auto &s) { return s.Date == ppNone; }, "position out of range"},
        {"Time=0x6", [](auto &s) { return s.Time == ppBottomCenter; }, "position in hexadecimal"},
        {"Centered=y", [](auto &s) { return !s.Centered; }, "lower-case y"},
        {"Centered=Yes", [](auto &s) { return !s.Centered; }, "Yes"},
        {"NoAutoSize=Y", [](auto &s) { return s.NoAutoSize; }, "Y"},
        {"FontStyle=6", [](auto &s) { return !s.Font.Bold && s.Font.Italic && s.Font.Underline && !s.Font.StrikeOut; },
         "style bits"},
        {"FontColor=-2147483640", [](auto &s) { return s.Font.Color == clWindowText; }, "window-text colour"},
        {"FontColor=0x80000008", [](auto &s) { return s.Font.Color == clWindowText; }, "system colour in hex"},
        {"FontColor=255", [](auto &s) { return colorFromCode(s.Font.Color, QPalette()) == QColor(Qt::red); },
         "plain red"},
        {"FontName=", [](auto &s) { return s.Font.Name == QLatin1String("Arial"); }, "empty face"},
        {"TitleLines=Dryer\\nBin 3\\n", [](auto &s) { return s.TitleLines == QStringList{QStringLiteral("Dryer"), QStringLiteral("Bin 3")}; },
         "two title lines"},
        {"TitleLines=no end", [](auto &s) { return s.TitleLines == QStringList{QStringLiteral("no end")}; }, "no line end"},
        {"TitleText=" + QByteArray(3000, 'T'), [](auto &s) { return s.TitleText == QString(2047, u'T'); },
         "read limit"},
    };
    for (const Case &c : cases) {
        const PrintSettings loaded = loadFrom(c.line + "\r\n", start);
        EXPECT_TRUE(c.holds(loaded)) << c.what << ": " << c.line.left(40).constData();
    }
}

TEST_F(PrintSettingsFileTest, SavingKeepsOtherSectionsAndKeys)
{
    ASSERT_TRUE(writeAllBytes(path(), "; notes\r\n[Window]\r\nLeft=5\r\n\r\n[PRINTSETTINGS]\r\nBorders=4\r\n"
                                      "Custom=kept\r\n\r\n[After]\r\nX=1\r\n"));
    PrintSettings s;
    s.Borders = pbAround;
    ASSERT_TRUE(SavePrintSettings(s, path(), section()));
    const QByteArray file = readAllBytes(path());
    EXPECT_TRUE(file.startsWith("; notes\r\n[Window]\r\nLeft=5\r\n\r\n[PRINTSETTINGS]\r\nBorders=5\r\nCustom=kept\r\n"
                                "ColumnSpacing=0\r\n"));
    EXPECT_TRUE(file.endsWith("TitleLines=\r\n\r\n[After]\r\nX=1\r\n"));
    EXPECT_EQ(file.count("Borders="), 1);
}

TEST_F(PrintSettingsFileTest, ARefusedWriteStopsTheSaveAtItsKey)
{
    PrintSettings s;
    s.Time = ppTopLeft;
    s.DateFormat = QStringLiteral("dd\nmm"); // no line of the file can hold it
    QString failedKey;
    EXPECT_FALSE(SavePrintSettings(s, path(), section(), &failedKey));
    EXPECT_EQ(failedKey, QStringLiteral("DateFormat"));
    const QByteArray file = readAllBytes(path());
    EXPECT_TRUE(file.contains("\nTime=1\n")); // the key just before
    EXPECT_FALSE(file.contains("DateFormat"));
    EXPECT_FALSE(file.contains("TitleText"));

    // A folder where the file should be refuses the very first key.
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("taken.ini"))));
    EXPECT_FALSE(SavePrintSettings(PrintSettings(), dir.filePath(QStringLiteral("taken.ini")), section(), &failedKey));
    EXPECT_EQ(failedKey, QStringLiteral("ColumnSpacing"));
}

TEST_F(PrintSettingsFileTest, CommandLineLoadingNeedsAnExistingFile)
{
    PrintSettings s;
    s.Borders = pbDouble;
    QString error;
    EXPECT_FALSE(LoadPrintSettingsFromExistingFile(dir.filePath(QStringLiteral("typo.ini")), s, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("typo.ini")));
    EXPECT_EQ(s.Borders, pbDouble);
    EXPECT_FALSE(LoadPrintSettingsFromExistingFile(dir.path(), s, &error)); // a folder

    // A file with some keys: the rest take their missing values. A path
    // relative to the current folder is not taken for a config-folder name.
    ASSERT_TRUE(writeAllBytes(path(), "[PRINTSETTINGS]\nBorders=3\n"));
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool ok = LoadPrintSettingsFromExistingFile(QStringLiteral("DataLogPrinterSettings.ini"), s, &error);
    QDir::setCurrent(old);
    ASSERT_TRUE(ok) << error.toStdString();
    PrintSettings expected = missingValues(PrintSettings());
    expected.Borders = pbVertical;
    EXPECT_EQ(s, expected);
}

TEST_F(PrintSettingsFileTest, SizesThatCannotBeDrawnOrDoNotFitAPageAreBoundedAtLoad)
{
    struct Case {
        QByteArray line;
        std::function<bool(const PrintSettings &)> holds;
        const char *what;
    };
    const Case cases[] = {
        {"FontSize=0", [](auto &s) { return s.Font.Size == 10; }, "zero: as unreadable"},
        {"FontSize=-8", [](auto &s) { return s.Font.Size == 10; }, "negative: as unreadable"},
        {"HeaderFontSize=-8", [](auto &s) { return s.HeaderFont.Size == 10; }, "header font"},
        {"FooterFontSize=-100", [](auto &s) { return s.FooterFont.Size == 10; }, "footer font"},
        {"FontSize=1", [](auto &s) { return s.Font.Size == 1; }, "smallest"},
        {"FontSize=1638", [](auto &s) { return s.Font.Size == 1638; }, "largest"},
        {"FooterFontSize=1000000000", [](auto &s) { return s.FooterFont.Size == 1638; }, "beyond the largest"},
        {"TitleSpacing=2147483647", [](auto &s) { return s.TitleSpacing == 10000; }, "largest int"},
        {"ColumnSpacing=2147483647", [](auto &s) { return s.ColumnSpacing == 10000; }, "column spacing"},
        {"RowSpacing=-100", [](auto &s) { return s.RowSpacing == 0; }, "negative spacing"},
        {"HeaderSize=0x7FFFFFFF", [](auto &s) { return s.HeaderSize == 10000; }, "hexadecimal, largest"},
        {"FooterSize=0x80000000", [](auto &s) { return s.FooterSize == 0; }, "hexadecimal, smallest int"},
        {"RightSize=10000", [](auto &s) { return s.RightSize == 10000; }, "a metre"},
        {"FixedWidth=10001", [](auto &s) { return s.FixedWidth == 10000; }, "fixed width"},
        {"FixedHeight=-1", [](auto &s) { return s.FixedHeight == 0; }, "fixed height"},
    };
    for (const Case &c : cases) {
        const PrintSettings loaded = loadFrom(c.line + "\r\n");
        EXPECT_TRUE(c.holds(loaded)) << c.what << ": " << c.line.constData();
    }
}

TEST_F(PrintSettingsFileTest, CrOnlyLineEndsAreRead)
{
    ASSERT_TRUE(writeAllBytes(path(), "[PRINTSETTINGS]\rBorders=3\rFontName=Tahoma\rFontSize=12\rCentered=N\r"));
    PrintSettings s;
    LoadPrintSettings(s, path(), section());
    EXPECT_EQ(s.Borders, pbVertical);
    EXPECT_EQ(s.Font.Name, QStringLiteral("Tahoma"));
    EXPECT_EQ(s.Font.Size, 12);
    EXPECT_FALSE(s.Centered);
    // Saved again, the file keeps its line ends.
    ASSERT_TRUE(SavePrintSettings(s, path(), section()));
    const QByteArray file = readAllBytes(path());
    EXPECT_FALSE(file.contains('\n'));
    EXPECT_EQ(file.count('\r'), 44);
}

TEST_F(PrintSettingsFileTest, AFileOverTheSizeLimitIsAnErrorThatChangesNothing)
{
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PRINTSETTINGS]\nBorders=3\n");
        ASSERT_TRUE(f.resize(64 * 1024 * 1024 + 1));
    }
    PrintSettings s;
    s.Borders = pbDouble;
    const PrintSettings before = s;
    QString error;
    EXPECT_FALSE(LoadPrintSettingsFromExistingFile(path(), s, &error));
    EXPECT_TRUE(error.contains(path()) && error.contains(QStringLiteral("64 MiB"))) << error.toStdString();
    EXPECT_EQ(s, before);
    // Saving into it would lose what could not be read: refused, file whole.
    EXPECT_FALSE(SavePrintSettings(s, path(), section()));
    EXPECT_EQ(QFileInfo(path()).size(), 64 * 1024 * 1024 + 1);
}

TEST_F(PrintSettingsFileTest, ASaveThatFailsInPlaceLeavesTheOldFileWhole)
{
    // An existing file in a folder that takes no new file is written in
    // place; the disk fills up half-way through the save.
    const QString folder = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/DataLogPrinterSettings.ini");
    QByteArray old = "[PRINTSETTINGS]\r\nBorders=4\r\n\r\n[Other]\r\n";
    for (int i = 0; i < 540; ++i)
        old += "Key" + QByteArray::number(i) + "=" + QByteArray(40, 'v') + "\r\n";
    ASSERT_TRUE(writeAllBytes(target, old));
    sorvant::filelimits::SealedFolder sealed(folder);
    if (!sealed.sealed())
        GTEST_SKIP() << "no folder here can be made to refuse new files";
    bool saved = true;
    {
        sorvant::filelimits::FileSizeLimit full(static_cast<rlim_t>(old.size() + 200));
        ASSERT_TRUE(full.set());
        saved = SavePrintSettings(PrintSettings(), target, section());
    }
    sealed.unseal();
    EXPECT_FALSE(saved);
    EXPECT_TRUE(readAllBytes(target) == old);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("DataLogPrinterSettings.ini")});
    // With room, the same save goes through in place and keeps the section.
    ASSERT_TRUE(SavePrintSettings(PrintSettings(), target, section()));
    EXPECT_TRUE(readAllBytes(target).endsWith("TitleLines=\r\n\r\n" + old.mid(old.indexOf("[Other]"))));
}
