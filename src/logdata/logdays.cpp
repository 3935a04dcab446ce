#include "logdays.h"

#include <algorithm>

namespace sorvant {

void LogDays::reset()
{
    m_dayStarts.clear();
    m_records = 0;
    m_lastKey = 0;
}

void LogDays::scan(const LogRecord *records, std::size_t count)
{
    if (count == 0)
        return;
    std::size_t i = 0;
    if (m_records == 0) {
        m_lastKey = timeKey(records[0]);
        i = 1;
    }
    unsigned last = m_lastKey;
    for (; i < count; ++i) {
        const unsigned key = timeKey(records[i]);
        if (key < last)
            m_dayStarts.push_back(m_records + i);
        last = key;
    }
    m_lastKey = last;
    m_records += count;
}

int LogDays::dayOf(std::size_t index) const
{
    const auto it = std::upper_bound(m_dayStarts.begin(), m_dayStarts.end(), index);
    return static_cast<int>(it - m_dayStarts.begin()) + 1;
}

std::size_t LogDays::firstRecordOfDay(int day) const
{
    if (day <= 1)
        return 0;
    const std::size_t k = static_cast<std::size_t>(day - 2);
    return k < m_dayStarts.size() ? m_dayStarts[k] : m_records;
}

} // namespace sorvant
