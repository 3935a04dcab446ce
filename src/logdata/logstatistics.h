#pragma once

#include "columns.h"
#include "limits.h"
#include "logrecord.h"
#include "outofrange.h"

#include <QString>

#include <array>
#include <cstddef>
#include <vector>

namespace sorvant {

class CellTextFormat;
class LogDays;

// Figures of one quantity over every record, in its raw whole-number unit
// (see quantityRaw()), so the figures of a log compare exactly with its
// limits and its out-of-range spans.
struct QuantityStatistics {
    int lowestRaw = 0;
    int highestRaw = 0;
    long long sumRaw = 0;
    // Only counted where the quantity has a limit: the records within it,
    // the out-of-range spans (as findOutOfRangeSpans() gives them) and their
    // records.
    std::size_t withinRecords = 0;
    std::size_t spans = 0;
    std::size_t outsideRecords = 0;
};

// The records of one bin number, with their moisture sums in tenths of a percent.
struct BinStatistics {
    int bin = 0;
    std::size_t records = 0;
    long long moistureInSum = 0;
    long long moistureOutSum = 0;
};

// The records of one day (see LogDays).
struct DayStatistics {
    int day = 0; // from 1
    std::size_t firstRecord = 0;
    std::size_t records = 0;
    long long moistureInSum = 0;
    long long moistureOutSum = 0;
    int highestGrainTempInDryer = 0; // whole degrees
};

// The whole-log figures of the drying report.
struct LogStatistics {
    std::size_t records = 0;
    Limits limits;
    std::array<QuantityStatistics, kSeriesCount> quantity{};
    std::vector<BinStatistics> bins; // the bins that occur, by bin number
    std::vector<DayStatistics> days; // every day, in order

    const QuantityStatistics &operator[](int series) const { return quantity[static_cast<std::size_t>(series)]; }
    // Mean of a quantity as the chart plots it (Moisture Out in percent).
    double mean(int series) const;
};

// One pass over the records: the lowest, mean and highest value of every
// quantity, and the records and moisture of every bin and day; the time
// within each limit and the spans out of it come from `spans`, the span
// finder's list for these records and `limits`. `days` must have scanned the
// records.
LogStatistics computeLogStatistics(const LogRecord *records, std::size_t count, const LogDays &days,
                                   const Limits &limits, const std::vector<OutOfRangeSpan> &spans);
// The same, finding the spans first.
LogStatistics computeLogStatistics(const LogRecord *records, std::size_t count, const LogDays &days,
                                   const Limits &limits);

// Mean of moisture sums in tenths over `records` records, in percent.
double meanMoisture(long long tenthsSum, std::size_t records);
// `part` of `whole` as a percentage with one decimal, never rounded up to
// 100.0 while any record is left out; "0.0" for no records at all.
QString shareText(std::size_t part, std::size_t whole, const CellTextFormat &format);

} // namespace sorvant
