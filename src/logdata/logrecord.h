#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace sorvant {

// One 16-byte sample of a dryer log, in the layout the controller writes it.
// The six 16-bit fields arrive most significant byte first; fixByteOrder()
// turns them into host order in place, after which every field reads directly.
struct LogRecord {
    std::int16_t GrainTempInsideDryer; // whole degrees
    std::int16_t WetGrainTemp;         // tenths of a degree
    std::uint16_t MoistureIn;          // tenths of a percent
    std::int16_t DriedGrainTemp;       // tenths of a degree
    std::uint16_t MoistureOut;         // tenths of a percent
    std::uint16_t UnloadRate;          // units of ten
    std::uint8_t BinNumber;
    std::uint8_t Hour;
    std::uint8_t Minute;
    std::uint8_t Spare; // never read
};

static_assert(sizeof(LogRecord) == 16, "LogRecord must match the 16-byte file record");
static_assert(std::is_standard_layout_v<LogRecord> && std::is_trivially_copyable_v<LogRecord>,
              "LogRecord is read straight from the file");
static_assert(offsetof(LogRecord, GrainTempInsideDryer) == 0 && offsetof(LogRecord, WetGrainTemp) == 2
                  && offsetof(LogRecord, MoistureIn) == 4 && offsetof(LogRecord, DriedGrainTemp) == 6
                  && offsetof(LogRecord, MoistureOut) == 8 && offsetof(LogRecord, UnloadRate) == 10
                  && offsetof(LogRecord, BinNumber) == 12 && offsetof(LogRecord, Hour) == 13
                  && offsetof(LogRecord, Minute) == 14 && offsetof(LogRecord, Spare) == 15,
              "LogRecord field offsets must match the file record");

constexpr std::size_t kLogRecordSize = sizeof(LogRecord);

// Puts the six 16-bit fields of `count` records into host byte order, in place.
void fixByteOrder(LogRecord *records, std::size_t count) noexcept;

} // namespace sorvant
