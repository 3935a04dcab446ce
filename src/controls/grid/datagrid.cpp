#include "datagrid.h"

#include <QContextMenuEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace {

// Holds the room of the fixed column on the left; the fixed view covers it.
// It still keeps the row geometry, as every table view's vertical header does.
class RowSpaceHeader : public QHeaderView
{
public:
    explicit RowSpaceHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent) {}

protected:
    void paintEvent(QPaintEvent *) override {}
};

void setUpRows(QHeaderView *rows, int height)
{
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(height);
}

void setUpReadOnly(QTableView *view)
{
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false); // the delegates draw the lines
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setDragEnabled(false);
    view->setAcceptDrops(false);
}

} // namespace

DataGrid::DataGrid(DataGridStore &store, QWidget *parent)
    : QTableView(parent)
    , m_look(std::make_shared<DataGridLook>())
{
    m_look->fixedFont = font();
    m_look->fixedFont.setBold(true);
    m_model = new DataGridModel(store, this);

    auto *header = new DataGridHeader(m_look, this);
    header->setSectionsMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    setHorizontalHeader(header);
    setVerticalHeader(new RowSpaceHeader(this));
    setUpRows(verticalHeader(), 21);
    setUpReadOnly(this);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);
    setItemDelegate(new DataGridDelegate(m_look, false, this));
    setModel(m_model);

    m_fixed = new QTableView(this);
    auto *fixedHeader = new DataGridHeader(m_look, m_fixed);
    fixedHeader->setSectionsMovable(false);
    fixedHeader->setSectionResizeMode(QHeaderView::Interactive);
    m_fixed->setHorizontalHeader(fixedHeader);
    setUpRows(m_fixed->verticalHeader(), 21);
    m_fixed->verticalHeader()->hide();
    setUpReadOnly(m_fixed);
    m_fixed->setFrameShape(QFrame::NoFrame);
    m_fixed->setFocusPolicy(Qt::NoFocus);
    m_fixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollMode(ScrollPerItem);
    m_fixed->setItemDelegate(new DataGridDelegate(m_look, true, m_fixed));
    m_fixed->setModel(m_model);
    m_fixed->setSelectionModel(selectionModel());
    m_fixed->setObjectName(QStringLiteral("fixedColumnView"));

    // Both views show the same rows at the same height, so one scroll value
    // fits both.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, m_fixed->verticalScrollBar(), &QScrollBar::setValue);
    connect(m_fixed->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { m_fixed->verticalScrollBar()->setValue(verticalScrollBar()->value()); });

    connect(header, &QHeaderView::sectionMoved, this, [this](int logical, int, int) { sectionMovedByUser(logical); });
    connect(header, &QHeaderView::sectionResized, this,
            [this, header](int logical, int, int size) { sectionResizedByUser(header, logical, size); });
    connect(fixedHeader, &QHeaderView::sectionResized, this,
            [this, fixedHeader](int logical, int, int size) { sectionResizedByUser(fixedHeader, logical, size); });
    connect(m_model, &DataGridModel::columnLayoutUpdated, this, &DataGrid::applyStoreLayout);

    // A scroll area does not take a mouse context-menu event passed up from a
    // child, so the headers and the fixed view are watched instead.
    for (QWidget *w : {header->viewport(), m_fixed->viewport(), fixedHeader->viewport()})
        w->installEventFilter(this);

    setFixedRowHeight(header->sizeHint().height());
    applyStoreLayout();
}

DataGrid::~DataGrid()
{
    // The model outlives this part of the grid while the children go.
    m_model->disconnect(this);
}

void DataGrid::syncWithStore()
{
    m_model->syncWithStore();
}

void DataGrid::setFixedColumnEnabled(bool enabled)
{
    if (m_fixedEnabled == enabled)
        return;
    m_fixedEnabled = enabled;
    applyStoreLayout();
}

void DataGrid::setFixedRowHeight(int height)
{
    height = std::max(0, height);
    horizontalHeader()->setFixedHeight(height);
    m_fixed->horizontalHeader()->setFixedHeight(height);
    updateGeometries();
}

int DataGrid::fixedRowHeight() const
{
    return horizontalHeader()->height();
}

void DataGrid::setDefaultRowHeight(int height)
{
    height = std::max(1, height);
    verticalHeader()->setDefaultSectionSize(height);
    m_fixed->verticalHeader()->setDefaultSectionSize(height);
}

int DataGrid::defaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void DataGrid::setDataFont(const QFont &font)
{
    setFont(font);
    lookChanged();
}

void DataGrid::setFixedFont(const QFont &font)
{
    m_look->fixedFont = font;
    lookChanged();
}

