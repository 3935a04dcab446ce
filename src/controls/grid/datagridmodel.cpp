#include "datagridmodel.h"

#include <algorithm>

DataGridModel::DataGridModel(DataGridStore &store, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(store)
    , m_rows(std::max(0, store.RowCount() - 1))
{
    m_store.addObserver(this);
}

DataGridModel::~DataGridModel()
{
    m_store.removeObserver(this);
}

int DataGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_store.columnTotal();
}

Qt::Alignment DataGridModel::alignmentFor(DataGridStore::HAlign alignment)
{
    switch (alignment) {
    case DataGridStore::HAlign::Centre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case DataGridStore::HAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case DataGridStore::HAlign::None:
    case DataGridStore::HAlign::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QVariant DataGridModel::data(const QModelIndex &index, int role) const
{
    // A view may still ask for a row the store has just dropped (the change
    // is not announced yet): the store answers such rows with empty cells.
    if (!index.isValid())
        return {};
    const int row = storeRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_store.Cells(index.column(), row);
    case Qt::TextAlignmentRole:
        return static_cast<int>(alignmentFor(m_store.Alignments(index.column(), row)));
    default:
        return {};
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_store.columnTotal())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_store.Cells(section, 0);
    case Qt::TextAlignmentRole:
        return static_cast<int>(alignmentFor(m_store.Alignments(section, 0)));
    default:
        return {};
    }
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex &index) const
{
    // Read-only: enabled, and selectable only where the grid lets the user copy.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return m_selectable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

void DataGridModel::cellsChanged(int firstRow, int lastRow)
{
    m_dirtyFirst = std::min(m_dirtyFirst, firstRow);
    m_dirtyLast = std::max(m_dirtyLast, lastRow);
    scheduleSync();
}

void DataGridModel::rowCountChanged(int, int)
{
    m_rowsDirty = true;
    scheduleSync();
}

void DataGridModel::columnLayoutChanged()
{
    emit columnLayoutUpdated();
}

void DataGridModel::scheduleSync()
{
    if (m_syncPosted)
        return;
    m_syncPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_syncPosted = false;
            syncWithStore();
        },
        Qt::QueuedConnection);
}

void DataGridModel::syncWithStore()
{
    if (m_rowsDirty) {
        m_rowsDirty = false;
        const int rows = std::max(0, m_store.RowCount() - 1);
        if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        }
    }
    if (m_dirtyLast >= 0) {
        const int first = m_dirtyFirst;
        const int last = m_dirtyLast;
        m_dirtyFirst = INT_MAX;
        m_dirtyLast = -1;
        const int columns = columnCount();
        if (first == 0 && columns > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
        const int top = std::max(first, 1) - 1;
        const int bottom = std::min(last - 1, m_rows - 1);
        if (top <= bottom && columns > 0)
            emit dataChanged(index(top, 0), index(bottom, columns - 1));
    }
}
