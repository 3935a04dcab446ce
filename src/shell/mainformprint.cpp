// The Print and Print Preview commands of the main window.
#include "mainform.h"

#include "errordisplay.h"
#include "output/printing/chartpage.h"
#include "output/printing/gridprint.h"
#include "output/printing/gridprintsettingsdialog.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/gridpreview.h"
#include "output/printing/printersetupdialog.h"
#include "output/printing/printpreview.h"
#include "output/printing/printqueue.h"
#include "output/printing/qtprinterdevice.h"
#include "platform/busyjob.h"
#include "platform/dialoghost.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QDateTime>
#include <QLocale>
#include <QPrinter>

namespace sorvant {

namespace {

// The progress bar of a printout, with the window painted as pages go out.
class PaintingProgress : public ProgressSink
{
public:
    PaintingProgress(ProgressSink &bar, BusyJob &job) : m_bar(bar), m_job(job) {}
    void setVisible(bool visible) override { m_bar.setVisible(visible); }
    void setMaximum(int maximum) override { m_bar.setMaximum(maximum); }
    void setPosition(int position) override
    {
        m_bar.setPosition(position);
        m_job.keepPainted();
    }

private:
    ProgressSink &m_bar;
    BusyJob &m_job;
};

} // namespace

void TSorvantMainForm::warnOfMissingPrinter(QWidget *parent)
{
    // Without its printer the print dialog would quietly offer a file in
    // its place.
    if (m_printer->outputFormat() != QPrinter::NativeFormat || m_printer->printerName().isEmpty())
        return;
    const QString warning = missingPrinterWarning(m_printer->printerName());
    if (!warning.isEmpty())
        m_dialogs.messageBox(parent, warning, QStringLiteral("DryerDataSorvant"), MessageButtons::Ok,
                             MessageIcon::Warning);
}

bool TSorvantMainForm::runPrinterSetup(QWidget *parent)
{
    TPrinterSetupDialog dialog(*m_printer, m_dialogs, parent);
    return m_dialogs.execDialog(dialog) == QDialog::Accepted;
}

bool TSorvantMainForm::runPrintDialog(QWidget *parent)
{
    warnOfMissingPrinter(parent);
    const bool native = m_printer->outputFormat() == QPrinter::NativeFormat;
    const QString printerBefore = m_printer->printerName();
    const QPageSize paperBefore = m_printer->pageLayout().pageSize();
    if (!m_dialogs.print(parent, *m_printer))
        return false;
    // The paper chosen for this printer (in Print Setup or an earlier
    // print) holds where the dialog only put the driver's default back.
    if (native && printDialogResetPaper(printerBefore, paperBefore, *m_printer))
        m_printer->setPageSize(paperBefore);
    return true;
}

void TSorvantMainForm::PrintButtonClick()
{
    // Both views go through the print dialog first; Cancel changes nothing.
    if (!runPrintDialog(this))
        return;

    BusyJob job;
    job.keepPainted(); // where the dialog was
    QtPrinterDevice device(*m_printer);
    if (!m_viewSwitcher->chartIsCurrent()) {
        const DataGridPrintTable table(m_spreadsheet->store(), gridPrintLook(*m_spreadsheet->grid()));
        PaintingProgress progress(*m_progress, job);
        PrintGrid(device, table, m_spreadsheet->printSettings(), &progress);
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
        // The chart page follows the printer's paper: the pages are drawn
        // again after the printer set-up.
        preview.setSetupAction([this, &preview] { return runPrinterSetup(&preview); });
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
