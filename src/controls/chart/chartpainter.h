#pragma once

class QPainter;
class ChartModel;
struct ChartLayout;

// Draws a laid-out chart onto any painter: widget, image or printer. It only
// draws what the layout computed.
void paintChart(QPainter &painter, const ChartModel &chart, const ChartLayout &layout);
