#include "gridpageplan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace sorvant {

int boundedPlanLength(long long tenths)
{
    return static_cast<int>(std::clamp<long long>(tenths, -kMaxPlanLength, kMaxPlanLength));
}

int boundedPlanLength(double tenths)
{
    if (std::isnan(tenths))
        return 0;
    return static_cast<int>(std::clamp<double>(tenths, -kMaxPlanLength, kMaxPlanLength));
}

int printLength(int pixels, int dpi)
{
    return boundedPlanLength(std::round(254.0 * pixels / std::max(1, dpi)));
}

int printCharHeight(int points, double k)
{
    // A hair of slack so that 8 pt at k = 1 gives 28 whatever the rounding
    // of 254 / 72 in floating point.
    const double height = std::floor(points * 254.0 / 72.0 * k + 1e-9);
    if (!(height > 0))
        return 0;
    return static_cast<int>(std::min<double>(height, kMaxPrintCharHeight));
}

namespace {

int lineCount(std::string_view text)
{
    int lines = 1;
    for (const char ch : text) {
        if (ch == '\n')
            ++lines;
    }
    return lines;
}

// Screen pixels less the cell's 4-pixel inner margin, in tenths of a millimetre.
int screenLength(int pixels, int dpi)
{
    return std::max(0, boundedPlanLength(std::round((pixels - 4.0) * 254.0 / std::max(1, dpi))));
}

// A measure the plan takes from outside, cut to what it can add up.
int measured(int tenths)
{
    return std::clamp(tenths, 0, kMaxPlanLength);
}

TPrintFont drawable(TPrintFont font)
{
    font.Size = boundedFontSize(font.Size);
    return font;
}

} // namespace

// The widths of the lines met in one font, each distinct line measured once.
// When the font's digits are equally wide, lines that differ only in their
// digits share one entry: a log's 144,000 record numbers are a handful of
// measurements.
class GridPagePlan::WidthCache
{
public:
    WidthCache(PrintTextMeasurer &measurer, const TPrintFont &font)
        : m_measurer(measurer)
        , m_font(font)
        , m_digits(measurer.digitsShareWidth(font))
        , m_numbers(measurer.numberWidths(font, 1.0))
    {
    }

    int width(std::string_view line)
    {
        // Numbers straight from the measurer's table: the record numbers
        // never repeat, and where their digits kern they share no entry.
        if (m_numbers) {
            const int w = m_numbers(line);
            if (w >= 0)
                return measured(w);
        }
        if (line.empty())
            line = std::string_view("gh", 2); // an empty cell measures as "gh"
        // Short texts (nearly every cell) go by a key packed into a number.
        if (line.size() <= 7) {
            std::uint64_t key = static_cast<std::uint64_t>(line.size()) << 56;
            for (std::size_t i = 0; i < line.size(); ++i) {
                auto ch = static_cast<unsigned char>(line[i]);
                if (m_digits && ch >= '0' && ch <= '9')
                    ch = '0';
                key |= static_cast<std::uint64_t>(ch) << (8 * i);
            }
            const auto found = m_short.find(key);
            if (found != m_short.end())
                return found->second;
            const int w = longWidth(line);
            m_short.emplace(key, w);
            return w;
        }
        return longWidth(line);
    }

private:
    int longWidth(std::string_view line)
    {
        m_key.assign(line.data(), line.size());
        if (m_digits) {
            for (char &ch : m_key) {
                if (ch >= '0' && ch <= '9')
                    ch = '0';
            }
        }
        const QByteArray key = QByteArray::fromRawData(m_key.data(), static_cast<qsizetype>(m_key.size()));
        const auto found = m_widths.constFind(key);
        if (found != m_widths.constEnd())
            return found.value();
        const int w = measured(m_measurer.textWidth(
            m_font, 1.0, QString::fromUtf8(m_key.data(), static_cast<qsizetype>(m_key.size()))));
        m_widths.insert(QByteArray(m_key.data(), static_cast<qsizetype>(m_key.size())), w);
        return w;
    }

    PrintTextMeasurer &m_measurer;
    TPrintFont m_font;
    bool m_digits;
    std::function<int(std::string_view)> m_numbers;
    std::string m_key;
    QHash<QByteArray, int> m_widths;
    std::unordered_map<std::uint64_t, int> m_short;
};


