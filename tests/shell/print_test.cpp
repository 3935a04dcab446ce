// The Print and Print Preview commands of the window, checked through the
// PDF they print, read back with poppler-utils.
#include "pdfwords.h"
#include "shellfixture.h"

#include "controls/grid/datagrid.h"
#include "output/printing/gridprintsettingsdialog.h"
#include "output/printing/gridpreview.h"
#include "output/printing/printersetupdialog.h"
#include "output/printing/printpreview.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCursor>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cmath>

using namespace sorvant;
using namespace sorvant::testing;

namespace {

class PrintTest : public ShellTest
{
protected:
    QString pdfPath() const { return temp.filePath(QStringLiteral("out/print.pdf")); }

    // The print dialog "prints to file": the window's printer writes a PDF.
    std::unique_ptr<TSorvantMainForm> makePrintingForm(QPageLayout::Orientation chosen = QPageLayout::Portrait)
    {
        return makePdfPrintingForm(pdfPath(), chosen);
    }

    void loadRows(TSorvantMainForm &form, int records)
    {
        answerOpen(writeCountingLog(QStringLiteral("p.dat"), records));
        form.OpenButtonClick();
        form.spreadsheet()->grid()->syncWithStore();
    }
};

TEST_F(PrintTest, SpreadsheetPrintsPortraitWhateverTheDialogChoseAndHeadersOnlyOnPageOne)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // Before any load: the header row and 4,999 empty rows, page after page.
    auto form = makePrintingForm(QPageLayout::Landscape);
    form->spreadsheet()->store().HideColumn(8); // Bin Number
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    EXPECT_TRUE(dialogs.messages.empty());

    const auto pages = pdfwords::read(pdfPath());
    ASSERT_GT(pages.size(), 20u);
    for (const pdfwords::Page &p : pages)
        ASSERT_LT(p.width, p.height) << "portrait: the settings' orientation, not the dialog's";
    EXPECT_NE(pages[0].find(QStringLiteral("Record")), nullptr);
    EXPECT_NE(pages[0].find(QStringLiteral("Unload")), nullptr);
    EXPECT_EQ(pages[0].find(QStringLiteral("Bin")), nullptr) << "a hidden column does not print";
    EXPECT_EQ(pages[1].find(QStringLiteral("Record")), nullptr) << "the header row only on page 1";
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_FALSE(form->ProgressBar1->isVisible());
}

TEST_F(PrintTest, CancelInThePrintDialogPrintsNothingInEitherView)
{
    auto form = makePrintingForm();
    dialogs.printAnswers = {false, false};
    form->PrintFromMenu->trigger();
    form->ChangeViewButton->trigger();
    form->PrintFromMenu->trigger();
    EXPECT_EQ(dialogs.printRequests, 2);
    EXPECT_FALSE(QFile::exists(pdfPath()));
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(PrintTest, ChartPrintsOneLandscapePageAndLeavesThePrinterPortrait)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = makePrintingForm();
    loadRows(*form, 25 * 40); // 40 rows, four chart pages
    form->ChangeViewButton->trigger();
    form->chartView()->model().setPage(3);
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const auto pages = pdfwords::read(pdfPath());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_GT(pages[0].width, pages[0].height);
    EXPECT_NE(pages[0].find(QStringLiteral("Unload")), nullptr); // the legend
    EXPECT_EQ(form->chartView()->model().Page(), 3) << "printing leaves the chart as it was";
}

TEST_F(PrintTest, APrinterThatCannotStartIsReportedAndTheOrientationRestored)
{
    auto form = makePrintingForm();
    form->printer().setOutputFileName(temp.filePath(QStringLiteral("missing/folder/x.pdf")));
    form->ChangeViewButton->trigger();
    dialogs.printAnswers = {true, true};
    dialogs.answerAllMessages = true;
    form->PrintButton->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The spreadsheet path reports its failure the same way, and a later
    // print to a good file works.
    form->ChangeViewButton->trigger();
    form->PrintButton->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    form->printer().setOutputFileName(pdfPath());
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(QFile::exists(pdfPath()));
}

