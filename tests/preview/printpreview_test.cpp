// The preview window: pages drawn only when they come into view, moving
// through them, zooming, and the chart's one landscape page.
#include "chartfixture.h"

#include "output/printing/chartpage.h"
#include "output/printing/printpreview.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <set>

namespace {

// A document of any number of A4 pages, each page showing its number in a
// filled box whose shade depends on the number; it counts what it draws.
class CountingDocument : public sorvant::PreviewDocument
{
public:
    explicit CountingDocument(int pages) : m_pages(pages) {}
    int pageCount() const override { return m_pages; }
    QPageLayout pageLayout() const override
    {
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                           QPageLayout::Millimeter);
    }
    int resolution() const override { return 600; }
    void drawPage(int index, QPainter &painter) const override
    {
        drawn.insert(index);
        ++draws;
        painter.fillRect(QRect(0, 0, 600, 600), QColor(0, 0, 0));
    }
    void setPages(int pages) { m_pages = pages; }
    mutable std::set<int> drawn;
    mutable int draws = 0;

private:
    int m_pages;
};

struct PreviewWindow {
    sorvant::TPrintPreviewForm form;
    explicit PreviewWindow(const sorvant::PreviewDocument &doc)
    {
        form.resize(800, 900);
        form.setDocument(&doc);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.pagesView()->viewport()->repaint();
    }
};

TEST(PrintPreview, DrawsOnlyThePagesInViewWhateverThePageCount)
{
    CountingDocument doc(2000);
    PreviewWindow w(doc);
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 1 of 2000"));
    EXPECT_GE(doc.draws, 1);
    EXPECT_LE(doc.draws, 3) << "fit page shows about one page";
    EXPECT_EQ(doc.drawn.count(0), 1u);

    doc.drawn.clear();
    w.form.lastPageAction()->trigger();
    w.form.pagesView()->viewport()->repaint();
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 2000 of 2000"));
    EXPECT_EQ(doc.drawn.count(1999), 1u);
    EXPECT_LE(doc.drawn.size(), 3u);
    EXPECT_FALSE(w.form.nextPageAction()->isEnabled());
    EXPECT_FALSE(w.form.lastPageAction()->isEnabled());
    EXPECT_TRUE(w.form.firstPageAction()->isEnabled());

    // Typing a page number goes there.
    w.form.pageBox()->setValue(1234);
    w.form.pagesView()->viewport()->repaint();
    EXPECT_EQ(w.form.pagesView()->currentPage(), 1233);
    EXPECT_EQ(doc.drawn.count(1233), 1u);

    // Back to a page seen a moment ago: it comes from the kept pictures.
    const int before = doc.draws;
    w.form.lastPageAction()->trigger();
    w.form.pagesView()->viewport()->repaint();
    EXPECT_EQ(doc.draws, before);
}

TEST(PrintPreview, StepsThroughPagesSinglyOrInFacingPairs)
{
    CountingDocument doc(5);
    PreviewWindow w(doc);
    sorvant::PreviewPagesView *view = w.form.pagesView();
    EXPECT_FALSE(w.form.previousPageAction()->isEnabled());
    w.form.nextPageAction()->trigger();
    EXPECT_EQ(view->currentPage(), 1);
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 2 of 5"));

    w.form.facingPagesAction()->trigger();
    EXPECT_TRUE(view->facingPages());
    EXPECT_FALSE(w.form.singlePageAction()->isChecked());
    // Pairs start at odd pages: page 2 is shown with page 1.
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_EQ(view->pageRect(0).top(), view->pageRect(1).top());
    EXPECT_LT(view->pageRect(0).right(), view->pageRect(1).left());
    w.form.nextPageAction()->trigger();
    EXPECT_EQ(view->currentPage(), 2);
    w.form.nextPageAction()->trigger();
    EXPECT_EQ(view->currentPage(), 4);
    EXPECT_FALSE(w.form.nextPageAction()->isEnabled());
}

