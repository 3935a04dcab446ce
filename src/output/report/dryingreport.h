#pragma once

#include "reportcontent.h"
#include "reportplan.h"

#include "logdata/logstatistics.h"
#include "logdata/logstore.h"
#include "logdata/outofrange.h"
#include "output/printing/previewdocument.h"
#include "output/printing/printerdevice.h"
#include "views/overviewconfig.h"

#include <QPageLayout>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;

namespace sorvant {

class QtPrintTextMeasurer;

// The drying report of the last load: its figures over every record, its
// texts and the overview with the out-of-range spans shaded. It reads the
// store while it draws the overview, so it must not outlive the load.
class DryingReport
{
public:
    DryingReport(const LogStore &store, const Limits &limits, const ReportInput &input);

    const ReportContent &content() const { return m_content; }
    const LogStatistics &statistics() const { return m_stats; }
    // The job name the print system shows: "Drying Report - run.dat".
    QString documentName() const;

    // Draws page `index` of `plan` (laid out from content()) onto `painter`,
    // in device pixels from the top-left corner of the printable area at
    // `dpiX` x `dpiY` dots per inch.
    void drawPage(QPainter &painter, const ReportPlan &plan, int index, double dpiX, double dpiY) const;

    // Columns the overview is divided into at most: a fifth of a millimetre
    // each on A4, sharp on paper, and the page stays small and quick to print.
    static constexpr int kOverviewColumns = 1000;

private:
    // The spans first: the figures count them, the overview shades them.
    std::vector<OutOfRangeSpan> m_spans;
    LogStatistics m_stats;
    ReportContent m_content;
    LogOverviewData m_overview;
};

// The report's pages as the printer lays them out: always portrait.
QPageLayout reportPageLayout(const QPageLayout &printerLayout);

// Prints the report as one job on `printer`, portrait, named
// documentName(). Throws UserError when the printer refuses to start the
// document, a page or the end of it; a started job is aborted first.
void PrintReport(PrinterDevice &printer, const DryingReport &report);

// The pages PrintReport would print on `printer`, for the preview.
class ReportPreviewDocument : public PreviewDocument
{
public:
    // The printer and the report must outlive the document.
    ReportPreviewDocument(const QPrinter &printer, const DryingReport &report);
    ~ReportPreviewDocument() override;

    // Lays the pages out again on the printer's paper as it is now.
    void refresh();

    int pageCount() const override { return m_plan->pageCount(); }
    QPageLayout pageLayout() const override { return m_layout; }
    int resolution() const override { return m_resolution; }
    void drawPage(int index, QPainter &painter) const override;

    const ReportPlan &plan() const { return *m_plan; }

private:
    const QPrinter &m_printer;
    const DryingReport &m_report;
    QPageLayout m_layout;
    int m_resolution = 72;
    std::unique_ptr<QtPrintTextMeasurer> m_measurer;
    std::unique_ptr<ReportPlan> m_plan;
};

} // namespace sorvant
