#include "bevelpanel.h"

#include <QPainter>

namespace sorvant {

namespace {

void drawBevel(QPainter &painter, const QRect &r, BevelPanel::Bevel bevel, const QPalette &palette)
{
    if (bevel == BevelPanel::Bevel::None)
        return;
    const bool raised = bevel == BevelPanel::Bevel::Raised;
    const QColor topLeft = raised ? palette.color(QPalette::Light) : palette.color(QPalette::Dark);
    const QColor bottomRight = raised ? palette.color(QPalette::Dark) : palette.color(QPalette::Light);
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

BevelPanel::BevelPanel(Bevel outer, Bevel inner, int borderWidth, QWidget *parent)
    : QWidget(parent), m_outer(outer), m_inner(inner), m_borderWidth(borderWidth)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void BevelPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect r = rect();
    drawBevel(painter, r, m_outer, palette());
    if (m_outer != Bevel::None)
        r.adjust(1, 1, -1, -1);
    r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    drawBevel(painter, r, m_inner, palette());
}

} // namespace sorvant
