#include "columns.h"

namespace sorvant {

QString columnHeader(int column)
{
    static const char *const headers[kColumnCount] = {
        "Record #",    "Wet Grain Temp", "Grain Temp Inside Dryer", "Dried Grain Temp", "Moisture In",
        "Moisture Out", "Unload Rate",   "Time",                    "Bin Number",
    };
    if (column < 0 || column >= kColumnCount)
        return {};
    return QString::fromLatin1(headers[column]);
}

QString seriesTitle(int series)
{
    static const char *const titles[kSeriesCount] = {
        "Moisture In", "Moisture Out", "Grain Temp In", "Grain Temp in Dryer", "Grain Temp Out", "Unload Rate",
    };
    if (series < 0 || series >= kSeriesCount)
        return {};
    return QString::fromLatin1(titles[series]);
}

QString statusTextForStep(int sampleInterval)
{
    switch (sampleInterval) {
    case 0: return QStringLiteral("All Data Loaded");
    case 5: return QStringLiteral(" Currently using 1 minute averaging");
    case 15: return QStringLiteral(" Currently using 3 minute averaging");
    case 25: return QStringLiteral(" Currently using 5 minute averaging");
    case 75: return QStringLiteral(" Currently using 15 minute averaging");
    case 150: return QStringLiteral(" Currently using 30 minute averaging");
    default: return {};
    }
}

} // namespace sorvant
