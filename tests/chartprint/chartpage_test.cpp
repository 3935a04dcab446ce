// The chart page of the Print command: its date line, its rectangle, the
// guards around the job, and the page as a PDF reader sees it.
#include "chartfixture.h"
#include "pdfwords.h"

#include "output/printing/chartpage.h"
#include "output/printing/qtprinterdevice.h"
#include "platform/usererror.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <optional>

using namespace chartfixture;
using sorvant::PrinterDevice;
using sorvant::TPrinterOrientation;

namespace {

const QDateTime kAfternoon(QDate(2011, 3, 5), QTime(14, 7, 9));

TEST(ChartPageDateLine, DateBlankLongTimeAndDateAloneAtMidnight)
{
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        QDateTime when;
        QLocale locale;
        QString expected;
    } cases[] = {
        {kAfternoon, german, german.toString(QDate(2011, 3, 5), QLocale::ShortFormat) + QStringLiteral(" 14:07:09")},
        {QDateTime(QDate(2011, 3, 5), QTime(0, 0, 0)), german, german.toString(QDate(2011, 3, 5), QLocale::ShortFormat)},
        // One second either side of midnight still shows the time.
        {QDateTime(QDate(2011, 3, 5), QTime(0, 0, 1)), german,
         german.toString(QDate(2011, 3, 5), QLocale::ShortFormat) + QStringLiteral(" 00:00:01")},
        {QDateTime(QDate(2011, 3, 4), QTime(23, 59, 59)), german,
         german.toString(QDate(2011, 3, 4), QLocale::ShortFormat) + QStringLiteral(" 23:59:59")},
    };
    for (const Case &k : cases)
        EXPECT_EQ(sorvant::chartPageDateLine(k.when, k.locale), k.expected) << k.when.toString().toStdString();

    // The time-zone name of Qt's long time pattern is not part of a clock's time.
    const QString us = sorvant::chartPageDateLine(kAfternoon, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(us.endsWith(QStringLiteral("2:07:09 PM"))) << us.toStdString();
    EXPECT_FALSE(sorvant::chartPageDateLine(kAfternoon, c).contains(QStringLiteral("UTC")));
}

TEST(ChartPageRectangle, OneTwentiethInFromEverySide)
{
    EXPECT_EQ(sorvant::chartPageRectangle(QSize(6600, 5100)), QRect(QPoint(330, 255), QPoint(6269, 4844)));
    // Whole-number quotients, rounded down on both sides.
    const QRect odd = sorvant::chartPageRectangle(QSize(3319, 2519));
    EXPECT_EQ(odd.left(), 165);
    EXPECT_EQ(odd.top(), 125);
    EXPECT_EQ(odd.left() + odd.width(), 3319 - 165);
    EXPECT_EQ(odd.top() + odd.height(), 2519 - 125);
}

// A printer whose every operation can be made to fail; it draws onto an image.
class FakePrinter : public PrinterDevice
{
public:
    enum class Fail { None, Begin, Painter, End };
    Fail fail = Fail::None;
    TPrinterOrientation current = sorvant::poPortrait;
    std::optional<TPrinterOrientation> orientationWhileOpen;
    bool busyPointerWhileOpen = false;
    int begun = 0, ended = 0, aborted = 0;
    QImage page{660, 510, QImage::Format_RGB32};

