#include "printpreview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace sorvant {

namespace {

constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 8.0;

} // namespace

QImage renderPreviewPage(const PreviewDocument &document, int index, const QSize &size, const QRect &part)
{
    const QPageLayout layout = document.pageLayout();
    const int dpi = std::max(1, document.resolution());
    QImage image(part.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    // The image claims the printer's resolution, so fonts given in points
    // come out as many printer pixels as on paper; the transform then takes
    // printer pixels down to the zoom. Nothing is clipped to the printable
    // area: a line on its edge prints whole, and is shown whole.
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double zoom = size.width() / layout.fullRect(QPageLayout::Point).width();
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    painter.translate(printable.left() * zoom - part.left(), printable.top() * zoom - part.top());
    const double scale = zoom * 72.0 / dpi;
    painter.scale(scale, scale);
    document.drawPage(index, painter);
    return image;
}

// --- PreviewPagesView --------------------------------------------------------

PreviewPagesView::PreviewPagesView(QWidget *parent) : QAbstractScrollArea(parent)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void PreviewPagesView::setDocument(const PreviewDocument *document)
{
    m_document = document;
    m_drawn = 0;
    documentChanged();
}

void PreviewPagesView::documentChanged()
{
    m_cache.clear();
    m_lastReported = -1;
    applyFit();
    updateScrollBars();
    viewport()->update();
    notifyPage();
}

int PreviewPagesView::pageCount() const
{
    return m_document ? std::max(0, m_document->pageCount()) : 0;
}

void PreviewPagesView::setFacingPages(bool facing)
{
    if (m_facing == facing)
        return;
    const int page = currentPage();
    m_facing = facing;
    m_cache.clear();
    applyFit();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
}

void PreviewPagesView::setZoom(double zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (m_fit != FitMode::None) {
        m_fit = FitMode::None;
        emit fitModeChanged(m_fit);
    }
    if (zoom == m_zoom)
        return;
    const int page = currentPage();
    m_zoom = zoom;
    m_cache.clear();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void PreviewPagesView::setFitMode(FitMode mode)
{
    const int page = currentPage();
    m_fit = mode;
    applyFit();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
    // Said even when the zoom stays: two fits may give the same zoom.
    emit fitModeChanged(m_fit);
}

int PreviewPagesView::zoomPercent() const
{
    const double pointPixels = std::max(1, logicalDpiX()) / 72.0;
    return static_cast<int>(std::lround(m_zoom / pointPixels * 100.0));
}

void PreviewPagesView::setZoomPercent(double percent)
{
    setZoom(percent / 100.0 * std::max(1, logicalDpiX()) / 72.0);
}

void PreviewPagesView::applyFit()
{
    if (!m_document || m_fit == FitMode::None)
        return;
    const QSizeF paper = m_document->pageLayout().fullRect(QPageLayout::Point).size();
    if (paper.width() <= 0 || paper.height() <= 0)
        return;
    // The scroll bar the fitted pages will need is taken off the width first,
    // so fitting never makes a horizontal scroll bar appear.
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const double width = std::max(1, viewport()->width() - barWidth - (columns() + 1) * kMargin);
    double zoom = width / (columns() * paper.width());
    if (m_fit == FitMode::Page) {
        const double height = std::max(1, viewport()->height() - 2 * kMargin);
        zoom = std::min(zoom, height / paper.height());
    }
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom != m_zoom) {
        m_zoom = zoom;
        m_cache.clear();
        emit zoomChanged(m_zoom);
    }
}

QSize PreviewPagesView::pageSizePixels() const
{
    if (!m_document)
        return QSize();
    const QSizeF paper = m_document->pageLayout().fullRect(QPageLayout::Point).size();
    return QSize(std::max(1, static_cast<int>(std::lround(paper.width() * m_zoom))),
                 std::max(1, static_cast<int>(std::lround(paper.height() * m_zoom))));
}

int PreviewPagesView::rowHeight() const
{
    return pageSizePixels().height() + kMargin;
}

QSize PreviewPagesView::contentSize() const
{
    const QSize page = pageSizePixels();
    const int rows = (pageCount() + columns() - 1) / columns();
    // Room below the last row to bring it to the top, so "last page" and a
    // typed page number always put that page at the top of the view.
    const int last = std::max(rowHeight() + kMargin, viewport()->height());
    return QSize(columns() * page.width() + (columns() + 1) * kMargin, std::max(0, rows - 1) * rowHeight() + last);
}

void PreviewPagesView::updateScrollBars()
{
    const QSize content = contentSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
}

QRect PreviewPagesView::pageRect(int index) const
{
    const QSize page = pageSizePixels();
    const int row = index / columns();
    const int column = index % columns();
    const QSize content = contentSize();
    // Narrower than the window: centred.
    const int left = content.width() < viewport()->width() ? (viewport()->width() - content.width()) / 2
                                                            : -horizontalScrollBar()->value();
    return QRect(left + kMargin + column * (page.width() + kMargin),
                 kMargin + row * rowHeight() - verticalScrollBar()->value(), page.width(), page.height());
}

int PreviewPagesView::currentPage() const
{
    if (pageCount() == 0)
        return 0;
    const int row = (verticalScrollBar()->value() + rowHeight() / 2) / std::max(1, rowHeight());
    return std::clamp(row * columns(), 0, pageCount() - 1);
}

void PreviewPagesView::setCurrentPage(int index)
{
    if (pageCount() == 0)
        return;
    index = std::clamp(index, 0, pageCount() - 1);
    verticalScrollBar()->setValue((index / columns()) * rowHeight());
    notifyPage();
}

void PreviewPagesView::notifyPage()
{
    const int page = currentPage();
    if (page != m_lastReported) {
        m_lastReported = page;
        emit currentPageChanged(page);
    }
}

qint64 PreviewPagesView::cachedBytes() const
{
    qint64 bytes = 0;
    for (const auto &page : m_cache)
        bytes += page.second.sizeInBytes();
    return bytes;
}

void PreviewPagesView::drawPage(QPainter &painter, int index, const QRect &rect)
{
    const QSize size = rect.size();
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > kCacheBytes / 2) {
        // Zoomed in far: only the part in view is drawn, and not kept, so a
        // page never costs more memory than the window shows.
        const QRect visible = rect.intersected(viewport()->rect());
        if (visible.isEmpty())
            return;
        painter.drawImage(visible.topLeft(),
                          renderPreviewPage(*m_document, index, size, visible.translated(-rect.topLeft())));
        ++m_drawn;
        return;
    }
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->first == index && it->second.size() == size) {
            m_cache.splice(m_cache.begin(), m_cache, it);
            painter.drawImage(rect.topLeft(), m_cache.front().second);
            return;
        }
    }
    m_cache.emplace_front(index, renderPreviewPage(*m_document, index, size, QRect(QPoint(0, 0), size)));
    ++m_drawn;
    painter.drawImage(rect.topLeft(), m_cache.front().second);
    // The pages kept are the most recent ones that fit the budget.
    qint64 kept = 0;
    auto it = m_cache.begin();
    for (std::size_t n = 0; it != m_cache.end(); ++it, ++n) {
        kept += it->second.sizeInBytes();
        if (kept > kCacheBytes || n >= static_cast<std::size_t>(kCachedPages))
            break;
    }
    if (it != m_cache.begin())
        m_cache.erase(it, m_cache.end());
}

