#include "logrecord.h"

#include <cstring>

namespace sorvant {

void fixByteOrder(LogRecord *records, std::size_t count) noexcept
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    (void)records;
    (void)count; // the file's order is already the host's
#else
    // Work on the raw words so the loop vectorises; the last four bytes of a
    // record are single bytes and stay as they are.
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t w[6];
        std::memcpy(w, &records[i], sizeof w);
        for (auto &v : w)
            v = static_cast<std::uint16_t>((v >> 8) | (v << 8));
        std::memcpy(&records[i], w, sizeof w);
    }
#endif
}

} // namespace sorvant
