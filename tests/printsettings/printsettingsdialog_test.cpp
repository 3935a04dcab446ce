#include "output/printing/gridprintsettingsdialog.h"
#include "output/printing/printsettingsfile.h"

#include "scripteddialoghost.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace sorvant;
using sorvant::testing::ScriptedDialogHost;

namespace {

// Where the dialog's bare file name lives.
QString ProfileIniPathForTest()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Sorvant/DataLogPrinterSettings.ini");
}

class PrintSettingsDialogTest : public ::testing::Test
{
protected:
    ScriptedDialogHost dialogs;
    QWidget window;
    PrintSettings settings;
    TGridPrintSettingsDialog dialog{dialogs, &window};

    void SetUp() override
    {
        dialog.Caption = QStringLiteral("Print Data Sheet");
        dialog.IniFile = QStringLiteral("DataLogPrinterSettings");
        dialog.setPrintSettings(&settings);
    }
    // Opens the dialog; `act` runs while it is shown and gives its result.
    bool open(std::function<int(TGridPrintSettingsForm &)> act)
    {
        dialogs.dialogScripts.push_back([this, act](QDialog &) { return act(dialog.form()); });
        return dialog.Execute();
    }
    static void type(QWidget *box, const QString &text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
};

} // namespace

TEST_F(PrintSettingsDialogTest, TheWindowAsDesigned)
{
    TGridPrintSettingsForm &form = dialog.form();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Print Settings"));
    EXPECT_EQ(form.size(), QSize(273, 387));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QStringList tabs;
    for (int i = 0; i < form.pages()->count(); ++i)
        tabs << form.pages()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("General"), QStringLiteral("Headers / Footers"),
                                 QStringLiteral("Margins"), QStringLiteral("Preferences")}));
    EXPECT_EQ(form.pages()->geometry().height(), 346);
    const int middle = 273 / 2;
    EXPECT_EQ(form.okButton()->geometry().right() + 1, middle - 8);
    EXPECT_EQ(form.cancelButton()->geometry().left(), middle + 8);
    EXPECT_TRUE(form.okButton()->isDefault());
    EXPECT_EQ(form.borderList()->itemText(7), QStringLiteral("Around Horizontal"));
    EXPECT_EQ(form.datePositionList()->itemText(6), QStringLiteral("Bottom Center"));
    EXPECT_EQ(form.unitLabel(TitleMarginBox)->text(), QStringLiteral("mm"));
    EXPECT_TRUE(form.mmButton()->isChecked());

    // Without the groups of a page, the page is not offered; the first always is.
    dialog.setOptions(psBorders | psSaveSettings);
    EXPECT_TRUE(form.pages()->isTabVisible(0));
    EXPECT_FALSE(form.pages()->isTabVisible(1));
    EXPECT_FALSE(form.pages()->isTabVisible(2));
    EXPECT_TRUE(form.pages()->isTabVisible(3));
    EXPECT_FALSE(form.fitToPageList()->isEnabled());
}

TEST_F(PrintSettingsDialogTest, CancelPutsTheOpeningValuesBackAndOkKeepsTheEdit)
{
    settings.HeaderSize = 40;
    EXPECT_FALSE(open([](TGridPrintSettingsForm &form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Print Data Sheet"));
        EXPECT_EQ(form.lengthBox(TopMarginBox)->text(), QStringLiteral("4.00"));
        type(form.lengthBox(TopMarginBox), QStringLiteral("12.5"));
        return int(QDialog::Rejected);
    }));
    EXPECT_EQ(settings.HeaderSize, 40);

    PrintSettings during;
    EXPECT_TRUE(open([&](TGridPrintSettingsForm &form) {
        type(form.lengthBox(TopMarginBox), QStringLiteral("12.5"));
        during = settings; // applied at once, before OK
        return int(QDialog::Accepted);
    }));
    EXPECT_EQ(during.HeaderSize, 125);
    EXPECT_EQ(settings.HeaderSize, 125);
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<QString>(2, QStringLiteral("Print Data Sheet"))));
}

