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

std::vector<OutOfRangeSpan> findOutOfRangeSpans(const LogRecord *records, std::size_t count, const Limits &limits)
{
    struct Quantity {
        int series = 0;
        RawThresholds t;
        int state = 0;         // 0 within, -1 below, +1 above
        std::size_t open = 0;  // the span being extended while state != 0
    };
    std::vector<Quantity> quantities;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (limits[s].isSet())
            quantities.push_back({s, rawThresholds(s, limits[s])});
    }
    const auto stateOf = [](int v, const RawThresholds &t) { return int(v > t.above) - int(v < t.below); };

    // Counted first, so the list is made once at its size: grown step by
    // step it spent most of its time copying and faulting in fresh pages
    // when the limits cut the log into many spans.
    std::size_t total = 0;
    for (Quantity &q : quantities) {
        int state = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const int now = stateOf(quantityRaw(records[i], q.series), q.t);
            total += std::size_t(now != 0 && now != state);
            state = now;
        }
    }
    std::vector<OutOfRangeSpan> spans;
    spans.reserve(total);

    // Record by record, the quantities in series order: a span is listed as
    // it starts, so the list comes out ordered by start, then series, with
    // no sort. It is extended while its run lasts.
    for (std::size_t i = 0; i < count; ++i) {
        for (Quantity &q : quantities) {
            const int v = quantityRaw(records[i], q.series);
            const int now = stateOf(v, q.t);
            if (now != q.state) {
                q.state = now;
                if (now != 0) {
                    q.open = spans.size();
                    OutOfRangeSpan span;
                    span.series = q.series;
                    span.above = now > 0;
                    span.first = span.last = span.extremeAt = i;
                    span.extremeRaw = v;
                    spans.push_back(span);
                }
            } else if (now != 0) {
                OutOfRangeSpan &span = spans[q.open];
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