// The rows of pixels that a ruled line crosses from side to side: more than
// half of the row is dark.
std::vector<int> ruledRows(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<int> rows;
    for (int y = 0; y < grey.height(); ++y) {
        int dark = 0;
        for (int x = 0; x < grey.width(); ++x)
            dark += grey.constScanLine(y)[x] < 160 ? 1 : 0;
        if (dark * 2 > grey.width() && (rows.empty() || rows.back() != y - 1))
            rows.push_back(y);
        else if (dark * 2 > grey.width())
            rows.back() = y; // one line drawn two pixels thick counts once
    }
    return rows;
}

TEST_F(PrintTest, PreviewShowsThePagesPrintGivesAndPrintsFromThePreview)
{
    if (!pdfwords::available() || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "poppler-utils is not installed";
    auto form = makePrintingForm();
    loadRows(*form, 25 * 150); // 150 data rows
    PrintSettings &settings = form->spreadsheet()->printSettings();
    settings.PageNr = ppBottomCenter;
    settings.RepeatFixedRows = true;

    int previewPages = 0;
    QImage previewPage2;
    dialogs.printAnswers = {true};
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &preview = static_cast<TPrintPreviewForm &>(dialog);
        previewPages = preview.pagesView()->pageCount();
        EXPECT_EQ(preview.pageText(), QStringLiteral("page 1 of %1").arg(previewPages));
        preview.lastPageAction()->trigger();
        EXPECT_EQ(preview.pageText(), QStringLiteral("page %1 of %1").arg(previewPages));
        EXPECT_TRUE(preview.setupAction()->isVisible());
        // Print from the preview: the same job as the Print command.
        preview.printAction()->trigger();
        return int(QDialog::Rejected);
    });
    form->PrintPreview1->trigger();
    EXPECT_EQ(dialogs.dialogTitles, std::vector<QString>{QStringLiteral("Print Preview")});
    EXPECT_EQ(dialogs.printRequests, 1);

    const auto pages = pdfwords::read(pdfPath());
    ASSERT_GT(previewPages, 1);
    ASSERT_EQ(static_cast<int>(pages.size()), previewPages);
    const QString total = QString::number(previewPages);
    EXPECT_NE(pages[1].find(QStringLiteral("2/") + total), nullptr);

    // Page 2 both ways: what the preview draws, put on paper by a PDF writer,
    // carries the same words at the same places as page 2 of the printout.
    const DataGridPrintTable table(form->spreadsheet()->store(), gridPrintLook(*form->spreadsheet()->grid()));
    GridPreviewDocument doc(form->printer(), table, settings);
    ASSERT_EQ(doc.pageCount(), previewPages);
    const QString previewPdf = temp.filePath(QStringLiteral("out/preview.pdf"));
    {
        QPdfWriter writer(previewPdf);
        writer.setPageLayout(doc.pageLayout());
        writer.setResolution(doc.resolution());
        QPainter painter(&writer);
        doc.drawPage(1, painter);
    }
    const auto previewed = pdfwords::read(previewPdf);
    ASSERT_EQ(previewed.size(), 1u);
    ASSERT_EQ(previewed[0].words.size(), pages[1].words.size());
    for (std::size_t i = 0; i < pages[1].words.size(); ++i) {
        const pdfwords::Word &a = previewed[0].words[i], &b = pages[1].words[i];
        EXPECT_EQ(a.text, b.text);
        EXPECT_NEAR(pdfwords::tenthsMm(a.xMin), pdfwords::tenthsMm(b.xMin), 2.0) << b.text.toStdString();
        EXPECT_NEAR(pdfwords::tenthsMm(a.yMin), pdfwords::tenthsMm(b.yMin), 2.0) << b.text.toStdString();
    }

    // And on screen: the preview's picture of page 2 has its ruled lines
    // where the printed page has them (100 dpi, within a pixel).
    const QString png = temp.filePath(QStringLiteral("out/page"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-f"), QStringLiteral("2"),
                                 QStringLiteral("-l"), QStringLiteral("2"), QStringLiteral("-png"),
                                 QStringLiteral("-singlefile"), pdfPath(), png}),
              0);
    const QImage printed(png + QStringLiteral(".png"));
    ASSERT_FALSE(printed.isNull());
    const std::vector<int> printedRows = ruledRows(printed);
    const std::vector<int> drawnRows =
        ruledRows(renderPreviewPage(doc, 1, printed.size(), QRect(QPoint(0, 0), printed.size())));
    ASSERT_GT(printedRows.size(), 20u);
    ASSERT_EQ(drawnRows.size(), printedRows.size());
    for (std::size_t i = 0; i < printedRows.size(); ++i)
        EXPECT_NEAR(drawnRows[i], printedRows[i], 1) << i;
}

