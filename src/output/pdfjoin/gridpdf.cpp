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
#include <condition_variable>
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

    // The threads draw the parts, taking the next one as they finish one;
    // this thread joins them in order as they come in, while the others are
    // still drawing.
    std::vector<QByteArray> documents(static_cast<std::size_t>(parts));
    std::vector<char> drawn(static_cast<std::size_t>(parts), 0);
    std::atomic<int> nextPart{0};
    std::mutex lock;
    std::condition_variable partDrawn;
    bool failed = false; // under `lock`
    QString error;
    const auto fail = [&](const QString &why) {
        const std::lock_guard<std::mutex> guard(lock);
        if (!failed) {
            failed = true;
            error = why;
        }
        partDrawn.notify_all();
    };
    const auto work = [&] {
        QtPrintTextMeasurer ownMeasurer; // the plan's belongs to the joining thread
        for (int part = nextPart++; part < parts; part = nextPart++) {
            {
                const std::lock_guard<std::mutex> guard(lock);
                if (failed)
                    return;
            }
            try {
                QBuffer buffer(&documents[static_cast<std::size_t>(part)]);
                buffer.open(QIODevice::WriteOnly);
                const auto printer = makePrinter(job, &buffer);
                PrintGridPages(*printer, plan, part * perPart, std::min(pages, (part + 1) * perPart), ownMeasurer,
                               now);
            } catch (const UserError &e) {
                fail(e.text());
                return;
            } catch (const std::exception &e) {
                fail(QString::fromLocal8Bit(e.what()));
                return;
            }
            const std::lock_guard<std::mutex> guard(lock);
            drawn[static_cast<std::size_t>(part)] = 1;
            partDrawn.notify_all();
        }
    };
    PdfJoiner joiner;
    {
        std::vector<std::thread> drawing;
        for (int t = 0; t < std::min(threads, parts); ++t)
            drawing.emplace_back(work);
        try {
            for (int part = 0; part < parts; ++part) {
                {
                    std::unique_lock<std::mutex> guard(lock);
                    partDrawn.wait(guard, [&] { return failed || drawn[static_cast<std::size_t>(part)] != 0; });
                    if (failed)
                        break;
                }
                QString why;
                if (!joiner.add(documents[static_cast<std::size_t>(part)], &why)) {
                    fail(QStringLiteral("The pages could not be joined into one document: %1").arg(why));
                    break;
                }
            }
        } catch (const std::exception &e) {
            fail(QString::fromLocal8Bit(e.what())); // out of memory, say: the threads stop all the same
        }
        for (std::thread &t : drawing)
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
    if (!joiner.write(buffer, &why))
        throw UserError(QStringLiteral("The pages could not be joined into one document: %1").arg(why));
    if (output.write(joined) != joined.size())
        throw UserError(QStringLiteral("The document could not be written: %1").arg(output.errorString()));
}

} // namespace sorvant
