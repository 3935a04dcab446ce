#pragma once

#include "output/printing/gridprinttable.h"
#include "output/printing/printerdevice.h"
#include "output/printing/printsettings.h"

#include <QDateTime>
#include <QPageLayout>

#include <functional>
#include <memory>

class QIODevice;

namespace sorvant {

// How a grid printout goes into a PDF file.
struct GridPdfJob {
    // The paper, orientation and printable area, and the resolution, as a
    // PDF printer of that paper has them.
    QPageLayout layout;
    int resolution = 1200;
    // Threads drawing pages at once: 0 one a processor core (eight at the
    // most), 1 one document drawn straight into the output, as the print
    // dialog's PDF printer does.
    int threads = 0;
    // Pages a thread draws into a document of its own before the documents
    // are joined; 0 chooses from the page total and the threads.
    int pagesPerPart = 0;
    // Makes the printer for one document (the whole printout, or one range
    // of pages) on `output`; a PDF writer with `layout` unless set.
    std::function<std::unique_ptr<PrinterDevice>(QIODevice *output)> printer;
};

// Prints the grid as PrintGrid does on a PDF printer, into `output`. With
// more than one thread, ranges of pages are drawn on several threads, each
// into a PDF of its own, and the documents joined: the same pages, made in a
// fraction of the time. `output` gets nothing unless the whole document is
// made. Throws UserError, with the reason of the first range that failed.
void PrintGridPdf(QIODevice &output, const GridPrintTable &table, const PrintSettings &settings, const GridPdfJob &job,
                  const QDateTime &now = QDateTime());

} // namespace sorvant
