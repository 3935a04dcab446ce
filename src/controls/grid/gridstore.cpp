#include "gridstore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/mman.h>

namespace {

// A row's blob: one alignment byte per column, then one length per column
// (a byte, or 255 followed by four bytes for long texts), then the texts.
constexpr unsigned char kLongLength = 255;
constexpr std::size_t kCompactThreshold = std::size_t(1) << 20;

std::size_t lengthBytes(std::size_t len)
{
    return len < kLongLength ? 1 : 5;
}

// Row offsets are 32-bit, so the arena never needs more than 4 GiB of address
// space. Reserving it costs nothing until pages are touched; a system that
// refuses so much gets a smaller reservation.
constexpr std::size_t kArenaReserve = std::size_t(1) << 32;
constexpr std::size_t kArenaMinReserve = std::size_t(1) << 26;
constexpr std::size_t kPage = 4096;

// The reservation a thread last released, kept for its next store. A batch
// builds and drops a store per log on each of its threads: unmapping the
// reservation each time, then faulting in and zeroing its pages again,
// cost a fifth of the work, and the unmapping stalls the other threads.
struct SpareReservation {
    char *base = nullptr;
    std::size_t reserved = 0;
    SpareReservation() = default;
    SpareReservation(const SpareReservation &) = delete;
    SpareReservation &operator=(const SpareReservation &) = delete;
    ~SpareReservation()
    {
        if (base)
            ::munmap(base, reserved);
        base = nullptr;
    }
};
thread_local SpareReservation t_spare;

} // namespace

DataGridStore::Arena::~Arena()
{
    if (!m_base)
        return;
    if (!t_spare.base) {
        t_spare.base = m_base;
        t_spare.reserved = m_reserved;
    } else {
        ::munmap(m_base, m_reserved);
    }
}

char *DataGridStore::Arena::grow(std::size_t bytes)
{
    if (!m_base && t_spare.base) {
        m_base = t_spare.base;
        m_reserved = t_spare.reserved;
        t_spare.base = nullptr;
    }
    if (!m_base) {
        for (std::size_t want = kArenaReserve; want >= kArenaMinReserve; want /= 2) {
            void *p = ::mmap(nullptr, want, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                             -1, 0);
            if (p != MAP_FAILED) {
                m_base = static_cast<char *>(p);
                m_reserved = want;
                break;
            }
        }
        if (!m_base)
            throw std::bad_alloc();
    }
    if (bytes > m_reserved - m_size)
        throw std::length_error("grid cell storage is full");
    char *at = m_base + m_size;
    m_size += bytes;
    m_highWater = std::max(m_highWater, m_size);
    return at;
}

DataGridStore::~DataGridStore() = default;

DataGridStore::DataGridStore(int columns, int rows)
    : m_columns(std::max(1, columns))
{
    m_rows.resize(static_cast<std::size_t>(std::max(0, rows)));
    m_order.resize(static_cast<std::size_t>(m_columns));
    for (int c = 0; c < m_columns; ++c)
        m_order[static_cast<std::size_t>(c)] = c;
    m_hidden.assign(static_cast<std::size_t>(m_columns), false);
    m_widths.assign(static_cast<std::size_t>(m_columns), 64);
    m_displayed = m_columns;
}

