// chart-screenshots LOG.dat OUTDIR: the chart view as a window shows it, for
// the documentation: a 2D page, a zoomed page and the 3D view.
// chart-screenshots LOG.dat --interactive: the same window left open, to be
// tried with the mouse (under Xvfb, with xdotool); it prints the chart's
// page and zoom state when it is closed.
#include "controls/chart/datachart.h"
#include "logdata/loadlog.h"
#include "views/chartview.h"
#include "views/spreadsheetconfig.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: chart-screenshots LOG.dat OUTDIR\n");
        return 2;
    }
    sorvant::registerChartFonts();
    QWidget host;
    host.resize(925, 657);
    auto *box = new QVBoxLayout(&host);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    sorvant::ChartView view(&host);
    box->addWidget(view.chartWidget(), 1);
    box->addWidget(view.scrollBar());
    view.chartWidget()->show();
    view.scrollBar()->show();

    DataGridStore grid(sorvant::kColumnCount);
    sorvant::configureSpreadsheetStore(grid);
    sorvant::GridTableSink table(grid);
    const auto store = std::make_unique<sorvant::LogStore>();
    sorvant::LoadTargets targets;
    targets.table = &table;
    targets.series = &view.seriesSink();
    targets.recalcPosition = [&] { view.RecalcPosition(); };
    targets.showFileError = [] { std::fprintf(stderr, "File Error\n"); };
    // "-" for the log shows the placeholder points of a chart before any load.
    if (qstrcmp(argv[1], "-") != 0) {
        const sorvant::LoadResult r = sorvant::LoadLog(QString::fromLocal8Bit(argv[1]), 25, *store,
                                                       sorvant::CellTextFormat(QLatin1Char('.')), targets);
        if (!r.ok)
            return 1;
    }
    host.show();
    app.processEvents();
    if (qstrcmp(argv[2], "--interactive") == 0) {
        host.setWindowTitle(QStringLiteral("Chart"));
        view.chartWidget()->setFocus();
        const int rc = app.exec();
        std::printf("page %d of %d, zoomed %d, visible series", view.model().Page(), view.model().NumPages(),
                    view.model().isZoomed() ? 1 : 0);
        for (int i = 0; i < view.model().seriesCount(); ++i)
            std::printf(" %d", view.model().series(i).visible ? 1 : 0);
        std::printf("\n");
        return rc;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    view.scrollBar()->setValue(3);
    app.processEvents();
    host.grab().save(out.filePath(QStringLiteral("chart-2d.png")));

    const ChartLayout l = view.chart()->currentLayout();
    const QRectF p = l.frontPlane;
    view.model().ZoomRect(QRectF(p.left() + p.width() * 0.25, p.top() + p.height() * 0.15, p.width() * 0.4,
                                 p.height() * 0.5),
                          TDataChart::kZoomSteps, [&] { view.chartWidget()->repaint(); });
    view.setMarkersVisible(true);
    app.processEvents();
    host.grab().save(out.filePath(QStringLiteral("chart-zoomed.png")));

    view.model().UndoZoom();
    view.setMarkersVisible(false);
    view.setView3D(true);
    app.processEvents();
    host.grab().save(out.filePath(QStringLiteral("chart-3d.png")));
    return 0;
}
