// File > Print Report: the title asked and remembered, the preview, the print
// dialog, and pages that match sorvant-export --report-pdf word for word.
#include "shellfixture.h"

#include "output/printing/printersetupdialog.h"
#include "output/printing/printpreview.h"
#include "shell/overviewcommands.h"
#include "shell/reportcommand.h"

#include "exporterrun.h"
#include "pdfwords.h"
#include "reportlines.h"

#include <QLineEdit>
#include <QMenu>
#include <QPrinter>

#include <cmath>

using namespace sorvant;
using namespace sorvant::testing;

namespace {

class ReportTest : public ShellTest
{
protected:
    QString pdfPath() const { return temp.filePath(QStringLiteral("out/window.pdf")); }

    // The report is portrait whatever the printer was set to, and leaves it so.
    std::unique_ptr<TSorvantMainForm> makePrintingForm()
    {
        return makePdfPrintingForm(pdfPath(), QPageLayout::Landscape);
    }

    // Three days from 22:00, every reading moving, bins changing every 200 records.
    QString writeDryingLog()
    {
        QByteArray bytes;
        for (int i = 0; i < 1500; ++i) {
            const int minute = (22 * 60 + i * 2) % 1440;
            bytes += recordBytes(150 + i % 40, 600 + i % 90, 190 + i % 70, 800 + i % 50, 140 + i % 25, 100 + i % 60,
                                 1 + i / 200 % 4, minute / 60, minute % 60);
        }
        return writeLog(QStringLiteral("hill.dat"), bytes);
    }

    void scriptTitle(const QString &title, int result = QDialog::Accepted)
    {
        dialogs.dialogScripts.push_back([title, result](QDialog &dialog) {
            auto &ask = static_cast<ReportTitleDialog &>(dialog);
            ask.titleEdit()->setText(title);
            return result;
        });
    }
};

TEST_F(ReportTest, TheMenuItemStandsAfterPrint)
{
    auto form = makeForm();
    const QList<QAction *> file = form->File1->actions();
    const int print = int(file.indexOf(form->PrintFromMenu));
    ASSERT_GE(print, 0);
    ASSERT_LT(print + 1, int(file.size()));
    EXPECT_EQ(file[print + 1], form->PrintReport1);
    EXPECT_EQ(form->PrintReport1->text(), QStringLiteral("Print &Report..."));
}

TEST_F(ReportTest, WithoutALogItSaysSoAndAsksNothing)
{
    auto form = makeForm();
    dialogs.answerAllMessages = true;
    form->PrintReport1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("Open a log first")));
    EXPECT_TRUE(dialogs.dialogTitles.empty());
}

