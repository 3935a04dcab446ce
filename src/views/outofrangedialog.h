#pragma once

#include "logdata/celltext.h"
#include "logdata/limits.h"
#include "logdata/logstore.h"
#include "logdata/outofrange.h"

#include <QDialog>

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace sorvant {

// "Find Out of Range": the lowest and highest acceptable value of each of the
// six quantities, and the list of every span of records outside them. It
// does not block the main window. Its owner finds the spans and says what a
// chosen span leads to.
class FindOutOfRangeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindOutOfRangeDialog(QWidget *parent);

    enum Column { ColQuantity, ColStart, ColEnd, ColDuration, ColExtreme, ColExtremeAt, ColRecords, ColumnCount };

    QLineEdit *lowestEdit(int series) const { return m_lowest[static_cast<std::size_t>(series)]; }
    QLineEdit *highestEdit(int series) const { return m_highest[static_cast<std::size_t>(series)]; }
    QTreeWidget *spanList() const { return m_list; }
    QPushButton *findButton() const { return m_find; }
    QPushButton *saveButton() const { return m_save; }
    QLabel *summaryLabel() const { return m_summary; }

    // Fills the edits (a decimal comma where the regional settings use one).
    void setLimits(const Limits &limits, QChar decimalSeparator);
    // The limits the edits hold; false, and `why` naming the quantity and the
    // text, when one cannot be read.
    bool enteredLimits(Limits &limits, QString &why) const;
    // Lists `spans` (first records at the top). `loaded` false: no log yet.
    void showSpans(const std::vector<OutOfRangeSpan> &spans, const LogStore &store, const CellTextFormat &format,
                   bool loaded);
    // The span of a list item.
    const OutOfRangeSpan *spanOf(int itemIndex) const;

signals:
    void findRequested();
    void saveRequested();
    // Double-click or Enter on a span: its first record.
    void spanActivated(std::size_t record);

private:
    std::array<QLineEdit *, kSeriesCount> m_lowest{}, m_highest{};
    QTreeWidget *m_list = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_save = nullptr;
    QLabel *m_summary = nullptr;
    std::vector<OutOfRangeSpan> m_spans;
};

} // namespace sorvant
