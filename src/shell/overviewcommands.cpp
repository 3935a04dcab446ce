#include "overviewcommands.h"

#include "controls/chart/chartmodel.h"
#include "controls/grid/datagrid.h"
#include "controls/overview/overviewwidget.h"
#include "mainform.h"
#include "output/spanscsv.h"
#include "pathparts.h"
#include "platform/dialoghost.h"
#include "platform/usererror.h"
#include "views/chartview.h"
#include "views/outofrangedialog.h"
#include "views/overviewwindow.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace sorvant {

OverviewCommands::OverviewCommands(TSorvantMainForm &form) : QObject(&form), m_form(form)
{
    View1 = new QMenu(QStringLiteral("&View"), &form);
    View1->setObjectName(QStringLiteral("View1"));
    // Right after Edit, ahead of the Chart menu and Help.
    const QList<QAction *> bar = form.MainMenu1->actions();
    const int edit = static_cast<int>(bar.indexOf(form.Edit1->menuAction()));
    form.MainMenu1->insertMenu(edit + 1 < bar.size() ? bar.at(edit + 1) : form.Help1->menuAction(), View1);
    Overview1 = View1->addAction(QStringLiteral("&Overview"));
    Overview1->setObjectName(QStringLiteral("Overview1"));
    Overview1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    FindOutOfRange1 = View1->addAction(QStringLiteral("Find Out of &Range..."));
    FindOutOfRange1->setObjectName(QStringLiteral("FindOutOfRange1"));
    form.connectCommand(Overview1, [this] { Overview1Click(); });
    form.connectCommand(FindOutOfRange1, [this] { FindOutOfRange1Click(); });

    QStringList errors;
    m_read = readOverviewSettings(form.settingsFilePath(), errors);
    m_now = m_read;
    if (!errors.isEmpty())
        form.runGuarded([&] { throw UserError(errors.join(QLatin1Char('\n'))); });

    connect(&form, &TSorvantMainForm::logLoaded, this, &OverviewCommands::logLoaded);
    connect(&form.chartView()->model(), &ChartModel::pageChanged, this, &OverviewCommands::updateMarkers);
    connect(&form.chartView()->model(), &ChartModel::changed, this, &OverviewCommands::updateMarkers);
    connect(form.StringGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, &OverviewCommands::updateMarkers);
}

OverviewCommands::~OverviewCommands() = default;

QString OverviewCommands::overviewTitle() const
{
    // Named after the log it shows, as the main window's caption is.
    if (m_form.CurrentFileName.isEmpty())
        return QStringLiteral("Overview");
    return QStringLiteral("Overview - ") + m_form.CurrentFileName;
}

void OverviewCommands::ensureWindow()
{
    if (m_window)
        return;
    m_window = new OverviewWindow(&m_form);
    if (m_now.overviewGeometry) {
        // A place on no screen (a monitor that is gone) falls back to the default.
        const QRect g = *m_now.overviewGeometry;
        bool onScreen = false;
        for (const QScreen *screen : QGuiApplication::screens())
            onScreen = onScreen || screen->availableGeometry().intersects(g);
        if (onScreen) {
            m_window->resize(g.size());
            m_window->move(g.topLeft());
        }
    }
    m_window->setData(overviewData());
    m_window->setSpans(m_spans);
    m_window->setWindowTitle(overviewTitle());
    connect(m_window, &OverviewWindow::recordClicked, this, [this](std::size_t r) {
        m_form.runGuarded([&] { goToRecord(r); });
    });
    updateMarkers();
}

void OverviewCommands::ensureDialog()
{
    if (m_dialog)
        return;
    m_dialog = new FindOutOfRangeDialog(&m_form);
    m_dialog->setLimits(m_now.limits, m_form.decimalSeparator());
    connect(m_dialog, &FindOutOfRangeDialog::findRequested, this, [this] { m_form.runGuarded([this] { findClicked(); }); });
    connect(m_dialog, &FindOutOfRangeDialog::saveRequested, this,
            [this] { m_form.runGuarded([this] { saveSpansClicked(); }); });
    connect(m_dialog, &FindOutOfRangeDialog::spanActivated, this,
            [this](std::size_t r) { m_form.runGuarded([&] { goToRecord(r); }); });
    showSpans();
}

