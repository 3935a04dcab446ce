// Day numbers, limits and out-of-range spans over small tables of records.
#include "logdata/celltext.h"
#include "logdata/limits.h"
#include "logdata/loadlog.h"
#include "logdata/logdays.h"
#include "logdata/outofrange.h"
#include "output/spanscsv.h"
#include "views/spreadsheetconfig.h"

#include "logbytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace sorvant;

namespace {

LogRecord at(int hour, int minute)
{
    LogRecord r{};
    r.Hour = static_cast<std::uint8_t>(hour);
    r.Minute = static_cast<std::uint8_t>(minute);
    r.MoistureOut = 150;
    return r;
}

std::vector<int> dayNumbers(const std::vector<LogRecord> &records, std::size_t slice = 1000)
{
    LogDays days;
    for (std::size_t i = 0; i < records.size(); i += slice)
        days.scan(records.data() + i, std::min(slice, records.size() - i));
    std::vector<int> out;
    for (std::size_t i = 0; i < records.size(); ++i)
        out.push_back(days.dayOf(i));
    return out;
}

// Loads `path` as the window does, into `store`.
bool loadInto(const QString &path, LogStore &store, int step = 1)
{
    DataGridStore grid(kColumnCount);
    GridTableSink table(grid);
    LoadTargets targets;
    targets.table = &table;
    return LoadLog(path, step, store, CellTextFormat(), targets).ok;
}

// A log of records with these times and Moisture Out values, in `dir`.
QString writeTimedLog(const QTemporaryDir &dir, const std::vector<std::pair<int, int>> &times,
                      const std::vector<int> &moistureOut)
{
    QByteArray bytes;
    for (std::size_t i = 0; i < times.size(); ++i)
        bytes += logbytes::record(90, 621, 215, 665, moistureOut.empty() ? 150 : moistureOut[i], 35, 1,
                                  times[i].first, times[i].second);
    const QString path = dir.filePath(QStringLiteral("log.dat"));
    EXPECT_TRUE(logbytes::writeFile(path, bytes));
    return path;
}

struct DayCase {
    const char *name;
    std::vector<std::pair<int, int>> times;
    std::vector<int> days;
};

TEST(LogDays, CountsADayWhereverTheTimeOfDayGoesBackwards)
{
    const std::vector<DayCase> cases = {
        {"one record", {{14, 5}}, {1}},
        {"one day", {{6, 0}, {6, 0}, {6, 1}, {12, 30}, {23, 59}}, {1, 1, 1, 1, 1}},
        {"starts at 23:59", {{23, 59}, {23, 59}, {0, 0}, {0, 1}}, {1, 1, 2, 2}},
        {"three midnights", {{22, 0}, {1, 0}, {23, 0}, {0, 0}, {12, 0}, {3, 0}}, {1, 2, 2, 3, 3, 4}},
        {"the same minute again is the same day", {{9, 10}, {9, 10}, {9, 10}}, {1, 1, 1}},
        // Times are compared hour first: 9:200 comes before 10:00.
        {"a minute beyond 59", {{9, 200}, {10, 0}, {9, 59}}, {1, 1, 2}},
        {"an hour beyond 23", {{200, 0}, {0, 0}}, {1, 2}},
    };
    for (const DayCase &c : cases) {
        std::vector<LogRecord> records;
        for (auto [h, m] : c.times)
            records.push_back(at(h, m));
        EXPECT_EQ(dayNumbers(records), c.days) << c.name;
        // Slices of any size give the same days: a midnight between two
        // slices of the load counts as one inside a slice.
        EXPECT_EQ(dayNumbers(records, 1), c.days) << c.name << ", one record a slice";
    }
}

TEST(LogDays, FirstRecordOfEachDay)
{
    std::vector<LogRecord> records = {at(23, 0), at(23, 30), at(0, 0), at(5, 0), at(1, 0)};
    LogDays days;
    days.scan(records.data(), records.size());
    EXPECT_EQ(days.dayCount(), 3);
    EXPECT_EQ(days.firstRecordOfDay(1), 0u);
    EXPECT_EQ(days.firstRecordOfDay(2), 2u);
    EXPECT_EQ(days.firstRecordOfDay(3), 4u);
    EXPECT_EQ(days.firstRecordOfDay(4), records.size());
    days.reset();
    EXPECT_EQ(days.dayCount(), 0);
}

TEST(LogDays, TheLoadCountsThemAndAFailedLoadForgetsThem)
{
    QTemporaryDir dir;
    const QString path = writeTimedLog(dir, {{23, 58}, {23, 59}, {0, 0}, {0, 1}}, {});
    LogStore store;
    ASSERT_TRUE(loadInto(path, store));
    EXPECT_EQ(store.days().dayCount(), 2);
    EXPECT_EQ(store.days().dayOf(1), 1);
    EXPECT_EQ(store.days().dayOf(2), 2);
    // A second load starts again at day 1.
    ASSERT_TRUE(loadInto(path, store));
    EXPECT_EQ(store.days().dayCount(), 2);
    EXPECT_FALSE(loadInto(dir.filePath(QStringLiteral("missing.dat")), store));
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(store.days().dayCount(), 0);
}

TEST(Limits, TextsAndOptions)
{
    struct Case {
        const char *text;
        bool ok;
        std::optional<double> low, high;
    };
    const std::vector<Case> cases = {
        {"14:16", true, 14.0, 16.0}, {":120", true, std::nullopt, 120.0}, {"14.5:", true, 14.5, std::nullopt},
        {"14,5:16", true, 14.5, 16.0}, {"", true, std::nullopt, std::nullopt}, {":", true, std::nullopt, std::nullopt},
        {"-5:0", true, -5.0, 0.0},   {"16:14", false, {}, {}},         {"14", false, {}, {}},
        {"a:16", false, {}, {}},     {"1:2:3", false, {}, {}},         {"nan:5", false, {}, {}},
        {"inf:", false, {}, {}},     {"15:15", true, 15.0, 15.0},
    };
    for (const Case &c : cases) {
        QuantityLimit l;
        l.lowest = 99; // a failure leaves it as it was
        ASSERT_EQ(parseLimitText(QString::fromLatin1(c.text), l), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(l.lowest, 99.0) << c.text;
            continue;
        }
        EXPECT_EQ(l.lowest, c.low) << c.text;
        EXPECT_EQ(l.highest, c.high) << c.text;
        QuantityLimit back;
        ASSERT_TRUE(parseLimitText(limitText(l), back)) << c.text;
        EXPECT_EQ(back, l) << c.text;
    }

    int series = -1;
    QuantityLimit limit;
    QString why;
    ASSERT_TRUE(parseLimitOption(QStringLiteral("moisture OUT:14:16"), series, limit, why));
    EXPECT_EQ(series, 1);
    EXPECT_EQ(limit.lowest, 14.0);
    ASSERT_TRUE(parseLimitOption(QStringLiteral("Grain Temp in Dryer::120"), series, limit, why));
    EXPECT_EQ(series, 3);
    EXPECT_FALSE(limit.lowest);
    EXPECT_EQ(limit.highest, 120.0);
    for (const char *bad : {"Moisture:14:16", "Moisture Out:14", "Moisture Out:x:16", "Moisture Out:16:14", ""}) {
        why.clear();
        EXPECT_FALSE(parseLimitOption(QString::fromLatin1(bad), series, limit, why)) << bad;
        EXPECT_TRUE(why.contains(QString::fromLatin1(bad))) << why.toStdString();
    }
}

// Records of one quantity: Moisture Out in tenths.
std::vector<LogRecord> moistureOut(const std::vector<int> &tenths)
{
    std::vector<LogRecord> records;
    for (std::size_t i = 0; i < tenths.size(); ++i) {
        LogRecord r = at(10, int(i % 60));
        r.MoistureOut = static_cast<std::uint16_t>(tenths[i]);
        records.push_back(r);
    }
    return records;
}

Limits moistureOutLimits(std::optional<double> low, std::optional<double> high)
{
    Limits l;
    l[1].lowest = low;
    l[1].highest = high;
    return l;
}

struct SpanCase {
    const char *name;
    std::vector<int> tenths;
    Limits limits;
    // first, last, above, extreme, extremeAt
    std::vector<std::tuple<std::size_t, std::size_t, bool, int, std::size_t>> spans;
};

TEST(OutOfRange, SpanBoundaries)
{
    const Limits both = moistureOutLimits(14.0, 16.0);
    const std::vector<SpanCase> cases = {
        {"all within, the limits themselves included", {140, 150, 160, 140}, both, {}},
        {"a span at the very first record", {170, 150, 150}, both, {{0, 0, true, 170, 0}}},
        {"a span at the very last record", {150, 150, 130}, both, {{2, 2, false, 130, 2}}},
        {"the whole log", {161, 170, 165}, both, {{0, 2, true, 170, 1}}},
        {"two spans separated by one good record", {150, 161, 162, 150, 163, 150}, both,
         {{1, 2, true, 162, 2}, {4, 4, true, 163, 4}}},
        {"below then straight above is two spans", {150, 120, 110, 170, 180, 150}, both,
         {{1, 2, false, 110, 2}, {3, 4, true, 180, 4}}},
        {"the first of equal extremes is where it occurred", {150, 170, 170, 165}, both, {{1, 3, true, 170, 1}}},
        {"only a lowest value", {130, 200, 139}, moistureOutLimits(14.0, std::nullopt),
         {{0, 0, false, 130, 0}, {2, 2, false, 139, 2}}},
        {"only a highest value", {0, 161}, moistureOutLimits(std::nullopt, 16.0), {{1, 1, true, 161, 1}}},
        // 14.1 x 10 is 140.99999999999997 in binary: 141 is within.
        {"a limit with a tenth", {141, 140, 162}, moistureOutLimits(14.1, 16.1), {{1, 1, false, 140, 1}, {2, 2, true, 162, 2}}},
        {"no records", {}, both, {}},
    };
    for (const SpanCase &c : cases) {
        const std::vector<LogRecord> records = moistureOut(c.tenths);
        const auto spans = findOutOfRangeSpans(records.data(), records.size(), c.limits);
        ASSERT_EQ(spans.size(), c.spans.size()) << c.name;
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const auto [first, last, above, extreme, extremeAt] = c.spans[i];
            EXPECT_EQ(spans[i].series, 1) << c.name;
            EXPECT_EQ(spans[i].first, first) << c.name << " span " << i;
            EXPECT_EQ(spans[i].last, last) << c.name << " span " << i;
            EXPECT_EQ(spans[i].above, above) << c.name << " span " << i;
            EXPECT_EQ(spans[i].extremeRaw, extreme) << c.name << " span " << i;
            EXPECT_EQ(spans[i].extremeAt, extremeAt) << c.name << " span " << i;
        }
    }
}

