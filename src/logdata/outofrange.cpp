#include "outofrange.h"

#include "celltext.h"
#include "logdays.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace sorvant {

namespace {

// Beyond every value a 16-bit field can give, and far from overflowing.
constexpr double kRawRange = 1e12;

long long clampRaw(double v)
{
    return static_cast<long long>(std::clamp(v, -kRawRange, kRawRange));
}

} // namespace

RawThresholds rawThresholds(int series, const QuantityLimit &limit)
{
    // A tolerance far below one raw unit absorbs the binary error of
    // limit x 10 (14.1 x 10 = 140.99999999999997).
    const double perUnit = quantityRawPerUnit(series);
    constexpr double kSlack = 1e-7;
    RawThresholds t{LLONG_MIN, LLONG_MAX};
    if (limit.lowest)
        t.below = clampRaw(std::ceil(*limit.lowest * perUnit - kSlack));
    if (limit.highest)
        t.above = clampRaw(std::floor(*limit.highest * perUnit + kSlack));
    return t;
}

namespace {

int stateOf(int v, const RawThresholds &t)
{
    return int(v > t.above) - int(v < t.below);
}

// Calls scan(value) with the quantity's field read inline, so each loop over
// the records is a tight one of its own.
template <typename Scan>
void withValueOf(int series, Scan &&scan)
{
    switch (series) {
    case 0: scan([](const LogRecord &r) { return int(r.MoistureIn); }); break;
    case 1: scan([](const LogRecord &r) { return int(r.MoistureOut); }); break;
    case 2: scan([](const LogRecord &r) { return r.WetGrainTemp / 10; }); break;
    case 3: scan([](const LogRecord &r) { return int(r.GrainTempInsideDryer); }); break;
    case 4: scan([](const LogRecord &r) { return r.DriedGrainTemp / 10; }); break;
    default: scan([](const LogRecord &r) { return int(r.UnloadRate); }); break;
    }
}

template <typename Value>
std::size_t countSpans(const LogRecord *records, std::size_t count, const RawThresholds &t, Value value)
{
    std::size_t spans = 0;
    int state = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int now = stateOf(value(records[i]), t);
        spans += std::size_t(now != 0 && now != state);
        state = now;
    }
    return spans;
}

} // namespace

std::vector<OutOfRangeSpan> findOutOfRangeSpans(const LogRecord *records, std::size_t count, const Limits &limits)
{
    // The spans are counted first, one tight loop per quantity, so the list
    // is made once at its size (grown step by step it spent most of its time
    // copying and faulting in fresh pages when the limits cut the log into
    // many spans), and a log within its limits costs no more than the count.
    std::array<RawThresholds, kSeriesCount> thresholds{};
    std::array<std::size_t, kSeriesCount + 1> segment{}; // where each quantity's spans start
    for (int s = 0; s < kSeriesCount; ++s) {
        std::size_t n = 0;
        if (limits[s].isSet() && count > 0) {
            thresholds[s] = rawThresholds(s, limits[s]);
            withValueOf(s, [&](auto value) { n = countSpans(records, count, thresholds[s], value); });
        }
        segment[s + 1] = segment[s] + n;
    }
    std::vector<OutOfRangeSpan> spans;
    if (segment[kSeriesCount] == 0)
        return spans;
    spans.reserve(segment[kSeriesCount]);

    // Record by record, the quantities in series order: a span is listed as
    // it starts, so the list comes out ordered by start, then series, with
    // no sort and no second list. It is extended while its run lasts.
    struct Open {
        int series;
        int state;
        std::size_t at; // the span being extended while state != 0
    };
    std::array<Open, kSeriesCount> open{};
    int quantities = 0;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (segment[s + 1] > segment[s])
            open[quantities++] = {s, 0, 0};
    }
    for (std::size_t i = 0; i < count; ++i) {
        for (int k = 0; k < quantities; ++k) {
            Open &q = open[k];
            const int v = quantityRaw(records[i], q.series);
            const int now = stateOf(v, thresholds[q.series]);
            if (now != q.state) {
                q.state = now;
                if (now != 0) {
                    q.at = spans.size();
                    OutOfRangeSpan span;
                    span.series = q.series;
                    span.above = now > 0;
                    span.first = span.last = span.extremeAt = i;
                    span.extremeRaw = v;
                    spans.push_back(span);
                }
            } else if (now != 0) {
                OutOfRangeSpan &span = spans[q.at];
                span.last = i;
                if (now > 0 ? v > span.extremeRaw : v < span.extremeRaw) {
                    span.extremeRaw = v;
                    span.extremeAt = i;
                }
            }
        }
    }
    return spans;
}

QString durationText(std::size_t records)
{
    const unsigned long long seconds = static_cast<unsigned long long>(records) * kSecondsPerRecord;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

OutOfRangeSpanTexts spanTexts(const OutOfRangeSpan &span, const LogRecord *records, const LogDays &days,
                              const CellTextFormat &format)
{
    OutOfRangeSpanTexts t;
    const auto time = [&](std::size_t i) { return celltext::timeText(records[i].Hour, records[i].Minute); };
    t.quantity = seriesTitle(span.series);
    t.startDay = QString::number(days.dayOf(span.first));
    t.startTime = time(span.first);
    t.endDay = QString::number(days.dayOf(span.last));
    t.endTime = time(span.last);
    t.duration = durationText(span.records());
    t.extreme = quantityValueText(span.series, span.extremeRaw, format);
    t.extremeDay = QString::number(days.dayOf(span.extremeAt));
    t.extremeTime = time(span.extremeAt);
    t.records = QString::number(span.records());
    return t;
}

} // namespace sorvant