void PreviewPagesView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    if (!m_document || pageCount() == 0)
        return;
    const int first = std::max(0, (verticalScrollBar()->value() / std::max(1, rowHeight())) * columns());
    for (int index = first; index < pageCount(); ++index) {
        const QRect rect = pageRect(index);
        if (rect.top() > viewport()->height())
            break;
        if (!rect.intersects(viewport()->rect()))
            continue;
        painter.fillRect(rect.translated(3, 3), palette().color(QPalette::Shadow));
        drawPage(painter, index, rect);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

void PreviewPagesView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int page = currentPage();
    applyFit();
    updateScrollBars();
    if (m_fit != FitMode::None)
        setCurrentPage(page);
}

void PreviewPagesView::scrollContentsBy(int, int)
{
    viewport()->update();
    notifyPage();
}

void PreviewPagesView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            zoomIn();
        else if (event->angleDelta().y() < 0)
            zoomOut();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// --- TPrintPreviewForm -------------------------------------------------------

TPrintPreviewForm::TPrintPreviewForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintPreviewForm"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    m_view = new PreviewPagesView(this);
    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle *st = style();
    auto action = [this](const QIcon &icon, const QString &text, const QKeySequence &key) {
        QAction *a = m_toolBar->addAction(icon, text);
        a->setShortcut(key);
        return a;
    };

    m_print = action(QIcon::fromTheme(QStringLiteral("document-print")), QStringLiteral("&Print..."),
                     QKeySequence::Print);
    m_setup = action(QIcon::fromTheme(QStringLiteral("document-properties")), QStringLiteral("Print &Setup..."),
                     QKeySequence());
    m_setup->setVisible(false);
    m_toolBar->addSeparator();
    m_first = action(st->standardIcon(QStyle::SP_MediaSkipBackward), QStringLiteral("First"),
                     QKeySequence(Qt::CTRL | Qt::Key_Home));
    m_previous = action(st->standardIcon(QStyle::SP_MediaSeekBackward), QStringLiteral("Previous"),
                        QKeySequence(Qt::Key_PageUp));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("PageBox"));
    m_pageBox->setPrefix(QStringLiteral("page "));
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setAlignment(Qt::AlignRight);
    m_toolBar->addWidget(m_pageBox);
    m_next = action(st->standardIcon(QStyle::SP_MediaSeekForward), QStringLiteral("Next"),
                    QKeySequence(Qt::Key_PageDown));
    m_last = action(st->standardIcon(QStyle::SP_MediaSkipForward), QStringLiteral("Last"),
                    QKeySequence(Qt::CTRL | Qt::Key_End));
    m_toolBar->addSeparator();
    m_zoomOut = action(QIcon::fromTheme(QStringLiteral("zoom-out")), QStringLiteral("Zoom Out"),
                       QKeySequence::ZoomOut);
    m_zoomIn = action(QIcon::fromTheme(QStringLiteral("zoom-in")), QStringLiteral("Zoom In"), QKeySequence::ZoomIn);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("ZoomBox"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    for (int percent : {25, 50, 75, 100, 125, 150, 200, 400})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent));
    m_zoomBox->setMinimumContentsLength(5);
    m_toolBar->addWidget(m_zoomBox);
    m_fitWidth = action(QIcon::fromTheme(QStringLiteral("zoom-fit-width")), QStringLiteral("Fit Width"),
                        QKeySequence());
    m_fitPage = action(QIcon::fromTheme(QStringLiteral("zoom-fit-best")), QStringLiteral("Fit Page"),
                       QKeySequence());
    m_toolBar->addSeparator();
    m_single = action(QIcon(), QStringLiteral("One Page"), QKeySequence());
    m_facingPages = action(QIcon(), QStringLiteral("Facing Pages"), QKeySequence());
    m_toolBar->addSeparator();
    // Esc closes the window too, as in every dialog.
    m_close = action(st->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Close"), QKeySequence());
    m_close->setToolTip(QStringLiteral("Close the preview (Esc)"));
    for (QAction *a : {m_fitWidth, m_fitPage, m_single, m_facingPages})
        a->setCheckable(true);
    m_single->setChecked(true);
    m_fitPage->setChecked(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_view, 1);

    connect(m_first, &QAction::triggered, this, [this] { m_view->setCurrentPage(0); });
    connect(m_previous, &QAction::triggered, this,
            [this] { m_view->setCurrentPage(m_view->currentPage() - (m_view->facingPages() ? 2 : 1)); });
    connect(m_next, &QAction::triggered, this,
            [this] { m_view->setCurrentPage(m_view->currentPage() + (m_view->facingPages() ? 2 : 1)); });
    connect(m_last, &QAction::triggered, this, [this] { m_view->setCurrentPage(m_view->pageCount() - 1); });
    connect(m_zoomIn, &QAction::triggered, m_view, &PreviewPagesView::zoomIn);
    connect(m_zoomOut, &QAction::triggered, m_view, &PreviewPagesView::zoomOut);
    connect(m_fitWidth, &QAction::triggered, this,
            [this] { m_view->setFitMode(PreviewPagesView::FitMode::Width); });
    connect(m_fitPage, &QAction::triggered, this, [this] { m_view->setFitMode(PreviewPagesView::FitMode::Page); });
    connect(m_single, &QAction::triggered, this, [this] { m_view->setFacingPages(false); });
    connect(m_facingPages, &QAction::triggered, this, [this] { m_view->setFacingPages(true); });
    connect(m_view, &PreviewPagesView::zoomChanged, this, &TPrintPreviewForm::showZoom);
    connect(m_view, &PreviewPagesView::fitModeChanged, this, &TPrintPreviewForm::showZoom);
    connect(m_zoomBox, qOverload<int>(&QComboBox::activated), this, &TPrintPreviewForm::applyTypedZoom);
    connect(m_zoomBox->lineEdit(), &QLineEdit::editingFinished, this, &TPrintPreviewForm::applyTypedZoom);
    connect(m_close, &QAction::triggered, this, &QDialog::reject);
    connect(m_view, &PreviewPagesView::currentPageChanged, this, &TPrintPreviewForm::pageChanged);
    connect(m_pageBox, qOverload<int>(&QSpinBox::valueChanged), this, [this](int value) {
        if (value - 1 != m_view->currentPage())
            m_view->setCurrentPage(value - 1);
    });
    connect(m_print, &QAction::triggered, this, [this] {
        if (m_printCommand)
            m_printCommand();
    });
    connect(m_setup, &QAction::triggered, this, &TPrintPreviewForm::runSetup);
    connect(m_single, &QAction::toggled, this, [this](bool on) { m_facingPages->setChecked(!on); });
    connect(m_facingPages, &QAction::toggled, this, [this](bool on) { m_single->setChecked(!on); });

    resize(760, 1000);
    showZoom();
}