GridPagePlan::GridPagePlan(const GridPrintTable &table, const PrintSettings &settings, int pageWidth, int pageHeight,
                           PrintTextMeasurer &measurer)
    : m_table(table)
    , m_settings(settings)
    , m_W(measured(pageWidth))
    , m_H(measured(pageHeight))
    , m_measurer(measurer)
{
    // Values no page can hold print as the nearest ones it can.
    boundPrintSettings(m_settings);
    const PrintSettings &s = m_settings;
    m_dataCellFont = drawable(s.UseDisplayFont ? table.displayFont(false) : s.Font);
    m_fixedCellFont = drawable(s.UseDisplayFont ? table.displayFont(true) : s.FixedFont);

    // Measures of the run, at k = 1.
    m_t = measured(m_measurer.lineHeight(s.Font, 1.0));
    m_g = m_t / 8;
    m_hH = measured(m_measurer.lineHeight(s.HeaderFont, 1.0));
    m_hF = measured(m_measurer.lineHeight(s.FooterFont, 1.0));
    m_sp = s.UseFixedWidth ? 0 : s.ColumnSpacing + 20;

    const auto inTop = [](TPrintPosition p) { return p >= ppTopLeft && p <= ppTopCenter; };
    const auto inBottom = [](TPrintPosition p) { return p >= ppBottomLeft && p <= ppBottomCenter; };
    const long long titleLines = s.TitleLines.size();
    long long S = s.HeaderSize, V = s.FooterSize + m_hF + m_g;
    if (inTop(s.Time) || inTop(s.Date) || inTop(s.PageNr) || inTop(s.Title)) {
        S += m_hH + m_g;
        if (inTop(s.Title) && titleLines >= 1)
            S += (titleLines - 1) * m_hH;
    }
    if (inBottom(s.Time) || inBottom(s.Date) || inBottom(s.PageNr) || inBottom(s.Title)) {
        V = s.FooterSize + 2LL * m_hF + 2LL * m_g;
        if (inBottom(s.Title) && titleLines >= 1)
            V += (titleLines - 1) * m_hF;
    }
    m_S = boundedPlanLength(S);
    m_V = boundedPlanLength(V);

    measureColumns();
    fitToPage();
    planBands();
    measureRows();
    planPages();
}

GridPagePlan::~GridPagePlan() = default;

int GridPagePlan::widestLine(WidthCache &cache, std::string_view text)
{
    int widest = 0;
    for (;;) {
        const std::size_t cut = text.find('\n');
        widest = std::max(widest, cache.width(text.substr(0, cut)));
        if (cut == std::string_view::npos)
            return widest;
        text.remove_prefix(cut + 1);
    }
}

void GridPagePlan::measureColumns()
{
    const PrintSettings &s = m_settings;
    const int columns = m_table.columnCount();
    const int rows = m_table.rowCount();
    m_w.assign(static_cast<std::size_t>(columns), 0);
    if (s.NoAutoSize) {
        for (int c = 0; c < columns; ++c)
            m_w[static_cast<std::size_t>(c)] = screenLength(m_table.screenColumnWidth(c), m_table.screenDpi());
        return;
    }
    if (s.UseFixedWidth) {
        if (rows > 0)
            std::fill(m_w.begin(), m_w.end(), s.FixedWidth);
        return;
    }
    WidthCache data(m_measurer, m_dataCellFont);
    WidthCache fixed(m_measurer, m_fixedCellFont);
    std::vector<std::string_view> texts(static_cast<std::size_t>(columns));
    // The row heights need the cells' line counts: gathered in the same pass.
    m_lines.assign(static_cast<std::size_t>(rows), LineCounts{});
    for (int r = 0; r < rows; ++r) {
        m_table.rowTexts(r, texts.data());
        LineCounts &lines = m_lines[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns; ++c) {
            const bool isFixed = isFixedCell(c, r);
            const std::string_view text = texts[static_cast<std::size_t>(c)];
            int &w = m_w[static_cast<std::size_t>(c)];
            if (text.find('\n') == std::string_view::npos) {
                w = std::max(w, (isFixed ? fixed : data).width(text));
                continue;
            }
            w = std::max(w, widestLine(isFixed ? fixed : data, text));
            std::uint16_t &n = isFixed ? lines.fixed : lines.data;
            n = static_cast<std::uint16_t>(std::min(65535, std::max<int>(n, lineCount(text))));
        }
    }
}

