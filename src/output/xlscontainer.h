#pragma once

#include <cstdint>
#include <string>

namespace sorvant::xls {

// The Compound File (version 3, 512-byte sectors) around one stream named
// "Workbook". The stream's size is known before a byte of it is written, so
// the whole file can be streamed front to back: header, stream sectors, then
// the allocation table and the directory after them.
//
// Streams shorter than the 4,096-byte cut-off would belong in the mini
// stream; callers pad the workbook stream to at least kMinStreamSize instead,
// which readers accept (the padding lies after the last EOF record).
class CompoundFileLayout
{
public:
    static constexpr std::uint64_t kSectorSize = 512;
    static constexpr std::uint64_t kMinStreamSize = 4096;
    // Largest stream this layout takes: sector numbers stay far below the
    // special values, and every reader copes with it.
    static constexpr std::uint64_t kMaxStreamSize = 0x7FFFF000;

    explicit CompoundFileLayout(std::uint64_t streamSize);

    std::uint64_t streamSize() const { return m_streamSize; }
    // The 512-byte header, written before the stream.
    std::string header() const;
    // Everything after the stream: zero fill of its last sector, the FAT
    // sectors, any DIFAT sectors and the directory sector.
    std::string trailer() const;
    std::uint64_t fileSize() const;

private:
    std::uint64_t m_streamSize;
    std::uint32_t m_streamSectors = 0;
    std::uint32_t m_fatSectors = 0;
    std::uint32_t m_difatSectors = 0;
};

} // namespace sorvant::xls
