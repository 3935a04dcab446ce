#pragma once

#include "overviewlayout.h"

#include <vector>

class QPainter;

constexpr int kOverviewMaxColumns = 8192;

// Everything one overview picture draws.
struct OverviewPicture {
    const std::vector<OverviewSeriesStyle> *series = nullptr;
    const OverviewLook *look = nullptr;
    const OverviewSummary *summary = nullptr;
    std::vector<OverviewSpan> shades;  // behind the data
    std::vector<OverviewSpan> markers; // over the data
    // At most this many columns, however many device pixels the plot covers
    // (a printer has thousands).
    int maxColumns = kOverviewMaxColumns;
};

// Draws a laid-out overview onto any QPainter (screen, image, printer, PDF).
// Per column of device pixels (at most kMaxColumns over the plot) each
// visible series gets a band from its lowest to its highest value over the
// points of that column and a line through their means, so every point
// shows at any width. Values beyond an axis are drawn at its edge.
void paintOverview(QPainter &painter, const OverviewLayout &layout, const OverviewPicture &picture);

// The number of columns `paintOverview` divides the plot into on `painter`.
int overviewColumnCount(const QPainter &painter, const OverviewLayout &layout, int maxColumns = kOverviewMaxColumns);
