#include "pdfoutput.h"

#include "output/pdfjoin/gridpdf.h"
#include "output/printing/chartpage.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/pdfwriterdevice.h"
#include "output/report/dryingreport.h"
#include "platform/outputfile.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QIODevice>
#include <QPalette>
#include <QPrinter>

#include <functional>

namespace sorvant {

namespace {

struct Paper {
    const char *name;
    QPageSize::PageSizeId id;
};
constexpr Paper kPapers[] = {
    {"a4", QPageSize::A4}, {"letter", QPageSize::Letter}, {"legal", QPageSize::Legal}, {"a3", QPageSize::A3}};

const Paper *findPaper(const QString &name)
{
    for (const Paper &p : kPapers) {
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

// A sequential device over an OutputFile, for the PDF writer.
class OutputFileDevice : public QIODevice
{
public:
    explicit OutputFileDevice(OutputFile &file) : m_file(file) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        return m_file.write(data, static_cast<std::size_t>(size)) ? size : -1;
    }

private:
    OutputFile &m_file;
};

// Writes a PDF as every export is written: beside the target and put in
// place only once the job has ended, so a failed job leaves nothing behind.
// `job` gets the page as a PDF printer of that paper has it, so the pages
// are the ones the window's Print gives on such a printer.
void writePdf(const QString &path, const QString &paper,
              const std::function<void(QIODevice &output, const QPageLayout &layout, int resolution)> &job)
{
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    if (const Paper *p = findPaper(paper))
        reference.setPageSize(QPageSize(p->id));

    OutputFile file(path);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + path);
    {
        OutputFileDevice output(file);
        job(output, reference.pageLayout(), reference.resolution());
    }
    if (!file.commit())
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(path, file.errorString()));
}

} // namespace

bool isPaperName(const QString &name)
{
    return findPaper(name) != nullptr;
}

void writeSpreadsheetPdf(const DataGridStore &grid, const PrintSettings &settings, const QString &path,
                         const QString &paper, int threads)
{
    GridPrintLook look;
    look.dataFont = spreadsheetFont(false);
    look.fixedFont = spreadsheetFont(true);
    look.takeColors(QGuiApplication::palette());
    look.fixedRowHeight = kFixedRowHeight;
    look.defaultRowHeight = kDefaultRowHeight;
    const DataGridPrintTable table(grid, look);
    writePdf(path, paper, [&](QIODevice &output, const QPageLayout &layout, int resolution) {
        GridPdfJob job;
        job.layout = layout;
        job.resolution = resolution;
        job.threads = threads;
        PrintGridPdf(output, table, settings, job);
    });
}

void writeChartPdf(const ChartModel &chart, const QString &path, const QString &paper)
{
    writePdf(path, paper, [&](QIODevice &output, const QPageLayout &layout, int resolution) {
        PdfWriterDevice device(&output, layout, resolution);
        PrintChartPage(device, chart, QDateTime::currentDateTime());
    });
}

void writeReportPdf(const DryingReport &report, const QString &path, const QString &paper)
{
    writePdf(path, paper, [&](QIODevice &output, const QPageLayout &layout, int resolution) {
        PdfWriterDevice device(&output, layout, resolution);
        PrintReport(device, report);
    });
}

} // namespace sorvant
