// A printout drawn range by range on several threads and joined must read
// back, in poppler, exactly as the one drawn as a single document; and a
// range that fails must fail the whole printout, with its reason.

#include "fakeprinttable.h"
#include "pdfwords.h"

#include "output/pdfjoin/gridpdf.h"
#include "output/printing/pdfwriterdevice.h"
#include "platform/usererror.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>

using namespace sorvant;
using sorvant::test::FakeTable;

namespace {

// Numbers, times, a text wider than its cell, two lines in one cell: enough
// rows for a dozen pages.
FakeTable longTable()
{
    FakeTable t(6, 700);
    for (int r = 0; r < t.rowCount(); ++r) {
        for (int c = 0; c < 6; ++c)
            t.set(c, r, r == 0 ? "Head " + std::to_string(c) : std::to_string(r * 37 + c * 11) + "." + std::to_string(c));
        if (r > 0)
            t.set(3, r, std::to_string(r % 24) + ":" + std::to_string(10 + r % 50));
    }
    t.set(1, 7, std::string(60, 'W'));
    t.set(4, 9, "two\nlines");
    t.set(2, 300, "");
    return t;
}

struct PrintSetup {
    const char *name;
    PrintSettings settings;
};

std::vector<PrintSetup> setups()
{
    PrintSettings numbered;
    numbered.PageNr = ppBottomCenter;
    numbered.PageNumSep = QStringLiteral("/");
    numbered.Title = ppTopLeft;
    numbered.TitleText = QStringLiteral("Dryer North");
    numbered.Time = ppTopRight;
    numbered.Date = ppTopRight;
    numbered.RepeatFixedRows = true;
    numbered.JobName = QStringLiteral("North dryer, October");
    // Columns too wide for one page: two bands, the first column repeated.
    PrintSettings banded;
    banded.UseFixedWidth = true;
    banded.FixedWidth = 700;
    banded.RepeatFixedCols = true;
    banded.PageNr = ppBottomRight;
    banded.Orientation = poLandscape;
    return {{"page numbers of a total, title, time and date", numbered}, {"two bands, landscape", banded}};
}

GridPdfJob pdfJob(int threads, int pagesPerPart)
{
    GridPdfJob job;
    job.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(4, 4, 4, 4),
                             QPageLayout::Millimeter);
    job.resolution = 600;
    job.threads = threads;
    job.pagesPerPart = pagesPerPart;
    return job;
}

QByteArray printed(const FakeTable &table, const PrintSettings &settings, const GridPdfJob &job)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    PrintGridPdf(buffer, table, settings, job, QDateTime(QDate(2011, 3, 5), QTime(14, 7)));
    return pdf;
}

QString saved(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// pdfinfo's lines of `keys`: what a reader shows of the document itself.
QStringList documentInfo(const QString &pdf, const QStringList &keys)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    QStringList lines;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return lines;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        for (const QString &key : keys) {
            if (line.startsWith(key + QLatin1Char(':')))
                lines << line.simplified();
        }
    }
    return lines;
}

// A PDF printer that refuses to start a new page: a full disk, say.
class RefusingPrinter : public PdfWriterDevice
{
public:
    using PdfWriterDevice::PdfWriterDevice;
    bool newPage() override { return false; }
    QString errorString() const override { return QStringLiteral("no room left on the device"); }
};

// A printer that draws into a PDF of its own and leaves in its output
// something that is no PDF: a part damaged on its way.
class GarblingPrinter : public PdfWriterDevice
{
public:
    GarblingPrinter(QIODevice *output, const QPageLayout &layout, int resolution)
        : PdfWriterDevice(&m_kept, layout, resolution), m_output(output)
    {
        m_kept.open(QIODevice::WriteOnly);
    }
    bool endDocument() override
    {
        const bool ended = PdfWriterDevice::endDocument();
        m_output->write("%PDF-1.4\nnot a document\n");
        return ended;
    }

private:
    QBuffer m_kept;
    QIODevice *m_output;
};

} // namespace

