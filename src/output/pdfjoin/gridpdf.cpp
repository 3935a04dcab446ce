#include "gridpdf.h"

#include "pdfjoin.h"

#include "output/printing/gridpageplan.h"
#include "output/printing/gridprint.h"
#include "output/printing/pdfwriterdevice.h"
#include "output/printing/qtprinttextmeasurer.h"
#include "platform/usererror.h"

#include <QBuffer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace sorvant {

namespace {

// Fewer pages than this to a part, and the parts' own costs (a document
// each, its fonts, the joining) outweigh what the threads gain.
constexpr int kMinPagesPerPart = 48;
// Parts per thread: a thread slowed down by other work on the machine
// leaves the parts it has not started to the others.
constexpr int kPartsPerThread = 4;
// Threads beyond this gain little (the plan and the joining are one
// thread's work) and each costs memory.
constexpr int kMaxThreads = 8;

std::unique_ptr<PrinterDevice> makePrinter(const GridPdfJob &job, QIODevice *output)
{
    if (job.printer)
        return job.printer(output);
    return std::make_unique<PdfWriterDevice>(output, job.layout, job.resolution);
}

} // namespace

void PrintGridPdf(QIODevice &output, const GridPrintTable &table, const PrintSettings &settings, const GridPdfJob &job,
                  const QDateTime &now)
{
    const int threads = job.threads > 0 ? job.threads : std::clamp(QThread::idealThreadCount(), 1, kMaxThreads);
    if (threads == 1) {
        const auto printer = makePrinter(job, &output);
        PrintGrid(*printer, table, settings, nullptr, now);
        return;
    }

    // The page size as a printer of the job sets it up, for the plan.
    int W = 0, H = 0;
    {
        QBuffer nowhere;
        nowhere.open(QIODevice::WriteOnly);
        const auto probe = makePrinter(job, &nowhere);
        if (!settings.UseDefaultOrientation)
            probe->setOrientation(settings.Orientation);
        const QSize pixels = probe->printableSizePixels();
        W = printLength(pixels.width(), std::max(1, probe->resolutionX()));
        H = printLength(pixels.height(), std::max(1, probe->resolutionY()));
    }
    QtPrintTextMeasurer measurer;
    const GridPagePlan plan(table, settings, W, H, measurer);
    const int pages = plan.pageCount();
    const int perPart = job.pagesPerPart > 0
        ? job.pagesPerPart
        : std::max(kMinPagesPerPart, (pages + threads * kPartsPerThread - 1) / (threads * kPartsPerThread));
    const int parts = std::max(1, (pages + perPart - 1) / perPart);
    if (parts == 1) {
        const auto printer = makePrinter(job, &output);
        PrintGridPages(*printer, plan, 0, pages, measurer, now);
        return;
    }

    std::vector<QByteArray> documents(static_cast<std::size_t>(parts));
    std::atomic<int> nextPart{0};
    std::atomic<bool> failed{false};
    std::mutex errorLock;
    QString error;
    const auto work = [&] {
        QtPrintTextMeasurer ownMeasurer; // the plan's belongs to this thread
        for (int part = nextPart++; part < parts && !failed; part = nextPart++) {
            try {
                QBuffer buffer(&documents[static_cast<std::size_t>(part)]);
                buffer.open(QIODevice::WriteOnly);
                const auto printer = makePrinter(job, &buffer);
                PrintGridPages(*printer, plan, part * perPart, std::min(pages, (part + 1) * perPart), ownMeasurer,
                               now);
            } catch (const UserError &e) {
                const std::lock_guard<std::mutex> lock(errorLock);
                if (!failed.exchange(true))
                    error = e.text();
            } catch (const std::exception &e) {
                const std::lock_guard<std::mutex> lock(errorLock);
                if (!failed.exchange(true))
                    error = QString::fromLocal8Bit(e.what());
            }
        }
    };
    {
        std::vector<std::thread> helpers;
        for (int t = 1; t < std::min(threads, parts); ++t)
            helpers.emplace_back(work);
        work();
        for (std::thread &t : helpers)
            t.join();
    }
    if (failed)
        throw UserError(error);

    // The joined document goes out in one piece, so a failure while joining
    // leaves `output` as it was.
    QByteArray joined;
    QBuffer buffer(&joined);
    buffer.open(QIODevice::WriteOnly);
    QString why;
    if (!joinPdfDocuments(documents, buffer, &why))
        throw UserError(QStringLiteral("The pages could not be joined into one document: %1").arg(why));
    documents.clear();
    if (output.write(joined) != joined.size())
        throw UserError(QStringLiteral("The document could not be written: %1").arg(output.errorString()));
}

} // namespace sorvant
