#pragma once

#include "logrecord.h"

#include <cstddef>
#include <vector>

namespace sorvant {

// Day numbers of a log's records. A record carries only its hour and minute,
// so a day is counted from the first record (day 1) and a new one starts
// wherever the time of day goes backwards from one record to the next: "day
// 3, 14:05" then names one moment of a multi-day log. Only the first record
// of each day is kept, so a 100-day log costs 100 entries, not one per record.
class LogDays
{
public:
    // Forgets every record: the next scan() starts day 1 again.
    void reset();
    // Takes the next `count` records (in host byte order) of the log, in
    // order; a load calls it slice by slice as it fixes the byte order.
    void scan(const LogRecord *records, std::size_t count);

    std::size_t recordCount() const { return m_records; }
    // Number of days of the records scanned (0 without records).
    int dayCount() const { return m_records == 0 ? 0 : static_cast<int>(m_dayStarts.size()) + 1; }
    // The day of record `index` (1 for the first); records past the end
    // belong to the last day.
    int dayOf(std::size_t index) const;
    // First record of `day` (from 1); the record count past the last day.
    std::size_t firstRecordOfDay(int day) const;
    // First records of days 2, 3, ...: the records just after a midnight.
    const std::vector<std::size_t> &midnights() const { return m_dayStarts; }

    // The time of day as the comparison sees it: hour, then minute.
    static unsigned timeKey(const LogRecord &r) { return unsigned(r.Hour) << 8 | r.Minute; }

private:
    std::vector<std::size_t> m_dayStarts;
    std::size_t m_records = 0;
    unsigned m_lastKey = 0;
};

} // namespace sorvant
