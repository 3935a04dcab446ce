#include "logstatistics.h"

#include "celltext.h"
#include "logdays.h"

#include <algorithm>
#include <climits>

namespace sorvant {

namespace {

// One quantity while the pass runs: its extremes and sum.
struct Tally {
    int lowest = INT_MAX;
    int highest = INT_MIN;
    long long sum = 0;

    void add(int v)
    {
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        sum += v;
    }
};

struct BinTally {
    std::size_t records = 0;
    long long moistureIn = 0, moistureOut = 0;
};

} // namespace

double LogStatistics::mean(int series) const
{
    if (records == 0)
        return 0.0;
    return double((*this)[series].sumRaw) / double(records) / quantityRawPerUnit(series);
}

LogStatistics computeLogStatistics(const LogRecord *records, std::size_t count, const LogDays &days,
                                   const Limits &limits)
{
    return computeLogStatistics(records, count, days, limits, findOutOfRangeSpans(records, count, limits));
}

LogStatistics computeLogStatistics(const LogRecord *records, std::size_t count, const LogDays &days,
                                   const Limits &limits, const std::vector<OutOfRangeSpan> &spans)
{
    LogStatistics stats;
    stats.records = count;
    stats.limits = limits;
    if (count == 0)
        return stats;

    std::array<Tally, kSeriesCount> q;
    std::array<BinTally, 256> bins{};

    const std::vector<std::size_t> &midnights = days.midnights();
    std::size_t nextMidnight = 0;
    std::size_t dayEnd = midnights.empty() ? count : std::min(midnights[0], count);
    DayStatistics day;
    day.day = 1;
    day.highestGrainTempInDryer = INT_MIN;

    for (std::size_t i = 0; i < count; ++i) {
        if (i == dayEnd) {
            stats.days.push_back(day);
            ++nextMidnight;
            day = DayStatistics{};
            day.day = int(stats.days.size()) + 1;
            day.firstRecord = i;
            day.highestGrainTempInDryer = INT_MIN;
            dayEnd = nextMidnight < midnights.size() ? std::min(midnights[nextMidnight], count) : count;
        }
        const LogRecord &r = records[i];
        // The fields read inline, in series order (see quantityRaw()).
        q[0].add(r.MoistureIn);
        q[1].add(r.MoistureOut);
        q[2].add(r.WetGrainTemp / 10);
        q[3].add(r.GrainTempInsideDryer);
        q[4].add(r.DriedGrainTemp / 10);
        q[5].add(r.UnloadRate);

        BinTally &b = bins[r.BinNumber];
        ++b.records;
        b.moistureIn += r.MoistureIn;
        b.moistureOut += r.MoistureOut;

        ++day.records;
        day.moistureInSum += r.MoistureIn;
        day.moistureOutSum += r.MoistureOut;
        day.highestGrainTempInDryer = std::max<int>(day.highestGrainTempInDryer, r.GrainTempInsideDryer);
    }
    stats.days.push_back(day);

    for (int s = 0; s < kSeriesCount; ++s) {
        const Tally &t = q[static_cast<std::size_t>(s)];
        QuantityStatistics &out = stats.quantity[static_cast<std::size_t>(s)];
        out.lowestRaw = t.lowest;
        out.highestRaw = t.highest;
        out.sumRaw = t.sum;
    }
    for (const OutOfRangeSpan &span : spans) {
        QuantityStatistics &out = stats.quantity[static_cast<std::size_t>(span.series)];
        ++out.spans;
        out.outsideRecords += span.records();
    }
    for (int s = 0; s < kSeriesCount; ++s) {
        QuantityStatistics &out = stats.quantity[static_cast<std::size_t>(s)];
        if (limits[s].isSet())
            out.withinRecords = count - out.outsideRecords;
    }
    for (int bin = 0; bin < 256; ++bin) {
        const BinTally &b = bins[static_cast<std::size_t>(bin)];
        if (b.records > 0)
            stats.bins.push_back({bin, b.records, b.moistureIn, b.moistureOut});
    }
    return stats;
}

double meanMoisture(long long tenthsSum, std::size_t records)
{
    return records == 0 ? 0.0 : double(tenthsSum) / double(records) / 10.0;
}

QString shareText(std::size_t part, std::size_t whole, const CellTextFormat &format)
{
    // Tenths of a percent, rounded down: 99.96 % reads 99.9, not 100.0,
    // while one record of the log is outside.
    const unsigned long long tenths =
        whole == 0 ? 0 : static_cast<unsigned long long>(part) * 1000ULL / static_cast<unsigned long long>(whole);
    return QStringLiteral("%1%2%3").arg(tenths / 10).arg(format.decimalSeparator()).arg(tenths % 10);
}

} // namespace sorvant
