// The Export command as the user reaches it: the main window's toolbar button
// and File menu item, with every dialog scripted.

#include "../shell/shellfixture.h"
#include "controls/grid/datagrid.h"
#include "shell/sorvantapplication.h"

#include <QAction>
#include <QLocale>

namespace {

using namespace sorvant;
using sorvant::testing::ShellTest;

class ExportFromWindowTest : public ShellTest
{
protected:
    QByteArray read(const QString &name)
    {
        QFile f(temp.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void answerSave(const QString &name, int fileType)
    {
        dialogs.saveAnswers.push_back({true, temp.filePath(name), fileType});
    }
};

TEST_F(ExportFromWindowTest, ButtonAndMenuItemWriteBothFileTypes)
{
    auto form = makeForm();
    form->CurrentFile = writeCountingLog(QStringLiteral("day1.dat"), 50);
    form->SampleInterval = 25;
    form->LoadLog();

    answerSave(QStringLiteral("day1"), 1);
    form->ExportButton->trigger();
    EXPECT_EQ(read(QStringLiteral("day1.csv")),
              QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,Moisture Out,"
                         "Unload Rate,Time,Bin Number\r\n1,62,90,66,21.5,15,350,14:00,0\r\n"
                         "2,62,90,66,21.5,15,350,14:25,4\r\n"));

    // The menu item's dialog offers the name and type of the last export.
    answerSave(QStringLiteral("day1.csv"), 2);
    form->SaveToExcel1->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].fileName.toStdString(), "day1");
    EXPECT_EQ(dialogs.saveRequests[1].filterIndex, 1);
    EXPECT_TRUE(read(QStringLiteral("day1.xls")).startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    EXPECT_TRUE(read(QStringLiteral("day1.BAK")).startsWith("Record #,")) << "the CSV became the backup";
    EXPECT_TRUE(dialogs.messages.empty());
}

// Export takes the spreadsheet's content with the chart on screen too, and
// before any load that is the start-up table.
TEST_F(ExportFromWindowTest, ExportsTheSpreadsheetWhicheverViewIsShown)
{
    auto form = makeForm();
    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->StringGrid1->isHidden()) << "the chart is shown";
    answerSave(QStringLiteral("empty.csv"), 1);
    form->ExportButton->trigger();
    const QList<QByteArray> lines = read(QStringLiteral("empty.csv")).split('\n');
    ASSERT_EQ(lines.size(), 5001);
    EXPECT_EQ(lines[4999], "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r");

    form->CurrentFile = writeCountingLog(QStringLiteral("day1.dat"), 26);
    form->SampleInterval = 25;
    form->LoadLog();
    ASSERT_TRUE(form->StringGrid1->isHidden());
    answerSave(QStringLiteral("loaded.csv"), 1);
    form->ExportButton->trigger();
    EXPECT_EQ(read(QStringLiteral("loaded.csv")).split('\n').mid(1),
              QList<QByteArray>({"1,62,90,66,21.5,15,350,14:00,0\r", "2,62,90,66,21.5,15,350,14:25,4\r", ""}));
}

TEST_F(ExportFromWindowTest, WriterErrorIsShownInTheErrorBox)
{
    auto form = makeForm();
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("day1.csv")));
    answerSave(QStringLiteral("day1.csv"), 1);
    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    form->SaveToExcel1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), "Cannot Create file day1.csv.");
    EXPECT_EQ(dialogs.messages[0].caption.toStdString(), "DryerDataSorvant");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

} // namespace

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale::c());
    SorvantApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
