#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sorvant::xls {

// What a cell text becomes in the workbook.
//
// A text becomes a number only when Excel's General format shows that number
// as the very same text: an optional "-", digits without leading zeros, and
// optionally the decimal separator with digits that do not end in 0, at most
// 15 significant digits. So 21.5, 350 and -10 are numbers, while 007, 15.0,
// -0 and 1234567890123456 stay texts and keep what they say. A time of day
// "h:mm" (hour 0-23 written without a leading zero, minute 00-59) becomes a
// fraction of a day shown as h:mm; 9:200 and 24:00 stay texts.
struct CellValue {
    enum class Kind : std::uint8_t { Text, Number, Time };
    Kind kind = Kind::Text;
    double value = 0;
    bool rkExact = false; // value fits an RK record without loss
    std::uint32_t rk = 0;
};

// `separator` is the decimal separator in UTF-8.
CellValue classifyCell(std::string_view text, std::string_view separator);

// Appends `text` with every carriage return removed to `out`; returns the text
// to use (either `text` itself, when it has none, or `out`).
std::string_view withoutCarriageReturns(std::string_view text, std::string &out);

// The workbook's shared string table: each distinct text once, in the order
// of first use.
class SharedStrings
{
public:
    // Counts one more cell using `utf8` and returns the text's index.
    std::uint32_t add(std::string_view utf8);
    // The index of a text added before.
    std::uint32_t find(std::string_view utf8) const;
    std::uint32_t total() const { return m_total; }
    std::uint32_t unique() const { return static_cast<std::uint32_t>(m_order.size()); }
    // The SST record with its CONTINUE records and the EXTSST record that
    // indexes it; `streamPosition` is where the SST record will start.
    std::string serialize(std::uint64_t streamPosition) const;

private:
    std::unordered_map<std::string, std::uint32_t> m_index;
    std::vector<const std::string *> m_order;
    std::uint32_t m_total = 0;
    mutable std::string m_key;
};

// Longest text a workbook cell holds, in UTF-16 code units.
constexpr int kMaxCellTextLength = 32767;
// UTF-16 length of a UTF-8 text.
std::size_t utf16Length(std::string_view utf8);

// Little-endian record writing.
inline void put8(std::string &out, std::uint8_t v) { out += static_cast<char>(v); }
inline void put16(std::string &out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
inline void put32(std::string &out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}
void putDouble(std::string &out, double v);
inline void putRecordHeader(std::string &out, std::uint16_t type, std::size_t size)
{
    put16(out, type);
    put16(out, static_cast<std::uint16_t>(size));
}
constexpr std::size_t kMaxRecordData = 8224;

} // namespace sorvant::xls
