#include "qtprinterdevice.h"

#include "printqueue.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>

namespace sorvant {

QtPrinterDevice::QtPrinterDevice(QPrinter &printer) : m_printer(printer) {}

QtPrinterDevice::~QtPrinterDevice()
{
    // A document left open by an exception that bypassed abortDocument()
    // must not be sent half-drawn.
    if (m_painter.isActive())
        abortDocument();
}

TPrinterOrientation QtPrinterDevice::orientation() const
{
    return m_printer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void QtPrinterDevice::setOrientation(TPrinterOrientation orientation)
{
    m_printer.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void QtPrinterDevice::setDocName(const QString &name)
{
    m_printer.setDocName(name);
}

QString QtPrinterDevice::printerDescription() const
{
    if (m_printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("the file %1").arg(QFileInfo(m_printer.outputFileName()).fileName());
    const QString name = m_printer.printerName();
    return name.isEmpty() ? QStringLiteral("the printer") : QStringLiteral("the printer %1").arg(name);
}

bool QtPrinterDevice::beginDocument()
{
    m_error.clear();
    if (m_painter.isActive()) {
        m_error = QStringLiteral("A print job is already running");
        return false;
    }
    if (!m_printer.isValid()) {
        m_error = QStringLiteral("No printer is available to print to");
        return false;
    }
    if (sendsToPrintSystem()) {
        // A queue that refuses jobs, or is gone, would swallow the job
        // without a word: say so before anything is drawn.
        const QString refusal = printQueueRefusal(m_printer.printerName());
        if (!refusal.isEmpty()) {
            m_error = refusal;
            return false;
        }
    }
    if (!m_painter.begin(&m_printer)) {
        m_error = QStringLiteral("Cannot start printing on %1").arg(printerDescription());
        return false;
    }
    return true;
}

QPainter *QtPrinterDevice::painter()
{
    return m_painter.isActive() ? &m_painter : nullptr;
}

bool QtPrinterDevice::newPage()
{
    if (!m_painter.isActive() || !m_printer.newPage() || m_printer.printerState() == QPrinter::Error) {
        m_error = QStringLiteral("Cannot start a new page on %1").arg(printerDescription());
        return false;
    }
    return true;
}

bool QtPrinterDevice::endDocument()
{
    if (!m_painter.isActive()) {
        m_error = QStringLiteral("No print job is running");
        return false;
    }
    const bool ended = m_painter.end();
    if (!ended || m_printer.printerState() == QPrinter::Error) {
        m_error = QStringLiteral("Cannot finish printing on %1").arg(printerDescription());
        return false;
    }
    if (sendsToPrintSystem()) {
        // The job goes to the print system as the document ends; a queue
        // that stopped taking jobs since the start refuses it there.
        const QString refused = lastJobSubmitError();
        if (!refused.isEmpty()) {
            const QString why = printQueueRefusal(m_printer.printerName());
            m_error = !why.isEmpty()
                ? why
                : QStringLiteral("The printer %1 refused the job: %2").arg(m_printer.printerName(), refused);
            return false;
        }
    }
    return true;
}

bool QtPrinterDevice::sendsToPrintSystem() const
{
    return m_printer.outputFormat() == QPrinter::NativeFormat && !m_printer.printerName().isEmpty();
}

void QtPrinterDevice::abortDocument()
{
    if (!m_painter.isActive())
        return;
    m_printer.abort();
    m_painter.end();
}

QSize QtPrinterDevice::printableSizePixels() const
{
    return QSize(m_printer.width(), m_printer.height());
}

int QtPrinterDevice::resolutionX() const
{
    return m_printer.logicalDpiX();
}

int QtPrinterDevice::resolutionY() const
{
    return m_printer.logicalDpiY();
}

} // namespace sorvant
