// The print job with a printer whose operations can fail, and whole
// printouts read back from PDF with pdftotext, a reader we did not write.

#include "pdfwords.h"

#include "controls/grid/gridstore.h"
#include "logdata/columns.h"
#include "logdata/sinks.h"
#include "output/printing/gridpageplan.h"
#include "output/printing/gridprint.h"
#include "output/printing/qtprinterdevice.h"
#include "output/printing/qtprinttextmeasurer.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <optional>

using namespace sorvant;

namespace {

// A printer that records what it is asked and can fail at any step; it
// draws onto an image.
class RecordingPrinter : public PrinterDevice
{
public:
    TPrinterOrientation current = poLandscape;
    QString docName = QStringLiteral("unset");
    int failNewPageAt = 0; // the n-th newPage() fails (from 1); 0 never
    bool failBegin = false, failEnd = false;
    std::vector<QString> calls;
    int newPages = 0;
    QImage image{400, 560, QImage::Format_RGB32};

    TPrinterOrientation orientation() const override { return current; }
    void setOrientation(TPrinterOrientation o) override
    {
        calls.push_back(QStringLiteral("orientation"));
        current = o;
    }
    void setDocName(const QString &name) override { docName = name; }
    bool beginDocument() override
    {
        calls.push_back(QStringLiteral("begin"));
        if (failBegin)
            return false;
        m_painter.emplace(&image);
        return true;
    }
    QPainter *painter() override { return m_painter ? &*m_painter : nullptr; }
    bool newPage() override
    {
        ++newPages;
        return failNewPageAt == 0 || newPages < failNewPageAt;
    }
    bool endDocument() override
    {
        calls.push_back(QStringLiteral("end"));
        m_painter.reset();
        return !failEnd;
    }
    void abortDocument() override
    {
        calls.push_back(QStringLiteral("abort"));
        m_painter.reset();
    }
    // 400 × 560 pixels at 48 dpi: 2117 × 2963 tenths of a millimetre.
    QSize printableSizePixels() const override { return image.size(); }
    int resolutionX() const override { return 48; }
    int resolutionY() const override { return 48; }
    QString errorString() const override { return QStringLiteral("The printer is out of paper"); }

private:
    std::optional<QPainter> m_painter;
};

class RecordingProgress : public ProgressSink
{
public:
    void setVisible(bool v) override { visible = v; }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override
    {
        position = p;
        positions.push_back(p);
    }
    bool visible = false;
    int maximum = -1, position = -1;
    std::vector<int> positions;
};

GridPrintLook sorvantLook()
{
    GridPrintLook look;
    look.dataFont = QFont(QStringLiteral("Tahoma"));
    look.dataFont.setPixelSize(11);
    look.fixedFont = look.dataFont;
    look.fixedFont.setBold(true);
    return look;
}

// Sorvant's spreadsheet with `rows` data rows: record numbers, times and a
// value per column.
void fill(DataGridStore &store, int rows)
{
    configureSpreadsheetStore(store);
    store.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        store.setCells(0, r, QString::number(r));
        for (int c = 1; c < kColumnCount; ++c)
            store.setCells(c, r, QStringLiteral("%1.%2").arg(10 + c).arg(r % 10));
        store.setCells(7, r, QStringLiteral("T%1").arg(r));
        for (int c = 0; c < kColumnCount; ++c)
            store.setAlignments(c, r, DataGridStore::HAlign::Centre);
    }
}

const QDateTime kNow(QDate(2011, 3, 5), QTime(14, 7, 9));

} // namespace

TEST(PrintGrid, RunsTheJobAndLeavesTheProgressBarAtRest)
{
    DataGridStore store(kColumnCount);
    fill(store, 200);
    const DataGridPrintTable table(store, sorvantLook());
    RecordingPrinter printer;
    RecordingProgress progress;
    PrintSettings s;
    s.JobName = QStringLiteral("Dryer log");
    PrintGrid(printer, table, s, &progress, kNow);

    EXPECT_EQ(printer.current, poPortrait) << "the printer's landscape gives way to the settings";
    EXPECT_EQ(printer.docName, QStringLiteral("Dryer log"));
    EXPECT_EQ(printer.calls, (std::vector<QString>{QStringLiteral("orientation"), QStringLiteral("begin"),
                                                   QStringLiteral("end")}));
    QtPrintTextMeasurer measurer;
    const GridPagePlan plan(table, s, 2117, 2963, measurer);
    ASSERT_GT(plan.pageCount(), 1);
    EXPECT_EQ(printer.newPages, plan.pageCount() - 1);
    EXPECT_EQ(progress.maximum, plan.pageCount());
    EXPECT_EQ(progress.positions.size(), static_cast<std::size_t>(plan.pageCount()) + 2);
    EXPECT_EQ(progress.positions[progress.positions.size() - 2], plan.pageCount());
    EXPECT_EQ(progress.position, 0);
    EXPECT_FALSE(progress.visible);
}