TEST_F(PrintSettingsDialogTest, TabPageAndUnitStayForTheNextOpeningAndTheAppearanceApplies)
{
    settings.HeaderSize = 100;
    open([](TGridPrintSettingsForm &form) {
        form.pages()->setCurrentIndex(2);
        form.inchButton()->click();
        EXPECT_EQ(form.lengthBox(TopMarginBox)->text(), QStringLiteral("0.39"));
        EXPECT_EQ(form.unitLabel(LeftMarginBox)->text(), QStringLiteral("inch"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(settings.HeaderSize, 100); // switching the unit applies nothing

    // Opening in inches applies the shown two-decimal values once.
    open([&](TGridPrintSettingsForm &form) {
        EXPECT_EQ(form.pages()->currentIndex(), 2);
        EXPECT_TRUE(form.inchButton()->isChecked());
        EXPECT_EQ(settings.HeaderSize, 99);
        type(form.lengthBox(TopMarginBox), QStringLiteral("1"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(settings.HeaderSize, 254);
}

TEST_F(PrintSettingsDialogTest, LengthBoxSteps)
{
    open([](TGridPrintSettingsForm &form) {
        QDoubleSpinBox *box = form.lengthBox(RowSpacingBox);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(box->text(), QStringLiteral("0.10"));
        QTest::keyClick(box, Qt::Key_PageUp);
        EXPECT_EQ(box->text(), QStringLiteral("1.10"));
        box->setValue(99.5);
        QTest::keyClick(box, Qt::Key_PageUp);
        EXPECT_EQ(box->text(), QStringLiteral("100.00"));
        QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(box->text(), QStringLiteral("100.00"));
        QTest::keyClick(box, Qt::Key_Down);
        EXPECT_EQ(box->text(), QStringLiteral("99.90"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(settings.RowSpacing, 999);
}

TEST_F(PrintSettingsDialogTest, LengthBoxesShowWhatTheyApply)
{
    // Stored lengths beyond what a box shows, in both units.
    settings.HeaderSize = 2000;  // 200 mm
    settings.RowSpacing = 30000; // 118 inch
    open([this](TGridPrintSettingsForm &form) {
        QDoubleSpinBox *top = form.lengthBox(TopMarginBox);
        EXPECT_EQ(top->text(), QStringLiteral("100.00"));
        EXPECT_EQ(settings.HeaderSize, 1000); // shown, so applied
        // Typed key by key, 500 cannot be shown: the box keeps 50, as applied.
        type(top, QStringLiteral("500"));
        EXPECT_EQ(top->text(), QStringLiteral("50"));
        EXPECT_EQ(settings.HeaderSize, 500);
        type(top, QStringLiteral("100"));
        EXPECT_EQ(settings.HeaderSize, 1000);
        QDoubleSpinBox *row = form.lengthBox(RowSpacingBox);
        type(row, QStringLiteral("100"));
        EXPECT_EQ(row->text(), QStringLiteral("100"));
        EXPECT_EQ(settings.RowSpacing, 1000);
        form.inchButton()->click();
        EXPECT_EQ(top->text(), QStringLiteral("3.94"));
        type(row, QStringLiteral("250"));
        EXPECT_EQ(row->text(), QStringLiteral("25"));
        EXPECT_EQ(settings.RowSpacing, 6350);
        form.mmButton()->click();
        EXPECT_EQ(row->text(), QStringLiteral("100.00")); // 635 mm
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(settings.HeaderSize, 1001); // taken back from 3.94 inch
    EXPECT_EQ(settings.RowSpacing, 6350); // a unit switch applies nothing
}

TEST_F(PrintSettingsDialogTest, EnablingRulesAndOutOfListValues)
{
    settings.Date = ppTopLeft;
    settings.Borders = pbCustom;
    settings.FitToPage = fpCustom;
    open([](TGridPrintSettingsForm &form) {
        EXPECT_EQ(form.borderList()->currentIndex(), -1);
        EXPECT_TRUE(form.borderStyleList()->isEnabled());
        EXPECT_TRUE(form.dateFormatEdit()->isEnabled());
        form.datePositionList()->setCurrentIndex(0);
        EXPECT_FALSE(form.dateFormatEdit()->isEnabled());
        EXPECT_EQ(form.dateFormatEdit()->text(), QStringLiteral("dd/mm/yyyy"));
        form.datePositionList()->setCurrentIndex(ppBottomRight);
        EXPECT_TRUE(form.dateFormatEdit()->isEnabled());
        EXPECT_FALSE(form.pagePrefixEdit()->isEnabled());
        EXPECT_FALSE(form.titleTextEdit()->isEnabled());
        form.borderList()->setCurrentIndex(0);
        EXPECT_FALSE(form.borderStyleList()->isEnabled());
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(settings.Date, ppBottomRight);
    EXPECT_EQ(settings.Borders, pbNoborder);
    EXPECT_EQ(settings.FitToPage, fpCustom);
}

TEST_F(PrintSettingsDialogTest, OneLineTextsTakeNoLineBreaks)
{
    settings.PageNr = ppBottomCenter;
    open([](TGridPrintSettingsForm &form) {
        QApplication::clipboard()->setText(QStringLiteral("Page\r\nof\nthe"));
        form.pagePrefixEdit()->setFocus();
        form.pagePrefixEdit()->paste();
        return int(QDialog::Accepted);
    });
    // A line break would make the settings file refuse the whole save.
    EXPECT_EQ(settings.PagePrefix, QStringLiteral("Page of the"));
    EXPECT_TRUE(SavePrintSettings(settings, QStringLiteral("DataLogPrinterSettings.ini"), printSettingsSection()));
}

TEST_F(PrintSettingsDialogTest, FontButtonsGoThroughTheFontDialog)
{
    QFont bold(QStringLiteral("DejaVu Sans"));
    bold.setPointSize(12);
    bold.setBold(true);
    dialogs.fontAnswers = {bold, std::nullopt};
    open([](TGridPrintSettingsForm &form) {
        form.fontButton(HeaderFontButton)->click();
        form.fontButton(FooterFontButton)->click(); // cancelled
        return int(QDialog::Accepted);
    });
    ASSERT_EQ(dialogs.fontRequests.size(), 2u);
    EXPECT_EQ(dialogs.fontRequests[0].family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(dialogs.fontRequests[0].pointSize(), 8);
    EXPECT_EQ(settings.HeaderFont.Name, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(settings.HeaderFont.Size, 12);
    EXPECT_TRUE(settings.HeaderFont.Bold);
    EXPECT_EQ(settings.FooterFont, TPrintFont());
}

TEST_F(PrintSettingsDialogTest, SaveAndLoadButtonsUseTheSettingsFile)
{
    const QString path = ProfileIniPathForTest();
    settings.HeaderFont.Bold = true;
    open([&](TGridPrintSettingsForm &form) {
        form.saveButton()->click();
        settings.HeaderFont.Bold = false;
        settings.HeaderFont.Italic = true;
        form.repeatFixedRowsBox()->setChecked(true);
        form.loadButton()->click();
        EXPECT_FALSE(form.repeatFixedRowsBox()->isChecked()); // shown again from the file
        EXPECT_EQ(form.lengthBox(TopMarginBox)->text(), QStringLiteral("0.00"));
        EXPECT_TRUE(settings.HeaderFont.Bold);
        EXPECT_FALSE(settings.HeaderFont.Italic);
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(QFile::exists(path));
    // Cancel puts back the values of the opening, and leaves the file.
    EXPECT_TRUE(settings.HeaderFont.Bold);
    EXPECT_FALSE(settings.HeaderFont.Italic);
    EXPECT_EQ(settings.FooterSize, 0);

    PrintSettings loaded;
    LoadPrintSettings(loaded, QStringLiteral("DataLogPrinterSettings.ini"), printSettingsSection());
    EXPECT_TRUE(loaded.HeaderFont.Bold);
    EXPECT_FALSE(loaded.HeaderFont.Italic);
}

TEST_F(PrintSettingsDialogTest, ARefusedSaveIsReportedAndTheDialogStaysOpen)
{
    QFile::remove(ProfileIniPathForTest());
    ASSERT_TRUE(QDir().mkpath(ProfileIniPathForTest())); // a folder where the file should be
    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    EXPECT_TRUE(open([](TGridPrintSettingsForm &form) {
        form.saveButton()->click();
        EXPECT_TRUE(form.isVisible());
        return int(QDialog::Accepted);
    }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Unable to write to DataLogPrinterSettings.ini."));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    QDir().rmdir(ProfileIniPathForTest());
}

TEST_F(PrintSettingsDialogTest, ALoadThatCannotReadTheFileIsReportedAndChangesNothing)
{
    QFile::remove(ProfileIniPathForTest());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(ProfileIniPathForTest()).absolutePath()));
    {
        QFile f(ProfileIniPathForTest());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PRINTSETTINGS]\nBorders=3\n");
        ASSERT_TRUE(f.resize(64 * 1024 * 1024 + 1)); // over the limit
    }
    settings.HeaderSize = 125;
    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    open([](TGridPrintSettingsForm &form) {
        form.loadButton()->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.lengthBox(TopMarginBox)->text(), QStringLiteral("12.50"));
        return int(QDialog::Accepted);
    });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("larger than 64 MiB")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
    EXPECT_EQ(settings.HeaderSize, 125);
    EXPECT_EQ(settings.Borders, pbSingle);
    QFile::remove(ProfileIniPathForTest());
}