    TPrinterOrientation orientation() const override { return current; }
    void setOrientation(TPrinterOrientation o) override { current = o; }
    void setDocName(const QString &) override {}
    bool beginDocument() override
    {
        if (fail == Fail::Begin)
            return false;
        ++begun;
        orientationWhileOpen = current;
        busyPointerWhileOpen = QGuiApplication::overrideCursor()
            && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        page.fill(Qt::white);
        m_painter.emplace(&page);
        return true;
    }
    QPainter *painter() override { return fail == Fail::Painter || !m_painter ? nullptr : &*m_painter; }
    bool newPage() override { return false; }
    bool endDocument() override
    {
        m_painter.reset();
        if (fail == Fail::End)
            return false;
        ++ended;
        return true;
    }
    void abortDocument() override
    {
        m_painter.reset();
        ++aborted;
    }
    QSize printableSizePixels() const override { return page.size(); }
    int resolutionX() const override { return 60; }
    int resolutionY() const override { return 60; }
    QString errorString() const override { return QStringLiteral("The printer is out of paper"); }

private:
    std::optional<QPainter> m_painter;
};

TEST(PrintChartPage, LandscapeWhileOpenThenOrientationAndPointerBackHoweverItEnds)
{
    struct Case {
        FakePrinter::Fail fail;
        TPrinterOrientation before;
        bool throws;
        int aborted, ended;
    } cases[] = {
        {FakePrinter::Fail::None, sorvant::poPortrait, false, 0, 1},
        {FakePrinter::Fail::None, sorvant::poLandscape, false, 0, 1},
        // Beginning failed: no job exists, so there is nothing to abort.
        {FakePrinter::Fail::Begin, sorvant::poPortrait, true, 0, 0},
        {FakePrinter::Fail::Painter, sorvant::poPortrait, true, 1, 0},
        {FakePrinter::Fail::End, sorvant::poPortrait, true, 1, 0},
    };
    for (const Case &k : cases) {
        SorvantChart chart;
        load(chart.chart, 30);
        FakePrinter printer;
        printer.fail = k.fail;
        printer.current = k.before;
        bool threw = false;
        try {
            sorvant::PrintChartPage(printer, chart.chart, kAfternoon, QLocale::c());
        } catch (const sorvant::UserError &e) {
            threw = true;
            if (k.fail != FakePrinter::Fail::Painter) {
                EXPECT_EQ(e.text().toStdString(), "The printer is out of paper");
            }
            EXPECT_FALSE(e.text().isEmpty());
        }
        const int c = static_cast<int>(k.fail);
        EXPECT_EQ(threw, k.throws) << c;
        EXPECT_EQ(printer.current, k.before) << c;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c;
        EXPECT_EQ(printer.aborted, k.aborted) << c;
        EXPECT_EQ(printer.ended, k.ended) << c;
        if (k.fail != FakePrinter::Fail::Begin) {
            EXPECT_EQ(printer.orientationWhileOpen, sorvant::poLandscape) << c;
            EXPECT_TRUE(printer.busyPointerWhileOpen) << c;
        }
    }
}

TEST(PrintChartPage, DrawsTheDateLineAndTheChartOnlyInsideItsRectangle)
{
    SorvantChart chart;
    load(chart.chart, 30);
    FakePrinter printer;
    sorvant::PrintChartPage(printer, chart.chart, kAfternoon, QLocale::c());
    const QImage &page = printer.page;
    const QRect inner = sorvant::chartPageRectangle(page.size());
    bool inkTopLeft = false, inkOutside = false, inkInside = false;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            if (inner.contains(x, y))
                inkInside = true;
            else if (x >= 20 && y >= 20 && y < 20 + 25)
                inkTopLeft = true; // the date line
            else
                inkOutside = true;
        }
    }
    EXPECT_TRUE(inkTopLeft);
    EXPECT_TRUE(inkInside);
    EXPECT_FALSE(inkOutside) << "nothing but the date line lies outside the chart rectangle";
}

struct PdfPrinter {
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    QString path = dir.filePath(QStringLiteral("chart.pdf"));
    PdfPrinter()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
    }
};

