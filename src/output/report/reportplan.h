#pragma once

#include "reportcontent.h"

#include "output/printing/gridpageplan.h"
#include "output/printing/printsettings.h"

#include <QRect>
#include <QString>

#include <vector>

namespace sorvant {

// The type styles of the report.
enum class ReportStyle { Heading, Title, Section, Body, Label, TableHeader, Small, Count };
TPrintFont reportFont(ReportStyle style);

struct ReportText {
    ReportStyle style = ReportStyle::Body;
    int x = 0, y = 0; // top-left corner of the text
    QString text;
};

struct ReportLine {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// One planned page, in tenths of a millimetre from the top-left corner of the
// printable area.
struct ReportPage {
    std::vector<ReportText> texts;
    std::vector<ReportLine> lines;
    std::vector<QRect> shaded;  // table heading rows
    QRect overview;             // where the overview goes; null when not on this page
};

// The layout of the drying report on pages of `pageWidth` x `pageHeight`:
// the title block, the overview and the tables, a table that does not fit
// continued on the next page under its caption and headings again, and
// "Page n of N" at the foot of every page. Laid out whole at once: a
// report is a few pages.
class ReportPlan
{
public:
    ReportPlan(const ReportContent &content, int pageWidth, int pageHeight, PrintTextMeasurer &measurer);

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    const ReportPage &page(int index) const { return m_pages[static_cast<std::size_t>(index)]; }
    int pageWidth() const { return m_W; }
    int pageHeight() const { return m_H; }

    static constexpr int kCellPadding = 15; // left and right of a cell's text
    static constexpr int kRowPadding = 8;   // above and below it

private:
    int lineHeight(ReportStyle style);
    int width(ReportStyle style, const QString &text);
    // Room for `height` more on the page, or a new page.
    void ensureRoom(int height);
    void newPage();
    void addText(ReportStyle style, int x, const QString &text);
    // `text` cut to `room` with an ellipsis when it is wider (a long file
    // name or title stays on its line and on the paper).
    QString fitted(ReportStyle style, const QString &text, int room);
    void addTable(const ReportTable &table);
    void addPageNumbers();

    PrintTextMeasurer &m_measurer;
    int m_W, m_H;
    int m_bodyBottom = 0; // where the footer's room starts
    int m_y = 0;
    std::vector<ReportPage> m_pages;
};

} // namespace sorvant
