#include "spreadsheetview.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <algorithm>

namespace sorvant {

namespace {

constexpr int kGradientBands = 10;

// Object names of the popup items, by column index.
const char *const kItemNames[kColumnCount] = {
    "RecordNumber", "WetGrainTemp", "GrainTempInsideDryer", "DriedGrainTemp", "MoistureIn",
    "MoistureOut",  "UnloadRate",   "Time",                 "BinNumber",
};

} // namespace

namespace {

// The menu's top-left corner: right of and below `at` where it fits, else
// left of or above it, on the screen of `at`. Qt flips a menu that does not
// fit itself, but then rolls it open from the bottom (or right); a corner
// placed here, away from the pointer, rolls open from the top left as
// everywhere else.
QPoint rollingMenuPosition(QMenu *menu, const QPoint &at)
{
    const QScreen *screen = QGuiApplication::screenAt(at);
    if (!screen)
        screen = menu->screen() ? menu->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return at;
    const QRect area = screen->availableGeometry();
    const QSize size = menu->sizeHint();
    QPoint corner = at;
    if (at.x() + size.width() - 1 > area.right())
        corner.setX(std::max(area.left(), at.x() - size.width() + 1));
    if (at.y() + size.height() - 1 > area.bottom())
        corner.setY(std::max(area.top(), at.y() - size.height() + 1));
    return corner;
}

} // namespace

void popupRolling(QMenu *menu, const QPoint &at)
{
    // Qt rolls a menu open from the corner at the pointer, right and down
    // where it opens right of and below it, when menu animation is on and
    // fading off. The application's effect settings are put back at once,
    // so other menus keep the desktop's behaviour.
    const bool general = QApplication::isEffectEnabled(Qt::UI_General);
    QApplication::setEffectEnabled(Qt::UI_General, true);
    const bool animate = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    const bool fade = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, true);
    menu->popup(rollingMenuPosition(menu, at));
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, animate);
    if (fade)
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, true);
    QApplication::setEffectEnabled(Qt::UI_General, general);
}

SpreadsheetView::SpreadsheetView(QWidget *parent)
    : QObject(parent)
    , m_store(kColumnCount, 1)
    , m_sink(m_store)
{
    configureSpreadsheetStore(m_store);

    m_grid = new DataGrid(m_store, parent);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->setFixedRowHeight(kFixedRowHeight);
    m_grid->setDefaultRowHeight(kDefaultRowHeight);
    m_grid->setDataFont(spreadsheetFont(false));
    m_grid->setFixedFont(spreadsheetFont(true));
    m_grid->setHeaderGradient(QColor(203, 225, 252), QColor(125, 165, 224), kGradientBands);
    m_grid->setGridLineColor(QColor(192, 192, 192));

    buildPopupMenu();
    connect(m_grid, &DataGrid::contextMenuRequested, m_popup, [this](const QPoint &at) { popupRolling(m_popup, at); });
    // The check marks follow the store, whoever changes its layout.
    connect(m_grid->gridModel(), &DataGridModel::columnLayoutUpdated, this, &SpreadsheetView::updateCheckMarks);
}

SpreadsheetView::~SpreadsheetView()
{
    // The grid belongs to the parent widget but reads our store: it goes first.
    delete m_grid.data();
}

void SpreadsheetView::buildPopupMenu()
{
    m_popup = new QMenu(m_grid);
    m_popup->setObjectName(QStringLiteral("PopupMenu"));

    auto *title = m_popup->addAction(QStringLiteral("Select Columns to View"));
    title->setObjectName(QStringLiteral("ColumnView"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_popup->setDefaultAction(title);

    using Handler = void (SpreadsheetView::*)();
    static const Handler handlers[kColumnCount] = {
        &SpreadsheetView::RecordNumberClick, &SpreadsheetView::WetGrainTempClick,
        &SpreadsheetView::GrainTempInsideDryerClick, &SpreadsheetView::DriedGrainTempClick,
        &SpreadsheetView::MoistureInClick, &SpreadsheetView::MoistureOutClick,
        &SpreadsheetView::UnloadRateClick, &SpreadsheetView::TimeClick,
        &SpreadsheetView::BinNumberClick,
    };
    for (int c = 0; c < kColumnCount; ++c) {
        QAction *item = m_popup->addAction(columnHeader(c));
        item->setObjectName(QLatin1String(kItemNames[c]));
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, handlers[c]);
        m_items[static_cast<std::size_t>(c)] = item;
    }
}

QAction *SpreadsheetView::columnItem(int column) const
{
    if (column < 0 || column >= kColumnCount)
        return nullptr;
    return m_items[static_cast<std::size_t>(column)];
}

void SpreadsheetView::columnItemClick(int column)
{
    if (column < 0 || column >= kColumnCount)
        return;
    // Qt has already toggled a clicked item's check mark, so ask the store
    // whether the column is displayed: the mark and the column always agree.
    if (m_store.isColumnHidden(column))
        m_store.UnHideColumn(column);
    else
        m_store.HideColumn(column);
    updateCheckMarks();
}

void SpreadsheetView::updateCheckMarks()
{
    for (int c = 0; c < kColumnCount; ++c)
        m_items[static_cast<std::size_t>(c)]->setChecked(!m_store.isColumnHidden(c));
}

void SpreadsheetView::RecordNumberClick() { columnItemClick(ColRecordNumber); }
void SpreadsheetView::WetGrainTempClick() { columnItemClick(ColWetGrainTemp); }
void SpreadsheetView::GrainTempInsideDryerClick() { columnItemClick(ColGrainTempInsideDryer); }
void SpreadsheetView::DriedGrainTempClick() { columnItemClick(ColDriedGrainTemp); }
void SpreadsheetView::MoistureInClick() { columnItemClick(ColMoistureIn); }
void SpreadsheetView::MoistureOutClick() { columnItemClick(ColMoistureOut); }
void SpreadsheetView::UnloadRateClick() { columnItemClick(ColUnloadRate); }
void SpreadsheetView::TimeClick() { columnItemClick(ColTime); }
void SpreadsheetView::BinNumberClick() { columnItemClick(ColBinNumber); }

} // namespace sorvant
