#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

namespace sorvant {

// How numbers become text: the user's decimal separator, taken from the
// regional settings by the caller so that tests can pin any locale.
class CellTextFormat
{
public:
    explicit CellTextFormat(QChar decimalSeparator = QLatin1Char('.'));
    QChar decimalSeparator() const { return m_separator; }
    // The separator in UTF-8 (one to three bytes).
    std::string_view separatorUtf8() const { return {m_utf8, m_utf8Size}; }

private:
    QChar m_separator;
    char m_utf8[4] = {};
    std::size_t m_utf8Size = 0;
};

// Writers into a caller's buffer, returning the end of what they wrote. They
// allocate nothing: the building pass runs them nine times per row.
namespace celltext {

constexpr std::size_t kMaxCellBytes = 24; // the longest text any of them writes

char *appendInteger(char *out, std::int64_t value);
// value / 10 truncated toward zero: 621 -> 62, -105 -> -10, 9 -> 0.
char *appendTruncatedTenths(char *out, int tenths);
// value * 0.1 in the general number format: 215 -> 21.5, 150 -> 15, 5 -> 0.5.
// For whole tenths the shortest round-trip form of value * 0.1 is exactly the
// stored digits with the last one after the separator, so integer arithmetic
// gives the same text as a floating-point formatter without its cost.
char *appendTenths(char *out, unsigned tenths, const CellTextFormat &format);
// "%d:%d", or "%d:0%d" when the minute is below 10: 14:05, 9:00, 9:200.
char *appendTime(char *out, unsigned hour, unsigned minute);

QString integerText(std::int64_t value);
QString truncatedTenthsText(int tenths);
QString tenthsText(unsigned tenths, const CellTextFormat &format);
QString timeText(unsigned hour, unsigned minute);
// `value` rounded to `decimals` places, always with that many: 15.26 -> "15.3"
// (1 place), 100 -> "100.0"; never "-0.0".
QString fixedText(double value, int decimals, const CellTextFormat &format);

} // namespace celltext
} // namespace sorvant