TEST(PrintPreview, ZoomAndFitToTheWindow)
{
    CountingDocument doc(3);
    PreviewWindow w(doc);
    sorvant::PreviewPagesView *view = w.form.pagesView();
    const QRect viewport = view->viewport()->rect();

    w.form.fitPageAction()->trigger();
    QRect page = view->pageRect(view->currentPage());
    EXPECT_LE(page.height(), viewport.height());
    EXPECT_GE(page.height(), viewport.height() - 4 * sorvant::PreviewPagesView::kMargin);

    w.form.fitWidthAction()->trigger();
    page = view->pageRect(0);
    EXPECT_LE(page.width(), viewport.width());
    EXPECT_GT(page.width(), viewport.width() * 8 / 10);
    EXPECT_TRUE(w.form.fitWidthAction()->isChecked());

    const double fitted = view->zoom();
    w.form.zoomInAction()->trigger();
    EXPECT_GT(view->zoom(), fitted);
    EXPECT_FALSE(w.form.fitWidthAction()->isChecked()) << "a zoom of one's own ends the fit";
    w.form.zoomOutAction()->trigger();
    w.form.zoomOutAction()->trigger();
    EXPECT_LT(view->zoom(), fitted);
}

TEST(PrintPreview, OnlyTheFitInForceIsCheckedWhateverTheZoomItGives)
{
    // Facing pages on a tall window: fitting the width and fitting the page
    // come to the same zoom.
    CountingDocument doc(4);
    PreviewWindow w(doc);
    w.form.resize(700, 1000);
    w.form.facingPagesAction()->trigger();
    const struct {
        QAction *fit;
        bool width, page;
    } steps[] = {{w.form.fitPageAction(), false, true},
                 {w.form.fitWidthAction(), true, false},
                 {w.form.fitWidthAction(), true, false}, // again: stays checked
                 {w.form.fitPageAction(), false, true},
                 {w.form.zoomInAction(), false, false}};
    for (const auto &step : steps) {
        step.fit->trigger();
        EXPECT_EQ(w.form.fitWidthAction()->isChecked(), step.width) << step.fit->text().toStdString();
        EXPECT_EQ(w.form.fitPageAction()->isChecked(), step.page) << step.fit->text().toStdString();
    }
}

TEST(PrintPreview, TheZoomBoxShowsAndTakesAPercentage)
{
    CountingDocument doc(2);
    PreviewWindow w(doc);
    sorvant::PreviewPagesView *view = w.form.pagesView();
    QComboBox *box = w.form.zoomBox();
    EXPECT_EQ(box->currentText(), QStringLiteral("%1%").arg(view->zoomPercent())) << "the fitted zoom";

    // 100 % is the page at its real size on this screen.
    box->setCurrentIndex(box->findText(QStringLiteral("100%")));
    emit box->activated(box->currentIndex());
    EXPECT_EQ(view->zoomPercent(), 100);
    EXPECT_NEAR(view->pageRect(0).width(), 210.0 / 25.4 * view->logicalDpiX(), 2.0);
    EXPECT_FALSE(w.form.fitPageAction()->isChecked());

    const struct {
        QString typed, shown;
    } cases[] = {{QStringLiteral("150"), QStringLiteral("150%")},
                 {QStringLiteral(" 60 %"), QStringLiteral("60%")},
                 {QStringLiteral("abc"), QStringLiteral("60%")},
                 {QStringLiteral("-5"), QStringLiteral("60%")}};
    for (const auto &c : cases) {
        box->setEditText(c.typed);
        emit box->lineEdit()->editingFinished();
        EXPECT_EQ(box->currentText(), c.shown) << c.typed.toStdString();
        EXPECT_EQ(QStringLiteral("%1%").arg(view->zoomPercent()), c.shown) << "shown is what is in force";
    }
    w.form.zoomInAction()->trigger();
    EXPECT_EQ(box->currentText(), QStringLiteral("%1%").arg(view->zoomPercent()));
    EXPECT_NE(box->currentText(), QStringLiteral("60%"));
}

