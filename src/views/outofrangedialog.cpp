#include "outofrangedialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sorvant {

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kSpanRole = Qt::UserRole + 1;

// Sorts by a number kept beside the text, so that "Day 10" follows "Day 9"
// and "1:00:00" follows "0:05:00".
class SpanItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int c = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(c, kSortRole), b = other.data(c, kSortRole);
        if (a.isValid() && b.isValid() && a != b)
            return a.toDouble() < b.toDouble();
        // Ties keep the order of the file: first record, then quantity.
        return data(0, kSpanRole).toInt() < other.data(0, kSpanRole).toInt();
    }
};

QString boundText(const std::optional<double> &bound, QChar separator)
{
    if (!bound)
        return {};
    QString t = QString::number(*bound, 'g', 15);
    if (separator != QLatin1Char('.'))
        t.replace(QLatin1Char('.'), separator);
    return t;
}

} // namespace

FindOutOfRangeDialog::FindOutOfRangeDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindOutOfRangeDialog"));
    setWindowTitle(QStringLiteral("Find Out of Range"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("<b>Quantity</b>"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("<b>Lowest</b>"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("<b>Highest</b>"), this), 0, 2);
    for (int s = 0; s < kSeriesCount; ++s) {
        auto *label = new QLabel(seriesTitle(s), this);
        auto *low = new QLineEdit(this);
        auto *high = new QLineEdit(this);
        low->setObjectName(QStringLiteral("Lowest%1").arg(s + 1));
        high->setObjectName(QStringLiteral("Highest%1").arg(s + 1));
        low->setPlaceholderText(QStringLiteral("none"));
        high->setPlaceholderText(QStringLiteral("none"));
        label->setBuddy(low);
        grid->addWidget(label, s + 1, 0);
        grid->addWidget(low, s + 1, 1);
        grid->addWidget(high, s + 1, 2);
        m_lowest[static_cast<std::size_t>(s)] = low;
        m_highest[static_cast<std::size_t>(s)] = high;
    }
    layout->addLayout(grid);
    auto *hint = new QLabel(QStringLiteral("A value equal to a limit is within it. Leave a box empty for no limit."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("SpanSummary"));
    layout->addWidget(m_summary);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("SpanList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Quantity"), QStringLiteral("Start"), QStringLiteral("End"),
                             QStringLiteral("Duration"), QStringLiteral("Extreme"), QStringLiteral("Extreme At"),
                             QStringLiteral("Records")});
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(ColStart, Qt::AscendingOrder);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);

    auto *buttons = new QDialogButtonBox(this);
    m_find = buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::ActionRole);
    m_save = buttons->addButton(QStringLiteral("&Save as CSV..."), QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    m_find->setObjectName(QStringLiteral("FindButton"));
    m_save->setObjectName(QStringLiteral("SaveSpansButton"));
    // Enter on a span goes to it, not to a button: the edits find on Enter.
    for (QPushButton *b : {m_find, m_save, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (QLineEdit *edit : m_lowest)
        connect(edit, &QLineEdit::returnPressed, this, &FindOutOfRangeDialog::findRequested);
    for (QLineEdit *edit : m_highest)
        connect(edit, &QLineEdit::returnPressed, this, &FindOutOfRangeDialog::findRequested);
    m_save->setEnabled(false);
    layout->addWidget(buttons);
    connect(m_find, &QPushButton::clicked, this, &FindOutOfRangeDialog::findRequested);
    connect(m_save, &QPushButton::clicked, this, &FindOutOfRangeDialog::saveRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const OutOfRangeSpan *span = spanOf(item->data(0, kSpanRole).toInt());
        if (span)
            emit spanActivated(span->first);
    });
    resize(720, 520);
}

void FindOutOfRangeDialog::setLimits(const Limits &limits, QChar decimalSeparator)
{
    for (int s = 0; s < kSeriesCount; ++s) {
        lowestEdit(s)->setText(boundText(limits[s].lowest, decimalSeparator));
        highestEdit(s)->setText(boundText(limits[s].highest, decimalSeparator));
    }
}

bool FindOutOfRangeDialog::enteredLimits(Limits &limits, QString &why) const
{
    Limits read;
    for (int s = 0; s < kSeriesCount; ++s) {
        const QString low = lowestEdit(s)->text().trimmed(), high = highestEdit(s)->text().trimmed();
        if (low.contains(QLatin1Char(':')) || high.contains(QLatin1Char(':'))
            || !parseLimitText(low + QLatin1Char(':') + high, read[s])) {
            QuantityLimit lowOnly, highOnly;
            const bool lowOk = !low.contains(QLatin1Char(':')) && parseLimitText(low + QLatin1Char(':'), lowOnly);
            const bool highOk = !high.contains(QLatin1Char(':')) && parseLimitText(QLatin1Char(':') + high, highOnly);
            if (!lowOk)
                why = QStringLiteral("The lowest %1 \"%2\" is not a number").arg(seriesTitle(s), low);
            else if (!highOk)
                why = QStringLiteral("The highest %1 \"%2\" is not a number").arg(seriesTitle(s), high);
            else
                why = QStringLiteral("The lowest %1 (%2) is above the highest (%3)").arg(seriesTitle(s), low, high);
            return false;
        }
    }
    limits = read;
    return true;
}

void FindOutOfRangeDialog::showSpans(const std::vector<OutOfRangeSpan> &spans, const LogStore &store,
                                     const CellTextFormat &format, bool loaded)
{
    m_spans = spans;
    m_list->setSortingEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(spans.size()));
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const OutOfRangeSpan &span = spans[i];
        const OutOfRangeSpanTexts t = spanTexts(span, store.data(), store.days(), format);
        auto *item = new SpanItem;
        item->setText(ColQuantity, t.quantity + (span.above ? QStringLiteral(" (high)") : QStringLiteral(" (low)")));
        item->setText(ColStart, QStringLiteral("Day %1 %2").arg(t.startDay, t.startTime));
        item->setText(ColEnd, QStringLiteral("Day %1 %2").arg(t.endDay, t.endTime));
        item->setText(ColDuration, t.duration);
        item->setText(ColExtreme, t.extreme);
        item->setText(ColExtremeAt, QStringLiteral("Day %1 %2").arg(t.extremeDay, t.extremeTime));
        item->setText(ColRecords, t.records);
        item->setData(ColQuantity, kSortRole, span.series);
        item->setData(ColStart, kSortRole, double(span.first));
        item->setData(ColEnd, kSortRole, double(span.last));
        item->setData(ColDuration, kSortRole, double(span.records()));
        item->setData(ColExtreme, kSortRole, quantityValue(span.series, span.extremeRaw));
        item->setData(ColExtremeAt, kSortRole, double(span.extremeAt));
        item->setData(ColRecords, kSortRole, double(span.records()));
        item->setData(0, kSpanRole, static_cast<int>(i));
        for (int c = ColDuration; c < ColumnCount; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    m_list->setSortingEnabled(true);
    if (!loaded)
        m_summary->setText(QStringLiteral("Open a log to find its out-of-range records."));
    else if (spans.empty())
        m_summary->setText(QStringLiteral("No record is out of range."));
    else
        m_summary->setText(spans.size() == 1 ? QStringLiteral("1 span out of range. Double-click it to go there.")
                                             : QStringLiteral("%1 spans out of range. Double-click one to go there.")
                                                   .arg(spans.size()));
    m_save->setEnabled(loaded);
    if (!items.isEmpty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

const OutOfRangeSpan *FindOutOfRangeDialog::spanOf(int itemIndex) const
{
    if (itemIndex < 0 || std::size_t(itemIndex) >= m_spans.size())
        return nullptr;
    return &m_spans[static_cast<std::size_t>(itemIndex)];
}

} // namespace sorvant
