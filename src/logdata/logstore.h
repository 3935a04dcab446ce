#pragma once

#include "logdays.h"
#include "logrecord.h"

#include <cstddef>

namespace sorvant {

// The records of the last load. Its room is fixed: 720,000 records, 100 days of
// 12-second samples. The memory is reserved once and reused by every load, so a
// reload after changing the sampling step touches no fresh pages.
class LogStore
{
public:
    static constexpr std::size_t kCapacity = 720000;
    static constexpr std::size_t kCapacityBytes = kCapacity * sizeof(LogRecord);

    LogStore();
    ~LogStore();
    LogStore(const LogStore &) = delete;
    LogStore &operator=(const LogStore &) = delete;

    LogRecord *data() noexcept { return m_records; }
    const LogRecord *data() const noexcept { return m_records; }
    const LogRecord &operator[](std::size_t i) const noexcept { return m_records[i]; }

    std::size_t count() const noexcept { return m_count; }
    void setCount(std::size_t n) noexcept { m_count = n; }

    // Day numbers of the records, counted by the load as it fixes them.
    const LogDays &days() const noexcept { return m_days; }
    LogDays &days() noexcept { return m_days; }

private:
    void *m_mapping = nullptr;
    LogRecord *m_records = nullptr;
    std::size_t m_count = 0;
    LogDays m_days;
};

} // namespace sorvant
