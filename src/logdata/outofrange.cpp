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

// One quantity's spans, appended to `out`.
template <typename Value>
void scanQuantity(const LogRecord *records, std::size_t count, int series, const RawThresholds &t, Value value,
                  std::vector<OutOfRangeSpan> &out)
{
    // 0: within, -1: below, +1: above.
    int state = 0;
    OutOfRangeSpan span;
    for (std::size_t i = 0; i < count; ++i) {
        const int v = value(records[i]);
        const int now = v < t.below ? -1 : (v > t.above ? 1 : 0);
        if (now != state) {
            if (state != 0) {
                span.last = i - 1;
                out.push_back(span);
            }
            state = now;
            if (now != 0) {
                span.series = series;
                span.above = now > 0;
                span.first = i;
                span.extremeRaw = v;
                span.extremeAt = i;
            }
        } else if (now != 0 && (now > 0 ? v > span.extremeRaw : v < span.extremeRaw)) {
            span.extremeRaw = v;
            span.extremeAt = i;
        }
    }
    if (state != 0) {
        span.last = count - 1;
        out.push_back(span);
    }
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
    std::vector<OutOfRangeSpan> spans;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (!limits[s].isSet() || count == 0)
            continue;
        const RawThresholds t = rawThresholds(s, limits[s]);
        // One loop per quantity with its field read inline: six loops of
        // 720,000 compares take a few milliseconds.
        switch (s) {
        case 0: scanQuantity(records, count, s, t, [](const LogRecord &r) { return int(r.MoistureIn); }, spans); break;
        case 1: scanQuantity(records, count, s, t, [](const LogRecord &r) { return int(r.MoistureOut); }, spans); break;
        case 2: scanQuantity(records, count, s, t, [](const LogRecord &r) { return r.WetGrainTemp / 10; }, spans); break;
        case 3: scanQuantity(records, count, s, t, [](const LogRecord &r) { return int(r.GrainTempInsideDryer); }, spans); break;
        case 4: scanQuantity(records, count, s, t, [](const LogRecord &r) { return r.DriedGrainTemp / 10; }, spans); break;
        default: scanQuantity(records, count, s, t, [](const LogRecord &r) { return int(r.UnloadRate); }, spans); break;
        }
    }
    std::stable_sort(spans.begin(), spans.end(), [](const OutOfRangeSpan &a, const OutOfRangeSpan &b) {
        return a.first != b.first ? a.first < b.first : a.series < b.series;
    });
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
