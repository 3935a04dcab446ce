#pragma once

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QStyledItemDelegate>

#include <memory>

class QPainter;

// How a DataGrid draws its cells, shared by its delegates and headers.
struct DataGridLook {
    QFont fixedFont;                 // header row and fixed column
    QColor gradientTop{240, 240, 240};
    QColor gradientBottom{212, 212, 212};
    int gradientBands = 1;           // header fill: this many bands top to bottom
    QColor gridLine{192, 192, 192};  // 1 pixel on the right and bottom of every cell
    bool showSelection = false;      // selected cells in the palette's highlight colours
};

namespace datagridpaint {

// The colour of band `band` of `bands`: the first is `top`, the last `bottom`.
QColor bandColour(const DataGridLook &look, int band);
void fillFixedCell(QPainter &painter, const QRect &rect, const DataGridLook &look);
// The area of a cell that its text is drawn in, inside the grid lines.
QRect textArea(const QRect &cell);
// `font`, narrowed where needed so that `text`, wrapped at blanks, fits `area`.
QFont fittingFont(const QFont &font, const QRect &area, const QString &text);
void drawCellText(QPainter &painter, const QRect &rect, const QString &text, Qt::Alignment alignment);
void drawGridLines(QPainter &painter, const QRect &rect, const QColor &colour);

} // namespace datagridpaint

// Draws a cell as data (background, text) or as a fixed cell (header fill,
// fixed font), with its grid lines. Draws selected cells highlighted only
// when the look asks for it, and never a focus frame.
class DataGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    DataGridDelegate(std::shared_ptr<const DataGridLook> look, bool fixedStyle, QObject *parent);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return nullptr; // the grid is read-only
    }

private:
    std::shared_ptr<const DataGridLook> m_look;
    bool m_fixedStyle;
};

// The header row: section texts and alignments are the model's header data.
class DataGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    DataGridHeader(std::shared_ptr<const DataGridLook> look, QWidget *parent);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    std::shared_ptr<const DataGridLook> m_look;
};
