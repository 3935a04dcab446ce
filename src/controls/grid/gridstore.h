#pragma once

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

// The cell store and column layout of a grid, with no widget: the screen, the
// exporters and the printer all read the same table through it.
//
// Cells are addressed by column index and row. A column index never changes:
// hiding, showing and moving a column change only where it is displayed.
// Texts are kept as UTF-8, a row's cells packed together in one arena, so a
// table of 144,001 nine-cell rows takes a few megabytes and rows never written
// take no cell storage at all. The arena is one reserved stretch of address
// space that never moves: growing it touches only the new bytes and copies
// nothing, and a table refilled after Clear() reuses the same pages.
class DataGridStore
{
public:
    enum class HAlign : std::uint8_t { None = 0, Left, Centre, Right };

    class Observer
    {
    public:
        virtual ~Observer() = default;
        virtual void cellsChanged(int firstRow, int lastRow) = 0; // inclusive; may be every row
        virtual void rowCountChanged(int oldCount, int newCount) = 0;
        virtual void columnLayoutChanged() = 0;
    };

    explicit DataGridStore(int columns = 1, int rows = 1);
    ~DataGridStore();
    DataGridStore(const DataGridStore &) = delete;
    DataGridStore &operator=(const DataGridStore &) = delete;

    void addObserver(Observer *observer);
    void removeObserver(Observer *observer);

    // --- cells -----------------------------------------------------------
    // Empties every cell below RowCount in every column, hidden ones included.
    // RowCount, widths and the column layout stay.
    void Clear();
    QString Cells(int column, int row) const;
    // The stored bytes of a cell; valid until the next change of the store.
    std::string_view cellUtf8(int column, int row) const;
    // Writing at or beyond RowCount grows the table to hold the row.
    void setCells(int column, int row, const QString &text);
    void setCellUtf8(int column, int row, std::string_view text);
    HAlign Alignments(int column, int row) const;
    void setAlignments(int column, int row, HAlign alignment);
    // Writes every column of one row at once (texts by column index), all with
    // one alignment: the fast path for a load.
    void setRowUtf8(int row, const std::string_view *texts, int count, HAlign alignment);
    bool rowIsEmpty(int row) const;
    // The texts of every column of one row, by column index, in one pass
    // (`texts` has room for columnTotal() views). Valid until the next change.
    void rowUtf8(int row, std::string_view *texts) const;

    // --- rows ------------------------------------------------------------
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    void setRowCount(int rows);
    // Room for `rows` rows without growing, for a caller that knows the size
    // ahead (a load); RowCount is unchanged.
    void reserveRows(int rows);

    // --- columns ---------------------------------------------------------
    int columnTotal() const { return static_cast<int>(m_order.size()); } // hidden ones included
    int ColCount() const { return m_displayed; }                        // displayed columns only
    int columnAt(int displayPosition) const;   // column index at a display position, -1 if none
    int displayPosition(int column) const;     // -1 when hidden
    bool isColumnHidden(int column) const;
    // Never hides the last displayed column; remembers the width for UnHideColumn.
    void HideColumn(int column);
    // Shows a column again in its own place, with the width it had when hidden.
    void UnHideColumn(int column);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    // Moves the displayed column at one display position to another; the
    // column keeps its index, cells, width and header.
    void moveColumn(int fromDisplayPosition, int toDisplayPosition);

    // Memory held by the cells: the arena pages touched and the row table
    // (for the benchmarks).
    std::size_t cellBytes() const;

private:
    struct RowSlot {
        std::uint32_t offset = 0; // into m_arena
        std::uint32_t size = 0;   // 0: no cell in this row was ever written
    };
    struct CellRef {
        std::string_view text;
        HAlign align;
    };
    // Bump allocator over reserved address space; see the class comment.
    class Arena
    {
    public:
        Arena() = default;
        ~Arena();
        Arena(const Arena &) = delete;
        Arena &operator=(const Arena &) = delete;
        char *data() const { return m_base; }
        std::size_t size() const { return m_size; }
        // Makes room for `bytes` more at the end; returns where they start.
        char *grow(std::size_t bytes);
        void shrink(std::size_t size) { m_size = size; }
        std::size_t touchedBytes() const { return m_highWater; }

    private:
        char *m_base = nullptr;
        std::size_t m_reserved = 0;
        std::size_t m_size = 0;
        std::size_t m_highWater = 0;
    };
    CellRef cellRef(int column, int row) const;
    void writeRowBlob(int row, const CellRef *cells);
    void ensureRow(int row);
    void compactIfWasteful();
    void notifyCells(int first, int last);
    void notifyLayout();
    void checkColumn(int column) const;
    void recountDisplayed();

    int m_columns;
    std::vector<RowSlot> m_rows;
    Arena m_arena;
    std::size_t m_garbage = 0;
    std::vector<int> m_order; // column indices, display order, hidden ones in their place
    std::vector<bool> m_hidden;
    std::vector<int> m_widths;
    int m_displayed = 0;
    std::vector<Observer *> m_observers;
};
