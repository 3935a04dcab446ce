#pragma once

#include "controls/chart/chartlayout.h"
#include "views/chartview.h"

#include <QLocale>

#include <string>

namespace chartfixture {

// Chart positions of the series, by Sorvant name.
enum Position { Series3 = 0, Series4, Series5, Series1, Series2, Series6 };

struct RowValues {
    double moistureIn = 21.5, moistureOut = 15, tempIn = 62, tempDryer = 90, tempOut = 66, unload = 35;
};

inline std::string timeText(int row)
{
    const int minutes = 6 * 60 + row * 5;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d", minutes / 60 % 24, minutes % 60);
    return buf;
}

// What a load does to the chart: clears the six series and adds one point a
// row at X = row * step, labelled with the row's time.
template <typename Values>
void load(ChartModel &chart, int rows, int step, Values values)
{
    sorvant::ChartSeriesSink sink(chart);
    for (int s = 0; s < sorvant::kSeriesCount; ++s)
        sink.Clear(s);
    for (int r = 0; r < rows; ++r) {
        const RowValues v = values(r);
        const std::string label = timeText(r);
        const double x = static_cast<double>(r) * step;
        const double ys[6] = {v.moistureIn, v.moistureOut, v.tempIn, v.tempDryer, v.tempOut, v.unload};
        for (int s = 0; s < sorvant::kSeriesCount; ++s)
            sink.AddXY(s, x, ys[s], label);
    }
    chart.dataChanged();
}

inline void load(ChartModel &chart, int rows, int step = 25)
{
    load(chart, rows, step, [](int) { return RowValues(); });
}

// Sorvant's chart, configured as the window has it, C locale.
struct SorvantChart {
    ChartModel chart;
    explicit SorvantChart(QSizeF viewSize = QSizeF(925, 640))
    {
        sorvant::configureChart(chart);
        chart.setLocale(QLocale::c());
        chart.setViewSize(viewSize);
    }
    ChartLayout layout() const { return chart.layout(chart.viewSize()); }
};

} // namespace chartfixture
