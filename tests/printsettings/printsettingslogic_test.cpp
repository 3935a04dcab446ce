#include "output/printing/printsettingsfile.h"
#include "output/printing/printsettingslogic.h"
#include "platform/usererror.h"

#include "../platform/filetestutil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sorvant;

namespace {

class PrintSettingsLogicTest : public ::testing::Test
{
protected:
    PrintSettings settings;
    GridPrintSettingsLogic logic{QLocale::c()};

    void SetUp() override
    {
        logic.setSettings(&settings);
        logic.showValues();
    }
    // The user changes controls as `edit` does.
    template <typename Edit>
    void change(Edit edit)
    {
        PrintSettingsControls c = logic.controls();
        edit(c);
        logic.controlsChanged(c);
    }
    void typeLength(PrintLengthBox box, const QString &text)
    {
        change([&](PrintSettingsControls &c) { c.lengths[box] = text; });
    }
};

} // namespace

TEST_F(PrintSettingsLogicTest, ShowsTheStartingValuesWithoutApplying)
{
    const PrintSettingsControls &c = logic.controls();
    EXPECT_EQ(c.border, 1);
    EXPECT_EQ(c.borderStyle, 0);
    EXPECT_EQ(c.fitToPage, 0);
    EXPECT_TRUE(c.autoSizeColumns);
    EXPECT_TRUE(c.autoSizeRows);
    EXPECT_TRUE(c.centerOnPage);
    EXPECT_TRUE(c.useDisplayFont);
    EXPECT_FALSE(c.repeatFixedRows);
    EXPECT_EQ(c.datePosition, 0);
    EXPECT_EQ(c.dateFormat, QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(c.pageSeparator, QStringLiteral("/"));
    EXPECT_EQ(c.orientation, 0);
    for (const QString &length : c.lengths)
        EXPECT_EQ(length, QStringLiteral("0.00"));
    const PrintSettingsEnabling e = logic.enabling();
    EXPECT_TRUE(e.borderStyle);
    EXPECT_FALSE(e.dateFormat);
    EXPECT_FALSE(e.titleText);
    EXPECT_FALSE(e.pageTexts);

    // Showing takes nothing back: the controls follow the record, which stays.
    settings.Borders = pbAround;
    logic.showValues();
    EXPECT_EQ(logic.controls().border, pbAround);
    EXPECT_EQ(settings, [] { PrintSettings s; s.Borders = pbAround; return s; }());
}

TEST_F(PrintSettingsLogicTest, AOneLineTitleMovesIntoTheTitleLines)
{
    settings.TitleText = QStringLiteral("Dryer 4\r\nBin 3");
    settings.TitleLines = {QStringLiteral("old")};
    logic.showValues();
    EXPECT_TRUE(settings.TitleText.isEmpty());
    EXPECT_EQ(settings.TitleLines, (QStringList{QStringLiteral("Dryer 4"), QStringLiteral("Bin 3")}));
    EXPECT_EQ(logic.controls().titleText, QStringLiteral("Dryer 4\nBin 3"));

    change([](PrintSettingsControls &c) { c.titleText = QStringLiteral("North\nSouth\n"); });
    EXPECT_EQ(settings.TitleLines, (QStringList{QStringLiteral("North"), QStringLiteral("South")}));
}

TEST_F(PrintSettingsLogicTest, EveryChangeAppliesTheWholeSetOfControls)
{
    change([](PrintSettingsControls &c) {
        c.border = pbAroundHorizontal;
        c.borderStyle = psClear;
        c.fitToPage = fpAlways;
        c.repeatFixedCols = c.repeatFixedRows = c.printGraphics = true;
        c.autoSizeColumns = c.autoSizeRows = c.centerOnPage = c.useDisplayFont = false;
        c.datePosition = ppTopRight;
        c.dateFormat = QStringLiteral("yyyy");
        c.timePosition = ppBottomLeft;
        c.titlePosition = ppTopCenter;
        c.pagesPosition = ppBottomCenter;
        c.pagePrefix = QStringLiteral("Page");
        c.pageSeparator = QStringLiteral(" of ");
        c.pageSuffix = QStringLiteral(".");
        c.orientation = poLandscape;
        c.lengths = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                     QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")};
    });
    PrintSettings expected;
    expected.Borders = pbAroundHorizontal;
    expected.BorderStyle = psClear;
    expected.FitToPage = fpAlways;
    expected.RepeatFixedCols = expected.RepeatFixedRows = expected.PrintGraphics = true;
    expected.NoAutoSize = expected.NoAutoSizeRow = true;
    expected.Centered = expected.UseDisplayFont = false;
    expected.Date = ppTopRight;
    expected.DateFormat = QStringLiteral("yyyy");
    expected.Time = ppBottomLeft;
    expected.Title = ppTopCenter;
    expected.PageNr = ppBottomCenter;
    expected.PagePrefix = QStringLiteral("Page");
    expected.PageNumSep = QStringLiteral(" of ");
    expected.PageSuffix = QStringLiteral(".");
    expected.Orientation = poLandscape;
    expected.HeaderSize = 10;
    expected.LeftSize = 20;
    expected.FooterSize = 30;
    expected.RightSize = 40;
    expected.RowSpacing = 50;
    expected.ColumnSpacing = 60;
    expected.TitleSpacing = 70;
    EXPECT_EQ(settings, expected);
    const PrintSettingsEnabling e = logic.enabling();
    EXPECT_TRUE(e.borderStyle && e.dateFormat && e.titleText && e.pageTexts);
}

TEST_F(PrintSettingsLogicTest, LengthBoxesTakeTheirNumbersBackInTenthsOfAMillimetre)
{
    settings.HeaderSize = 77;
    settings.ColumnSpacing = 33;
    logic.showValues();
    struct Case {
        PrintLengthBox box;
        const char *text;
        int expected;
    };
    const Case cases[] = {
        {TopMarginBox, "12.5", 125},
        {TopMarginBox, "", 77},        // an empty box is ignored
        {TopMarginBox, "  ", 77},
        {TopMarginBox, "abc", 0},      // not a number counts as 0
        {TopMarginBox, "100", 1000},   // the most a box shows
        {TopMarginBox, "100.01", 77},  // more than a box shows
        {TopMarginBox, "500", 77},
        {TopMarginBox, "-1", 77},      // no negative lengths
        {TopMarginBox, "0.05", 0},     // halves go to the even neighbour
        {TopMarginBox, "0.15", 2},
        {TopMarginBox, "0.25", 2},
        {TopMarginBox, "0.123", 1},    // the box holds two decimals
        {ColumnSpacingBox, "99.99", 1000},
        {ColumnSpacingBox, "100", 1000},
        {ColumnSpacingBox, "100.5", 33},
    };
    for (const Case &c : cases) {
        settings.HeaderSize = 77;
        settings.ColumnSpacing = 33;
        typeLength(c.box, QString::fromLatin1(c.text));
        const int got = c.box == TopMarginBox ? settings.HeaderSize : settings.ColumnSpacing;
        EXPECT_EQ(got, c.expected) << "typed \"" << c.text << "\"";
    }

    GridPrintSettingsLogic german{QLocale(QLocale::German, QLocale::Germany)};
    german.setSettings(&settings);
    settings.LeftSize = 234;
    settings.RightSize = 1234; // beyond what a box shows
    german.showValues();
    EXPECT_EQ(german.controls().lengths[LeftMarginBox], QStringLiteral("23,40"));
    EXPECT_EQ(german.controls().lengths[RightMarginBox], QStringLiteral("100,00"));
    PrintSettingsControls c = german.controls();
    c.lengths[LeftMarginBox] = QStringLiteral("12,5");
    german.controlsChanged(c);
    EXPECT_EQ(settings.LeftSize, 125);
}

TEST_F(PrintSettingsLogicTest, TheUnitOnlyReshowsUntilTheNextChange)
{
    settings.HeaderSize = 100;
    settings.LeftSize = 254;
    logic.showValues();
    EXPECT_EQ(logic.controls().lengths[TopMarginBox], QStringLiteral("10.00"));
    EXPECT_EQ(logic.unitLabel(), QStringLiteral("mm"));

    logic.setUnit(pdinch);
    EXPECT_EQ(logic.unitLabel(), QStringLiteral("inch"));
    EXPECT_EQ(logic.controls().lengths[TopMarginBox], QStringLiteral("0.39"));
    EXPECT_EQ(logic.controls().lengths[LeftMarginBox], QStringLiteral("1.00"));
    EXPECT_EQ(settings.HeaderSize, 100); // nothing applied yet

    change([](PrintSettingsControls &c) { c.repeatFixedRows = true; });
    EXPECT_EQ(settings.HeaderSize, 99); // 0.39 × 254 = 99.06
    EXPECT_EQ(settings.LeftSize, 254);

    typeLength(TopMarginBox, QStringLiteral("1"));
    EXPECT_EQ(settings.HeaderSize, 254);

    logic.setUnit(pdmm);
    EXPECT_EQ(logic.controls().lengths[TopMarginBox], QStringLiteral("25.40"));
}

TEST_F(PrintSettingsLogicTest, ADependentControlIsDisabledButKeepsItsText)
{
    struct Case {
        int PrintSettingsControls::*list;
        bool PrintSettingsEnabling::*enabled;
    };
    const Case cases[] = {
        {&PrintSettingsControls::border, &PrintSettingsEnabling::borderStyle},
        {&PrintSettingsControls::datePosition, &PrintSettingsEnabling::dateFormat},
        {&PrintSettingsControls::titlePosition, &PrintSettingsEnabling::titleText},
        {&PrintSettingsControls::pagesPosition, &PrintSettingsEnabling::pageTexts},
    };
    for (const Case &k : cases) {
        change([&](PrintSettingsControls &c) { c.*k.list = 3; });
        EXPECT_TRUE(logic.enabling().*k.enabled);
        change([&](PrintSettingsControls &c) { c.*k.list = 0; });
        EXPECT_FALSE(logic.enabling().*k.enabled);
    }
    change([](PrintSettingsControls &c) { c.datePosition = ppNone; });
    EXPECT_EQ(settings.DateFormat, QStringLiteral("dd/mm/yyyy"));
    change([](PrintSettingsControls &c) { c.datePosition = ppTopLeft; });
    EXPECT_EQ(logic.controls().dateFormat, QStringLiteral("dd/mm/yyyy"));
}

TEST_F(PrintSettingsLogicTest, StoredValuesTheListsDoNotOfferSurviveApplying)
{
    settings.Borders = pbCustom;
    settings.BorderStyle = psInsideFrame;
    settings.FitToPage = fpCustom;
    logic.showValues();
    EXPECT_EQ(logic.controls().border, -1);
    EXPECT_EQ(logic.controls().borderStyle, -1);
    EXPECT_EQ(logic.controls().fitToPage, -1);
    EXPECT_TRUE(logic.enabling().borderStyle);

    change([](PrintSettingsControls &c) { c.centerOnPage = false; });
    EXPECT_EQ(settings.Borders, pbCustom);
    EXPECT_EQ(settings.BorderStyle, psInsideFrame);
    EXPECT_EQ(settings.FitToPage, fpCustom);

    change([](PrintSettingsControls &c) { c.fitToPage = fpGrow; });
    EXPECT_EQ(settings.FitToPage, fpGrow);
}

TEST_F(PrintSettingsLogicTest, AChosenFontReplacesFaceSizeAndStyleAndApplies)
{
    settings.HeaderFont.Color = codeFromColor(QColor(Qt::blue));
    PrintSettingsControls c = logic.controls();
    c.repeatFixedCols = true; // shown but not yet applied
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(14);
    chosen.setItalic(true);
    logic.controlsChanged(c);
    settings.RepeatFixedCols = false;
    logic.fontChosen(HeaderFontButton, chosen);
    EXPECT_EQ(settings.HeaderFont.Name, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(settings.HeaderFont.Size, 14);
    EXPECT_TRUE(settings.HeaderFont.Italic);
    EXPECT_FALSE(settings.HeaderFont.Bold);
    EXPECT_EQ(settings.HeaderFont.Color, codeFromColor(QColor(Qt::blue)));
    EXPECT_TRUE(settings.RepeatFixedCols);
    EXPECT_EQ(settings.Font, TPrintFont()); // the other fonts stay
}

TEST_F(PrintSettingsLogicTest, SaveAndLoadButtons)
{
    QTemporaryDir dir;
    const QString section = printSettingsSection();
    const QString file = dir.filePath(QStringLiteral("print.ini"));
    settings.HeaderSize = 125;
    logic.saveSettings(file, section);

    settings.HeaderSize = 0;
    settings.Borders = pbNoborder;
    change([](PrintSettingsControls &c) { c.border = pbDouble; });
    logic.loadSettings(file, section);
    EXPECT_EQ(settings.HeaderSize, 125);
    EXPECT_EQ(settings.Borders, pbSingle);
    EXPECT_EQ(logic.controls().lengths[TopMarginBox], QStringLiteral("12.50"));
    EXPECT_EQ(logic.controls().border, pbSingle);

    // A refused key ends the save with the file's name in the error.
    settings.PagePrefix = QStringLiteral("two\nlines");
    try {
        logic.saveSettings(file, section);
        ADD_FAILURE() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(e.text(), QStringLiteral("Unable to write to ") + file);
    }
}

TEST_F(PrintSettingsLogicTest, LoadingAFileThatCannotBeReadIsAnErrorThatChangesNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.ini"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PRINTSETTINGS]\nBorders=3\n");
        ASSERT_TRUE(f.resize(64 * 1024 * 1024 + 1));
    }
    settings.HeaderSize = 125;
    logic.showValues();
    const PrintSettings before = settings;
    const PrintSettingsControls shown = logic.controls();
    for (const QString &unreadable : {file, dir.path()}) {
        try {
            logic.loadSettings(unreadable, printSettingsSection());
            ADD_FAILURE() << "no error for " << unreadable.toStdString();
        } catch (const UserError &e) {
            EXPECT_TRUE(e.text().contains(unreadable)) << e.text().toStdString();
        }
        EXPECT_EQ(settings, before);
        EXPECT_EQ(logic.controls().lengths, shown.lengths);
    }
}
