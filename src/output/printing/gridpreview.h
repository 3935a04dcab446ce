#pragma once

#include "gridpageplan.h"
#include "gridprinttable.h"
#include "previewdocument.h"
#include "printsettings.h"

#include <QDateTime>

#include <functional>
#include <memory>

class QPrinter;

namespace sorvant {

class GridPagePainter;
class QtPrintTextMeasurer;

// The pages PrintGrid would print on `printer`, for the preview: the same
// plan and painter, each page drawn only when asked for.
class GridPreviewDocument : public PreviewDocument
{
public:
    // The table, printer and settings must outlive the document.
    GridPreviewDocument(const QPrinter &printer, const GridPrintTable &table, const PrintSettings &settings);
    ~GridPreviewDocument() override;

    // Plans again from the printer's paper and the settings as they are now.
    void refresh();

    int pageCount() const override;
    QPageLayout pageLayout() const override { return m_layout; }
    int resolution() const override { return m_resolution; }
    void drawPage(int index, QPainter &painter) const override;

    const GridPagePlan &plan() const { return *m_plan; }
    // The time the header and footer show; the clock's when not set.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    const QPrinter &m_printer;
    const GridPrintTable &m_table;
    const PrintSettings &m_settings;
    QPageLayout m_layout;
    int m_resolution = 72;
    std::unique_ptr<QtPrintTextMeasurer> m_measurer;
    std::unique_ptr<GridPagePlan> m_plan;
    std::unique_ptr<GridPagePainter> m_painter;
    std::function<QDateTime()> m_clock;
};

} // namespace sorvant
