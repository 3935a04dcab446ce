#include "gridpreview.h"

#include "gridpagepainter.h"
#include "qtprinttextmeasurer.h"

#include <QPrinter>

#include <algorithm>

namespace sorvant {

GridPreviewDocument::GridPreviewDocument(const QPrinter &printer, const GridPrintTable &table,
                                         const PrintSettings &settings)
    : m_printer(printer), m_table(table), m_settings(settings), m_measurer(std::make_unique<QtPrintTextMeasurer>())
{
    refresh();
}

GridPreviewDocument::~GridPreviewDocument() = default;

void GridPreviewDocument::refresh()
{
    // The page as the print job will set it up: the settings' orientation
    // unless they leave the printer's alone.
    m_layout = m_printer.pageLayout();
    if (!m_settings.UseDefaultOrientation)
        m_layout.setOrientation(m_settings.Orientation == poLandscape ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
    m_resolution = std::max(1, m_printer.resolution());
    const QSize pixels = m_layout.paintRectPixels(m_resolution).size();
    m_painter.reset();
    m_plan = std::make_unique<GridPagePlan>(m_table, m_settings, printLength(pixels.width(), m_resolution),
                                            printLength(pixels.height(), m_resolution), *m_measurer);
    m_painter = std::make_unique<GridPagePainter>(*m_plan);
}

int GridPreviewDocument::pageCount() const
{
    return m_plan->pageCount();
}

void GridPreviewDocument::drawPage(int index, QPainter &painter) const
{
    if (index < 0 || index >= pageCount())
        return;
    m_painter->drawPage(painter, index, m_clock ? m_clock() : QDateTime::currentDateTime(), m_resolution,
                        m_resolution);
}

} // namespace sorvant