void DataGrid::setHeaderGradient(const QColor &top, const QColor &bottom, int bands)
{
    m_look->gradientTop = top;
    m_look->gradientBottom = bottom;
    m_look->gradientBands = std::max(1, bands);
    lookChanged();
}

void DataGrid::setGridLineColor(const QColor &colour)
{
    m_look->gridLine = colour;
    lookChanged();
}

void DataGrid::setCellSelectionEnabled(bool enabled)
{
    if (m_look->showSelection == enabled)
        return;
    m_look->showSelection = enabled;
    m_model->setCellsSelectable(enabled);
    const auto mode = enabled ? QAbstractItemView::ExtendedSelection : QAbstractItemView::NoSelection;
    setSelectionMode(mode);
    m_fixed->setSelectionMode(mode);
    // The fixed column stands where a spreadsheet has its row numbers, so a
    // click there takes the whole row.
    m_fixed->setSelectionBehavior(QAbstractItemView::SelectRows);
    horizontalHeader()->setSectionsClickable(enabled);
    m_fixed->horizontalHeader()->setSectionsClickable(enabled);
    if (!enabled)
        selectionModel()->clearSelection();
    lookChanged();
}

std::vector<GridCellRange> DataGrid::selectedRanges() const
{
    std::vector<GridCellRange> ranges;
    if (!m_look->showSelection)
        return ranges;
    for (const QItemSelectionRange &r : selectionModel()->selection()) {
        ranges.push_back({DataGridModel::storeRow(r.top()), DataGridModel::storeRow(r.bottom()), r.left(),
                          r.right()});
    }
    return ranges;
}

void DataGrid::lookChanged()
{
    viewport()->update();
    horizontalHeader()->viewport()->update();
    m_fixed->viewport()->update();
    m_fixed->horizontalHeader()->viewport()->update();
}

void DataGrid::applyStoreLayout()
{
    const QScopedValueRollback<bool> guard(m_syncing, true);
    const DataGridStore &s = store();
    const int total = s.columnTotal();
    const int displayed = s.ColCount();
    // The grid keeps at least one column that is not fixed.
    m_fixedColumn = m_fixedEnabled && displayed >= 2 ? s.columnAt(0) : -1;

    QHeaderView *header = horizontalHeader();
    for (int p = 0; p < displayed; ++p) {
        const int from = header->visualIndex(s.columnAt(p));
        if (from != p)
            header->moveSection(from, p);
    }
    QHeaderView *fixedHeader = m_fixed->horizontalHeader();
    for (int c = 0; c < total; ++c) {
        const bool shown = !s.isColumnHidden(c) && c != m_fixedColumn;
        header->setSectionHidden(c, !shown);
        if (shown)
            header->resizeSection(c, s.columnWidth(c));
        fixedHeader->setSectionHidden(c, c != m_fixedColumn);
    }
    if (m_fixedColumn >= 0) {
        const int width = s.columnWidth(m_fixedColumn);
        fixedHeader->resizeSection(m_fixedColumn, width);
        verticalHeader()->setFixedWidth(width);
    }
    verticalHeader()->setVisible(m_fixedColumn >= 0);
    m_fixed->setVisible(m_fixedColumn >= 0);
    updateGeometries();
}

void DataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeFixedView();
}

void DataGrid::placeFixedView()
{
    if (!m_fixed || m_fixedColumn < 0)
        return;
    const QRect vg = viewport()->geometry();
    const int width = verticalHeader()->width();
    const int top = horizontalHeader()->height();
    m_fixed->setGeometry(vg.left() - width, vg.top() - top, width, vg.height() + top);
    m_fixed->raise();
    m_fixed->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void DataGrid::sectionMovedByUser(int logicalIndex)
{
    if (m_syncing)
        return;
    DataGridStore &s = store();
    // The order asked for: the header's visual order without the hidden columns.
    QHeaderView *header = horizontalHeader();
    int to = -1;
    int position = 0;
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (s.isColumnHidden(c))
            continue;
        if (c == logicalIndex)
            to = position;
        ++position;
    }
    const int from = s.displayPosition(logicalIndex);
    const bool touchesFixed = m_fixedColumn >= 0 && (from == 0 || to == 0);
    if (from >= 0 && to >= 0 && from != to && !touchesFixed)
        s.moveColumn(from, to); // the store tells us, and the header follows
    else
        applyStoreLayout(); // refused: put the header back as the store has it
}

void DataGrid::sectionResizedByUser(QHeaderView *header, int logicalIndex, int newSize)
{
    if (m_syncing || header->isSectionHidden(logicalIndex))
        return;
    store().setColumnWidth(logicalIndex, newSize);
}

void DataGrid::contextMenuEvent(QContextMenuEvent *event)
{
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        contextMenuEvent(static_cast<QContextMenuEvent *>(event));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}
