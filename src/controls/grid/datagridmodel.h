#pragma once

#include "gridstore.h"

#include <QAbstractTableModel>

#include <climits>

// The item model of a DataGridStore, for Qt's item views.
//
// Model column = the store's column index; model row r = store row r + 1:
// store row 0 is the header row and is offered as the horizontal header data.
// The display order and hidden state are not the model's business: the view
// takes them from the store's column layout.
//
// A load writes every row and grows the row count once per row. Announcing
// each of those to the views would cost more than the load itself, so changes
// are only noted, and the views hear of them all at once when control returns
// to the event loop, or at once when syncWithStore() is called.
class DataGridModel : public QAbstractTableModel, private DataGridStore::Observer
{
    Q_OBJECT
public:
    explicit DataGridModel(DataGridStore &store, QObject *parent = nullptr);
    ~DataGridModel() override;

    DataGridStore &store() const { return m_store; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static constexpr int storeRow(int modelRow) { return modelRow + 1; }
    static Qt::Alignment alignmentFor(DataGridStore::HAlign alignment);

    // Whether cells can be selected (for copying); off at start.
    void setCellsSelectable(bool selectable) { m_selectable = selectable; }
    bool cellsSelectable() const { return m_selectable; }

    // True while the store has changes the views have not been told of.
    bool hasPendingChanges() const { return m_rowsDirty || m_dirtyLast >= 0; }

public slots:
    // Tells the views of every pending change now: at most one row insertion
    // or removal, one dataChanged and one headerDataChanged.
    void syncWithStore();

signals:
    // The store's column order, hidden state or widths changed. Emitted at
    // once: the layout changes rarely and the header must follow it.
    void columnLayoutUpdated();

private:
    void cellsChanged(int firstRow, int lastRow) override;
    void rowCountChanged(int oldCount, int newCount) override;
    void columnLayoutChanged() override;
    void scheduleSync();

    DataGridStore &m_store;
    int m_rows = 0; // rows the views were told of
    int m_dirtyFirst = INT_MAX; // store rows, inclusive
    int m_dirtyLast = -1;
    bool m_rowsDirty = false;
    bool m_syncPosted = false;
    bool m_selectable = false;
};