void DataGridStore::addObserver(Observer *observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void DataGridStore::removeObserver(Observer *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void DataGridStore::notifyCells(int first, int last)
{
    for (Observer *o : m_observers)
        o->cellsChanged(first, last);
}

void DataGridStore::notifyLayout()
{
    for (Observer *o : m_observers)
        o->columnLayoutChanged();
}

void DataGridStore::checkColumn(int column) const
{
    if (column < 0 || column >= m_columns)
        throw std::out_of_range("grid column index out of range");
}

// --- cells ---------------------------------------------------------------

void DataGridStore::Clear()
{
    m_arena.shrink(0); // the pages stay: the next load reuses them
    m_garbage = 0;
    std::fill(m_rows.begin(), m_rows.end(), RowSlot{});
    if (!m_rows.empty())
        notifyCells(0, RowCount() - 1);
}

DataGridStore::CellRef DataGridStore::cellRef(int column, int row) const
{
    if (row < 0 || row >= RowCount() || column < 0 || column >= m_columns)
        return {{}, HAlign::None};
    const RowSlot &slot = m_rows[static_cast<std::size_t>(row)];
    if (slot.size == 0)
        return {{}, HAlign::None};
    const char *blob = m_arena.data() + slot.offset;
    const auto align = static_cast<HAlign>(blob[column]);
    const auto *len = reinterpret_cast<const unsigned char *>(blob + m_columns);
    std::size_t textOffset = 0;
    std::size_t mine = 0;
    // Walk the lengths: the texts follow them in column order.
    const unsigned char *p = len;
    std::size_t lengthsSize = 0;
    for (int c = 0; c < m_columns; ++c) {
        std::size_t l = *p;
        std::size_t used = 1;
        if (l == kLongLength) {
            std::uint32_t v;
            std::memcpy(&v, p + 1, 4);
            l = v;
            used = 5;
        }
        if (c < column)
            textOffset += l;
        else if (c == column)
            mine = l;
        p += used;
        lengthsSize += used;
    }
    const char *texts = blob + m_columns + lengthsSize;
    return {std::string_view(texts + textOffset, mine), align};
}

void DataGridStore::writeRowBlob(int row, const CellRef *cells)
{
    std::size_t size = static_cast<std::size_t>(m_columns);
    for (int c = 0; c < m_columns; ++c)
        size += lengthBytes(cells[c].text.size()) + cells[c].text.size();
    const std::size_t offset = m_arena.size();
    if (offset + size > UINT32_MAX)
        throw std::length_error("grid cell storage exceeds 4 GiB");
    char *out = m_arena.grow(size);
    for (int c = 0; c < m_columns; ++c)
        *out++ = static_cast<char>(cells[c].align);
    for (int c = 0; c < m_columns; ++c) {
        const std::size_t l = cells[c].text.size();
        if (l < kLongLength) {
            *out++ = static_cast<char>(l);
        } else {
            *out++ = static_cast<char>(kLongLength);
            const auto v = static_cast<std::uint32_t>(l);
            std::memcpy(out, &v, 4);
            out += 4;
        }
    }
    for (int c = 0; c < m_columns; ++c) {
        // A source inside the arena (an older blob) stays valid: the arena
        // only grows at its end and never moves.
        if (!cells[c].text.empty())
            std::memcpy(out, cells[c].text.data(), cells[c].text.size());
        out += cells[c].text.size();
    }
    RowSlot &slot = m_rows[static_cast<std::size_t>(row)];
    m_garbage += slot.size;
    slot.offset = static_cast<std::uint32_t>(offset);
    slot.size = static_cast<std::uint32_t>(size);
}

void DataGridStore::ensureRow(int row)
{
    if (row < 0)
        throw std::out_of_range("grid row index out of range");
    if (row >= RowCount())
        setRowCount(row + 1);
}

void DataGridStore::setCells(int column, int row, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    setCellUtf8(column, row, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void DataGridStore::setCellUtf8(int column, int row, std::string_view text)
{
    checkColumn(column);
    ensureRow(row);
    // The row is rewritten at the arena's end; the old blob it reads from
    // stays where it is until a compaction, which runs only afterwards.
    std::vector<CellRef> cells(static_cast<std::size_t>(m_columns));
    for (int c = 0; c < m_columns; ++c) {
        const CellRef ref = cellRef(c, row);
        cells[static_cast<std::size_t>(c)] = {c == column ? text : ref.text, ref.align};
    }
    writeRowBlob(row, cells.data());
    compactIfWasteful();
    notifyCells(row, row);
}

DataGridStore::HAlign DataGridStore::Alignments(int column, int row) const
{
    return cellRef(column, row).align;
}

void DataGridStore::setAlignments(int column, int row, HAlign alignment)
{
    checkColumn(column);
    ensureRow(row);
    const RowSlot &slot = m_rows[static_cast<std::size_t>(row)];
    if (slot.size != 0) { // the alignment byte can change in place
        m_arena.data()[slot.offset + static_cast<std::size_t>(column)] = static_cast<char>(alignment);
        notifyCells(row, row);
        return;
    }
    std::vector<CellRef> cells(static_cast<std::size_t>(m_columns), CellRef{{}, HAlign::None});
    cells[static_cast<std::size_t>(column)].align = alignment;
    writeRowBlob(row, cells.data());
    notifyCells(row, row);
}

void DataGridStore::setRowUtf8(int row, const std::string_view *texts, int count, HAlign alignment)
{
    ensureRow(row);
    // The blob is laid out straight from the texts: a load writes 144,000
    // rows this way, so nothing here goes through an intermediate copy.
    const auto columns = static_cast<std::size_t>(m_columns);
    const std::size_t given = static_cast<std::size_t>(std::clamp(count, 0, m_columns));
    std::size_t size = columns;
    for (std::size_t c = 0; c < given; ++c)
        size += lengthBytes(texts[c].size()) + texts[c].size();
    size += columns - given; // one length byte per missing text
    const std::size_t offset = m_arena.size();
    if (offset + size > UINT32_MAX)
        throw std::length_error("grid cell storage exceeds 4 GiB");
    char *out = m_arena.grow(size);
    std::memset(out, static_cast<int>(alignment), columns);
    out += columns;
    for (std::size_t c = 0; c < given; ++c) {
        const std::size_t l = texts[c].size();
        if (l < kLongLength) {
            *out++ = static_cast<char>(l);
        } else {
            *out++ = static_cast<char>(kLongLength);
            const auto v = static_cast<std::uint32_t>(l);
            std::memcpy(out, &v, 4);
            out += 4;
        }
    }
    std::memset(out, 0, columns - given);
    out += columns - given;
    for (std::size_t c = 0; c < given; ++c) {
        const char *from = texts[c].data();
        const std::size_t l = texts[c].size();
        if (l <= 16) {
            for (std::size_t i = 0; i < l; ++i)
                out[i] = from[i];
        } else {
            std::memcpy(out, from, l);
        }
        out += l;
    }
    RowSlot &slot = m_rows[static_cast<std::size_t>(row)];
    m_garbage += slot.size;
    slot.offset = static_cast<std::uint32_t>(offset);
    slot.size = static_cast<std::uint32_t>(size);
    compactIfWasteful();
    notifyCells(row, row);
}

bool DataGridStore::rowIsEmpty(int row) const
{
    return row < 0 || row >= RowCount() || m_rows[static_cast<std::size_t>(row)].size == 0;
}

void DataGridStore::rowUtf8(int row, std::string_view *texts) const
{
    if (rowIsEmpty(row)) {
        std::fill(texts, texts + m_columns, std::string_view());
        return;
    }
    const RowSlot &slot = m_rows[static_cast<std::size_t>(row)];
    const char *blob = m_arena.data() + slot.offset;
    const auto *len = reinterpret_cast<const unsigned char *>(blob + m_columns);
    // Lengths first, then the texts in column order.
    const auto readLength = [](const unsigned char *&at) -> std::size_t {
        if (*at != kLongLength)
            return *at++;
        std::uint32_t v;
        std::memcpy(&v, at + 1, 4);
        at += 5;
        return v;
    };
    const unsigned char *at = len;
    for (int c = 0; c < m_columns; ++c)
        readLength(at);
    const char *text = reinterpret_cast<const char *>(at);
    at = len;
    for (int c = 0; c < m_columns; ++c) {
        const std::size_t l = readLength(at);
        texts[c] = std::string_view(text, l);
        text += l;
    }
}

std::string_view DataGridStore::cellUtf8(int column, int row) const
{
    return cellRef(column, row).text;
}

QString DataGridStore::Cells(int column, int row) const
{
    const std::string_view t = cellUtf8(column, row);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

void DataGridStore::compactIfWasteful()
{
    if (m_garbage < kCompactThreshold || m_garbage < m_arena.size() / 2)
        return;
    // Slide the live blobs down in arena order; each lands at or below where
    // it was, so nothing is overwritten before it is moved.
    std::vector<RowSlot *> live;
    for (RowSlot &slot : m_rows) {
        if (slot.size != 0)
            live.push_back(&slot);
    }
    std::sort(live.begin(), live.end(), [](const RowSlot *a, const RowSlot *b) { return a->offset < b->offset; });
    std::size_t at = 0;
    for (RowSlot *slot : live) {
        if (slot->offset != at)
            std::memmove(m_arena.data() + at, m_arena.data() + slot->offset, slot->size);
        slot->offset = static_cast<std::uint32_t>(at);
        at += slot->size;
    }
    m_arena.shrink(at);
    m_garbage = 0;
}

std::size_t DataGridStore::cellBytes() const
{
    return (m_arena.touchedBytes() + kPage - 1) / kPage * kPage + m_rows.capacity() * sizeof(RowSlot);
}

// --- rows ----------------------------------------------------------------

void DataGridStore::setRowCount(int rows)
{
    rows = std::max(0, rows);
    const int old = RowCount();
    if (rows == old)
        return;
    for (int r = rows; r < old; ++r)
        m_garbage += m_rows[static_cast<std::size_t>(r)].size;
    m_rows.resize(static_cast<std::size_t>(rows));
    if (rows == 0) {
        m_arena.shrink(0);
        m_garbage = 0;
    }
    for (Observer *o : m_observers)
        o->rowCountChanged(old, rows);
}

void DataGridStore::reserveRows(int rows)
{
    if (rows > 0)
        m_rows.reserve(static_cast<std::size_t>(rows));
}

// --- columns -------------------------------------------------------------

void DataGridStore::recountDisplayed()
{
    m_displayed = static_cast<int>(std::count(m_hidden.begin(), m_hidden.end(), false));
}

int DataGridStore::columnAt(int displayPosition) const
{
    if (displayPosition < 0)
        return -1;
    int p = 0;
    for (int c : m_order) {
        if (m_hidden[static_cast<std::size_t>(c)])
            continue;
        if (p == displayPosition)
            return c;
        ++p;
    }
    return -1;
}

int DataGridStore::displayPosition(int column) const
{
    if (column < 0 || column >= m_columns || m_hidden[static_cast<std::size_t>(column)])
        return -1;
    int p = 0;
    for (int c : m_order) {
        if (c == column)
            return p;
        if (!m_hidden[static_cast<std::size_t>(c)])
            ++p;
    }
    return -1;
}

bool DataGridStore::isColumnHidden(int column) const
{
    checkColumn(column);
    return m_hidden[static_cast<std::size_t>(column)];
}

void DataGridStore::HideColumn(int column)
{
    checkColumn(column);
    if (m_hidden[static_cast<std::size_t>(column)] || m_displayed <= 1)
        return;
    // The width stays in m_widths: that is the remembered width.
    m_hidden[static_cast<std::size_t>(column)] = true;
    recountDisplayed();
    notifyLayout();
}

void DataGridStore::UnHideColumn(int column)
{
    checkColumn(column);
    if (!m_hidden[static_cast<std::size_t>(column)])
        return;
    // A hidden column keeps its slot in the display order, so it comes back
    // after every displayed column that stood before it.
    m_hidden[static_cast<std::size_t>(column)] = false;
    recountDisplayed();
    notifyLayout();
}

int DataGridStore::columnWidth(int column) const
{
    checkColumn(column);
    return m_widths[static_cast<std::size_t>(column)];
}

void DataGridStore::setColumnWidth(int column, int width)
{
    checkColumn(column);
    width = std::max(0, width);
    if (m_widths[static_cast<std::size_t>(column)] == width)
        return;
    m_widths[static_cast<std::size_t>(column)] = width;
    notifyLayout();
}

void DataGridStore::moveColumn(int fromDisplayPosition, int toDisplayPosition)
{
    const int moving = columnAt(fromDisplayPosition);
    const int target = columnAt(toDisplayPosition);
    if (moving < 0 || target < 0 || moving == target)
        return;
    m_order.erase(std::find(m_order.begin(), m_order.end(), moving));
    auto at = std::find(m_order.begin(), m_order.end(), target);
    if (fromDisplayPosition < toDisplayPosition)
        ++at; // moving right: it lands just after the column now at the target
    m_order.insert(at, moving);
    notifyLayout();
}
