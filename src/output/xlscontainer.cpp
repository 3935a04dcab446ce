#include "xlscontainer.h"

#include <stdexcept>

namespace sorvant::xls {

namespace {

constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kEntriesPerSector = 128;     // 512 / 4
constexpr std::uint32_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kDifatEntriesPerSector = 127; // the last one chains

void put16(std::string &out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t ceilDiv(std::uint64_t a, std::uint64_t b)
{
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

// One 128-byte directory entry.
void putEntry(std::string &out, const char16_t *name, std::uint8_t type, std::uint32_t child,
              const unsigned char *clsid, std::uint32_t start, std::uint64_t size)
{
    const std::size_t begin = out.size();
    std::uint16_t nameBytes = 0;
    if (name) {
        for (const char16_t *p = name; *p; ++p) {
            put16(out, static_cast<std::uint16_t>(*p));
            nameBytes = static_cast<std::uint16_t>(nameBytes + 2);
        }
        put16(out, 0);
        nameBytes = static_cast<std::uint16_t>(nameBytes + 2);
    }
    out.resize(begin + 64, '\0');
    put16(out, nameBytes);
    out += static_cast<char>(type);
    out += static_cast<char>(type == 0 ? 0 : 1); // black: a one-node tree is always valid
    put32(out, kNoStream);                        // left sibling
    put32(out, kNoStream);                        // right sibling
    put32(out, child);
    for (int i = 0; i < 16; ++i)
        out += static_cast<char>(clsid ? clsid[i] : 0);
    put32(out, 0);                 // state bits
    out.append(16, '\0');          // creation and modification times
    put32(out, start);
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, 0);                 // high half of the size: zero in version 3
}

} // namespace

CompoundFileLayout::CompoundFileLayout(std::uint64_t streamSize)
    : m_streamSize(streamSize)
{
    if (streamSize < kMinStreamSize || streamSize > kMaxStreamSize)
        throw std::length_error("workbook stream size out of range");
    m_streamSectors = ceilDiv(streamSize, kSectorSize);
    // The FAT covers itself, the DIFAT sectors and the directory too: grow
    // both until they stop changing.
    for (;;) {
        const std::uint64_t total = std::uint64_t{m_streamSectors} + m_fatSectors + m_difatSectors + 1;
        const std::uint32_t fat = ceilDiv(total, kEntriesPerSector);
        const std::uint32_t difat =
            fat > kHeaderDifatEntries ? ceilDiv(fat - kHeaderDifatEntries, kDifatEntriesPerSector) : 0;
        if (fat == m_fatSectors && difat == m_difatSectors)
            break;
        m_fatSectors = fat;
        m_difatSectors = difat;
    }
}

std::uint64_t CompoundFileLayout::fileSize() const
{
    return kSectorSize * (1 + std::uint64_t{m_streamSectors} + m_fatSectors + m_difatSectors + 1);
}

std::string CompoundFileLayout::header() const
{
    const std::uint32_t firstFat = m_streamSectors;
    const std::uint32_t firstDifat = firstFat + m_fatSectors;
    const std::uint32_t directory = firstDifat + m_difatSectors;

    std::string out;
    out.reserve(kSectorSize);
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(16, '\0');          // class id
    put16(out, 0x003E);            // minor version
    put16(out, 0x0003);            // major version 3: 512-byte sectors
    put16(out, 0xFFFE);            // little-endian
    put16(out, 9);                 // sector size 2^9
    put16(out, 6);                 // mini sector size 2^6
    out.append(6, '\0');
    put32(out, 0);                 // directory sectors: always 0 in version 3
    put32(out, m_fatSectors);
    put32(out, directory);
    put32(out, 0);                 // transaction signature
    put32(out, 0x1000);            // mini stream cut-off
    put32(out, kEndOfChain);       // no mini FAT
    put32(out, 0);
    put32(out, m_difatSectors ? firstDifat : kEndOfChain);
    put32(out, m_difatSectors);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        put32(out, i < m_fatSectors ? firstFat + i : kFreeSect);
    return out;
}

std::string CompoundFileLayout::trailer() const
{
    const std::uint32_t firstFat = m_streamSectors;
    const std::uint32_t firstDifat = firstFat + m_fatSectors;
    const std::uint32_t directory = firstDifat + m_difatSectors;

    std::string out;
    out.reserve(static_cast<std::size_t>(kSectorSize * (m_fatSectors + m_difatSectors + 2)));
    out.append(static_cast<std::size_t>(std::uint64_t{m_streamSectors} * kSectorSize - m_streamSize), '\0');

    const std::uint64_t fatEntries = std::uint64_t{m_fatSectors} * kEntriesPerSector;
    for (std::uint64_t i = 0; i < fatEntries; ++i) {
        std::uint32_t v = kFreeSect;
        if (i < m_streamSectors)
            v = i + 1 < m_streamSectors ? static_cast<std::uint32_t>(i + 1) : kEndOfChain;
        else if (i < firstDifat)
            v = kFatSect;
        else if (i < directory)
            v = kDifSect;
        else if (i == directory)
            v = kEndOfChain;
        put32(out, v);
    }

    // FAT sectors past the 109 the header lists, 127 to a DIFAT sector.
    std::uint32_t next = kHeaderDifatEntries;
    for (std::uint32_t d = 0; d < m_difatSectors; ++d) {
        for (std::uint32_t i = 0; i < kDifatEntriesPerSector; ++i, ++next)
            put32(out, next < m_fatSectors ? firstFat + next : kFreeSect);
        put32(out, d + 1 < m_difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }

    // The class id of an Excel 97-2003 workbook, {00020820-0000-0000-C000-000000000046}.
    static const unsigned char kExcelClsid[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    putEntry(out, u"Root Entry", 5, 1, kExcelClsid, kEndOfChain, 0);
    putEntry(out, u"Workbook", 2, kNoStream, nullptr, 0, m_streamSize);
    putEntry(out, nullptr, 0, kNoStream, nullptr, 0, 0);
    putEntry(out, nullptr, 0, kNoStream, nullptr, 0, 0);
    return out;
}

} // namespace sorvant::xls
