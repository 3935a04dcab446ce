#include "shellfixture.h"

#include "output/printing/gridprintsettingsdialog.h"
#include "output/printing/printersetupdialog.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

using namespace sorvant;
using namespace sorvant::testing;

namespace {
using PrintSetupTest = ShellTest;
}

TEST_F(PrintSetupTest, WithTheSpreadsheetShownPrintSetupOpensPrintDataSheet)
{
    auto form = makeForm();
    TGridPrintSettingsDialog *created = form->GridPrintSettingsDialog1;
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->printSettings(), &form->spreadsheet()->printSettings());

    dialogs.dialogScripts.push_back([](QDialog &dialog) {
        static_cast<TGridPrintSettingsForm &>(dialog).repeatFixedRowsBox()->setChecked(true);
        return int(QDialog::Accepted);
    });
    dialogs.dialogScripts.push_back([](QDialog &) { return int(QDialog::Rejected); });
    form->PrintSetup1->trigger();
    EXPECT_TRUE(form->spreadsheet()->printSettings().RepeatFixedRows);
    form->PrintSetup1->trigger();
    EXPECT_EQ(form->GridPrintSettingsDialog1, created); // one dialog for the run
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<QString>(2, QStringLiteral("Print Data Sheet"))));
}

TEST_F(PrintSetupTest, WithTheChartShownPrintSetupChoosesPrinterPaperAndOrientation)
{
    auto form = makeForm();
    QPrinter &printer = form->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp.filePath(QStringLiteral("chart.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    form->ChangeViewButton->trigger();

    // The printer list ends with the PDF file printer, which is the one in
    // use; its paper and file are shown.
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &setup = static_cast<TPrinterSetupDialog &>(dialog);
        QComboBox *printers = setup.printerBox();
        EXPECT_GE(printers->count(), 1);
        EXPECT_EQ(printers->itemText(printers->count() - 1), QStringLiteral("Print to File (PDF)"));
        EXPECT_EQ(printers->currentIndex(), printers->count() - 1);
        EXPECT_EQ(setup.paperBox()->currentText(), QPageSize(QPageSize::A4).name());
        EXPECT_TRUE(setup.portraitButton()->isChecked());
        EXPECT_TRUE(setup.fileEdit()->isEnabled());
        EXPECT_TRUE(setup.fileEdit()->text().endsWith(QStringLiteral("chart.pdf")));
        EXPECT_TRUE(setup.selectPaper(QPageSize(QPageSize::A5)));
        setup.landscapeButton()->setChecked(true);
        setup.fileEdit()->setText(temp.filePath(QStringLiteral("other.pdf")));
        return int(QDialog::Accepted);
    });
    // Reopened, it shows what OK put on the printer; Cancel leaves it.
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &setup = static_cast<TPrinterSetupDialog &>(dialog);
        EXPECT_EQ(setup.paperBox()->currentText(), QPageSize(QPageSize::A5).name());
        EXPECT_TRUE(setup.landscapeButton()->isChecked());
        EXPECT_TRUE(setup.selectPaper(QPageSize(QPageSize::Letter)));
        setup.fileEdit()->clear();
        EXPECT_FALSE(setup.okButton()->isEnabled()) << "a file printer needs its file";
        return int(QDialog::Rejected);
    });
    form->PrintSetup1->trigger();
    EXPECT_TRUE(printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.outputFileName(), temp.filePath(QStringLiteral("other.pdf")));
    form->PrintSetup1->trigger();
    EXPECT_TRUE(printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));
    EXPECT_EQ(printer.outputFileName(), temp.filePath(QStringLiteral("other.pdf")));
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<QString>(2, QStringLiteral("Print Setup"))));

    // Back on the spreadsheet it is the print settings dialog again.
    form->ChangeViewButton->trigger();
    dialogs.dialogScripts.push_back([](QDialog &) { return int(QDialog::Rejected); });
    form->PrintSetup1->trigger();
    EXPECT_EQ(dialogs.dialogTitles.back(), QStringLiteral("Print Data Sheet"));
}
