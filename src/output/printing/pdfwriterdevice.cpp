#include "pdfwriterdevice.h"

namespace sorvant {

PdfWriterDevice::PdfWriterDevice(QIODevice *output, const QPageLayout &layout, int resolution) : m_writer(output)
{
    m_writer.setResolution(resolution);
    m_writer.setPageLayout(layout);
    m_writer.setCreator(QStringLiteral("Sorvant"));
}

PdfWriterDevice::~PdfWriterDevice()
{
    if (m_painter.isActive())
        abortDocument();
}

TPrinterOrientation PdfWriterDevice::orientation() const
{
    return m_writer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void PdfWriterDevice::setOrientation(TPrinterOrientation orientation)
{
    m_writer.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void PdfWriterDevice::setDocName(const QString &name)
{
    m_writer.setTitle(name);
}

bool PdfWriterDevice::beginDocument()
{
    m_error.clear();
    if (m_painter.isActive()) {
        m_error = QStringLiteral("A print job is already running");
        return false;
    }
    if (!m_painter.begin(&m_writer)) {
        m_error = QStringLiteral("Cannot start the PDF document");
        return false;
    }
    return true;
}

QPainter *PdfWriterDevice::painter()
{
    return m_painter.isActive() ? &m_painter : nullptr;
}

bool PdfWriterDevice::newPage()
{
    if (!m_painter.isActive() || !m_writer.newPage()) {
        m_error = QStringLiteral("Cannot start a new page of the PDF document");
        return false;
    }
    return true;
}

bool PdfWriterDevice::endDocument()
{
    if (!m_painter.isActive() || !m_painter.end()) {
        m_error = QStringLiteral("Cannot finish the PDF document");
        return false;
    }
    return true;
}

void PdfWriterDevice::abortDocument()
{
    m_aborted = true;
    if (m_painter.isActive())
        m_painter.end();
}

QSize PdfWriterDevice::printableSizePixels() const
{
    return QSize(m_writer.width(), m_writer.height());
}

int PdfWriterDevice::resolutionX() const
{
    return m_writer.logicalDpiX();
}

int PdfWriterDevice::resolutionY() const
{
    return m_writer.logicalDpiY();
}

} // namespace sorvant