void GridPagePlan::fitToPage()
{
    const PrintSettings &s = m_settings;
    if (s.FitToPage == fpNever)
        return;
    const long long K = static_cast<long long>(m_w.size()) * m_sp;
    long long F = 0;
    for (const int w : m_w)
        F += w + m_sp;
    if (F == K)
        return;
    double k = static_cast<double>(m_W - s.RightSize - s.LeftSize - K) / static_cast<double>(F - K);
    if (s.FitToPage == fpShrink)
        k = std::min(k, 1.0);
    else if (s.FitToPage == fpGrow)
        k = std::max(k, 1.0);
    // Margins wider than the page would ask for no columns at all or negative
    // ones; the smallest scale still prints something readable to go by.
    k = std::max(k, 0.05);
    if (k == 1.0)
        return;
    m_k = k;
    // The same hair of slack as the font heights: a width that k scales to a
    // whole number must not lose a tenth to the rounding of the quotient.
    for (int &w : m_w)
        w = boundedPlanLength(std::floor(w * k + 1e-9));
}

void GridPagePlan::planBands()
{
    const PrintSettings &s = m_settings;
    const int columns = static_cast<int>(m_w.size());
    // The band's right edge stays inside the right margin wherever it starts.
    const int limit = m_W - s.RightSize - (s.Centered ? 0 : s.LeftSize);
    const auto full = [&](int c) { return m_w[static_cast<std::size_t>(c)] + m_sp; };
    int c = 0;
    do {
        Band band;
        band.first = c;
        band.repeatsFixed = c > 0 && s.RepeatFixedCols && m_table.hasFixedColumn();
        int width = band.repeatsFixed ? full(0) : 0;
        if (c < columns) {
            width += full(c);
            ++c;
            while (c < columns && width + full(c) <= limit) {
                width += full(c);
                ++c;
            }
        }
        band.last = c - 1;

        int x = s.Centered ? 0 : s.LeftSize;
        if (s.Centered && width < m_W)
            x += (m_W - width) / 2;
        band.left = x;
        band.right = x + width;
        if (band.repeatsFixed) {
            band.columns.push_back(GridPageColumn{0, x, full(0), true});
            x += full(0);
        }
        for (int col = band.first; col <= band.last; ++col) {
            band.columns.push_back(GridPageColumn{col, x, full(col), false});
            x += full(col);
        }
        m_bands.push_back(std::move(band));
    } while (c < columns);
}

void GridPagePlan::measureRows()
{
    const PrintSettings &s = m_settings;
    const int rows = m_table.rowCount();
    const int columns = m_table.columnCount();
    m_h.assign(static_cast<std::size_t>(rows), 0);
    if (s.NoAutoSizeRow) {
        for (int r = 0; r < rows; ++r)
            m_h[static_cast<std::size_t>(r)] = screenLength(m_table.screenRowHeight(r), m_table.screenDpi());
        return;
    }
    if (s.UseFixedHeight) {
        std::fill(m_h.begin(), m_h.end(), s.FixedHeight);
        return;
    }
    const long long dataLine = measured(m_measurer.lineHeight(m_dataCellFont, m_k));
    const long long fixedLine = measured(m_measurer.lineHeight(m_fixedCellFont, m_k));
    if (m_lines.size() == static_cast<std::size_t>(rows)) {
        // Line counts from the widths' pass; a cell has at least one line.
        bool anyFixed = columns > 0 && m_table.hasFixedColumn();
        bool anyData = columns > (anyFixed ? 1 : 0);
        for (int r = 0; r < rows; ++r) {
            const LineCounts &n = m_lines[static_cast<std::size_t>(r)];
            const bool headerRow = r == 0 && m_table.hasFixedRow();
            const int fixedLines = (anyFixed || headerRow) && columns > 0 ? std::max<int>(1, n.fixed) : 0;
            const int dataLines = anyData && !headerRow ? std::max<int>(1, n.data) : 0;
            m_h[static_cast<std::size_t>(r)] = boundedPlanLength(std::max(fixedLines * fixedLine, dataLines * dataLine));
        }
        std::vector<LineCounts>().swap(m_lines);
        return;
    }
    std::vector<std::string_view> texts(static_cast<std::size_t>(columns));
    for (int r = 0; r < rows; ++r) {
        m_table.rowTexts(r, texts.data());
        long long h = 0;
        for (int c = 0; c < columns; ++c) {
            const long long line = isFixedCell(c, r) ? fixedLine : dataLine;
            h = std::max(h, lineCount(texts[static_cast<std::size_t>(c)]) * line);
        }
        m_h[static_cast<std::size_t>(r)] = boundedPlanLength(h);
    }
}

int GridPagePlan::rowHeight(int row) const
{
    const int h = m_h[static_cast<std::size_t>(row)];
    return h + h / 8 + 2 * m_g + m_settings.RowSpacing;
}