void TPrintPreviewForm::showZoom()
{
    // A checked tool says what the zoom follows; a fit only while it holds.
    m_fitWidth->setChecked(m_view->fitMode() == PreviewPagesView::FitMode::Width);
    m_fitPage->setChecked(m_view->fitMode() == PreviewPagesView::FitMode::Page);
    const QSignalBlocker block(m_zoomBox);
    m_zoomBox->setEditText(QStringLiteral("%1%").arg(m_view->zoomPercent()));
}

void TPrintPreviewForm::applyTypedZoom()
{
    QString text = m_zoomBox->currentText().trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    bool ok = false;
    const double percent = text.trimmed().toDouble(&ok);
    if (ok && percent > 0)
        m_view->setZoomPercent(percent);
    // What the box shows is the zoom in force, also after a text that was
    // not a number or lay outside what the view can show.
    showZoom();
}

void TPrintPreviewForm::showEvent(QShowEvent *event)
{
    // Room for every tool (the Print Setup button may have been added since
    // construction) and a page that can be read, within the screen.
    QSize size(std::max(width(), m_toolBar->sizeHint().width()), height());
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    QDialog::showEvent(event);
}

void TPrintPreviewForm::setDocument(const PreviewDocument *document)
{
    m_view->setDocument(document);
    refreshTotal();
    pageChanged(m_view->currentPage());
}

