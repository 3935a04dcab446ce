#pragma once

#include "logdata/limits.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace sorvant {

// Values of the overview and the out-of-range limits in the settings file,
// beside the others under "\Software\Sorvant\Options":
//   "MoistureOutLimits"="14:16"       lowest and highest, either may be empty
//   "OverviewWindow"="40,60,900,360"  the overview window's place and size
// Read once at start and written once at close like the others.
struct OverviewSettings {
    Limits limits;
    // Which limits were read as they are stored: a value that could not be
    // read is not known, and stays in the file as it is unless this run sets
    // that quantity's limits.
    std::array<bool, kSeriesCount> limitKnown{};
    std::optional<QRect> overviewGeometry;
};

// The value name of a quantity's limits: "MoistureInLimits" ... "UnloadRateLimits".
QString limitValueName(int series);
QString overviewGeometryValueName(); // "OverviewWindow"

// Reads every value it can; each faulty one is named in `errors` ("Invalid
// data for 'MoistureOutLimits'") and the others are read all the same. A
// missing value is no limit. Nothing is written.
OverviewSettings readOverviewSettings(const QString &settingsPath, QStringList &errors);

// Writes the limits that differ from `before` (what the read gave) and the
// window's place. Throws UserError "Failed to set data for '%s'".
void writeOverviewSettings(const QString &settingsPath, const OverviewSettings &before,
                           const OverviewSettings &now);

} // namespace sorvant