TEST_F(ReportTest, WindowPrintsWhatTheExporterWritesWordForWord)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = makePrintingForm();
    Limits limits;
    ASSERT_TRUE(parseLimitText(QStringLiteral("14:16"), limits[1]));
    ASSERT_TRUE(parseLimitText(QStringLiteral(":170"), limits[3]));
    form->overviewCommands()->setLimits(limits);
    const QString log = writeDryingLog();
    answerOpen(log);
    form->OpenButtonClick();

    scriptTitle(QStringLiteral("Hill Farm, Dryer 2"));
    int previewPages = 0;
    bool portrait = false;
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &preview = static_cast<TPrintPreviewForm &>(dialog);
        previewPages = preview.pagesView()->pageCount();
        const QRect page = preview.pagesView()->pageRect(0);
        portrait = page.height() > page.width();
        // The preview's Print button: the print dialog, then the report.
        dialogs.printAnswers.push_back(true);
        preview.printAction()->trigger();
        return int(QDialog::Rejected);
    });
    form->PrintReport1->trigger();
    EXPECT_EQ(dialogs.printRequests, 1);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text.toStdString();
    EXPECT_TRUE(portrait);
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Landscape);

    const QString exported = temp.filePath(QStringLiteral("out/exported.pdf"));
    const exporterrun::Outcome r = exporterrun::run(
        {log, QStringLiteral("--report-pdf"), exported, QStringLiteral("--title"), QStringLiteral("Hill Farm, Dryer 2"),
         QStringLiteral("--limit"), QStringLiteral("Moisture Out:14:16"), QStringLiteral("--limit"),
         QStringLiteral("Grain Temp in Dryer::170"), QStringLiteral("--paper"), QStringLiteral("A4")},
        {QStringLiteral("LC_ALL=C")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();

    const auto window = pdfwords::read(pdfPath());
    const auto tool = pdfwords::read(exported);
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(window.size(), tool.size());
    EXPECT_EQ(int(window.size()), previewPages);
    for (std::size_t p = 0; p < window.size(); ++p) {
        EXPECT_LT(window[p].width, window[p].height) << p;
        EXPECT_EQ(reportlines::lines(window[p]), reportlines::lines(tool[p])) << p;
        ASSERT_EQ(window[p].words.size(), tool[p].words.size()) << p;
        for (std::size_t w = 0; w < window[p].words.size(); ++w) {
            const pdfwords::Word &a = window[p].words[w], &b = tool[p].words[w];
            EXPECT_NEAR(pdfwords::tenthsMm(a.xMin), pdfwords::tenthsMm(b.xMin), 2) << a.text.toStdString();
            EXPECT_NEAR(pdfwords::tenthsMm(a.yMin), pdfwords::tenthsMm(b.yMin), 2) << a.text.toStdString();
        }
    }
    const QStringList lines = reportlines::lines(window[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("Hill Farm, Dryer 2")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Log file: hill.dat")));
}

TEST_F(ReportTest, PrintSetupInThePreviewLaysTheReportOutOnTheNewPaper)
{
    auto form = makePrintingForm();
    answerOpen(writeDryingLog());
    form->OpenButtonClick();
    scriptTitle(QStringLiteral("Hill Farm"));
    double a4 = 0, letter = 0;
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &preview = static_cast<TPrintPreviewForm &>(dialog);
        const QRect before = preview.pagesView()->pageRect(0);
        a4 = double(before.height()) / before.width();
        dialogs.dialogScripts.push_back([](QDialog &setupDialog) {
            EXPECT_TRUE(static_cast<TPrinterSetupDialog &>(setupDialog).selectPaper(QPageSize(QPageSize::Letter)));
            return int(QDialog::Accepted);
        });
        preview.setupAction()->trigger();
        const QRect after = preview.pagesView()->pageRect(0);
        letter = double(after.height()) / after.width();
        return int(QDialog::Rejected);
    });
    form->PrintReport1->trigger();
    // Portrait both times, whatever the printer's own orientation.
    EXPECT_NEAR(a4, 297.0 / 210.0, 0.01);
    EXPECT_NEAR(letter, 11.0 / 8.5, 0.01);
    EXPECT_EQ(form->printer().pageLayout().pageSize().id(), QPageSize::Letter);
}

TEST_F(ReportTest, TheTitleIsRememberedBetweenRunsAndCancelPrintsNothing)
{
    const QString log = writeDryingLog();
    {
        auto form = makeForm();
        answerOpen(log);
        form->OpenButtonClick();
        scriptTitle(QStringLiteral("  Hill   Farm  "));
        dialogs.dialogScripts.push_back([](QDialog &) { return int(QDialog::Rejected); }); // the preview
        form->PrintReport1->trigger();
        EXPECT_EQ(form->reportCommand()->title(), QStringLiteral("Hill Farm"));
        form->close();
    }
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"ReportTitle\"=\"Hill Farm\""));

    auto form = makeForm();
    answerOpen(log);
    form->OpenButtonClick();
    QString offered;
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        offered = static_cast<ReportTitleDialog &>(dialog).titleEdit()->text();
        return int(QDialog::Rejected);
    });
    form->PrintReport1->trigger();
    EXPECT_EQ(offered, QStringLiteral("Hill Farm"));
    EXPECT_EQ(dialogs.printRequests, 0);
    EXPECT_EQ(dialogs.dialogTitles.size(), 3u); // no preview after Cancel
}

} // namespace
