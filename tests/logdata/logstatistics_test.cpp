// The whole-log figures of the drying report against tables worked out by hand.
#include "logdata/celltext.h"
#include "logdata/logdays.h"
#include "logdata/logstatistics.h"
#include "logdata/outofrange.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sorvant;

namespace {

struct Rec {
    int moistIn = 200, moistOut = 150, wet = 600, inDryer = 90, dried = 650, unload = 35, bin = 1, hour = 10,
        minute = 0;
};

LogRecord make(const Rec &f)
{
    LogRecord r{};
    r.MoistureIn = static_cast<std::uint16_t>(f.moistIn);
    r.MoistureOut = static_cast<std::uint16_t>(f.moistOut);
    r.WetGrainTemp = static_cast<std::int16_t>(f.wet);
    r.GrainTempInsideDryer = static_cast<std::int16_t>(f.inDryer);
    r.DriedGrainTemp = static_cast<std::int16_t>(f.dried);
    r.UnloadRate = static_cast<std::uint16_t>(f.unload);
    r.BinNumber = static_cast<std::uint8_t>(f.bin);
    r.Hour = static_cast<std::uint8_t>(f.hour);
    r.Minute = static_cast<std::uint8_t>(f.minute);
    return r;
}

LogStatistics statsOf(const std::vector<LogRecord> &records, const Limits &limits = {})
{
    LogDays days;
    days.scan(records.data(), records.size());
    return computeLogStatistics(records.data(), records.size(), days, limits);
}

QuantityLimit limit(std::optional<double> lowest, std::optional<double> highest)
{
    QuantityLimit l;
    l.lowest = lowest;
    l.highest = highest;
    return l;
}

} // namespace

TEST(LogStatistics, NoRecordsGiveNoBinsNoDays)
{
    const LogStatistics s = statsOf({});
    EXPECT_EQ(s.records, 0u);
    EXPECT_TRUE(s.bins.empty());
    EXPECT_TRUE(s.days.empty());
    EXPECT_EQ(s.mean(0), 0.0);
}

TEST(LogStatistics, OneRecordIsItsOwnLowestMeanAndHighest)
{
    Rec f;
    f.moistIn = 215; f.moistOut = 150; f.wet = 621; f.inDryer = 90; f.dried = -105; f.unload = 35; f.bin = 3;
    Limits limits;
    limits[1] = limit(14, 16);
    const LogStatistics s = statsOf({make(f)}, limits);
    ASSERT_EQ(s.records, 1u);
    // Raw values as the chart plots them: tenths for the moistures, whole
    // degrees truncated toward zero for the two tenths temperatures.
    const int expected[kSeriesCount] = {215, 150, 62, 90, -10, 35};
    for (int q = 0; q < kSeriesCount; ++q) {
        SCOPED_TRACE(q);
        EXPECT_EQ(s[q].lowestRaw, expected[q]);
        EXPECT_EQ(s[q].highestRaw, expected[q]);
        EXPECT_DOUBLE_EQ(s.mean(q), quantityValue(q, expected[q]));
    }
    EXPECT_EQ(s[1].withinRecords, 1u);
    EXPECT_EQ(s[1].spans, 0u);
    ASSERT_EQ(s.bins.size(), 1u);
    EXPECT_EQ(s.bins[0].bin, 3);
    EXPECT_EQ(s.bins[0].records, 1u);
    ASSERT_EQ(s.days.size(), 1u);
    EXPECT_EQ(s.days[0].records, 1u);
    EXPECT_EQ(s.days[0].highestGrainTempInDryer, 90);
}

TEST(LogStatistics, TwoBinsAlternating)
{
    // Bin 2, 5, 2, 5, 2: bin 2 holds Moisture In 200, 220, 240 and Out
    // 150, 151, 152; bin 5 holds In 100, 110 and Out 140, 141.
    std::vector<LogRecord> records;
    const int bins[] = {2, 5, 2, 5, 2};
    const int in[] = {200, 100, 220, 110, 240};
    const int out[] = {150, 140, 151, 141, 152};
    for (int i = 0; i < 5; ++i) {
        Rec f;
        f.bin = bins[i]; f.moistIn = in[i]; f.moistOut = out[i]; f.minute = i;
        records.push_back(make(f));
    }
    const LogStatistics s = statsOf(records);
    ASSERT_EQ(s.bins.size(), 2u);
    EXPECT_EQ(s.bins[0].bin, 2);
    EXPECT_EQ(s.bins[0].records, 3u);
    EXPECT_DOUBLE_EQ(meanMoisture(s.bins[0].moistureInSum, s.bins[0].records), 22.0);
    EXPECT_DOUBLE_EQ(meanMoisture(s.bins[0].moistureOutSum, s.bins[0].records), 15.1);
    EXPECT_EQ(s.bins[1].bin, 5);
    EXPECT_EQ(s.bins[1].records, 2u);
    EXPECT_DOUBLE_EQ(meanMoisture(s.bins[1].moistureInSum, s.bins[1].records), 10.5);
    EXPECT_DOUBLE_EQ(meanMoisture(s.bins[1].moistureOutSum, s.bins[1].records), 14.05);
    // The whole log: In 870 / 5 = 17.4, lowest 10.0, highest 24.0.
    EXPECT_DOUBLE_EQ(s.mean(0), 17.4);
    EXPECT_EQ(s[0].lowestRaw, 100);
    EXPECT_EQ(s[0].highestRaw, 240);
}

