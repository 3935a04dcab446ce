#pragma once

#include "printerdevice.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

class QIODevice;

namespace sorvant {

// The printer operations over a PDF written to any device, for printing
// with no print system at all (the command-line exporter). Aborting leaves
// the device to its owner, who discards what was written.
class PdfWriterDevice : public PrinterDevice
{
public:
    // `layout` is the paper, orientation and printable area, as a printer of
    // the same paper would have them.
    PdfWriterDevice(QIODevice *output, const QPageLayout &layout, int resolution);
    ~PdfWriterDevice() override;

    TPrinterOrientation orientation() const override;
    void setOrientation(TPrinterOrientation orientation) override;
    void setDocName(const QString &name) override;
    bool beginDocument() override;
    QPainter *painter() override;
    bool newPage() override;
    bool endDocument() override;
    void abortDocument() override;
    QSize printableSizePixels() const override;
    int resolutionX() const override;
    int resolutionY() const override;
    QString errorString() const override { return m_error; }

    bool aborted() const { return m_aborted; }

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    QString m_error;
    bool m_aborted = false;
};

} // namespace sorvant
