#include "printersetupdialog.h"

#include "printqueue.h"

#include "platform/dialoghost.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sorvant {

namespace {

// What a PDF file can be printed on: the papers a farm office has.
std::vector<QPageSize> pdfPaperSizes()
{
    std::vector<QPageSize> sizes;
    for (QPageSize::PageSizeId id : {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::Letter,
                                     QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid})
        sizes.emplace_back(id);
    return sizes;
}

QString statusText(const QString &printer)
{
    const PrintQueueState state = queryPrintQueue(printer);
    switch (state.presence) {
    case PrintQueueState::Presence::Missing: return QStringLiteral("Not installed");
    case PrintQueueState::Presence::Unreachable: return QStringLiteral("The print system cannot be reached");
    case PrintQueueState::Presence::Installed: break;
    }
    const QString why = !state.stateMessage.isEmpty() ? state.stateMessage : state.reasons;
    QString text = !state.accepting ? QStringLiteral("Not accepting jobs")
                   : state.stopped  ? QStringLiteral("Stopped, jobs are held")
                                    : QStringLiteral("Ready");
    if (!why.isEmpty() && (!state.accepting || state.stopped))
        text += QStringLiteral(": ") + why;
    return text;
}

} // namespace

TPrinterSetupDialog::TPrinterSetupDialog(QPrinter &printer, DialogHost &dialogs, QWidget *parent)
    : QDialog(parent), m_printer(printer), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(QStringLiteral("Print Setup"));

    auto *printerGroup = new QGroupBox(QStringLiteral("Printer"), this);
    m_printers = new QComboBox(printerGroup);
    m_printers->setObjectName(QStringLiteral("PrinterBox"));
    m_status = new QLabel(printerGroup);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_file = new QLineEdit(printerGroup);
    m_file->setObjectName(QStringLiteral("FileEdit"));
    m_browse = new QPushButton(QStringLiteral("&Browse..."), printerGroup);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    auto *printerForm = new QFormLayout(printerGroup);
    printerForm->addRow(QStringLiteral("&Name:"), m_printers);
    printerForm->addRow(QStringLiteral("Status:"), m_status);
    // A row of two widgets gets no buddy of its own: the label names the box.
    auto *fileLabel = new QLabel(QStringLiteral("&File:"), printerGroup);
    fileLabel->setBuddy(m_file);
    printerForm->addRow(fileLabel, fileRow);

    auto *paperGroup = new QGroupBox(QStringLiteral("Paper"), this);
    m_paper = new QComboBox(paperGroup);
    m_paper->setObjectName(QStringLiteral("PaperBox"));
    auto *paperForm = new QFormLayout(paperGroup);
    paperForm->addRow(QStringLiteral("Si&ze:"), m_paper);

    auto *orientationGroup = new QGroupBox(QStringLiteral("Orientation"), this);
    m_portrait = new QRadioButton(QStringLiteral("P&ortrait"), orientationGroup);
    m_landscape = new QRadioButton(QStringLiteral("L&andscape"), orientationGroup);
    auto *orientationRow = new QVBoxLayout(orientationGroup);
    orientationRow->addWidget(m_portrait);
    orientationRow->addWidget(m_landscape);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *lower = new QHBoxLayout;
    lower->addWidget(paperGroup, 1);
    lower->addWidget(orientationGroup);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(printerGroup);
    layout->addLayout(lower);
    layout->addWidget(m_buttons);

    // The printers there are now, then the file; the printer in use is
    // chosen when it is still there.
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    m_printers->addItems(installed);
    m_printers->addItem(pdfPrinterText());
    int current = int(installed.indexOf(m_printer.printerName()));
    if (m_printer.outputFormat() == QPrinter::PdfFormat || current < 0) {
        const int fallback = int(installed.indexOf(QPrinterInfo::defaultPrinterName()));
        current = m_printer.outputFormat() == QPrinter::PdfFormat || fallback < 0 ? int(installed.size()) : fallback;
    }
    m_printers->setCurrentIndex(current);
    QString file = m_printer.outputFileName();
    if (file.isEmpty())
        file = QDir::home().filePath(QStringLiteral("print.pdf"));
    m_file->setText(QDir::toNativeSeparators(file));
    (m_printer.pageLayout().orientation() == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);

    fillPaper(m_printer.pageLayout().pageSize());
    printerChanged();
    connect(m_printers, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        fillPaper(m_sizes.empty() || m_paper->currentIndex() < 0 ? QPageSize()
                                                                 : m_sizes.at(std::size_t(m_paper->currentIndex())));
        printerChanged();
    });
    connect(m_file, &QLineEdit::textChanged, this, &TPrinterSetupDialog::updateOk);
    connect(m_browse, &QPushButton::clicked, this, &TPrinterSetupDialog::browse);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QPushButton *TPrinterSetupDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

