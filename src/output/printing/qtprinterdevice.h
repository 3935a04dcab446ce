#pragma once

#include "printerdevice.h"

#include <QPainter>

class QPrinter;

namespace sorvant {

// The printer operations over a QPrinter: a real printer reached through the
// desktop's print system, or a PDF file.
class QtPrinterDevice : public PrinterDevice
{
public:
    explicit QtPrinterDevice(QPrinter &printer);
    ~QtPrinterDevice() override;

    QPrinter &printer() const { return m_printer; }

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

private:
    QString printerDescription() const;
    bool sendsToPrintSystem() const;

    QPrinter &m_printer;
    QPainter m_painter;
    QString m_error;
};

} // namespace sorvant
