#include "reportcommand.h"

#include "errordisplay.h"
#include "mainform.h"
#include "overviewcommands.h"
#include "settingsstore.h"
#include "output/printing/printpreview.h"
#include "output/printing/qtprinterdevice.h"
#include "output/report/dryingreport.h"
#include "platform/busyjob.h"
#include "platform/dialoghost.h"
#include "platform/registryfile.h"
#include "platform/usererror.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QVBoxLayout>

#include <optional>

namespace sorvant {

namespace {

// A title stays on one line of the page.
constexpr int kMaxTitleLength = 120;

} // namespace

QString reportTitleValueName()
{
    return QStringLiteral("ReportTitle");
}

QString readReportTitle(const QString &settingsPath)
{
    RegistryKey key(settingsPath);
    if (!key.openKey(optionsKey(), false))
        return QString();
    return key.readString(reportTitleValueName());
}

void writeReportTitle(const QString &settingsPath, const QString &title)
{
    RegistryKey key(settingsPath);
    if (!key.openKey(optionsKey(), true))
        throw UserError(QStringLiteral("Failed to set data for '%1'").arg(reportTitleValueName()));
    key.writeString(reportTitleValueName(), title);
}

ReportTitleDialog::ReportTitleDialog(const QString &title, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportTitleDialog"));
    setWindowTitle(QStringLiteral("Print Report"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Report &title (the farm, the dryer):"), this);
    m_edit = new QLineEdit(title, this);
    m_edit->setObjectName(QStringLiteral("ReportTitleEdit"));
    m_edit->setMaxLength(kMaxTitleLength);
    m_edit->setMinimumWidth(320);
    label->setBuddy(m_edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

QString ReportTitleDialog::title() const
{
    return m_edit->text().simplified();
}

ReportCommand::ReportCommand(TSorvantMainForm &form) : QObject(&form), m_form(form)
{
    PrintReport1 = new QAction(QStringLiteral("Print &Report..."), form.File1);
    PrintReport1->setObjectName(QStringLiteral("PrintReport1"));
    form.File1->insertAction(form.PrintPreview1, PrintReport1);
    form.PrintReport1 = PrintReport1;
    form.connectCommand(PrintReport1, [this] { PrintReport1Click(); });

    // A value that cannot be read stays in the file as it is unless this
    // run sets a title.
    form.runGuarded([&] { m_title = readReportTitle(form.settingsFilePath()); });
    m_readTitle = m_title;
}

void ReportCommand::saveSettings()
{
    if (m_title == m_readTitle)
        return;
    writeReportTitle(m_form.settingsFilePath(), m_title);
    m_readTitle = m_title;
}

void ReportCommand::PrintReport1Click()
{
    if (m_form.CurrentFile.isEmpty() || !m_form.lastLoad().ok) {
        m_form.dialogs().messageBox(&m_form, QStringLiteral("Open a log first: the report is made from the log on screen."),
                                    QStringLiteral("DryerDataSorvant"), MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    ReportTitleDialog ask(m_title, &m_form);
    if (m_form.dialogs().execDialog(ask) != QDialog::Accepted)
        return;
    m_title = ask.title();

    // The busy pointer while the figures are made, not while the preview is open.
    std::optional<DryingReport> made;
    {
        BusyJob job;
        made.emplace(m_form.logStore(), m_form.overviewCommands()->limits(),
                     reportInput(m_title, m_form.CurrentFile, QDate::currentDate(), m_form.locale()));
    }
    const DryingReport &report = *made;
    ReportPreviewDocument document(m_form.printer(), report);
    TPrintPreviewForm preview(&m_form);
    preview.setWindowTitle(QStringLiteral("Report Preview"));
    preview.setDocument(&document);
    // The report follows the printer's paper: laid out again after Print Setup
    // and after the print dialog.
    preview.setSetupAction([this, &preview, &document] {
        if (!m_form.runPrinterSetup(&preview))
            return false;
        document.refresh();
        return true;
    });
    preview.setPrintAction([this, &preview, &document, &report] {
        sorvant::runGuarded(m_form.dialogs(), &preview, [&] { printReport(&preview, report); });
        document.refresh();
        preview.pagesView()->documentChanged();
    });
    m_form.dialogs().execDialog(preview);
}

void ReportCommand::printReport(QWidget *parent, const DryingReport &report)
{
    if (!m_form.runPrintDialog(parent))
        return;
    QPrinter &printer = m_form.printer();
    const QPageLayout::Orientation before = printer.pageLayout().orientation();
    BusyJob job;
    QtPrinterDevice device(printer);
    try {
        PrintReport(device, report);
    } catch (...) {
        printer.setPageOrientation(before);
        throw;
    }
    printer.setPageOrientation(before);
}

} // namespace sorvant