bool TPrinterSetupDialog::pdfChosen() const
{
    return m_printers->currentIndex() == m_printers->count() - 1;
}

void TPrinterSetupDialog::fillPaper(const QPageSize &wanted)
{
    const QSignalBlocker block(m_paper);
    m_paper->clear();
    QPageSize fallback(QPageSize::A4);
    if (pdfChosen()) {
        m_sizes = pdfPaperSizes();
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(m_printers->currentText());
        const QList<QPageSize> sizes = info.supportedPageSizes();
        m_sizes.assign(sizes.begin(), sizes.end());
        fallback = info.defaultPageSize();
    }
    // The paper in use stays when this printer has it, else the printer's own.
    int chosen = -1, fallbackIndex = 0;
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        m_paper->addItem(m_sizes[i].name());
        if (chosen < 0 && wanted.isValid() && m_sizes[i].isEquivalentTo(wanted))
            chosen = int(i);
        if (fallback.isValid() && m_sizes[i].isEquivalentTo(fallback))
            fallbackIndex = int(i);
    }
    m_paper->setCurrentIndex(chosen >= 0 ? chosen : fallbackIndex);
}

bool TPrinterSetupDialog::selectPaper(const QPageSize &size)
{
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        if (m_sizes[i].isEquivalentTo(size)) {
            m_paper->setCurrentIndex(int(i));
            return true;
        }
    }
    return false;
}

void TPrinterSetupDialog::printerChanged()
{
    const bool pdf = pdfChosen();
    m_file->setEnabled(pdf);
    m_browse->setEnabled(pdf);
    m_status->setText(pdf ? QStringLiteral("Writes a PDF file") : statusText(m_printers->currentText()));
    updateOk();
}

void TPrinterSetupDialog::updateOk()
{
    okButton()->setEnabled(!m_sizes.empty() && (!pdfChosen() || !m_file->text().trimmed().isEmpty()));
}

void TPrinterSetupDialog::browse()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Print to File");
    request.filter = QStringLiteral("PDF files (*.pdf);;All Files (*)");
    const QFileInfo current(QDir::fromNativeSeparators(m_file->text().trimmed()));
    request.folder = current.absolutePath();
    request.fileName = current.fileName();
    const FileDialogAnswer answer = m_dialogs.saveFile(this, request);
    if (answer.accepted && !answer.path.isEmpty())
        m_file->setText(QDir::toNativeSeparators(answer.path));
}

void TPrinterSetupDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        if (!okButton()->isEnabled())
            return;
        if (pdfChosen()) {
            m_printer.setOutputFormat(QPrinter::PdfFormat);
            m_printer.setOutputFileName(QDir::fromNativeSeparators(m_file->text().trimmed()));
        } else {
            m_printer.setOutputFormat(QPrinter::NativeFormat);
            m_printer.setPrinterName(m_printers->currentText());
        }
        const int paper = m_paper->currentIndex();
        if (paper >= 0 && std::size_t(paper) < m_sizes.size())
            m_printer.setPageSize(m_sizes[std::size_t(paper)]);
        m_printer.setPageOrientation(m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    QDialog::done(result);
}

bool printDialogResetPaper(const QString &printerBefore, const QPageSize &paperBefore, const QPrinter &after)
{
    if (after.outputFormat() != QPrinter::NativeFormat || after.printerName() != printerBefore)
        return false;
    const QPageSize now = after.pageLayout().pageSize();
    if (now.isEquivalentTo(paperBefore))
        return false;
    const QPageSize own = QPrinterInfo::printerInfo(printerBefore).defaultPageSize();
    return own.isValid() && now.isEquivalentTo(own);
}

} // namespace sorvant
