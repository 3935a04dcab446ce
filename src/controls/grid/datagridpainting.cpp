#include "datagridpainting.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace datagridpaint {

namespace {

int mix(int a, int b, int num, int den)
{
    return a + (b - a) * num / den;
}

constexpr int kTextMargin = 2; // keeps left- and right-aligned text off the lines

} // namespace

QColor bandColour(const DataGridLook &look, int band)
{
    const int bands = std::max(1, look.gradientBands);
    if (bands == 1)
        return look.gradientTop;
    const int b = std::clamp(band, 0, bands - 1);
    const QColor &t = look.gradientTop;
    const QColor &u = look.gradientBottom;
    return QColor(mix(t.red(), u.red(), b, bands - 1), mix(t.green(), u.green(), b, bands - 1),
                  mix(t.blue(), u.blue(), b, bands - 1));
}

void fillFixedCell(QPainter &painter, const QRect &rect, const DataGridLook &look)
{
    const int bands = std::max(1, std::min(look.gradientBands, std::max(1, rect.height())));
    const int h = rect.height();
    for (int b = 0; b < bands; ++b) {
        const int y0 = rect.top() + h * b / bands;
        const int y1 = rect.top() + h * (b + 1) / bands;
        painter.fillRect(QRect(rect.left(), y0, rect.width(), y1 - y0), bandColour(look, b));
    }
}

QRect textArea(const QRect &cell)
{
    return cell.adjusted(kTextMargin, 0, -1 - kTextMargin, -1);
}

QFont fittingFont(const QFont &font, const QRect &area, const QString &text)
{
    // A text wrapped at blanks that needs more lines than the row holds is
    // narrowed, step by step, until it wraps into the lines there are: a
    // header reads whole rather than losing its first and last line.
    constexpr int kNarrowest = 75; // per cent of the normal width
    // Almost every cell holds one short line: it fits as it is, and is not
    // laid out a second time on every repaint to learn that.
    const QFontMetrics metrics(font);
    if (!text.contains(QLatin1Char('\n')) && metrics.height() <= area.height()
        && metrics.horizontalAdvance(text) <= area.width())
        return font;
    QFont fitted = font;
    for (int stretch = 100; stretch >= kNarrowest; stretch -= 5) {
        fitted.setStretch(stretch);
        const QRect needed = QFontMetrics(fitted).boundingRect(area, Qt::TextWordWrap, text);
        if (needed.height() <= area.height() && needed.width() <= area.width())
            return fitted;
    }
    return font;
}

void drawCellText(QPainter &painter, const QRect &rect, const QString &text, Qt::Alignment alignment)
{
    if (text.isEmpty())
        return;
    // The area inside the grid lines; line breaks give several lines, and a
    // text too wide for its column wraps at blanks where the row has room
    // (the 30-pixel header row holds two lines), rather than losing both ends.
    const QRect inner = textArea(rect);
    const QFont font = painter.font();
    painter.setFont(fittingFont(font, inner, text));
    painter.drawText(inner, static_cast<int>(alignment) | Qt::TextWordWrap, text);
    painter.setFont(font);
}

void drawGridLines(QPainter &painter, const QRect &rect, const QColor &colour)
{
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
}

} // namespace datagridpaint

DataGridDelegate::DataGridDelegate(std::shared_ptr<const DataGridLook> look, bool fixedStyle, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_look(std::move(look))
    , m_fixedStyle(fixedStyle)
{
}

void DataGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect &r = option.rect;
    painter->save();
    painter->setClipRect(r, Qt::IntersectClip);
    const bool selected = m_look->showSelection && (option.state & QStyle::State_Selected);
    if (selected) {
        painter->fillRect(r, option.palette.highlight());
        painter->setFont(m_fixedStyle ? m_look->fixedFont : option.font);
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    } else if (m_fixedStyle) {
        datagridpaint::fillFixedCell(*painter, r, *m_look);
        painter->setFont(m_look->fixedFont);
        painter->setPen(option.palette.color(QPalette::WindowText));
    } else {
        painter->fillRect(r, option.palette.base());
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
    }
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    datagridpaint::drawCellText(*painter, r, index.data(Qt::DisplayRole).toString(), alignment);
    datagridpaint::drawGridLines(*painter, r, m_look->gridLine);
    painter->restore();
}

DataGridHeader::DataGridHeader(std::shared_ptr<const DataGridLook> look, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_look(std::move(look))
{
    setMinimumSectionSize(0);
    setHighlightSections(false);
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void DataGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    datagridpaint::fillFixedCell(*painter, rect, *m_look);
    painter->setFont(m_look->fixedFont);
    painter->setPen(palette().color(QPalette::WindowText));
    if (QAbstractItemModel *m = model()) {
        const QVariant a = m->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
        const auto alignment = a.isValid() ? Qt::Alignment(a.toInt()) : defaultAlignment();
        datagridpaint::drawCellText(*painter, rect, m->headerData(logicalIndex, orientation()).toString(), alignment);
    }
    datagridpaint::drawGridLines(*painter, rect, m_look->gridLine);
    painter->restore();
}