TEST(LogStatistics, LogAcrossThreeMidnights)
{
    // Day 1: 23:58, 23:59; day 2: 0:00 .. 23:59 thinned to three records;
    // day 3: 0:01; day 4: 0:00, 0:01. Moisture In is the day number x 10
    // plus the record within the day; Grain Temp in Dryer peaks once a day.
    const std::vector<std::pair<int, int>> times = {{23, 58}, {23, 59}, {0, 0}, {12, 0}, {23, 59},
                                                    {0, 1},   {0, 0},   {0, 1}};
    const int day[] = {1, 1, 2, 2, 2, 3, 4, 4};
    const int inDryer[] = {80, 95, 70, 110, 60, 88, 100, 99};
    std::vector<LogRecord> records;
    for (std::size_t i = 0; i < times.size(); ++i) {
        Rec f;
        f.hour = times[i].first; f.minute = times[i].second;
        f.moistIn = day[i] * 100 + int(i);
        f.moistOut = 140 + day[i];
        f.inDryer = inDryer[i];
        records.push_back(make(f));
    }
    const LogStatistics s = statsOf(records);
    ASSERT_EQ(s.days.size(), 4u);
    struct Want {
        std::size_t first, records;
        double meanIn, meanOut;
        int highest;
    };
    const Want want[] = {{0, 2, 10.05, 14.1, 95}, {2, 3, 20.3, 14.2, 110}, {5, 1, 30.5, 14.3, 88}, {6, 2, 40.65, 14.4, 100}};
    for (std::size_t d = 0; d < 4; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(s.days[d].day, int(d) + 1);
        EXPECT_EQ(s.days[d].firstRecord, want[d].first);
        EXPECT_EQ(s.days[d].records, want[d].records);
        EXPECT_NEAR(meanMoisture(s.days[d].moistureInSum, s.days[d].records), want[d].meanIn, 1e-9);
        EXPECT_NEAR(meanMoisture(s.days[d].moistureOutSum, s.days[d].records), want[d].meanOut, 1e-9);
        EXPECT_EQ(s.days[d].highestGrainTempInDryer, want[d].highest);
    }
}

TEST(LogStatistics, LimitsTouchingTheExtremesExactly)
{
    // Moisture Out 14.1 .. 15.9 and Grain Temp in Dryer 60 .. 120.
    const int out[] = {141, 150, 159, 150, 141};
    const int inDryer[] = {60, 120, 90, 60, 120};
    std::vector<LogRecord> records;
    for (int i = 0; i < 5; ++i) {
        Rec f;
        f.moistOut = out[i]; f.inDryer = inDryer[i]; f.minute = i;
        records.push_back(make(f));
    }
    Limits touching;
    touching[1] = limit(14.1, 15.9); // 14.1 x 10 is 140.99999999999997 in binary
    touching[3] = limit(60, 120);
    const LogStatistics s = statsOf(records, touching);
    for (int q : {1, 3}) {
        SCOPED_TRACE(q);
        EXPECT_EQ(s[q].withinRecords, 5u);
        EXPECT_EQ(s[q].spans, 0u);
        EXPECT_EQ(s[q].outsideRecords, 0u);
    }
    EXPECT_EQ(shareText(s[1].withinRecords, s.records, CellTextFormat()), QStringLiteral("100.0"));

    // One tenth inside each end: records at either extreme fall out, and
    // a run from below straight to above is two spans.
    Limits inside;
    inside[1] = limit(14.2, 15.8);
    inside[3] = limit(61, 119);
    const LogStatistics t = statsOf(records, inside);
    EXPECT_EQ(t[1].withinRecords, 2u); // 14.1 | 15.0 | 15.9 | 15.0 | 14.1
    EXPECT_EQ(t[1].outsideRecords, 3u);
    EXPECT_EQ(t[1].spans, 3u);
    EXPECT_EQ(t[3].withinRecords, 1u);
    EXPECT_EQ(t[3].spans, 4u); // 60 | 120 | (90) | 60 | 120: below, above, below, above
    // The same spans the span finder lists.
    const std::vector<OutOfRangeSpan> spans = findOutOfRangeSpans(records.data(), records.size(), inside);
    for (int q : {1, 3}) {
        std::size_t n = 0, recs = 0;
        for (const OutOfRangeSpan &sp : spans) {
            if (sp.series == q) {
                ++n;
                recs += sp.records();
            }
        }
        EXPECT_EQ(t[q].spans, n) << q;
        EXPECT_EQ(t[q].outsideRecords, recs) << q;
    }
    // A quantity without a limit counts nothing.
    EXPECT_EQ(t[0].withinRecords, 0u);
    EXPECT_EQ(t[0].spans, 0u);
}

TEST(LogStatistics, ShareAndFixedTexts)
{
    const CellTextFormat comma(QLatin1Char(','));
    struct Case {
        std::size_t part, whole;
        const char *text;
    };
    const Case cases[] = {{1, 3, "33,3"}, {2, 3, "66,6"}, {9999, 10000, "99,9"}, {719999, 720000, "99,9"},
                          {10, 10, "100,0"}, {0, 5, "0,0"}, {0, 0, "0,0"}};
    for (const Case &c : cases)
        EXPECT_EQ(shareText(c.part, c.whole, comma), QLatin1String(c.text)) << c.part << "/" << c.whole;
    EXPECT_EQ(celltext::fixedText(15.26, 1, comma), QStringLiteral("15,3"));
    EXPECT_EQ(celltext::fixedText(-0.04, 1, comma), QStringLiteral("0,0"));
    EXPECT_EQ(celltext::fixedText(-0.4, 0, comma), QStringLiteral("0"));
    EXPECT_EQ(celltext::fixedText(-10.5, 1, CellTextFormat()), QStringLiteral("-10.5"));
}
