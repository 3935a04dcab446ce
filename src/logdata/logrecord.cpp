#include "logrecord.h"

#include <cstring>

namespace sorvant {

void fixByteOrder(LogRecord *records, std::size_t count) noexcept
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    (void)records;
    (void)count; // the file's order is already the host's
#else
    // Two 64-bit words per record: the first holds four 16-bit fields, the
    // second two more and then the four single bytes, which stay as they are.
    // Swapping bytes within each 16-bit lane is two masks and two shifts, and
    // the loop vectorises.
    constexpr std::uint64_t kLow = 0x00FF00FF00FF00FFull;
    constexpr std::uint64_t kSecondLow = 0x0000000000FF00FFull;
    constexpr std::uint64_t kSecondKeep = 0xFFFFFFFF00000000ull;
    auto *bytes = reinterpret_cast<unsigned char *>(records);
    for (std::size_t i = 0; i < count; ++i, bytes += sizeof(LogRecord)) {
        std::uint64_t w[2];
        std::memcpy(w, bytes, sizeof w);
        w[0] = ((w[0] & kLow) << 8) | ((w[0] >> 8) & kLow);
        w[1] = (w[1] & kSecondKeep) | ((w[1] & kSecondLow) << 8) | ((w[1] >> 8) & kSecondLow);
        std::memcpy(bytes, w, sizeof w);
    }
#endif
}

} // namespace sorvant
