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

char *appendUnsigned(char *out, std::uint64_t v)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0)
        *out++ = digits[--n];
    return out;
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

} // namespace celltext
} // namespace sorvant
