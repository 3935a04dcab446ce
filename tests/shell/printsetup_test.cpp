#include "shellfixture.h"

#include "output/printing/gridprintsettingsdialog.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>

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
    EXPECT_EQ(dialogs.pageSetupRequests, 0);
}

TEST_F(PrintSetupTest, WithTheChartShownPrintSetupOpensThePrinterSetUpDialog)
{
    auto form = makeForm();
    form->ChangeViewButton->trigger();
    dialogs.pageSetupAnswers = {true, false};
    form->PrintSetup1->trigger();
    form->PrintSetup1->trigger();
    EXPECT_EQ(dialogs.pageSetupRequests, 2);
    EXPECT_TRUE(dialogs.dialogTitles.empty());

    form->ChangeViewButton->trigger();
    dialogs.dialogScripts.push_back([](QDialog &) { return int(QDialog::Rejected); });
    form->PrintSetup1->trigger();
    EXPECT_EQ(dialogs.dialogTitles.size(), 1u);
}