void TPrintPreviewForm::setPrintAction(std::function<void()> print)
{
    m_printCommand = std::move(print);
}

void TPrintPreviewForm::setSetupAction(std::function<bool()> setup)
{
    m_setupCommand = std::move(setup);
    m_setup->setVisible(static_cast<bool>(m_setupCommand));
}

void TPrintPreviewForm::runSetup()
{
    if (!m_setupCommand || !m_setupCommand())
        return;
    const int page = m_view->currentPage();
    m_view->documentChanged();
    refreshTotal();
    m_view->setCurrentPage(page);
    pageChanged(m_view->currentPage());
}

void TPrintPreviewForm::refreshTotal()
{
    const int total = m_view->pageCount();
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setRange(total > 0 ? 1 : 0, std::max(total, 0));
    m_pageBox->setSuffix(QStringLiteral(" of %1").arg(total));
}

void TPrintPreviewForm::pageChanged(int index)
{
    const int total = m_view->pageCount();
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(total > 0 ? index + 1 : 0);
    }
    m_first->setEnabled(index > 0);
    m_previous->setEnabled(index > 0);
    const int lastShown = index + (m_view->facingPages() ? 1 : 0);
    m_next->setEnabled(lastShown < total - 1);
    m_last->setEnabled(lastShown < total - 1);
}

QString TPrintPreviewForm::pageText() const
{
    return m_pageBox->prefix() + QString::number(m_pageBox->value()) + m_pageBox->suffix();
}

} // namespace sorvant
