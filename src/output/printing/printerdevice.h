#pragma once

#include "printsettings.h"

#include <QSize>
#include <QString>

class QPainter;

namespace sorvant {

// The printer operations printing needs, so tests can make each of them
// fail and watch what the print code does then. One object stands for the
// program's current printer: what a print dialog chose on it stays for the
// next print.
class PrinterDevice
{
public:
    virtual ~PrinterDevice() = default;

    virtual TPrinterOrientation orientation() const = 0;
    virtual void setOrientation(TPrinterOrientation orientation) = 0;
    // The document name the print system shows for the job.
    virtual void setDocName(const QString &name) = 0;

    // Starts a document; false (and errorString()) when the printer refuses.
    virtual bool beginDocument() = 0;
    // The drawing surface of the open document, in device pixels from the
    // top-left corner of the printable area; null when no document is open.
    virtual QPainter *painter() = 0;
    virtual bool newPage() = 0;
    // Ends the document and sends it; false when that failed.
    virtual bool endDocument() = 0;
    // Discards the open document: nothing of it is printed.
    virtual void abortDocument() = 0;

    // The printable area in device pixels, and the resolution in dots per inch.
    virtual QSize printableSizePixels() const = 0;
    virtual int resolutionX() const = 0;
    virtual int resolutionY() const = 0;

    // Why the last operation failed.
    virtual QString errorString() const = 0;
};

} // namespace sorvant
