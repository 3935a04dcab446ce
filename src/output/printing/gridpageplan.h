#pragma once

#include "gridprinttable.h"
#include "printsettings.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace sorvant {

// Measures texts for a printout, in whole tenths of a millimetre, for a font
// drawn at scale k (a font of s points has a character height of
// printCharHeight(s, k)).
class PrintTextMeasurer
{
public:
    virtual ~PrintTextMeasurer() = default;
    // Width of a one-line text.
    virtual int textWidth(const TPrintFont &font, double k, QStringView text) = 0;
    // Height of the text "gh".
    virtual int lineHeight(const TPrintFont &font, double k) = 0;
    // True when the ten digits of `font` are equally wide, so texts that
    // differ only in their digits are equally wide and can share one
    // measurement (a log's record numbers, values and times).
    virtual bool digitsShareWidth(const TPrintFont &font) { (void)font; return false; }
    // A quick way to the widths of many numbers and times in `font` at scale
    // k: the same as textWidth, or -1 for a text it does not measure so.
    // Empty when the measurer has none; valid as long as the measurer.
    virtual std::function<int(std::string_view utf8)> numberWidths(const TPrintFont &font, double k)
    {
        (void)font;
        (void)k;
        return {};
    }
};

// Character height in tenths of a millimetre of a font of `points` at scale k,
// at most kMaxPrintCharHeight.
int printCharHeight(int points, double k);

// The length in tenths of a millimetre of `pixels` at `dpi` dots per inch,
// rounded: how W and H come from the printer's printable area.
int printLength(int pixels, int dpi);

// Bounds of the layout, so that no settings, texts or page size can make its
// arithmetic overflow, nor that of a painter drawing at 16 units to the tenth
// of a millimetre: every measure the plan takes (W, H, a text's width or
// height, a row's or column's size, a reserve) is cut to kMaxPlanLength, and
// everything it adds up stays a few times that.
constexpr int kMaxPlanLength = 1 << 22;     // 419 m
constexpr int kMaxPrintCharHeight = 65535; // 6.5 m, far beyond any page
int boundedPlanLength(long long tenths);
int boundedPlanLength(double tenths);

// One styled piece of a header or footer text: the slot font plus `styleBits`
// (1 bold, 2 italic, 4 underline, as TPrintFont::styleBits()).
struct PrintTextRun {
    QString text;
    int styleBits = 0;
    friend bool operator==(const PrintTextRun &a, const PrintTextRun &b)
    {
        return a.text == b.text && a.styleBits == b.styleBits;
    }
};

// A title typed as markup ("</", "<B" or "<I" in it) is split into runs at
// its <B>, <I> and <U> tags; other tags are dropped and &amp; &lt; &gt;
// &quot; &nbsp; decoded. Any other text is one plain run.
bool isPrintMarkup(const QString &text);
std::vector<PrintTextRun> printTextRuns(const QString &text);

// Date and time texts of the header and footer items.
QString printTimeText(const QTime &time);
QString printDateText(const QDateTime &when, const QString &dateFormat);

enum PrintSlot { SlotTopLeft, SlotTopRight, SlotTopCenter, SlotBottomLeft, SlotBottomRight, SlotBottomCenter, SlotCount };

// One placed line of a header or footer: its runs, the top-left corner of the
// text and its width.
struct PrintSlotLine {
    int slot = SlotTopLeft;
    std::vector<PrintTextRun> runs;
    int x = 0;
    int y = 0;
    int width = 0;
    QString text() const;
};

// The header and footer texts of one page.
struct PrintPageTexts {
    std::array<QString, SlotCount> slotTexts; // plain text of the six slots
    std::vector<PrintSlotLine> lines;     // what is drawn, further title lines included
};

struct GridPageColumn {
    int column = 0;        // display position in the table
    int x = 0;             // left edge
    int width = 0;         // w(c) + sp
    bool repeated = false; // the fixed column repeated at the left of a later band
};

struct GridPageRow {
    int row = 0;
    int y = 0;          // top edge
    int height = 0;     // printed height R(r)
    int textHeight = 0; // h(r)
    bool repeatedHeader = false;
};

struct GridPageLine {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // horizontal or vertical
    friend bool operator==(const GridPageLine &a, const GridPageLine &b)
    {
        return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
    }
};

// One planned page, everything in tenths of a millimetre from the top-left
// corner of the printable area.
struct GridPage {
    int index = 0;      // from 0, in print order
    int band = 0;       // from 0
    int pageInBand = 0; // from 0
    int firstRow = 0;   // first row of the table on the page (the repeated header row not counted)
    int lastRow = -1;
    bool headerRepeated = false;
    std::vector<GridPageColumn> columns;
    std::vector<GridPageRow> rows;
    // Cell lines and page-end lines, each grid line once as long runs.
    std::vector<GridPageLine> lines;
    int left = 0, right = 0;    // XL, XR
    int top = 0, bottom = 0;    // yT, yB
};

