#pragma once

#include "columns.h"
#include "logrecord.h"

#include <QString>

#include <array>
#include <optional>

namespace sorvant {

class CellTextFormat;

// The six quantities are the chart series (index 0 is Series1, "Moisture
// In"), with the values the chart plots. Each is a whole number of its own
// unit (`quantityRaw`): tenths of a percent for the two moistures, whole
// degrees or units for the others, so limits compare exactly. Inline: the
// span finder calls it for every record and quantity.
inline int quantityRaw(const LogRecord &r, int series)
{
    switch (series) {
    case 0: return r.MoistureIn;
    case 1: return r.MoistureOut;
    case 2: return r.WetGrainTemp / 10; // truncated toward zero, as the chart plots it
    case 3: return r.GrainTempInsideDryer;
    case 4: return r.DriedGrainTemp / 10;
    case 5: return r.UnloadRate;
    default: return 0;
    }
}
// Units per plotted value: 10 for the moistures (tenths), 1 for the others.
int quantityRawPerUnit(int series);
// The value as the chart plots it (Moisture Out: stored value x 0.1).
double quantityValue(int series, int raw);
// The value as the spreadsheet writes such a number: "15.3", "62".
QString quantityValueText(int series, int raw, const CellTextFormat &format);
// The series of a title, whatever its letter case; -1 when there is none.
int seriesOfTitle(const QString &title);

// The acceptable values of one quantity: either bound may be missing, and a
// value equal to a bound is within it.
struct QuantityLimit {
    std::optional<double> lowest;
    std::optional<double> highest;
    bool isSet() const { return lowest || highest; }
    bool operator==(const QuantityLimit &o) const { return lowest == o.lowest && highest == o.highest; }
    bool operator!=(const QuantityLimit &o) const { return !(*this == o); }
};

// Limits for the six quantities, by series index.
struct Limits {
    std::array<QuantityLimit, kSeriesCount> quantity;
    QuantityLimit &operator[](int series) { return quantity[static_cast<std::size_t>(series)]; }
    const QuantityLimit &operator[](int series) const { return quantity[static_cast<std::size_t>(series)]; }
    bool anySet() const;
    bool operator==(const Limits &o) const { return quantity == o.quantity; }
    bool operator!=(const Limits &o) const { return !(*this == o); }
};

// "LOW:HIGH" with either side empty ("14:16", ":120", "14.5:"); a comma is
// taken for the decimal point too. Fails for anything else, for a bound
// that is not a finite number and for a lowest value above the highest.
// An empty text or ":" is no limit.
bool parseLimitText(const QString &text, QuantityLimit &out);
// The text parseLimitText() reads back: "14:16", ":120", "" for no limit.
QString limitText(const QuantityLimit &limit);
// "TITLE:LOW:HIGH", e.g. "Moisture Out:14:16" or "grain temp in dryer::120".
// On failure `why` says what is wrong.
bool parseLimitOption(const QString &text, int &series, QuantityLimit &limit, QString &why);

} // namespace sorvant
