#pragma once

#include "logdata/logstore.h"

#include <cstdint>
#include <memory>

namespace sorvant::bench {

// Fills `records` with a full log, 720,000 records whose readings change as a
// drying run does: every text of the table varies, as in a real log.
inline void fillDryingRun(LogStore &records)
{
    for (std::size_t i = 0; i < LogStore::kCapacity; ++i) {
        LogRecord &r = records.data()[i];
        r = LogRecord{};
        r.GrainTempInsideDryer = static_cast<std::int16_t>(150 + i % 40);
        r.WetGrainTemp = static_cast<std::int16_t>(600 + i % 90);
        r.MoistureIn = static_cast<std::uint16_t>(190 + i % 70);
        r.DriedGrainTemp = static_cast<std::int16_t>(800 + i % 50);
        r.MoistureOut = static_cast<std::uint16_t>(140 + i % 20);
        r.UnloadRate = static_cast<std::uint16_t>(100 + i % 60);
        r.BinNumber = static_cast<std::uint8_t>(1 + i / 20000 % 9);
        r.Hour = static_cast<std::uint8_t>(i / 300 % 24);
        r.Minute = static_cast<std::uint8_t>(i / 5 % 60);
    }
    records.setCount(LogStore::kCapacity);
}

// A full log of fillDryingRun(), its days counted as a load counts them;
// made once per benchmark program.
inline LogStore &fullDryingStore()
{
    static const std::unique_ptr<LogStore> store = [] {
        auto s = std::make_unique<LogStore>();
        fillDryingRun(*s);
        s->days().reset();
        s->days().scan(s->data(), s->count());
        return s;
    }();
    return *store;
}

} // namespace sorvant::bench