void GridPagePlan::planPages()
{
    const PrintSettings &s = m_settings;
    const int rows = m_table.rowCount();
    const int top = m_S + s.TitleSpacing;
    const int limit = m_H - m_V;
    m_pageStarts.clear();
    m_pageStarts.push_back(0);
    int y = top;
    for (int r = 0; r < rows; ++r) {
        y += rowHeight(r);
        // The page is full when the next row's text would pass the bottom
        // reserve; a page's first row is printed whatever its height.
        if (r + 1 < rows && y + m_h[static_cast<std::size_t>(r) + 1] > limit) {
            m_pageStarts.push_back(r + 1);
            y = top;
            if (s.RepeatFixedRows && m_table.hasFixedRow())
                y += rowHeight(0);
        }
    }
}

GridPage GridPagePlan::page(int index) const
{
    const PrintSettings &s = m_settings;
    GridPage p;
    const int perBand = pagesPerBand();
    p.index = index;
    p.band = index / perBand;
    p.pageInBand = index % perBand;
    const Band &band = m_bands[static_cast<std::size_t>(p.band)];
    p.columns = band.columns;
    p.left = band.left;
    p.right = band.right;
    p.firstRow = m_pageStarts[static_cast<std::size_t>(p.pageInBand)];
    p.lastRow = (p.pageInBand + 1 < perBand ? m_pageStarts[static_cast<std::size_t>(p.pageInBand) + 1]
                                            : m_table.rowCount())
                - 1;
    p.top = m_S + s.TitleSpacing;
    int y = p.top;
    if (s.RepeatFixedRows && m_table.hasFixedRow() && p.firstRow > 0) {
        p.headerRepeated = true;
        p.rows.push_back(GridPageRow{0, y, rowHeight(0), m_h[0], true});
        y += rowHeight(0);
    }
    for (int r = p.firstRow; r <= p.lastRow; ++r) {
        p.rows.push_back(GridPageRow{r, y, rowHeight(r), m_h[static_cast<std::size_t>(r)], false});
        y += rowHeight(r);
    }
    p.bottom = y - m_g / 2;

    std::vector<GridPageLine> lines;
    if (!p.rows.empty() && !p.columns.empty()) {
        const TPrintBorders b = s.Borders;
        const bool vertical = b == pbSingle || b == pbDouble || b == pbVertical || b == pbAroundVertical;
        const bool horizontal = b == pbSingle || b == pbDouble || b == pbHorizontal || b == pbAroundHorizontal;
        const int rowsTop = p.rows.front().y;
        // Every cell's sides, drawn once per grid line: the columns and the
        // rows of a page touch, so each line is one run across the page.
        if (vertical) {
            lines.push_back(GridPageLine{p.columns.front().x, rowsTop, p.columns.front().x, y});
            for (const GridPageColumn &c : p.columns)
                lines.push_back(GridPageLine{c.x + c.width, rowsTop, c.x + c.width, y});
        }
        if (horizontal) {
            const int cutOff = m_H - s.FooterSize;
            for (const GridPageRow &r : p.rows) {
                lines.push_back(GridPageLine{p.left, r.y, p.right, r.y});
                // A cell reaching below the bottom margin has no bottom side;
                // its top side is still the line above it.
                if (&r == &p.rows.back() && r.y + r.height <= cutOff)
                    lines.push_back(GridPageLine{p.left, r.y + r.height, p.right, r.y + r.height});
            }
        }
        // Page-end lines.
        const bool around = b == pbAround || b == pbAroundVertical || b == pbAroundHorizontal;
        if (around) {
            lines.push_back(GridPageLine{p.left, p.top, p.right, p.top});
            lines.push_back(GridPageLine{p.left, p.bottom, p.right, p.bottom});
            lines.push_back(GridPageLine{p.left, p.top, p.left, p.bottom});
            lines.push_back(GridPageLine{p.right, p.top, p.right, p.bottom});
        }
        if (b == pbDouble || b == pbHorizontal || b == pbAroundHorizontal)
            lines.push_back(GridPageLine{p.left, p.bottom, p.right, p.bottom});
        if ((b == pbDouble || b == pbVertical || b == pbAroundVertical) && band.repeatsFixed)
            lines.push_back(GridPageLine{p.left, p.top, p.left, p.bottom});
    }
    // The same line from two rules is drawn once.
    for (const GridPageLine &l : lines) {
        if (std::find(p.lines.begin(), p.lines.end(), l) == p.lines.end())
            p.lines.push_back(l);
    }
    return p;
}

} // namespace sorvant