// The layout of a grid printout: every number the printout needs, computed
// once, so any page can be had on demand without laying out those before it.
// The counting run of a print job is pageCount(); the printing run asks for
// page(i) and pageTexts(i, ...) and draws them.
class GridPagePlan
{
public:
    // `pageWidth` and `pageHeight` are W and H. The table and the measurer
    // must outlive the plan; the table must not change meanwhile.
    GridPagePlan(const GridPrintTable &table, const PrintSettings &settings, int pageWidth, int pageHeight,
                 PrintTextMeasurer &measurer);
    ~GridPagePlan();
    GridPagePlan(const GridPagePlan &) = delete;
    GridPagePlan &operator=(const GridPagePlan &) = delete;

    const PrintSettings &settings() const { return m_settings; }
    const GridPrintTable &table() const { return m_table; }
    PrintTextMeasurer &measurer() const { return m_measurer; }
    int pageWidth() const { return m_W; }
    int pageHeight() const { return m_H; }

    // Measures of the run.
    int t() const { return m_t; }
    int g() const { return m_g; }
    int hH() const { return m_hH; }
    int hF() const { return m_hF; }
    int sp() const { return m_sp; }
    double k() const { return m_k; }
    int topBand() const { return m_S; }      // S
    int bottomReserve() const { return m_V; } // V
    int columnWidth(int displayColumn) const { return m_w[static_cast<std::size_t>(displayColumn)]; } // w(c)
    int rowTextHeight(int row) const { return m_h[static_cast<std::size_t>(row)]; }                   // h(r)
    int rowHeight(int row) const;                                                                      // R(r)

    int bandCount() const { return static_cast<int>(m_bands.size()); }
    // Display positions of a band's own columns (the repeated one not counted).
    int bandFirstColumn(int band) const { return m_bands[static_cast<std::size_t>(band)].first; }
    int bandLastColumn(int band) const { return m_bands[static_cast<std::size_t>(band)].last; }
    bool banded() const { return m_bands.size() > 1; }
    int pagesPerBand() const { return static_cast<int>(m_pageStarts.size()); }
    int pageCount() const { return bandCount() * pagesPerBand(); }

    GridPage page(int index) const;
    // The header and footer of a page, composed at `now`.
    PrintPageTexts pageTexts(int index, const QDateTime &now) const { return pageTexts(index, now, m_measurer); }
    // The same, measured with `measurer`: the plan's own measurer belongs to
    // the thread that made the plan, and page() and this are all that other
    // threads may call.
    PrintPageTexts pageTexts(int index, const QDateTime &now, PrintTextMeasurer &measurer) const;

    // The cell font of a cell (fixed or not), unscaled.
    const TPrintFont &cellFont(bool fixedCell) const { return fixedCell ? m_fixedCellFont : m_dataCellFont; }
    bool isFixedCell(int displayColumn, int row) const
    {
        return (row == 0 && m_table.hasFixedRow()) || (displayColumn == 0 && m_table.hasFixedColumn());
    }

private:
    struct Band {
        int first = 0;
        int last = -1;
        bool repeatsFixed = false;
        std::vector<GridPageColumn> columns;
        int left = 0, right = 0;
    };
    class WidthCache;

    void measureColumns();
    void fitToPage();
    void planBands();
    void measureRows();
    void planPages();
    int widestLine(WidthCache &cache, std::string_view text);
    void addCellLines(const GridPage &page, std::vector<GridPageLine> &h, std::vector<GridPageLine> &v) const;

    const GridPrintTable &m_table;
    PrintSettings m_settings;
    int m_W, m_H;
    PrintTextMeasurer &m_measurer;
    TPrintFont m_dataCellFont, m_fixedCellFont;

    int m_t = 0, m_g = 0, m_hH = 0, m_hF = 0, m_sp = 0;
    double m_k = 1.0;
    int m_S = 0, m_V = 0;
    std::vector<int> m_w;
    std::vector<int> m_h;
    std::vector<Band> m_bands;
    // First row of every page of a band; every band has the same pages, as
    // the page breaks depend on the rows only.
    std::vector<int> m_pageStarts;
    // Most lines of a fixed and of a data cell per row (0: one), while planning.
    struct LineCounts {
        std::uint16_t fixed = 0, data = 0;
    };
    std::vector<LineCounts> m_lines;
};

} // namespace sorvant
