#include "xlscells.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace sorvant::xls {

namespace {

constexpr std::int64_t kRkIntMin = -(std::int64_t{1} << 29);
constexpr std::int64_t kRkIntMax = (std::int64_t{1} << 29) - 1;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::uint32_t rkInteger(std::int64_t v, bool times100)
{
    return (static_cast<std::uint32_t>(v) << 2) | 0x2u | (times100 ? 0x1u : 0x0u);
}

// RK's floating-point form keeps the top 30 bits of the double.
bool rkFloat(double v, std::uint32_t &rk)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) != 0)
        return false;
    rk = static_cast<std::uint32_t>(bits >> 32);
    return true;
}

bool parseNumber(std::string_view t, std::string_view sep, CellValue &out)
{
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative)
        i = 1;
    const std::size_t intStart = i;
    std::uint64_t mantissa = 0;
    int significant = 0;
    int fraction = 0;
    const auto take = [&](char c) {
        if (significant > 0 || c != '0')
            ++significant;
        if (significant <= 15)
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    };
    while (i < t.size() && isDigit(t[i]))
        take(t[i++]);
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && t[intStart] == '0'))
        return false;
    if (i < t.size()) {
        if (sep.empty() || t.substr(i, sep.size()) != sep)
            return false;
        i += sep.size();
        const std::size_t fracStart = i;
        while (i < t.size() && isDigit(t[i])) {
            take(t[i++]);
            ++fraction;
        }
        if (i == fracStart || i != t.size() || t[i - 1] == '0')
            return false;
    }
    if (significant > 15 || fraction > 22 || (negative && mantissa == 0))
        return false;

    static const double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // Both operands are exact doubles, so the one division rounds correctly:
    // the same value as any correct decimal parser gives.
    const double magnitude = static_cast<double>(mantissa) / kPow10[fraction];
    out.kind = CellValue::Kind::Number;
    out.value = negative ? -magnitude : magnitude;
    const std::int64_t signedMantissa = negative ? -static_cast<std::int64_t>(mantissa)
                                                 : static_cast<std::int64_t>(mantissa);
    if (fraction == 0 && signedMantissa >= kRkIntMin && signedMantissa <= kRkIntMax) {
        out.rkExact = true;
        out.rk = rkInteger(signedMantissa, false);
    } else if (fraction <= 2) {
        const std::int64_t hundredths = signedMantissa * (fraction == 1 ? 10 : fraction == 0 ? 100 : 1);
        if (hundredths >= kRkIntMin && hundredths <= kRkIntMax) {
            // The reader divides by 100, which rounds exactly as the parse above.
            out.rkExact = true;
            out.rk = rkInteger(hundredths, true);
        }
    }
    if (!out.rkExact)
        out.rkExact = rkFloat(out.value, out.rk);
    return true;
}

bool parseTime(std::string_view t, CellValue &out)
{
    // h:mm or hh:mm, the hour without a leading zero unless it is 0.
    const std::size_t colon = t.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || t.size() != colon + 3)
        return false;
    if (!isDigit(t[0]) || (colon == 2 && (!isDigit(t[1]) || t[0] == '0')))
        return false;
    if (!isDigit(t[colon + 1]) || !isDigit(t[colon + 2]))
        return false;
    const int hour = colon == 1 ? t[0] - '0' : (t[0] - '0') * 10 + (t[1] - '0');
    const int minute = (t[colon + 1] - '0') * 10 + (t[colon + 2] - '0');
    if (hour > 23 || minute > 59)
        return false;
    out.kind = CellValue::Kind::Time;
    out.value = (hour * 60 + minute) / 1440.0;
    if (hour == 0 && minute == 0) {
        out.rkExact = true;
        out.rk = rkInteger(0, false);
    } else {
        out.rkExact = rkFloat(out.value, out.rk);
    }
    return true;
}

