#pragma once

#include <QString>

#include <array>

namespace sorvant {

// The nine columns of the table, by column index.
enum Column : int {
    ColRecordNumber = 0,
    ColWetGrainTemp,
    ColGrainTempInsideDryer,
    ColDriedGrainTemp,
    ColMoistureIn,
    ColMoistureOut,
    ColUnloadRate,
    ColTime,
    ColBinNumber,
};
constexpr int kColumnCount = 9;

// Header texts of row 0; the column popup uses the same words.
QString columnHeader(int column);

// The six chart series fed by the building pass, in drawing order.
constexpr int kSeriesCount = 6;
QString seriesTitle(int series);

// Sampling steps offered to the user, in records per row (one record = 12 s).
constexpr std::array<int, 5> kSampleSteps = {5, 15, 25, 75, 150};
constexpr int kDefaultSampleInterval = 25;

// The status-panel text for a stored step; empty for a step with no text.
QString statusTextForStep(int sampleInterval);

// The step a load really uses: a stored step below 1 cannot drive the row
// loop, so such a load takes every record.
constexpr int effectiveStep(int sampleInterval) { return sampleInterval < 1 ? 1 : sampleInterval; }

} // namespace sorvant