TEST(PrintGrid, DefaultOrientationLeavesThePrinterAlone)
{
    DataGridStore store(kColumnCount);
    fill(store, 3);
    const DataGridPrintTable table(store, sorvantLook());
    RecordingPrinter printer;
    PrintSettings s;
    s.UseDefaultOrientation = true;
    PrintGrid(printer, table, s, nullptr, kNow);
    EXPECT_EQ(printer.current, poLandscape);
    EXPECT_EQ(printer.calls.front(), QStringLiteral("begin"));
}

struct FailureCase {
    const char *name;
    bool begin, end;
    int newPage;
    std::vector<const char *> calls;
    const char *text;
};

class PrintGridFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(PrintGridFailure, IsReportedAndEndsTheJob)
{
    const FailureCase &c = GetParam();
    DataGridStore store(kColumnCount);
    fill(store, 200);
    const DataGridPrintTable table(store, sorvantLook());
    RecordingPrinter printer;
    printer.failBegin = c.begin;
    printer.failEnd = c.end;
    printer.failNewPageAt = c.newPage;
    RecordingProgress progress;
    try {
        PrintGrid(printer, table, PrintSettings(), &progress, kNow);
        FAIL() << "a failing printer was reported as success";
    } catch (const UserError &e) {
        EXPECT_EQ(e.text(), QString::fromUtf8(c.text));
    }
    std::vector<QString> expected;
    for (const char *call : c.calls)
        expected.push_back(QString::fromUtf8(call));
    EXPECT_EQ(printer.calls, expected);
    EXPECT_FALSE(progress.visible);
    // The next print starts afresh.
    printer.failBegin = printer.failEnd = false;
    printer.failNewPageAt = 0;
    printer.calls.clear();
    PrintGrid(printer, table, PrintSettings(), nullptr, kNow);
    EXPECT_EQ(printer.calls.back(), QStringLiteral("end"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintGridFailure,
    ::testing::Values(
        FailureCase{"Begin", true, false, 0, {"orientation", "begin"},
                    "The printer could not start the document: The printer is out of paper"},
        FailureCase{"NewPage", false, false, 2, {"orientation", "begin", "abort"},
                    "The printer could not start a new page: The printer is out of paper"},
        FailureCase{"End", false, true, 0, {"orientation", "begin", "end", "abort"},
                    "The printer could not finish the document: The printer is out of paper"}),
    [](const auto &param) { return std::string(param.param.name); });

// --- printed pages read back ----------------------------------------------

namespace {

struct PdfJob {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    QRectF printable; // points, on the page
    PdfJob()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape); // the print dialog's choice
    }
    std::vector<pdfwords::Page> print(const GridPrintTable &table, const PrintSettings &s, int first = 0, int last = 0)
    {
        QtPrinterDevice device(printer);
        PrintGrid(device, table, s, nullptr, kNow);
        printable = printer.pageRect(QPrinter::Point);
        return pdfwords::read(path, first, last);
    }
    // The plan the job made, on the same printable area.
    std::unique_ptr<GridPagePlan> plan(const GridPrintTable &table, const PrintSettings &s, PrintTextMeasurer &m)
    {
        const QRectF px = printer.pageRect(QPrinter::DevicePixel);
        const int W = static_cast<int>(std::lround(254.0 * px.width() / printer.resolution()));
        const int H = static_cast<int>(std::lround(254.0 * px.height() / printer.resolution()));
        return std::make_unique<GridPagePlan>(table, s, W, H, m);
    }
    // Page positions in tenths of a millimetre from the printable area's corner.
    double x(double points) const { return pdfwords::tenthsMm(points - printable.left()); }
    double y(double points) const { return pdfwords::tenthsMm(points - printable.top()); }
};

} // namespace

