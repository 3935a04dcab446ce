#include "spreadsheetconfig.h"

#include "logdata/loadlog.h"
#include "platform/fonts.h"

namespace sorvant {

QFont spreadsheetFont(bool bold)
{
    // The header row's bold has to stand out from the data on screen and on
    // paper, which Tahoma's here does not.
    QFont font(bold ? boldStandInFamily() : QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

void configureSpreadsheetStore(DataGridStore &grid)
{
    static const int widths[kColumnCount] = {100, 73, 70, 71, 68, 66, 65, 66, 115};
    for (int c = 0; c < kColumnCount; ++c)
        grid.setColumnWidth(c, widths[c]);
    grid.setRowCount(kStartRowCount);
    GridTableSink sink(grid);
    WriteHeaders(sink);
}

} // namespace sorvant
