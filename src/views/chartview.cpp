#include "chartview.h"

#include "controls/chart/chartscrollbar.h"
#include "controls/chart/datachart.h"
#include "logdata/celltext.h"
#include "platform/fonts.h"
#include "platform/outputfile.h"
#include "platform/usererror.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include <QGuiApplication>

namespace sorvant {

namespace {

const QColor kNavy(0, 0, 128);

// Windows fonts are given in points at 96 dots per inch; pixel sizes keep
// the picture the same on screen, in images and on paper.
QFont pixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont arial8() { return pixelFont(QStringLiteral("Arial"), 11); }

struct SeriesRow {
    int series; // 0 is Series1
    const char *title;
    std::optional<QColor> colour;
    QColor pen;
    ChartAxisId axis;
    const char *format;
};

// Minutes since midnight of a time text "H:MM" as the building pass writes
// it; -1 for anything else (a log of odd bytes can hold hour 200).
int minutesOfDay(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 1 || text.size() - colon != 3)
        return -1;
    bool hourOk = false, minuteOk = false;
    const int hour = text.left(colon).toInt(&hourOk);
    const int minute = text.mid(colon + 1).toInt(&minuteOk);
    if (!hourOk || !minuteOk || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return -1;
    return hour * 60 + minute;
}

} // namespace

QString timeBetweenPoints(const QString &before, const QString &after, double fraction)
{
    const int a = minutesOfDay(before);
    int b = minutesOfDay(after);
    if (a < 0 || b < 0)
        return fraction < 0.5 ? before : after;
    if (b < a)
        b += 24 * 60; // the run went on past midnight
    const double t = std::clamp(fraction, 0.0, 1.0);
    const int m = static_cast<int>(std::lround(a + (b - a) * t)) % (24 * 60);
    return celltext::timeText(static_cast<unsigned>(m / 60), static_cast<unsigned>(m % 60));
}

void registerChartFonts()
{
    static bool registered = false;
    if (registered || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    registered = true;
    registerCompatibleFonts();
}

void configureChart(ChartModel &chart)
{
    const SeriesRow rows[] = {
        {2, "Grain Temp In", QColor(0, 128, 0), QColor(0, 128, 0), ChartAxisId::Left, "0"},
        {3, "Grain Temp in Dryer", QColor(255, 128, 0), QColor(255, 128, 0), ChartAxisId::Left, "0"},
        // No colour of its own: it takes the first unused pastel, pale cyan.
        {4, "Grain Temp Out", std::nullopt, QColor(255, 0, 0), ChartAxisId::Left, "0"},
        {0, "Moisture In", QColor(255, 0, 255), QColor(255, 0, 255), ChartAxisId::Right, "0.0"},
        {1, "Moisture Out", QColor(255, 0, 0), QColor(255, 0, 0), ChartAxisId::Right, "0.0"},
        {5, "Unload Rate", QColor(0, 0, 0), QColor(0, 0, 0), ChartAxisId::Right, "0"},
    };
    for (const SeriesRow &r : rows) {
        TLineSeries &s = chart.addSeries(QString::fromLatin1(r.title), r.colour);
        s.penColour = r.pen;
        s.penWidth = 2;
        s.verticalAxis = r.axis;
        s.valueFormat = QString::fromLatin1(r.format);
        s.depth = r.series == 5 ? 0.0 : 1.0; // Series6 stays a flat line in 3D
    }
    chart.setMaxPointsPerPage(kChartPointsPerPage);
    chart.setScaleLastPage(false);
    chart.setLocale(QLocale::system());

    ChartAppearance &ap = chart.appearance();
    ap.title = QStringLiteral("Data Sorvant");
    ap.titleFont = pixelFont(QStringLiteral("Arial"), 16, true);
    ap.titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    ap.titleColour = kNavy;
    ap.titleShadowColour = QColor(128, 128, 128);
    ap.titleShadowOffset = QPointF(1, 1);
    ap.gradientStart = QColor(32, 3, 165);
    ap.gradientMiddle = QColor(128, 255, 255);
    ap.gradientEnd = Qt::white;
    ap.bevelWidth = 5;
    ap.marginTop = 3;
    ap.marginRight = 3;
    ap.marginBottom = 0;
    ap.marginLeft = 0;
    ap.backWall = QColor(252, 236, 207);
    ap.leftWall = QColor(128, 128, 255, 242);  // 5 % transparent
    ap.bottomWall = QColor(3, 140, 252, 196);  // 23 % transparent
    ap.wallSize = 5;
    ap.legendFont = arial8();
    ap.legendText = QColor(0, 0, 100);
    ap.legendTop = QColor(234, 243, 255);
    ap.legendMiddle = QColor(233, 230, 224);
    ap.legendBottom = QColor(255, 219, 206);
    ap.legendDivider = QColor(192, 192, 192);
    ap.legendShadow = QColor(128, 128, 128, 128);
    ap.legendShadowOffset = QPointF(4, 5);
    ap.markFont = arial8();
    ap.depthPercent = 25;
    ap.perspective = 200;
    ap.zoomPercent = 80;
    ap.shift3D = QPointF(-14, -14);

    // Designed as Tahoma bold; Tahoma's bold here is no heavier than its regular.
    const QFont labelBold = pixelFont(boldStandInFamily(), 11, true);

    ChartAxisStyle &bottom = chart.axis(ChartAxisId::Bottom);
    bottom.title = QStringLiteral("Time of Sample");
    bottom.titleFont = pixelFont(QStringLiteral("Arial"), 13);
    bottom.labelFont = labelBold;
    bottom.labelColour = kNavy;
    bottom.labelFormat = QStringLiteral("0");
    bottom.labelsFromMinimum = true;
    bottom.labelBetweenPoints = timeBetweenPoints;
    bottom.gridVisible = true;
    bottom.gridColour = QColor(185, 185, 255);
    bottom.gridStyle = Qt::DotLine;
    bottom.minorGridVisible = true;
    bottom.minorGridColour = QColor(229, 229, 229);
    bottom.minorTickCount = 7;
    bottom.tickLength = 5;
    bottom.axisWidth = 1;

    ChartAxisStyle &left = chart.axis(ChartAxisId::Left);
    left.title = QStringLiteral("Temperature");
    left.titleFont = pixelFont(QStringLiteral("Arial"), 13);
    left.titleAngle = 90;
    left.labelFont = labelBold;
    left.labelColour = kNavy;
    left.labelFormat = QStringLiteral("0");
    left.labelIncrement = 5;
    left.automaticMinimum = false;
    left.fixedMinimum = 0;
    left.automaticMaximum = true;
    left.minimumOffset = 1;
    left.maximumOffset = 2;
    left.gridVisible = true;
    left.gridColour = Qt::blue;
    left.gridStyle = Qt::DotLine;
    left.axisColour = kNavy;
    left.axisWidth = 1;

    ChartAxisStyle &right = chart.axis(ChartAxisId::Right);
    right.title = QStringLiteral("Moisture \\ Unload Rate % (") + QChar(0x00F7) + QStringLiteral("10)");
    right.titleFont = arial8();
    right.titleAngle = 270;
    right.labelFont = arial8();
    right.labelFormat = QStringLiteral("#,##0.###");
    right.automaticMinimum = false;
    right.automaticMaximum = false;
    right.fixedMinimum = 0;
    right.fixedMaximum = 100;
}

void setPlaceholderPoints(ChartModel &chart)
{
    for (int series = 0; series < kSeriesCount; ++series) {
        TLineSeries &s = chart.series(kChartPositionOfSeries[static_cast<std::size_t>(series)]);
        s.Clear();
        const int points = series == 5 ? 26 : 25;
        for (int i = 0; i < points; ++i)
            s.AddXY(static_cast<double>(i), 0.0, std::string_view());
        if (series == 2) // Series3: six more places without a value
            for (int i = points; i < points + 6; ++i)
                s.AddNullXY(static_cast<double>(i));
    }
    chart.dataChanged();
}

ChartView::ChartView(QWidget *parent) : QObject(parent)
{
    // The chart names Tahoma: without the compatible faces its labels would
    // take another face's height and the layout would differ from a printout
    // made without the window.
    registerChartFonts();
    configureChart(m_model);
    setPlaceholderPoints(m_model);
    m_widget = new TDataChart(&m_model, parent);
    m_widget->setObjectName(QStringLiteral("Chart"));
    m_widget->hide();
    m_scrollBar = new TChartScrollBar(&m_model, parent);
    m_scrollBar->setObjectName(QStringLiteral("ChartScrollBar1"));
    m_scrollBar->setFixedHeight(kChartScrollBarHeight);
    m_scrollBar->hide();
    m_scrollBar->RecalcPosition();
}

ChartView::~ChartView()
{
    // The widgets belong to the parent but point at our model.
    delete m_widget.data();
    delete m_scrollBar.data();
}

QWidget *ChartView::chartWidget() const { return m_widget; }

QScrollBar *ChartView::scrollBar() const { return m_scrollBar; }

void ChartView::RecalcPosition()
{
    m_model.dataChanged();
    if (m_scrollBar)
        m_scrollBar->RecalcPosition();
}

ChartImageExport::ChartImageExport()
{
    registerChartFonts();
    configureChart(m_model);
}

void ChartImageExport::apply(const ChartImageRequest &request)
{
    if (request.size.width() < 1 || request.size.height() < 1)
        throw UserError(QStringLiteral("The chart image needs a size of at least 1 x 1 pixels"));
    for (int series = 0; series < kSeriesCount; ++series) {
        const bool hidden = std::find(request.hiddenSeries.begin(), request.hiddenSeries.end(), series + 1)
            != request.hiddenSeries.end();
        m_model.setSeriesVisible(kChartPositionOfSeries[static_cast<std::size_t>(series)], !hidden);
    }
    m_model.setView3D(request.view3D);
    m_model.setMarksVisible(request.markers);
    const int pages = m_model.NumPages();
    if (request.page < 1 || request.page > pages)
        throw UserError(QStringLiteral("The chart has no page %1: it has %2 page%3")
                            .arg(request.page)
                            .arg(pages)
                            .arg(pages == 1 ? QString() : QStringLiteral("s")));
    m_model.setPage(request.page);
    m_model.setViewSize(QSizeF(request.size));
}

ChartLayout ChartImageExport::render(const ChartImageRequest &request, QImage &image)
{
    apply(request);
    image = QImage(request.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        m_model.PrintPartial(painter, QRect(QPoint(0, 0), request.size));
    }
    return m_model.layout(QSizeF(request.size));
}

void ChartImageExport::writePng(const ChartImageRequest &request, const QString &path)
{
    QImage image;
    render(request, image);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw UserError(QStringLiteral("Cannot encode the chart image"));
    OutputFile out(path);
    if (!out.open() || !out.write(png.constData(), static_cast<std::size_t>(png.size())) || !out.commit())
        throw UserError(QStringLiteral("Cannot Create file %1").arg(path));
}

std::unique_ptr<QGuiApplication> ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "sorvant";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace sorvant