TEST(PrintGridPdf, StartingSettingsPrintThePlannedPages)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    DataGridStore store(kColumnCount);
    fill(store, 150);
    store.HideColumn(4);    // Moisture In
    store.moveColumn(6, 1); // Time right after Record #
    const DataGridPrintTable table(store, sorvantLook());
    PdfJob job;
    const PrintSettings s;
    const auto pages = job.print(table, s);
    QtPrintTextMeasurer measurer;
    const auto plan = job.plan(table, s, measurer);
    ASSERT_EQ(static_cast<int>(pages.size()), plan->pageCount());
    ASSERT_GE(pages.size(), 2u);
    EXPECT_LT(pages[0].width, pages[0].height) << "portrait, whatever the dialog chose";

    const pdfwords::Page &one = pages[0];
    const GridPage p1 = plan->page(0);
    EXPECT_EQ(one.count(QStringLiteral("Moisture")), 1) << "only Moisture Out: Moisture In is hidden";
    const pdfwords::Word *record = one.find(QStringLiteral("Record"));
    const pdfwords::Word *time = one.find(QStringLiteral("Time"));
    const pdfwords::Word *wet = one.find(QStringLiteral("Wet"));
    ASSERT_TRUE(record && time && wet);
    EXPECT_LT(record->xMax, time->xMin);
    EXPECT_LT(time->xMax, wet->xMin) << "the moved column prints in its new place";
    // "Time" is centred in the second column, at the top of the header row.
    const GridPageColumn &second = p1.columns[1];
    EXPECT_NEAR((job.x(time->xMin) + job.x(time->xMax)) / 2, second.x + second.width / 2.0, 3);
    EXPECT_NEAR(job.y(time->yMin), p1.rows[0].y, 8);
    // The record number of the last row of page 1 sits in its planned row.
    const GridPageRow &last = p1.rows.back();
    const pdfwords::Word *n = one.find(QString::number(last.row));
    ASSERT_NE(n, nullptr);
    EXPECT_NEAR(job.y(n->yMin), last.y, 8);
    EXPECT_NEAR((job.x(n->xMin) + job.x(n->xMax)) / 2, p1.columns[0].x + p1.columns[0].width / 2.0, 3);

    // Page 2 begins directly with a data row.
    EXPECT_EQ(pages[1].find(QStringLiteral("Record")), nullptr);
    EXPECT_NE(pages[1].find(QString::number(last.row + 1)), nullptr);
}

TEST(PrintGridPdf, RepeatedHeaderAndCentredPageNumbers)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    DataGridStore store(kColumnCount);
    fill(store, 250);
    const DataGridPrintTable table(store, sorvantLook());
    PdfJob job;
    PrintSettings s;
    s.RepeatFixedRows = true;
    s.PageNr = ppBottomCenter;
    s.Date = ppTopLeft;
    s.Time = ppTopLeft;
    const auto pages = job.print(table, s);
    ASSERT_GE(pages.size(), 3u);
    QtPrintTextMeasurer measurer;
    const auto plan = job.plan(table, s, measurer);
    const QString total = QString::number(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(pages[i].find(QStringLiteral("Record")), nullptr);
        const pdfwords::Word *number = pages[i].find(QStringLiteral("%1/%2").arg(i + 1).arg(total));
        ASSERT_NE(number, nullptr);
        // "  n/N " is centred as a whole: the number sits a blank right of the middle.
        const double middle = (job.x(number->xMin) + job.x(number->xMax)) / 2;
        EXPECT_GT(middle, plan->pageWidth() / 2.0);
        EXPECT_LT(middle, plan->pageWidth() / 2.0 + 25);
        EXPECT_NEAR(job.y(number->yMin), plan->pageHeight() - plan->g() - plan->hF(), 8);
        const pdfwords::Word *date = pages[i].find(QStringLiteral("05/03/2011"));
        ASSERT_NE(date, nullptr);
        EXPECT_NEAR(job.x(date->xMin), 0, 3);
        EXPECT_NE(pages[i].find(QStringLiteral("14:07")), nullptr);
    }
}

TEST(PrintGridPdf, BandsRepeatTheFixedColumnAndNumberPagesByBand)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    DataGridStore store(kColumnCount);
    fill(store, 80);
    const DataGridPrintTable table(store, sorvantLook());
    PdfJob job;
    PrintSettings s;
    s.ColumnSpacing = 150; // 17 mm a column: the nine need two bands
    s.RepeatFixedCols = true;
    s.PageNr = ppTopRight;
    QtPrintTextMeasurer measurer;
    const auto pages = job.print(table, s);
    const auto plan = job.plan(table, s, measurer);
    ASSERT_EQ(plan->bandCount(), 2);
    ASSERT_EQ(static_cast<int>(pages.size()), plan->pageCount());
    const int perBand = plan->pagesPerBand();
    EXPECT_NE(pages[0].find(QStringLiteral("1-1")), nullptr);
    EXPECT_NE(pages[static_cast<std::size_t>(perBand)].find(QStringLiteral("1-2")), nullptr);
    const pdfwords::Page &band2 = pages[static_cast<std::size_t>(perBand)];
    EXPECT_NE(band2.find(QStringLiteral("Record")), nullptr) << "repeated at the left of band 2";
    EXPECT_EQ(band2.find(QStringLiteral("Wet")), nullptr);
    EXPECT_NE(band2.find(QStringLiteral("Bin")), nullptr);
}
