#include "reportplan.h"

#include <algorithm>

namespace sorvant {

namespace {

constexpr int kFactGap = 40;     // between a fact's label and its value
constexpr int kSectionGap = 50;  // above a section's caption
constexpr int kCaptionGap = 12;  // between a caption and what it names
constexpr int kFooterGap = 40;   // between the body and the page number

} // namespace

TPrintFont reportFont(ReportStyle style)
{
    TPrintFont f;
    f.Name = QStringLiteral("Arial");
    f.Color = clBlack;
    switch (style) {
    case ReportStyle::Heading: f.Size = 18; f.Bold = true; break;
    case ReportStyle::Title: f.Size = 13; f.Bold = true; break;
    case ReportStyle::Section: f.Size = 11; f.Bold = true; break;
    case ReportStyle::Label: f.Size = 9; f.Bold = true; break;
    case ReportStyle::TableHeader: f.Size = 8; f.Bold = true; break;
    case ReportStyle::Small: f.Size = 8; break;
    default: f.Size = 9; break;
    }
    return f;
}

ReportPlan::ReportPlan(const ReportContent &content, int pageWidth, int pageHeight, PrintTextMeasurer &measurer)
    : m_measurer(measurer), m_W(std::max(1, pageWidth)), m_H(std::max(1, pageHeight))
{
    m_bodyBottom = std::max(1, m_H - lineHeight(ReportStyle::Small) - kFooterGap);
    newPage();

    addText(ReportStyle::Heading, 0, fitted(ReportStyle::Heading, content.heading, m_W));
    m_y += 10;
    if (!content.title.isEmpty())
        addText(ReportStyle::Title, 0, fitted(ReportStyle::Title, content.title, m_W));
    m_y += 30;

    int labelWidth = 0;
    for (const auto &fact : content.facts)
        labelWidth = std::max(labelWidth, width(ReportStyle::Label, fact.first + QLatin1Char(':')));
    for (const auto &[label, value] : content.facts) {
        const int h = std::max(lineHeight(ReportStyle::Label), lineHeight(ReportStyle::Body));
        ensureRoom(h);
        m_pages.back().texts.push_back({ReportStyle::Label, 0, m_y, label + QLatin1Char(':')});
        m_pages.back().texts.push_back(
            {ReportStyle::Body, labelWidth + kFactGap, m_y, fitted(ReportStyle::Body, value, m_W - labelWidth - kFactGap)});
        m_y += h + 6;
    }
    if (!content.note.isEmpty()) {
        m_y += kSectionGap;
        addText(ReportStyle::Section, 0, fitted(ReportStyle::Section, content.note, m_W));
    }

    if (content.overview) {
        const int captionHeight = lineHeight(ReportStyle::Section) + kCaptionGap;
        const int wanted = std::clamp(m_W * 2 / 5, 400, 900);
        m_y += kSectionGap;
        ensureRoom(captionHeight + wanted);
        addText(ReportStyle::Section, 0, content.overviewCaption);
        m_y += kCaptionGap;
        // On paper too short for it, the picture takes what is left.
        const int height = std::max(100, std::min(wanted, m_bodyBottom - m_y));
        m_pages.back().overview = QRect(0, m_y, m_W, height);
        m_y += height + 10;
        if (!content.overviewNote.isEmpty())
            addText(ReportStyle::Small, 0, fitted(ReportStyle::Small, content.overviewNote, m_W));
    }

    for (const ReportTable &table : content.tables)
        addTable(table);
    addPageNumbers();
}

int ReportPlan::lineHeight(ReportStyle style)
{
    return m_measurer.lineHeight(reportFont(style), 1.0);
}

int ReportPlan::width(ReportStyle style, const QString &text)
{
    return m_measurer.textWidth(reportFont(style), 1.0, text);
}

void ReportPlan::newPage()
{
    m_pages.emplace_back();
    m_y = 0;
}

void ReportPlan::ensureRoom(int height)
{
    if (m_y > 0 && m_y + height > m_bodyBottom)
        newPage();
}

void ReportPlan::addText(ReportStyle style, int x, const QString &text)
{
    const int h = lineHeight(style);
    ensureRoom(h);
    m_pages.back().texts.push_back({style, x, m_y, text});
    m_y += h;
}

QString ReportPlan::fitted(ReportStyle style, const QString &text, int room)
{
    if (width(style, text) <= room)
        return text;
    const QChar ellipsis(0x2026);
    // Halving the cut finds the longest start that fits in a few measurements.
    qsizetype fits = 0, wide = text.size();
    while (wide - fits > 1) {
        const qsizetype mid = (fits + wide) / 2;
        if (width(style, text.left(mid) + ellipsis) <= room)
            fits = mid;
        else
            wide = mid;
    }
    return text.left(fits) + ellipsis;
}

void ReportPlan::addTable(const ReportTable &table)
{
    const int columns = static_cast<int>(table.headings.size());
    if (columns == 0)
        return;
    const int pad = kCellPadding;
    const int headerLine = lineHeight(ReportStyle::TableHeader);
    const int rowHeight = lineHeight(ReportStyle::Body) + 2 * kRowPadding;
    int headerLines = 1;
    std::vector<int> w(static_cast<std::size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) {
        const QStringList lines = table.headings[c].split(QLatin1Char('\n'));
        headerLines = std::max(headerLines, static_cast<int>(lines.size()));
        int &cw = w[static_cast<std::size_t>(c)];
        for (const QString &line : lines)
            cw = std::max(cw, width(ReportStyle::TableHeader, line));
        for (const QStringList &row : table.rows) {
            if (c < row.size())
                cw = std::max(cw, width(ReportStyle::Body, row[c]));
        }
        cw += 2 * pad;
    }
    // Wider than the paper: every column gives up its share.
    long long total = 0;
    for (int cw : w)
        total += cw;
    if (total > m_W) {
        for (int &cw : w)
            cw = static_cast<int>(cw * static_cast<long long>(m_W) / total);
    }
    std::vector<int> x(static_cast<std::size_t>(columns) + 1, 0);
    for (int c = 0; c < columns; ++c)
        x[static_cast<std::size_t>(c) + 1] = x[static_cast<std::size_t>(c)] + w[static_cast<std::size_t>(c)];
    const int right = x.back();
    const int headerHeight = headerLines * headerLine + 2 * kRowPadding;
    const int captionHeight = lineHeight(ReportStyle::Section) + kCaptionGap;
    const auto aligned = [&](int c) {
        return c < static_cast<int>(table.rightAligned.size()) && table.rightAligned[static_cast<std::size_t>(c)];
    };
    const auto cellX = [&](int c, ReportStyle style, const QString &text) {
        return aligned(c) ? x[static_cast<std::size_t>(c) + 1] - pad - width(style, text)
                          : x[static_cast<std::size_t>(c)] + pad;
    };

    int top = 0; // of the part of the table on this page
    const auto closePart = [&] {
        ReportPage &page = m_pages.back();
        for (int xi : x)
            page.lines.push_back({xi, top, xi, m_y});
    };
    const auto startPart = [&](bool continued) {
        addText(ReportStyle::Section, 0, continued ? table.caption + QStringLiteral(" (continued)") : table.caption);
        m_y += kCaptionGap;
        ReportPage &page = m_pages.back();
        top = m_y;
        page.shaded.push_back(QRect(0, m_y, right, headerHeight));
        page.lines.push_back({0, m_y, right, m_y});
        for (int c = 0; c < columns; ++c) {
            const QStringList lines = table.headings[c].split(QLatin1Char('\n'));
            // Headings stand on the bottom line of the heading row.
            int y = m_y + kRowPadding + (headerLines - static_cast<int>(lines.size())) * headerLine;
            for (const QString &line : lines) {
                page.texts.push_back({ReportStyle::TableHeader, cellX(c, ReportStyle::TableHeader, line), y, line});
                y += headerLine;
            }
        }
        m_y += headerHeight;
        page.lines.push_back({0, m_y, right, m_y});
    };

    m_y += kSectionGap;
    ensureRoom(captionHeight + headerHeight + rowHeight);
    startPart(false);
    for (const QStringList &row : table.rows) {
        if (m_y + rowHeight > m_bodyBottom) {
            closePart();
            newPage();
            startPart(true);
        }
        ReportPage &page = m_pages.back();
        for (int c = 0; c < columns && c < row.size(); ++c) {
            if (!row[c].isEmpty())
                page.texts.push_back({ReportStyle::Body, cellX(c, ReportStyle::Body, row[c]), m_y + kRowPadding, row[c]});
        }
        m_y += rowHeight;
        page.lines.push_back({0, m_y, right, m_y});
    }
    closePart();
}

void ReportPlan::addPageNumbers()
{
    const int total = pageCount();
    const int y = m_H - lineHeight(ReportStyle::Small);
    for (int i = 0; i < total; ++i) {
        const QString text = QStringLiteral("Page %1 of %2").arg(i + 1).arg(total);
        m_pages[static_cast<std::size_t>(i)].texts.push_back(
            {ReportStyle::Small, (m_W - width(ReportStyle::Small, text)) / 2, y, text});
    }
}

} // namespace sorvant
