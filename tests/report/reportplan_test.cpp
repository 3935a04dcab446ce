// The report's page plan over a measurer of fixed widths: whatever the paper,
// every row of every table is on exactly one page, nothing leaves the page,
// and every page carries "Page n of N".
#include "logdata/logdays.h"
#include "logdata/logstatistics.h"
#include "output/report/reportcontent.h"
#include "output/report/reportplan.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sorvant;

namespace {

// Every character 20 tenths wide, every line 35 high: widths follow the texts.
class FixedMeasurer : public PrintTextMeasurer
{
public:
    int textWidth(const TPrintFont &, double, QStringView text) override { return 20 * int(text.size()); }
    int lineHeight(const TPrintFont &, double) override { return 35; }
};

// `days` records, each earlier in the day than the one before: a day each.
std::vector<LogRecord> dailyRecords(int days)
{
    std::vector<LogRecord> records;
    for (int i = 0; i < days; ++i) {
        LogRecord r{};
        const int minute = 1439 - 10 * i;
        r.Hour = std::uint8_t(minute / 60);
        r.Minute = std::uint8_t(minute % 60);
        r.MoistureIn = 200;
        r.MoistureOut = 150;
        r.BinNumber = std::uint8_t(1 + i % 3);
        records.push_back(r);
    }
    return records;
}

ReportContent contentOf(const std::vector<LogRecord> &records, const QString &title = QStringLiteral("Hill Farm"))
{
    LogDays days;
    days.scan(records.data(), records.size());
    const LogStatistics stats = computeLogStatistics(records.data(), records.size(), days, Limits());
    return buildReportContent(stats, records.data(), days,
                              {title, QStringLiteral("run.dat"), QDate(2026, 12, 10), QLocale::c()});
}

} // namespace

TEST(ReportPlan, EveryRowOnceAndEverythingOnThePageWhateverThePaper)
{
    const std::vector<LogRecord> records = dailyRecords(60);
    const ReportContent content = contentOf(records);
    FixedMeasurer measurer;
    for (int height : {900, 1400, 2000, 2970, 6000}) {
        SCOPED_TRACE(height);
        const int width = 2100;
        const ReportPlan plan(content, width, height, measurer);
        const int pages = plan.pageCount();
        int dayRows = 0;
        for (int p = 0; p < pages; ++p) {
            bool numbered = false;
            for (const ReportText &t : plan.page(p).texts) {
                EXPECT_GE(t.x, 0) << t.text.toStdString();
                EXPECT_LE(t.x + measurer.textWidth({}, 1, t.text), width) << t.text.toStdString();
                EXPECT_GE(t.y, 0) << t.text.toStdString();
                EXPECT_LE(t.y + 35, height) << t.text.toStdString();
                dayRows += t.text == QLatin1String("0:00:12") ? 1 : 0; // each day's running time
                numbered = numbered || t.text == QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages);
            }
            EXPECT_TRUE(numbered) << p;
            const QRect &o = plan.page(p).overview;
            if (!o.isNull()) {
                EXPECT_LE(o.bottom(), height);
            }
        }
        EXPECT_EQ(dayRows, 60);
        if (height <= 2000) {
            EXPECT_GT(pages, 1);
        }
    }
}

TEST(ReportPlan, AContinuedTableRepeatsCaptionAndHeadings)
{
    const ReportContent content = contentOf(dailyRecords(90));
    FixedMeasurer measurer;
    const ReportPlan plan(content, 2100, 2970, measurer);
    ASSERT_GE(plan.pageCount(), 2);
    for (int p = 1; p < plan.pageCount(); ++p) {
        int continued = 0, headings = 0;
        for (const ReportText &t : plan.page(p).texts) {
            continued += t.text == QLatin1String("Days (continued)") ? 1 : 0;
            headings += t.text == QLatin1String("Running time") ? 1 : 0;
        }
        EXPECT_EQ(continued, 1) << p;
        EXPECT_EQ(headings, 1) << p;
        EXPECT_EQ(plan.page(p).shaded.size(), 1u) << p;
    }
}

TEST(ReportPlan, TooLongATitleIsCutToTheLine)
{
    const QString title(300, QLatin1Char('W'));
    const ReportContent content = contentOf(dailyRecords(2), title);
    FixedMeasurer measurer;
    const ReportPlan plan(content, 2100, 2970, measurer);
    bool found = false;
    for (const ReportText &t : plan.page(0).texts) {
        if (t.text.startsWith(QLatin1String("WWW"))) {
            found = true;
            EXPECT_TRUE(t.text.endsWith(QChar(0x2026)));
            EXPECT_LE(measurer.textWidth({}, 1, t.text), 2100);
            EXPECT_GT(measurer.textWidth({}, 1, t.text), 2100 - 40);
        }
    }
    EXPECT_TRUE(found);
}
