#include "viewswitcher.h"

#include "chartview.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScrollBar>
#include <QToolButton>

namespace sorvant {

namespace {

QPixmap pieChartPicture()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(3, 4, 26, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(r.translated(1.5, 1.5));
    const struct { int start, span; QColor colour; } wedges[] = {
        {90 * 16, 140 * 16, QColor(32, 64, 200)},
        {230 * 16, 80 * 16, QColor(0, 160, 64)},
        {310 * 16, 140 * 16, QColor(255, 160, 0)},
    };
    p.setPen(QPen(QColor(40, 40, 40), 1));
    for (const auto &w : wedges) {
        p.setBrush(w.colour);
        p.drawPie(r, w.start, w.span);
    }
    // One wedge pulled out, as pie pictures do.
    p.setBrush(QColor(220, 30, 30));
    p.drawPie(r.translated(2, -2), 40 * 16, 50 * 16);
    return pm;
}

QPixmap tableWindowPicture()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QRect frame(2, 3, 27, 25);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(Qt::white);
    p.drawRect(frame);
    p.fillRect(QRect(3, 4, 26, 5), QColor(0, 0, 128)); // title bar
    p.fillRect(QRect(25, 5, 3, 3), QColor(192, 192, 192));
    p.fillRect(QRect(3, 9, 26, 4), QColor(192, 192, 192)); // header row
    p.setPen(QColor(128, 128, 128));
    for (int y = 13; y < 28; y += 4)
        p.drawLine(3, y, 28, y);
    for (int x = 10; x < 29; x += 7)
        p.drawLine(x, 9, x, 27);
    p.setPen(QColor(0, 0, 160));
    for (int y = 15; y < 28; y += 4)
        for (int x = 5; x < 28; x += 7)
            p.drawLine(x, y, x + 3, y);
    return pm;
}

} // namespace

QIcon ViewSwitcher::toolbarImage(int image)
{
    const QPixmap pm = image == kTableImage ? tableWindowPicture() : pieChartPicture();
    QIcon icon;
    // The same picture for the highlighted state.
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected})
        icon.addPixmap(pm, mode);
    return icon;
}

ViewSwitcher::ViewSwitcher(QWidget *spreadsheet, ChartView *chart, QAction *button, QObject *parent)
    : QObject(parent), m_spreadsheet(spreadsheet), m_chart(chart), m_action(button)
{
    if (m_spreadsheet)
        m_spreadsheet->show();
    if (m_chart) {
        m_chart->chartWidget()->hide();
        m_chart->scrollBar()->hide();
    }
    setImage(kChartImage);
}

ViewSwitcher::ViewSwitcher(QWidget *spreadsheet, ChartView *chart, QToolButton *button, QObject *parent)
    : ViewSwitcher(spreadsheet, chart, static_cast<QAction *>(nullptr), parent)
{
    m_button = button;
    setImage(kChartImage);
}

bool ViewSwitcher::chartIsCurrent() const { return m_spreadsheet && m_spreadsheet->isHidden(); }

void ViewSwitcher::setImageProvider(std::function<QIcon(int)> images)
{
    m_images = std::move(images);
    setImage(m_image);
}

void ViewSwitcher::setImage(int image)
{
    m_image = image;
    const QIcon icon = m_images ? m_images(image) : toolbarImage(image);
    if (m_action)
        m_action->setIcon(icon);
    if (m_button)
        m_button->setIcon(icon);
}

void ViewSwitcher::SwitchViewsClick()
{
    if (!m_spreadsheet || !m_chart)
        return;
    // Keyboard focus left in the view being hidden would stay there, with
    // no other control to move to, and keep every key, Tab included, from
    // the view that is shown: it goes to the shown view's keyboard control
    // instead (the chart's page scroll bar, or the spreadsheet).
    const QWidget *focused = QApplication::focusWidget();
    const auto holds = [focused](const QWidget *w) { return focused && w && (focused == w || w->isAncestorOf(focused)); };
    const bool focusInView = holds(m_spreadsheet) || holds(m_chart->chartWidget()) || holds(m_chart->scrollBar());
    if (!m_spreadsheet->isHidden()) {
        m_spreadsheet->hide();
        m_chart->chartWidget()->show();
        setImage(kTableImage);
        m_chart->scrollBar()->show();
    } else {
        m_spreadsheet->show();
        m_chart->chartWidget()->hide();
        setImage(kChartImage);
        m_chart->scrollBar()->hide();
    }
    m_chart->RecalcPosition();
    if (focusInView) {
        QWidget *keys = m_spreadsheet->isHidden() ? static_cast<QWidget *>(m_chart->scrollBar()) : m_spreadsheet.data();
        keys->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace sorvant