// The text as stored in a workbook: one byte per character when every
// character fits in Latin-1, UTF-16 otherwise.
void encodeText(std::string_view utf8, std::string &bytes, bool &wide, std::size_t &units)
{
    bytes.clear();
    const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        bytes.assign(utf8.data(), utf8.size());
        wide = false;
        units = utf8.size();
        return;
    }
    const QString s = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    units = static_cast<std::size_t>(s.size());
    wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
    bytes.reserve(units * (wide ? 2 : 1));
    for (const QChar c : s) {
        if (wide)
            put16(bytes, c.unicode());
        else
            bytes += static_cast<char>(c.unicode());
    }
}

} // namespace

CellValue classifyCell(std::string_view text, std::string_view separator)
{
    CellValue v;
    if (text.empty() || text.size() > 40)
        return v;
    if (parseTime(text, v))
        return v;
    CellValue n;
    if (parseNumber(text, separator, n))
        return n;
    return v;
}

std::string_view withoutCarriageReturns(std::string_view text, std::string &out)
{
    if (text.find('\r') == std::string_view::npos)
        return text;
    out.clear();
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

std::size_t utf16Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80)
            n += c >= 0xF0 ? 2 : 1; // a four-byte sequence is a surrogate pair
    }
    return n;
}

void putDouble(std::string &out, double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    put32(out, static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
    put32(out, static_cast<std::uint32_t>(bits >> 32));
}

std::uint32_t SharedStrings::add(std::string_view utf8)
{
    ++m_total;
    m_key.assign(utf8.data(), utf8.size());
    const auto found = m_index.find(m_key);
    if (found != m_index.end())
        return found->second;
    const auto index = static_cast<std::uint32_t>(m_order.size());
    const auto inserted = m_index.emplace(m_key, index).first;
    m_order.push_back(&inserted->first);
    return index;
}

std::uint32_t SharedStrings::find(std::string_view utf8) const
{
    m_key.assign(utf8.data(), utf8.size());
    const auto found = m_index.find(m_key);
    if (found == m_index.end())
        throw std::logic_error("text missing from the shared string table");
    return found->second;
}

std::string SharedStrings::serialize(std::uint64_t streamPosition) const
{
    std::string out;
    std::size_t recordStart = 0;
    const auto open = [&](std::uint16_t type) {
        recordStart = out.size();
        putRecordHeader(out, type, 0);
    };
    const auto close = [&] {
        const std::size_t size = out.size() - recordStart - 4;
        out[recordStart + 2] = static_cast<char>(size & 0xFF);
        out[recordStart + 3] = static_cast<char>(size >> 8);
    };
    const auto room = [&] { return kMaxRecordData - (out.size() - recordStart - 4); };

    open(0x00FC); // SST
    put32(out, m_total);
    put32(out, unique());

    // EXTSST points at every dsst-th string, in at most 128 buckets.
    const std::uint32_t perBucket = std::max<std::uint32_t>(8, (unique() + 127) / 128);
    std::vector<std::pair<std::uint32_t, std::uint16_t>> buckets;

    std::string bytes;
    for (std::uint32_t i = 0; i < unique(); ++i) {
        bool wide = false;
        std::size_t units = 0;
        encodeText(*m_order[i], bytes, wide, units);
        const std::size_t unit = wide ? 2 : 1;
        // A string's length and flags never straddle two records, nor does a character.
        if (room() < 3 + (units ? unit : 0)) {
            close();
            open(0x003C); // CONTINUE
        }
        if (i % perBucket == 0)
            buckets.emplace_back(static_cast<std::uint32_t>(streamPosition + out.size()),
                                 static_cast<std::uint16_t>(out.size() - recordStart));
        put16(out, static_cast<std::uint16_t>(units));
        put8(out, wide ? 1 : 0);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t fit = room() / unit * unit;
            if (fit == 0) {
                close();
                open(0x003C);
                put8(out, wide ? 1 : 0); // a continued string repeats its flags
                continue;
            }
            const std::size_t n = std::min(fit, bytes.size() - done);
            out.append(bytes, done, n);
            done += n;
        }
    }
    close();

    putRecordHeader(out, 0x00FF, 2 + 8 * buckets.size()); // EXTSST
    put16(out, static_cast<std::uint16_t>(perBucket));
    for (const auto &b : buckets) {
        put32(out, b.first);
        put16(out, b.second);
        put16(out, 0);
    }
    return out;
}

} // namespace sorvant::xls
