#pragma once

#include <QPageLayout>
#include <QSize>

class QPainter;

namespace sorvant {

// Pages a preview can show, each drawn on its own when it comes into view,
// so a printout of thousands of pages shows as fast as one of a single page.
class PreviewDocument
{
public:
    virtual ~PreviewDocument() = default;

    virtual int pageCount() const = 0;
    // The paper, its orientation and the printable area within it.
    virtual QPageLayout pageLayout() const = 0;
    // The printer's resolution: drawPage() works in its device pixels.
    virtual int resolution() const = 0;
    // Draws page `index` (from 0) as the printer would, in device pixels from
    // the top-left corner of the printable area, onto a surface whose
    // resolution is resolution() (fonts in points come out the same size).
    virtual void drawPage(int index, QPainter &painter) const = 0;
};

} // namespace sorvant
