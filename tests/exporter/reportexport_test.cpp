// sorvant-export --report-pdf, run as a process and read back with pdftotext.
#include "exporterrun.h"
#include "logbytes.h"
#include "pdfwords.h"
#include "reportlines.h"

#include <QDate>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using exporterrun::Outcome;

Outcome runExporter(const QStringList &args, const QStringList &env = {})
{
    return exporterrun::run(args, env);
}

class ReportExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!pdfwords::available())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    // Two days, two bins, four records worked out by hand (see the expected
    // lines below): Moisture Out 15.0, 17.0, 14.0, 16.0.
    QString twoDayLog()
    {
        QByteArray b;
        b += logbytes::record(90, 600, 200, 650, 150, 30, 1, 23, 58);
        b += logbytes::record(100, 610, 220, 660, 170, 32, 1, 23, 59);
        b += logbytes::record(110, 620, 180, 670, 140, 34, 2, 0, 0);
        b += logbytes::record(96, 630, 200, 680, 160, 36, 2, 0, 1);
        const QString p = path("hill farm.dat");
        EXPECT_TRUE(logbytes::writeFile(p, b));
        return p;
    }
};

TEST_F(ReportExportTest, EveryFigureOfAHandWorkedLog)
{
    const Outcome r = runExporter({twoDayLog(), QStringLiteral("--report-pdf"), path("report.pdf"),
                                   QStringLiteral("--title"), QStringLiteral("Hill Farm, Dryer 2"),
                                   QStringLiteral("--limit"), QStringLiteral("moisture out:14.5:16.5"),
                                   QStringLiteral("--paper"), QStringLiteral("A4")},
                                  {QStringLiteral("LC_ALL=C")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const std::vector<pdfwords::Page> pages = pdfwords::read(path("report.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    const pdfwords::Page &page = pages[0];
    EXPECT_NEAR(page.width, 595, 1); // A4 portrait
    EXPECT_NEAR(page.height, 842, 1);
    const QStringList lines = reportlines::lines(page);
    const QString made = QLocale::c().toString(QDate::currentDate(), QLocale::ShortFormat);
    const char *const wanted[] = {
        "Drying Report",
        "Hill Farm, Dryer 2",
        "Log file: hill farm.dat",
        "First record: Day 1, 23:58",
        "Last record: Day 2, 0:01",
        "Running time: 0:00:48 (h:mm:ss)",
        "Records: 4 (one every 12 seconds)",
        // Lowest, mean, highest, limit, within, spans (17.0 above, then
        // 14.0 below: two), time out of range.
        "Moisture In (%) 18.0 20.0 22.0 none",
        "Moisture Out (%) 14.0 15.5 17.0 14.5 to 16.5 50.0 2 0:00:24",
        "Grain Temp In (°) 60 61.5 63 none",
        "Grain Temp in Dryer (°) 90 99.0 110 none",
        "Unload Rate (÷10) 30 33.0 36 none",
        // Bin, time, share, mean Moisture In and Out.
        "1 0:00:24 50.0 21.0 16.0",
        "2 0:00:24 50.0 19.0 15.0",
        // Day, from, to, running time, means, highest Grain Temp in Dryer.
        "1 23:58 23:59 0:00:24 21.0 16.0 100",
        "2 0:00 0:01 0:00:24 19.0 15.0 110",
        "Page 1 of 1",
    };
    for (const char *line : wanted)
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line << "\n" << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Report made: ") + made)) << made.toStdString();
    for (const char *caption : {"Readings", "Bins", "Days", "The whole log"})
        EXPECT_TRUE(lines.contains(QLatin1String(caption))) << caption;

    // Every word on the page; the page number at its foot.
    for (const pdfwords::Word &w : page.words) {
        EXPECT_GE(w.xMin, 0) << w.text.toStdString();
        EXPECT_LE(w.xMax, page.width) << w.text.toStdString();
    }
    const pdfwords::Word *number = page.find(QStringLiteral("Page"));
    ASSERT_NE(number, nullptr);
    EXPECT_GT(number->yMin, page.height * 0.9);

    // The overview is drawn as lines and areas, sharp at any size: the
    // page holds no picture (pdfimages lists none below its two headings).
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path("report.pdf")});
    ASSERT_TRUE(images.waitForFinished(30000));
    const QList<QByteArray> listed = images.readAllStandardOutput().trimmed().split('\n');
    EXPECT_EQ(listed.size(), 2) << listed.join('\n').constData();

    // The document is named after the log, as the print system lists the job.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path("report.pdf")});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(info.readAllStandardOutput().contains("Drying Report - hill farm.dat"));
}

TEST_F(ReportExportTest, RegionalDecimalSeparatorAndDate)
{
    const Outcome r = runExporter({twoDayLog(), QStringLiteral("--report-pdf"), path("de.pdf"),
                                   QStringLiteral("--limit"), QStringLiteral("Moisture Out:14,5:16,5")},
                                  {QStringLiteral("LC_ALL=de_DE.UTF-8")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const std::vector<pdfwords::Page> pages = pdfwords::read(path("de.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    const QStringList lines = reportlines::lines(pages[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("Moisture Out (%) 14,0 15,5 17,0 14,5 to 16,5 50,0 2 0:00:24")))
        << lines.join(QLatin1Char('\n')).toStdString();
    const QString made = QLocale(QStringLiteral("de_DE")).toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(lines.contains(QStringLiteral("Report made: ") + made)) << made.toStdString();
    // No title typed: the report has none, and nothing else moves up into its place.
    EXPECT_EQ(lines.value(1), QStringLiteral("Log file: hill farm.dat"));
}

TEST_F(ReportExportTest, DayTableContinuesOnFurtherPages)
{
    // Every record ten minutes earlier in the day than the one before: 120
    // records, 120 days.
    QByteArray b;
    for (int i = 0; i < 120; ++i) {
        const int minute = 1439 - 10 * i;
        b += logbytes::record(90 + i % 7, 600, 200, 650, 150, 30, 1 + i % 3, minute / 60, minute % 60);
    }
    const QString log = path("long.dat");
    ASSERT_TRUE(logbytes::writeFile(log, b));
    const Outcome r = runExporter({log, QStringLiteral("--report-pdf"), path("long.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const std::vector<pdfwords::Page> pages = pdfwords::read(path("long.pdf"));
    ASSERT_GE(pages.size(), 3u);
    const int total = int(pages.size());
    QStringList days;
    for (int p = 0; p < total; ++p) {
        const QStringList lines = reportlines::lines(pages[std::size_t(p)]);
        EXPECT_TRUE(lines.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(total))) << p;
        if (p > 0) {
            EXPECT_TRUE(lines.contains(QStringLiteral("Days (continued)"))) << p;
        }
        // The headings again on every page the table is on.
        EXPECT_EQ(lines.filter(QStringLiteral("Moisture In (%) Moisture Out (%) Temp in Dryer")).size(), 1) << p;
        for (const QString &line : lines) {
            if (line.endsWith(QStringLiteral(" 0:00:12 20.0 15.0 ") + line.section(QLatin1Char(' '), -1)))
                days << line.section(QLatin1Char(' '), 0, 0);
        }
    }
    // Every day once, in order, none lost at a page break.
    ASSERT_EQ(days.size(), 120);
    for (int d = 0; d < 120; ++d)
        EXPECT_EQ(days[d], QString::number(d + 1));
}

TEST_F(ReportExportTest, ALogWithoutRecordsSaysSo)
{
    const QString log = path("empty.dat");
    ASSERT_TRUE(logbytes::writeFile(log, QByteArray(15, '\x01')));
    const Outcome r = runExporter({log, QStringLiteral("--report-pdf"), path("empty.pdf"), QStringLiteral("--limit"),
                                   QStringLiteral("Moisture Out:14:16")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const std::vector<pdfwords::Page> pages = pdfwords::read(path("empty.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    const QStringList lines = reportlines::lines(pages[0]);
    for (const char *line : {"Log file: empty.dat", "Records: 0 (one every 12 seconds)", "First record: none",
                             "This log holds no records: there is nothing to report.", "Page 1 of 1"})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line << "\n" << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("Readings")));
}

TEST_F(ReportExportTest, BatchWritesTheSamePagesAsOneLog)
{
    const QString log = twoDayLog();
    const QStringList common{QStringLiteral("--title"), QStringLiteral("Hill Farm"), QStringLiteral("--limit"),
                             QStringLiteral("Moisture Out:14:16")};
    ASSERT_EQ(runExporter(QStringList{log, QStringLiteral("--report-pdf"), path("one.pdf")} + common).exitCode, 0);
    const Outcome batch = runExporter(QStringList{log, QStringLiteral("--out-dir"), path("out"),
                                                  QStringLiteral("--report-pdf"), QStringLiteral("--quiet")}
                                      + common);
    ASSERT_EQ(batch.exitCode, 0) << batch.err.constData();
    const auto one = pdfwords::read(path("one.pdf"));
    const auto many = pdfwords::read(path("out/hill farm.report.pdf"));
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(many.size(), 1u);
    EXPECT_EQ(reportlines::lines(one[0]), reportlines::lines(many[0]));
}

TEST_F(ReportExportTest, TitleWithoutReportIsRefused)
{
    const Outcome r = runExporter({twoDayLog(), QStringLiteral("--csv"), path("a.csv"), QStringLiteral("--title"),
                                   QStringLiteral("Hill Farm")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("--title names the --report-pdf report")) << r.err.constData();
    EXPECT_FALSE(QFile::exists(path("a.csv")));
}

} // namespace
