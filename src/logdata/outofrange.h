#pragma once

#include "limits.h"
#include "logrecord.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace sorvant {

// A maximal run of consecutive records of one quantity below its lowest
// value (or above its highest). A run that jumps from below to above is two
// spans.
struct OutOfRangeSpan {
    int series = 0;       // 0 is Series1, "Moisture In"
    bool above = false;   // above the highest value; otherwise below the lowest
    std::size_t first = 0; // record indices, both inclusive
    std::size_t last = 0;
    int extremeRaw = 0;   // the lowest (below) or highest (above) value, see quantityRaw()
    std::size_t extremeAt = 0; // the first record holding it
    std::size_t records() const { return last - first + 1; }
    bool operator==(const OutOfRangeSpan &o) const
    {
        return series == o.series && above == o.above && first == o.first && last == o.last
            && extremeRaw == o.extremeRaw && extremeAt == o.extremeAt;
    }
};

// Every span of every record, in order of their first record, then of the
// series index.
std::vector<OutOfRangeSpan> findOutOfRangeSpans(const LogRecord *records, std::size_t count, const Limits &limits);

// The raw thresholds a limit amounts to: a value is below when raw < below,
// above when raw > above (see quantityRaw). Exact for the tenths of the
// moistures, where 14.0 must not read as 14.000000000000002.
struct RawThresholds {
    long long below;
    long long above;
};
RawThresholds rawThresholds(int series, const QuantityLimit &limit);

class CellTextFormat;
class LogDays;

// Seconds per record: one sample every 12 seconds.
constexpr long long kSecondsPerRecord = 12;
// A duration of `records` records as h:mm:ss ("0:00:12", "26:00:00").
QString durationText(std::size_t records);

// How a span reads in the list and in its CSV file.
struct OutOfRangeSpanTexts {
    QString quantity;  // the series title
    QString startDay;  // "3"
    QString startTime; // the spreadsheet's time text: "14:05"
    QString endDay;
    QString endTime;
    QString duration;  // durationText()
    QString extreme;   // with the regional decimal separator
    QString extremeDay;
    QString extremeTime;
    QString records;
};
OutOfRangeSpanTexts spanTexts(const OutOfRangeSpan &span, const LogRecord *records, const LogDays &days,
                              const CellTextFormat &format);

} // namespace sorvant