TEST(PrintChartPage, PdfShowsTheChartAsShownOnOneLandscapePage)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    SorvantChart chart;
    // Five pages of twelve rows; moisture in is 21.7 throughout, so markers read "21.7".
    load(chart.chart, 60, 25, [](int) {
        RowValues v;
        v.moistureIn = 21.7;
        return v;
    });
    chart.chart.setPage(3);
    chart.chart.setMarksVisible(true);
    chart.chart.setSeriesVisible(Series2, false); // Moisture Out

    PdfPrinter pdf;
    sorvant::QtPrinterDevice device(pdf.printer);
    const QLocale german(QLocale::German, QLocale::Germany);
    sorvant::PrintChartPage(device, chart.chart, kAfternoon, german);
    EXPECT_EQ(device.orientation(), sorvant::poPortrait) << "the printer is back to portrait";

    const auto pages = pdfwords::read(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    const pdfwords::Page &page = pages[0];
    EXPECT_GT(page.width, page.height) << "landscape";

    // The date line's first word starts at (20, 20) device pixels of the
    // printable area, as the printer had it while the page was landscape.
    pdf.printer.setPageOrientation(QPageLayout::Landscape);
    const QRectF printable = pdf.printer.pageRect(QPrinter::Point);
    const double pxToPt = 72.0 / pdf.printer.logicalDpiX();
    const QRect rect = sorvant::chartPageRectangle(QSize(pdf.printer.width(), pdf.printer.height()));
    pdf.printer.setPageOrientation(QPageLayout::Portrait);
    const pdfwords::Word *date = page.find(german.toString(kAfternoon.date(), QLocale::ShortFormat));
    ASSERT_NE(date, nullptr);
    EXPECT_NEAR(date->xMin, printable.left() + 20 * pxToPt, 1.0);
    EXPECT_NEAR(date->yMin, printable.top() + 20 * pxToPt, 3.0);
    EXPECT_NE(page.find(QStringLiteral("14:07:09")), nullptr);

    // Page 3 holds rows 24..35: 8:00 to 8:55 (rows are five minutes apart).
    EXPECT_NE(page.find(QStringLiteral("8:00")), nullptr);
    EXPECT_NE(page.find(QStringLiteral("8:55")), nullptr);
    EXPECT_EQ(page.find(QStringLiteral("6:00")), nullptr) << "page 1 is not printed";
    EXPECT_EQ(page.find(QStringLiteral("9:00")), nullptr) << "page 4 is not printed";
    // Markers print: one "21.7" per point of the page.
    EXPECT_GE(page.count(QStringLiteral("21.7")), 12);
    // Everything but the date line lies within the chart rectangle.
    for (const pdfwords::Word &w : page.words) {
        if (w.yMin < printable.top() + (rect.top() - 1) * pxToPt)
            continue; // the date line
        EXPECT_GE(w.xMin, printable.left() + rect.left() * pxToPt - 1) << w.text.toStdString();
        EXPECT_LE(w.xMax, printable.left() + (rect.left() + rect.width()) * pxToPt + 1) << w.text.toStdString();
        EXPECT_LE(w.yMax, printable.top() + (rect.top() + rect.height()) * pxToPt + 1) << w.text.toStdString();
    }
}

TEST(PrintChartPage, HiddenSeriesAndZoomPrintAsShown)
{
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    SorvantChart chart;
    load(chart.chart, 60, 25, [](int) {
        RowValues v;
        v.moistureIn = 21.7;
        v.moistureOut = 14.3;
        return v;
    });
    chart.chart.setMarksVisible(true);
    chart.chart.setSeriesVisible(Series2, false);
    // Zoom to the left half of page 1: 6:00 stays, 6:55 goes.
    const ChartLayout before = chart.layout();
    chart.chart.ZoomRect(QRectF(before.plot.left() + 1, before.plot.top() + 1, before.plot.width() / 2,
                                before.plot.height() - 2));
    PdfPrinter pdf;
    sorvant::QtPrinterDevice device(pdf.printer);
    sorvant::PrintChartPage(device, chart.chart, kAfternoon, QLocale::c());
    const auto pages = pdfwords::read(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].find(QStringLiteral("14.3")), nullptr) << "the hidden series' markers do not print";
    EXPECT_GE(pages[0].count(QStringLiteral("21.7")), 3);
    EXPECT_EQ(pages[0].find(QStringLiteral("6:55")), nullptr) << "only the zoomed range prints";
}

} // namespace

namespace {

// Columns holding ink of the chart's title, in the band above the plot.
std::pair<int, int> titleInk(const QImage &image, int bandHeight)
{
    int left = image.width(), right = -1;
    for (int y = 0; y < bandHeight; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // The title is navy; the frame's gradient is pale.
            if (c.blue() > 60 && c.red() < 60 && c.green() < 60) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

TEST(PrintChartPage, TheTitleKeepsItsLetterSpacingOnAHighResolutionPrinter)
{
    SorvantChart chart;
    load(chart.chart, 30);
    const QSize size(925, 640);
    const auto render = [&](int dpi) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        QPainter painter(&image);
        chart.chart.PrintPartial(painter, QRect(QPoint(0, 0), size));
        return image;
    };
    const auto screen = titleInk(render(96), 60);
    const auto printer = titleInk(render(1200), 60);
    ASSERT_LT(screen.first, screen.second);
    EXPECT_NEAR(printer.first, screen.first, 3);
    EXPECT_NEAR(printer.second, screen.second, 3);
}

} // namespace
