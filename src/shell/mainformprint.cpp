// The Print and Print Preview commands of the main window.
#include "mainform.h"

#include "errordisplay.h"
#include "output/printing/chartpage.h"
#include "output/printing/gridprint.h"
#include "output/printing/gridprintsettingsdialog.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/gridpreview.h"
#include "output/printing/printpreview.h"
#include "output/printing/qtprinterdevice.h"
#include "platform/dialoghost.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QDateTime>
#include <QLocale>
#include <QPrinter>

namespace sorvant {

void TSorvantMainForm::PrintButtonClick()
{
    // Both views go through the print dialog first; Cancel changes nothing.
    if (!m_dialogs.print(this, *m_printer))
        return;
    QtPrinterDevice device(*m_printer);
    if (!m_viewSwitcher->chartIsCurrent()) {
        const DataGridPrintTable table(m_spreadsheet->store(), gridPrintLook(*m_spreadsheet->grid()));
        PrintGrid(device, table, m_spreadsheet->printSettings(), m_progress.get());
        return;
    }
    PrintChartPage(device, m_chartView->model(), QDateTime::currentDateTime(), QLocale::system());
}

void TSorvantMainForm::PrintPreview1Click()
{
    TPrintPreviewForm preview(this);
    if (m_viewSwitcher->chartIsCurrent()) {
        const ChartPreviewDocument document(*m_printer, m_chartView->model(), QDateTime::currentDateTime(),
                                            QLocale::system());
        preview.setDocument(&document);
        preview.setPrintAction([this, &preview] {
            sorvant::runGuarded(m_dialogs, &preview, [this] { PrintButtonClick(); });
            preview.pagesView()->documentChanged();
        });
        m_dialogs.execDialog(preview);
        return;
    }

    const DataGridPrintTable table(m_spreadsheet->store(), gridPrintLook(*m_spreadsheet->grid()));
    GridPreviewDocument document(*m_printer, table, m_spreadsheet->printSettings());
    preview.setDocument(&document);
    preview.setSetupAction([this, &document] {
        if (!GridPrintSettingsDialog1->Execute())
            return false;
        document.refresh();
        return true;
    });
    // The print dialog may have chosen other paper: show the pages on it.
    preview.setPrintAction([this, &preview, &document] {
        sorvant::runGuarded(m_dialogs, &preview, [this] { PrintButtonClick(); });
        document.refresh();
        preview.pagesView()->documentChanged();
    });
    m_dialogs.execDialog(preview);
}

} // namespace sorvant