TEST_F(PrintTest, PrintSetupFromThePreviewRedrawsOnOkAndChangesNothingOnCancel)
{
    auto form = makePrintingForm();
    loadRows(*form, 25 * 150);
    const PrintSettings before = form->spreadsheet()->printSettings();
    int pagesAtStart = 0, pagesAfterCancel = 0, pagesAfterOk = 0;
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &preview = static_cast<TPrintPreviewForm &>(dialog);
        pagesAtStart = preview.pagesView()->pageCount();
        preview.setupAction()->trigger();
        pagesAfterCancel = preview.pagesView()->pageCount();
        preview.setupAction()->trigger();
        pagesAfterOk = preview.pagesView()->pageCount();
        return int(QDialog::Rejected);
    });
    // Print Data Sheet: a 100 mm top margin, then Cancel; then again with OK.
    for (int result : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
        dialogs.dialogScripts.push_back([result](QDialog &dialog) {
            auto &settingsForm = static_cast<TGridPrintSettingsForm &>(dialog);
            settingsForm.lengthBox(TopMarginBox)->setValue(100.0);
            return result;
        });
    }
    form->PrintPreview1->trigger();
    EXPECT_EQ(dialogs.dialogTitles.size(), 3u);
    EXPECT_EQ(pagesAfterCancel, pagesAtStart);
    EXPECT_GT(pagesAfterOk, pagesAtStart) << "a deeper top margin leaves room for fewer rows";
    EXPECT_EQ(form->spreadsheet()->printSettings().HeaderSize, 1000);
    PrintSettings expected = before;
    expected.HeaderSize = 1000;
    EXPECT_TRUE(form->spreadsheet()->printSettings() == expected);
}