void OverviewCommands::Overview1Click()
{
    ensureWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void OverviewCommands::FindOutOfRange1Click()
{
    ensureDialog();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void OverviewCommands::setLimits(const Limits &limits)
{
    m_now.limits = limits;
    const LogStore &store = m_form.logStore();
    m_spans = findOutOfRangeSpans(store.data(), store.count(), m_now.limits);
    if (m_window)
        m_window->setSpans(m_spans);
    if (m_dialog)
        m_dialog->setLimits(m_now.limits, m_form.decimalSeparator());
    showSpans();
}

void OverviewCommands::showSpans()
{
    if (m_dialog)
        m_dialog->showSpans(m_spans, m_form.logStore(), m_form.cellTextFormat(), m_form.logStore().count() > 0);
}

void OverviewCommands::findClicked()
{
    Limits limits;
    QString why;
    if (!m_dialog->enteredLimits(limits, why))
        throw UserError(why);
    setLimits(limits);
}

void OverviewCommands::saveSpansClicked()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save Out-of-Range Spans");
    request.filter = QStringLiteral("Comma Delimited (*.csv);;All Files (*)");
    if (m_spansFileName.isEmpty()) {
        const QString base = QFileInfo(m_form.CurrentFileName).completeBaseName();
        m_spansFileName = (base.isEmpty() ? QStringLiteral("log") : base) + QStringLiteral(" spans.csv");
    }
    request.fileName = m_spansFileName;
    request.folder = m_form.LastFolder;
    const FileDialogAnswer answer = m_form.dialogs().saveFile(m_dialog, request);
    if (!answer.accepted || answer.path.isEmpty())
        return;
    QString path = answer.path;
    if (QFileInfo(path).suffix().isEmpty() && answer.filterIndex == 1)
        path += QStringLiteral(".csv");
    m_spansFileName = QFileInfo(path).fileName();
    SaveSpansToCSV(m_spans, m_form.logStore(), m_form.cellTextFormat(), path);
}

const LogOverviewData &OverviewCommands::overviewData()
{
    if (m_dataStale) {
        m_data = buildLogOverview(m_form.logStore());
        m_dataStale = false;
    }
    return m_data;
}

void OverviewCommands::logLoaded()
{
    // Until the overview is first opened, a load costs it nothing.
    m_dataStale = true;
    const LogStore &store = m_form.logStore();
    m_spans = findOutOfRangeSpans(store.data(), store.count(), m_now.limits);
    if (m_window) {
        m_window->setData(overviewData());
        m_window->setSpans(m_spans);
        m_window->setWindowTitle(overviewTitle());
    }
    showSpans();
    updateMarkers();
}

int OverviewCommands::rowOfRecord(std::size_t record) const
{
    const int rows = m_form.lastLoad().rows;
    if (rows <= 0)
        return -1;
    const std::size_t step = std::size_t(std::max(1, m_form.loadedStep()));
    return int(std::min<std::size_t>(record / step, std::size_t(rows - 1)));
}

void OverviewCommands::goToRecord(std::size_t record)
{
    const int row = rowOfRecord(record);
    if (row < 0)
        return;
    ChartView &chart = *m_form.chartView();
    if (chart.model().isZoomed())
        chart.model().UndoZoom();
    chart.model().setPage(row / kChartPointsPerPage + 1);
    chart.RecalcPosition();

    DataGrid *grid = m_form.StringGrid1;
    grid->syncWithStore();
    // The scroll ranges of both views (the fixed column is a second one)
    // must know the rows of this load before scrolling.
    grid->doItemsLayout();
    if (QTableView *fixed = grid->fixedColumnView())
        fixed->doItemsLayout();
    const int column = std::max(0, grid->store().columnAt(0));
    const QModelIndex index = grid->model()->index(row, column);
    // The row becomes the current one and, where the grid lets cells be
    // selected (the main window's does, for Copy), the selected row. The
    // current row first: the views scroll it into view as it changes, and
    // the row must end at the top.
    grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Rows scroll one at a time: the scroll value is the top row. (scrollTo
    // with PositionAtTop left the row at the bottom of the view.)
    grid->verticalScrollBar()->setValue(row);
    updateMarkers();
}

void OverviewCommands::updateMarkers()
{
    if (!m_window)
        return;
    const int rows = m_form.lastLoad().rows;
    const double records = double(m_form.logStore().count());
    if (rows <= 0 || records <= 0) {
        m_window->setMarkers(0, 0, 0, 0);
        return;
    }
    const double step = std::max(1, m_form.loadedStep());
    const auto recordsOfRows = [&](int first, int last) {
        return std::pair<double, double>(first * step, std::min(records, (last + 1) * step));
    };
    const int page = m_form.chartView()->model().shownPage();
    const int pageFirst = std::min(rows - 1, (page - 1) * kChartPointsPerPage);
    const int pageLast = std::min(rows - 1, pageFirst + kChartPointsPerPage - 1);
    const auto [pa, pb] = recordsOfRows(pageFirst, pageLast);

    DataGrid *grid = m_form.StringGrid1;
    int top = grid->rowAt(0);
    int bottom = grid->rowAt(grid->viewport()->height() - 1);
    if (top < 0)
        top = 0;
    if (bottom < 0 || bottom >= rows)
        bottom = rows - 1;
    const auto [ra, rb] = recordsOfRows(std::min(top, rows - 1), bottom);
    m_window->setMarkers(pa, pb, ra, rb);
}

void OverviewCommands::saveSettings()
{
    if (m_window)
        m_now.overviewGeometry = QRect(m_window->pos(), m_window->size());
    writeOverviewSettings(m_form.settingsFilePath(), m_read, m_now);
    m_read = m_now;
}

} // namespace sorvant