TEST(PrintPreview, CloseAndEscCloseThePreview)
{
    CountingDocument doc(2);
    PreviewWindow w(doc);
    ASSERT_TRUE(w.form.closeAction()->isVisible());
    w.form.closeAction()->trigger();
    EXPECT_FALSE(w.form.isVisible());
    EXPECT_EQ(w.form.result(), int(QDialog::Rejected));

    w.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form));
    QTest::keyClick(w.form.pagesView()->viewport(), Qt::Key_Escape);
    EXPECT_FALSE(w.form.isVisible());
}

TEST(PrintPreview, ZoomedFarInOnlyThePartInViewIsDrawnAndNothingHugeIsKept)
{
    CountingDocument doc(3);
    PreviewWindow w(doc);
    sorvant::PreviewPagesView *view = w.form.pagesView();
    for (int i = 0; i < 40; ++i)
        w.form.zoomInAction()->trigger();
    view->horizontalScrollBar()->setValue(0);
    view->setCurrentPage(0);
    const int before = view->pagesDrawn();
    const QImage shot = view->viewport()->grab().toImage();
    EXPECT_GT(view->pagesDrawn(), before);
    EXPECT_LE(view->cachedBytes(), sorvant::PreviewPagesView::kCacheBytes);
    // The page's top-left corner is in view: its 10 mm margin is white, and
    // the black square the page draws starts right after it.
    const QRect page = view->pageRect(0);
    const double pxPerMm = page.width() / 210.0;
    const QPoint inMargin = page.topLeft() + QPoint(int(5 * pxPerMm), int(5 * pxPerMm));
    const QPoint inSquare = page.topLeft() + QPoint(int(12 * pxPerMm), int(12 * pxPerMm));
    ASSERT_TRUE(view->viewport()->rect().contains(inSquare));
    EXPECT_EQ(shot.pixelColor(inMargin * shot.devicePixelRatio()), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(inSquare * shot.devicePixelRatio()), QColor(Qt::black));
}

TEST(PrintPreview, PrintSetupRedrawsOnlyWhenSettingsChanged)
{
    CountingDocument doc(4);
    PreviewWindow w(doc);
    EXPECT_FALSE(w.form.setupAction()->isVisible()) << "no settings button without settings";

    bool answer = false;
    int setups = 0;
    w.form.setSetupAction([&] {
        ++setups;
        doc.setPages(answer ? 9 : 4);
        return answer;
    });
    EXPECT_TRUE(w.form.setupAction()->isVisible());

    const int before = doc.draws;
    w.form.setupAction()->trigger(); // Cancel
    w.form.pagesView()->viewport()->repaint();
    EXPECT_EQ(setups, 1);
    EXPECT_EQ(doc.draws, before) << "Cancel changes nothing, so nothing is drawn again";
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 1 of 4"));

    answer = true; // OK
    w.form.setupAction()->trigger();
    w.form.pagesView()->viewport()->repaint();
    EXPECT_GT(doc.draws, before);
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 1 of 9"));
}

TEST(PrintPreview, PrintButtonRunsThePrintAction)
{
    CountingDocument doc(2);
    PreviewWindow w(doc);
    int prints = 0;
    w.form.setPrintAction([&] { ++prints; });
    w.form.printAction()->trigger();
    EXPECT_EQ(prints, 1);
    EXPECT_TRUE(w.form.isVisible()) << "the preview stays open";
}

TEST(ChartPreview, OneLandscapePageAndThePrinterLeftAsItWas)
{
    chartfixture::SorvantChart chart;
    chartfixture::load(chart.chart, 30);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    sorvant::ChartPreviewDocument doc(printer, chart.chart, QDateTime(QDate(2011, 3, 5), QTime(14, 7)),
                                      QLocale::c());
    EXPECT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    PreviewWindow w(doc);
    const QRect page = w.form.pagesView()->pageRect(0);
    EXPECT_GT(page.width(), page.height());
    EXPECT_EQ(w.form.pageText(), QStringLiteral("page 1 of 1"));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

} // namespace