TEST_F(PrintTest, ChartPreviewIsOneLandscapePageAndLeavesThePrinterAlone)
{
    auto form = makePrintingForm();
    form->ChangeViewButton->trigger();
    dialogs.dialogScripts.push_back([&](QDialog &dialog) {
        auto &preview = static_cast<TPrintPreviewForm &>(dialog);
        EXPECT_EQ(preview.pagesView()->pageCount(), 1);
        const QRect page = preview.pagesView()->pageRect(0);
        EXPECT_GT(page.width(), page.height());
        // Print Setup here is the printer set-up: Letter instead of A4
        // gives a page of Letter's proportions.
        EXPECT_TRUE(preview.setupAction()->isVisible());
        dialogs.dialogScripts.push_back([](QDialog &setupDialog) {
            EXPECT_EQ(setupDialog.windowTitle(), QStringLiteral("Print Setup"));
            EXPECT_TRUE(static_cast<TPrinterSetupDialog &>(setupDialog).selectPaper(QPageSize(QPageSize::Letter)));
            return int(QDialog::Accepted);
        });
        preview.setupAction()->trigger();
        const QRect letter = preview.pagesView()->pageRect(0);
        EXPECT_NEAR(double(letter.width()) / letter.height(), 11.0 / 8.5, 0.01);
        return int(QDialog::Rejected);
    });
    form->PrintPreview1->trigger();
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_TRUE(form->printer().pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::Letter)));
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST_F(PrintTest, ALongPrintoutKeepsTheWindowPaintedUnderTheBusyPointerAndHoldsAClose)
{
    auto form = makePrintingForm();
    // Enough pages for the job to outlast several ticks of the timer below.
    loadRows(*form, 25 * 12000);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    PaintCounter counter;
    form->ToolBar1->installEventFilter(&counter);

    // While the job runs, something asks the window to repaint and the user
    // tries to close it.
    bool printing = false;
    int ticks = 0, paintsDuringJob = 0, busyTicks = 0;
    bool visibleAfterClose = false;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!printing)
            return;
        ++ticks;
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busyTicks += cursor && cursor->shape() == Qt::WaitCursor ? 1 : 0;
        paintsDuringJob = counter.paints;
        form->ToolBar1->update();
        if (ticks == 2) {
            form->close();
            visibleAfterClose = form->isVisible();
        }
    });
    tick.start();
    counter.paints = 0;
    printing = true;
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    printing = false;
    tick.stop();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_GE(ticks, 2) << "events are handled while pages go out";
    EXPECT_GT(paintsDuringJob, 0) << "the window repaints during the job";
    EXPECT_EQ(busyTicks, ticks) << "the busy pointer for the whole job";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(visibleAfterClose) << "the window stays until the job ends";
    if (pdfwords::available()) {
        EXPECT_GT(pdfwords::read(pdfPath()).size(), 1u);
    }
    // The close asked for during the job is carried out after it.
    EXPECT_TRUE(form->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
}

} // namespace

namespace {

// sorvant-export as a process, in the test's isolated home.
int runExporter(const QStringList &arguments, QByteArray *errors = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"), arguments);
    if (!p.waitForFinished(120000))
        return -1;
    if (errors)
        *errors = p.readAllStandardError();
    return p.exitCode();
}

// Two printouts carry the same words at the same places on every page.
void expectSamePages(const QString &a, const QString &b)
{
    const auto pa = pdfwords::read(a), pb = pdfwords::read(b);
    ASSERT_GT(pa.size(), 0u);
    ASSERT_EQ(pa.size(), pb.size());
    for (std::size_t p = 0; p < pa.size(); ++p) {
        ASSERT_EQ(pa[p].words.size(), pb[p].words.size()) << "page " << p + 1;
        for (std::size_t i = 0; i < pa[p].words.size(); ++i) {
            const pdfwords::Word &x = pa[p].words[i], &y = pb[p].words[i];
            ASSERT_EQ(x.text, y.text) << "page " << p + 1;
            ASSERT_NEAR(pdfwords::tenthsMm(x.xMin), pdfwords::tenthsMm(y.xMin), 1.0) << x.text.toStdString();
            ASSERT_NEAR(pdfwords::tenthsMm(x.yMin), pdfwords::tenthsMm(y.yMin), 1.0) << x.text.toStdString();
        }
    }
}

TEST_F(PrintTest, TheExporterPrintsTheWindowsPagesAlsoWithSavedSettings)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = makePrintingForm();
    const QString log = writeCountingLog(QStringLiteral("p.dat"), 25 * 130);
    answerOpen(log);
    form->OpenButtonClick();
    form->spreadsheet()->grid()->syncWithStore();

    // Starting settings: the window's Print and --pdf give the same pages.
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    const QString cli = temp.filePath(QStringLiteral("out/cli.pdf"));
    ASSERT_EQ(runExporter({log, QStringLiteral("--pdf"), cli, QStringLiteral("--paper"), QStringLiteral("A4")}), 0);
    expectSamePages(pdfPath(), cli);

