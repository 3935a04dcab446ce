#include "progresssink.h"

#include <QProgressBar>

#include <algorithm>

namespace sorvant {

ProgressBarSink::ProgressBarSink(QProgressBar *bar) : m_bar(bar)
{
    m_bar->setMinimum(0);
}

void ProgressBarSink::setVisible(bool visible)
{
    if (!visible) {
        m_bar->setVisible(false);
        return;
    }
    if (m_bar->isVisibleTo(m_bar->parentWidget()))
        return;
    // Take the latest position while hidden, where it costs no painting, so
    // the bar never shows the end of the previous load.
    m_bar->setValue(std::clamp(m_requested, 0, m_bar->maximum()));
    m_bar->setVisible(true);
    if (m_bar->isVisible()) {
        // No event is handled until the load ends, so the bar shows itself now.
        m_bar->repaint();
        m_sincePaint.start();
    }
}

void ProgressBarSink::setMaximum(int maximum)
{
    m_maximum = std::max(0, maximum);
    // A range of 0..0 would turn the bar into a busy indicator.
    m_bar->setMaximum(std::max(1, m_maximum));
    const int pixels = std::max(1, m_bar->width());
    m_step = std::max(1, m_maximum / pixels);
    m_next = m_requested + m_step;
}

void ProgressBarSink::setPosition(int position)
{
    m_requested = position;
    if (position < m_next && position >= m_next - m_step)
        return; // not a pixel away from the last position looked at
    m_next = position + m_step;
    // One repaint of the bar costs about half a millisecond, so it is shown
    // at most once a frame; the next pixel step after that catches up.
    if (m_bar->isVisible() && m_sincePaint.isValid() && m_sincePaint.elapsed() < kFrameMs)
        return;
    // QProgressBar repaints itself at once when the change is visible.
    m_bar->setValue(std::clamp(position, 0, m_maximum));
    ++m_updates;
    m_sincePaint.start();
}

} // namespace sorvant