TEST(OutOfRange, SeveralQuantitiesInOrderOfStartThenSeries)
{
    // Grain Temp In is the stored tenths truncated: 1209 is 120, within 120.
    std::vector<LogRecord> records(5, at(8, 0));
    const int wet[] = {1209, 1210, 1215, -105, 300};
    const int inDryer[] = {50, 130, 90, 90, 125};
    const int moistIn[] = {300, 150, 300, 300, 300};
    for (int i = 0; i < 5; ++i) {
        records[i].WetGrainTemp = static_cast<std::int16_t>(wet[i]);
        records[i].GrainTempInsideDryer = static_cast<std::int16_t>(inDryer[i]);
        records[i].MoistureIn = static_cast<std::uint16_t>(moistIn[i]);
    }
    Limits limits;
    limits[2].lowest = 0;     // Grain Temp In
    limits[2].highest = 120;
    limits[3].highest = 120;  // Grain Temp in Dryer
    limits[0].lowest = 20;    // Moisture In
    const auto spans = findOutOfRangeSpans(records.data(), records.size(), limits);
    std::vector<std::tuple<int, std::size_t, std::size_t>> got;
    for (const auto &s : spans)
        got.emplace_back(s.series, s.first, s.last);
    const std::vector<std::tuple<int, std::size_t, std::size_t>> want = {
        {0, 1, 1}, {2, 1, 2}, {3, 1, 1}, {2, 3, 3}, {3, 4, 4}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(spans[3].extremeRaw, -10); // -105 tenths plots as -10
}

TEST(OutOfRange, TextsAndCsvFile)
{
    EXPECT_EQ(durationText(1), QStringLiteral("0:00:12"));
    EXPECT_EQ(durationText(5), QStringLiteral("0:01:00"));
    EXPECT_EQ(durationText(7800), QStringLiteral("26:00:00"));

    QTemporaryDir dir;
    const QString path = writeTimedLog(dir, {{23, 59}, {23, 59}, {0, 0}, {0, 0}, {0, 1}, {9, 5}},
                                       {150, 165, 171, 150, 150, 135});
    LogStore store;
    ASSERT_TRUE(loadInto(path, store, 25));
    const auto spans = findOutOfRangeSpans(store.data(), store.count(), moistureOutLimits(14.0, 16.0));
    EXPECT_EQ(spansCsvText(spans, store, CellTextFormat(QLatin1Char('.'))),
              "Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n"
              "Moisture Out,1,23:59,2,0:00,0:00:24,17.1,2\r\n"
              "Moisture Out,2,9:05,2,9:05,0:00:12,13.5,1\r\n");
    // A decimal comma quotes the field, as the spreadsheet export does.
    EXPECT_EQ(spansCsvText(spans, store, CellTextFormat(QLatin1Char(','))),
              "Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n"
              "Moisture Out,1,23:59,2,0:00,0:00:24,\"17,1\",2\r\n"
              "Moisture Out,2,9:05,2,9:05,0:00:12,\"13,5\",1\r\n");

    const QString out = dir.filePath(QStringLiteral("spans.csv"));
    SaveSpansToCSV(spans, store, CellTextFormat(), out);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), spansCsvText(spans, store, CellTextFormat()));
    EXPECT_THROW(SaveSpansToCSV(spans, store, CellTextFormat(), dir.filePath(QStringLiteral("no/such/folder/x.csv"))),
                 std::exception);
}

} // namespace