    // A layout designed in "Print Data Sheet" and saved there prints the same
    // from the window and from --print-settings.
    dialogs.dialogScripts.push_back([](QDialog &dialog) {
        auto &f = static_cast<TGridPrintSettingsForm &>(dialog);
        f.pagesPositionList()->setCurrentIndex(ppBottomCenter);
        f.pagePrefixEdit()->setText(QStringLiteral("Page"));
        f.titlePositionList()->setCurrentIndex(ppTopLeft);
        f.titleTextEdit()->setPlainText(QStringLiteral("Dryer 3\nBin report"));
        f.repeatFixedRowsBox()->setChecked(true);
        f.borderList()->setCurrentIndex(pbAround);
        f.lengthBox(LeftMarginBox)->setValue(15.0);
        f.saveButton()->click();
        return int(QDialog::Accepted);
    });
    form->PrintSetup1->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    const QString ini = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(
        QStringLiteral("Sorvant/DataLogPrinterSettings.ini"));
    ASSERT_TRUE(QFile::exists(ini));
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    const auto windowPages = pdfwords::read(pdfPath());
    ASSERT_GT(windowPages.size(), 1u);
    EXPECT_NE(windowPages[1].find(QStringLiteral("Record")), nullptr) << "the header row repeats";
    EXPECT_NE(windowPages[0].find(QStringLiteral("Bin")), nullptr);
    EXPECT_NE(windowPages[0].find(QStringLiteral("Dryer")), nullptr) << "the title";
    ASSERT_EQ(runExporter({log, QStringLiteral("--pdf"), cli, QStringLiteral("--paper"), QStringLiteral("A4"),
                           QStringLiteral("--print-settings"), ini}),
              0);
    expectSamePages(pdfPath(), cli);

    // A settings file that is not there is an error, and nothing is written.
    QFile::remove(cli);
    QByteArray errors;
    EXPECT_EQ(runExporter({log, QStringLiteral("--pdf"), cli, QStringLiteral("--print-settings"),
                           temp.filePath(QStringLiteral("typo.ini"))},
                          &errors),
              1);
    EXPECT_TRUE(errors.contains("typo.ini")) << errors.constData();
    EXPECT_FALSE(QFile::exists(cli));
}

} // namespace

namespace {

TEST_F(PrintTest, AWindowlessChartPrintoutIsLaidOutAtTheWindowsChartSize)
{
    auto form = makeForm();
    form->resize(925, 711);
    form->show();
    form->ChangeViewButton->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form->Chart->size(), kWindowChartSize);
}

} // namespace

namespace {

TEST_F(PrintTest, TheExportersChartPdfIsTheWindowsChartPrintout)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = makePrintingForm();
    form->resize(925, 711);
    form->show();
    const QString log = writeCountingLog(QStringLiteral("c.dat"), 25 * 40);
    answerOpen(log);
    form->OpenButtonClick();
    form->ChangeViewButton->trigger();
    QApplication::processEvents();
    form->chartView()->model().setPage(2);
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    const QString cli = temp.filePath(QStringLiteral("out/chart.pdf"));
    ASSERT_EQ(runExporter({log, QStringLiteral("--chart-pdf"), cli, QStringLiteral("--page"), QStringLiteral("2"),
                           QStringLiteral("--paper"), QStringLiteral("A4")}),
              0);
    const auto a = pdfwords::read(pdfPath()), b = pdfwords::read(cli);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    // Every word below the date line (whose clock differs) in the same place.
    const auto belowDateLine = [](const pdfwords::Page &page) {
        std::vector<pdfwords::Word> words;
        for (const pdfwords::Word &w : page.words) {
            if (w.yMin > 30)
                words.push_back(w);
        }
        return words;
    };
    const auto wa = belowDateLine(a[0]), wb = belowDateLine(b[0]);
    ASSERT_GT(wa.size(), 20u);
    ASSERT_EQ(wa.size(), wb.size());
    for (std::size_t i = 0; i < wa.size(); ++i) {
        EXPECT_EQ(wa[i].text, wb[i].text);
        EXPECT_NEAR(pdfwords::tenthsMm(wa[i].xMin), pdfwords::tenthsMm(wb[i].xMin), 2.0) << wa[i].text.toStdString();
        EXPECT_NEAR(pdfwords::tenthsMm(wa[i].yMin), pdfwords::tenthsMm(wb[i].yMin), 2.0) << wa[i].text.toStdString();
    }
}

} // namespace
