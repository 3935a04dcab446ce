#pragma once

#include "previewdocument.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QImage>

#include <functional>
#include <list>
#include <utility>

class QAction;
class QComboBox;
class QSpinBox;
class QToolBar;

namespace sorvant {

// Page `index` of `document` drawn on white paper of `size` screen pixels,
// the part `part` of it (in those pixels): what the preview shows.
QImage renderPreviewPage(const PreviewDocument &document, int index, const QSize &size, const QRect &part);

// Shows the pages of a PreviewDocument one under the other, or in facing
// pairs, at any zoom. Only pages in view are drawn, each at the zoom it is
// shown at, and the last few are kept as pictures, so memory does not grow
// with the page count.
class PreviewPagesView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class FitMode { None, Width, Page };

    explicit PreviewPagesView(QWidget *parent = nullptr);

    void setDocument(const PreviewDocument *document);
    // Forget every drawn page (the document's pages changed).
    void documentChanged();

    bool facingPages() const { return m_facing; }
    void setFacingPages(bool facing);
    // Screen pixels per printed point.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    void zoomIn() { setZoom(m_zoom * 1.25); }
    void zoomOut() { setZoom(m_zoom / 1.25); }
    FitMode fitMode() const { return m_fit; }
    void setFitMode(FitMode mode);

    // The page (from 0) at the top of the view, and going to one.
    int currentPage() const;
    void setCurrentPage(int index);
    int pageCount() const;

    // Pages drawn since the document was set (for tests and benchmarks).
    int pagesDrawn() const { return m_drawn; }
    // Memory held by the pictures of pages kept for repainting.
    qint64 cachedBytes() const;
    // Where page `index` is, in viewport coordinates.
    QRect pageRect(int index) const;

    static constexpr int kMargin = 12;    // around and between pages
    static constexpr int kCachedPages = 8;
    // Pictures of pages kept: four pages fitted to a large window, enough
    // for facing pages and a step back.
    static constexpr qint64 kCacheBytes = 12 * 1024 * 1024;

    // The zoom as a percentage of the page's real size on this screen.
    int zoomPercent() const;
    void setZoomPercent(double percent);

signals:
    void currentPageChanged(int index);
    void zoomChanged(double zoom);
    void fitModeChanged(FitMode mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QSize pageSizePixels() const; // one page at the current zoom
    int columns() const { return m_facing ? 2 : 1; }
    int rowHeight() const;
    QSize contentSize() const;
    void updateScrollBars();
    void applyFit();
    void drawPage(QPainter &painter, int index, const QRect &rect);
    void notifyPage();

    const PreviewDocument *m_document = nullptr;
    bool m_facing = false;
    double m_zoom = 1.0;
    FitMode m_fit = FitMode::Page;
    int m_lastReported = -1;
    int m_drawn = 0;
    std::list<std::pair<int, QImage>> m_cache; // most recent first
};

// The print preview window: the pages with the tools to move through them,
// zoom them, print them, and, where the document has them, its print settings.
class TPrintPreviewForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintPreviewForm(QWidget *parent = nullptr);

    void setDocument(const PreviewDocument *document);
    // The Print button: prints the document (the same job as the Print
    // command); the preview stays open.
    void setPrintAction(std::function<void()> print);
    // The Print Setup button, shown only when set: true when the settings
    // changed, and the pages are then drawn again.
    void setSetupAction(std::function<bool()> setup);

    PreviewPagesView *pagesView() const { return m_view; }
    QSpinBox *pageBox() const { return m_pageBox; }
    QAction *printAction() const { return m_print; }
    QAction *setupAction() const { return m_setup; }
    QAction *firstPageAction() const { return m_first; }
    QAction *previousPageAction() const { return m_previous; }
    QAction *nextPageAction() const { return m_next; }
    QAction *lastPageAction() const { return m_last; }
    QAction *zoomInAction() const { return m_zoomIn; }
    QAction *zoomOutAction() const { return m_zoomOut; }
    QAction *fitWidthAction() const { return m_fitWidth; }
    QAction *fitPageAction() const { return m_fitPage; }
    QAction *singlePageAction() const { return m_single; }
    QAction *facingPagesAction() const { return m_facingPages; }
    QAction *closeAction() const { return m_close; }
    // The zoom as a percentage; a percentage typed or chosen there applies.
    QComboBox *zoomBox() const { return m_zoomBox; }

    // "page n of N" as the page box and its label show it.
    QString pageText() const;

    // Runs the Print Setup button's action and redraws when it changed something.
    void runSetup();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void pageChanged(int index);
    void refreshTotal();
    void showZoom();
    void applyTypedZoom();

    PreviewPagesView *m_view = nullptr;
    QToolBar *m_toolBar = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QAction *m_print = nullptr, *m_setup = nullptr;
    QAction *m_first = nullptr, *m_previous = nullptr, *m_next = nullptr, *m_last = nullptr;
    QAction *m_zoomIn = nullptr, *m_zoomOut = nullptr, *m_fitWidth = nullptr, *m_fitPage = nullptr;
    QAction *m_single = nullptr, *m_facingPages = nullptr, *m_close = nullptr;
    QComboBox *m_zoomBox = nullptr;
    std::function<void()> m_printCommand;
    std::function<bool()> m_setupCommand;
};

} // namespace sorvant
