#include "celltext.h"

#include <cstring>

namespace sorvant {

CellTextFormat::CellTextFormat(QChar decimalSeparator)
    : m_separator(decimalSeparator)
{
    const QByteArray utf8 = QString(decimalSeparator).toUtf8();
    m_utf8Size = std::min<std::size_t>(static_cast<std::size_t>(utf8.size()), sizeof m_utf8);
    std::memcpy(m_utf8, utf8.constData(), m_utf8Size);
}

namespace celltext {

namespace {

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

int digitCount(std::uint64_t v)
{
    int n = 1;
    for (; v >= 10000; v /= 10000)
        n += 4;
    if (v >= 1000)
        return n + 3;
    if (v >= 100)
        return n + 2;
    return v >= 10 ? n + 1 : n;
}

// Written from the end two digits at a time: the building pass formats seven
// numbers per row, so this is among the hottest code of a load.
char *appendUnsigned(char *out, std::uint64_t v)
{
    const int n = digitCount(v);
    char *p = out + n;
    while (v >= 100) {
        const auto pair = static_cast<std::size_t>(v % 100) * 2;
        v /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (v >= 10) {
        const auto pair = static_cast<std::size_t>(v) * 2;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return out + n;
}

template<typename Writer>
QString toText(Writer w)
{
    char buf[kMaxCellBytes];
    char *end = w(buf);
    return QString::fromUtf8(buf, end - buf);
}

} // namespace

char *appendInteger(char *out, std::int64_t value)
{
    if (value < 0) {
        *out++ = '-';
        // Negate in unsigned arithmetic so the most negative value is safe.
        return appendUnsigned(out, ~static_cast<std::uint64_t>(value) + 1);
    }
    return appendUnsigned(out, static_cast<std::uint64_t>(value));
}

char *appendTruncatedTenths(char *out, int tenths)
{
    return appendInteger(out, tenths / 10); // C++ division truncates toward zero
}

char *appendTenths(char *out, unsigned tenths, const CellTextFormat &format)
{
    out = appendUnsigned(out, tenths / 10);
    if (const unsigned fraction = tenths % 10) {
        const auto sep = format.separatorUtf8();
        std::memcpy(out, sep.data(), sep.size());
        out += sep.size();
        *out++ = static_cast<char>('0' + fraction);
    }
    return out;
}

char *appendTime(char *out, unsigned hour, unsigned minute)
{
    out = appendUnsigned(out, hour);
    *out++ = ':';
    if (minute < 10)
        *out++ = '0';
    return appendUnsigned(out, minute);
}

QString integerText(std::int64_t value)
{
    return toText([&](char *b) { return appendInteger(b, value); });
}

QString truncatedTenthsText(int tenths)
{
    return toText([&](char *b) { return appendTruncatedTenths(b, tenths); });
}

QString tenthsText(unsigned tenths, const CellTextFormat &format)
{
    return toText([&](char *b) { return appendTenths(b, tenths, format); });
}

QString timeText(unsigned hour, unsigned minute)
{
    return toText([&](char *b) { return appendTime(b, hour, minute); });
}

QString fixedText(double value, int decimals, const CellTextFormat &format)
{
    QString text = QString::number(value, 'f', decimals);
    // A value that rounds to zero from below reads 0, not -0.
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 1 - (decimals > 0))
        text.remove(0, 1);
    if (decimals > 0)
        text.replace(QLatin1Char('.'), format.decimalSeparator());
    return text;
}

} // namespace celltext
} // namespace sorvant