TEST(GridPdf, PagesDrawnOnSeveralThreadsReadAsTheOneDocument)
{
    ASSERT_TRUE(pdfwords::available());
    QTemporaryDir dir;
    const FakeTable table = longTable();
    for (const PrintSetup &s : setups()) {
        SCOPED_TRACE(s.name);
        const QString single = saved(dir, "single.pdf", printed(table, s.settings, pdfJob(1, 0)));
        // Three threads, two pages a part: many parts, the last one short.
        const QString joined = saved(dir, "joined.pdf", printed(table, s.settings, pdfJob(3, 2)));
        ASSERT_FALSE(single.isEmpty());
        ASSERT_FALSE(joined.isEmpty());

        const auto a = pdfwords::read(single), b = pdfwords::read(joined);
        ASSERT_GE(a.size(), 7u) << "enough pages for an uneven last part";
        ASSERT_EQ(b.size(), a.size());
        for (std::size_t page = 0; page < a.size(); ++page) {
            SCOPED_TRACE(page + 1);
            EXPECT_EQ(b[page].width, a[page].width);
            EXPECT_EQ(b[page].height, a[page].height);
            ASSERT_EQ(b[page].words.size(), a[page].words.size());
            // Word for word in the same order, box for box to poppler's last digit.
            for (std::size_t w = 0; w < a[page].words.size(); ++w) {
                const pdfwords::Word &x = a[page].words[w], &y = b[page].words[w];
                EXPECT_EQ(y.text, x.text);
                EXPECT_EQ(y.xMin, x.xMin);
                EXPECT_EQ(y.yMin, x.yMin);
                EXPECT_EQ(y.xMax, x.xMax);
                EXPECT_EQ(y.yMax, x.yMax);
            }
        }
        const QStringList keys{QStringLiteral("Title"), QStringLiteral("Creator"), QStringLiteral("Pages"),
                               QStringLiteral("Page size")};
        EXPECT_EQ(documentInfo(joined, keys), documentInfo(single, keys));
        EXPECT_EQ(documentInfo(single, keys).size(), 4);
    }
    // The page numbers run on across the parts: 4/N on the fourth page.
    const auto pages = pdfwords::read(dir.filePath(QStringLiteral("joined.pdf")));
    ASSERT_GE(pages.size(), 4u);
    EXPECT_NE(pages[3].find(QStringLiteral("4-1")), nullptr);
}

TEST(GridPdf, ARangeThatFailsFailsThePrintoutWithItsReason)
{
    const FakeTable table = longTable();
    const PrintSettings settings = setups().front().settings;
    // Printers are made one a part, after one that measures the page: the
    // second, third and last made refuse in turn.
    for (int refusing : {2, 3, 7}) {
        SCOPED_TRACE(refusing);
        GridPdfJob job = pdfJob(2, 2);
        std::atomic<int> made{0};
        job.printer = [&](QIODevice *output) -> std::unique_ptr<PrinterDevice> {
            if (++made == refusing)
                return std::make_unique<RefusingPrinter>(output, job.layout, job.resolution);
            return std::make_unique<PdfWriterDevice>(output, job.layout, job.resolution);
        };
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        try {
            PrintGridPdf(buffer, table, settings, job);
            ADD_FAILURE() << "the printout was reported as made";
        } catch (const UserError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("The printer could not start a new page: no room left on the device"));
        }
        EXPECT_GE(made, refusing) << "the refusing printer was made";
        EXPECT_TRUE(pdf.isEmpty()) << "nothing of the printout reaches the output";
    }
}

TEST(GridPdf, APartThatCannotBeJoinedFailsThePrintout)
{
    const FakeTable table = longTable();
    GridPdfJob job = pdfJob(2, 2);
    std::atomic<int> made{0};
    job.printer = [&](QIODevice *output) -> std::unique_ptr<PrinterDevice> {
        if (++made == 4)
            return std::make_unique<GarblingPrinter>(output, job.layout, job.resolution);
        return std::make_unique<PdfWriterDevice>(output, job.layout, job.resolution);
    };
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    try {
        PrintGridPdf(buffer, table, setups().front().settings, job);
        ADD_FAILURE() << "the printout was reported as made";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("The pages could not be joined into one document: ")))
            << e.text().toStdString();
    }
    EXPECT_TRUE(pdf.isEmpty());
}
