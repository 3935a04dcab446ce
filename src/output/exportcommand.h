#pragma once

#include "controls/grid/gridstore.h"
#include "platform/dialoghost.h"

#include <QChar>
#include <QString>

class QWidget;

namespace sorvant {

// The names one export derives from the path the save dialog returned.
struct ExportNames {
    QString folder; // the chosen folder
    QString base;   // file name without its folder and its last extension
    QString backup; // base + ".BAK", in the folder
    QString output; // base + ".csv" or ".xls", in the folder
};
ExportNames exportNamesFor(const QString &chosenPath, bool csv);

// The Export command: asks for a file with SaveDialog1, keeps a backup of an
// existing file of the chosen name and writes the spreadsheet's content
// (whichever view is shown) as CSV or as a workbook. The dialog's file type
// and file name are remembered for the next export of the run.
class ExportCommand
{
public:
    static constexpr int kCsvType = 1;
    static constexpr int kWorkbookType = 2;

    ExportCommand(DialogHost &dialogs, const DataGridStore &grid);

    // Errors of the writers propagate as UserError, for the caller's error
    // display; a failed backup rename is not reported.
    void ExportToExcelClick(QWidget *parent, QChar decimalSeparator);

    // SaveDialog1's state between exports.
    int selectedFileType() const { return m_fileType; }
    const QString &fileName() const { return m_fileName; }

    static QString dialogTitle();
    static QString dialogFilter();

private:
    DialogHost &m_dialogs;
    const DataGridStore &m_grid;
    int m_fileType = kCsvType;
    QString m_fileName;
};

} // namespace sorvant
