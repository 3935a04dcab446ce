#pragma once

#include "controls/chart/chartseries.h"
#include "logdata/sinks.h"

#include <array>

namespace sorvant {

// Series1 to Series6 with their titles, and the load's view of them.
class SeriesSet : public SeriesSink
{
public:
    SeriesSet();
    ChartSeries &operator[](int i) { return m_series[static_cast<std::size_t>(i)]; }
    const ChartSeries &operator[](int i) const { return m_series[static_cast<std::size_t>(i)]; }
    std::array<ChartSeries, kSeriesCount> &all() { return m_series; }

    void Clear(int series) override { m_series[static_cast<std::size_t>(series)].Clear(); }
    void AddXY(int series, double x, double y, std::string_view labelUtf8) override
    {
        m_series[static_cast<std::size_t>(series)].AddXY(x, y, labelUtf8);
    }
    void reserve(int series, std::size_t points) override
    {
        m_series[static_cast<std::size_t>(series)].reserve(points);
    }

private:
    std::array<ChartSeries, kSeriesCount> m_series;
};

} // namespace sorvant
