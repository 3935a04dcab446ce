#pragma once

#include "logdata/sinks.h"

#include <QElapsedTimer>

class QProgressBar;

namespace sorvant {

// Drives ProgressBar1 during a load. The load runs on the UI thread and calls
// setPosition once per record or row, so the bar is not left to the event
// loop: it is repainted on the spot, but only when the position has moved by
// at least one pixel of the bar and a frame's time has passed since the last
// repaint. Everything else is one or two comparisons, which keeps the bar
// from slowing the load.
class ProgressBarSink : public ProgressSink
{
public:
    explicit ProgressBarSink(QProgressBar *bar);

    void setVisible(bool visible) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;

    // How many new positions reached the bar (for the benchmarks).
    int updates() const { return m_updates; }

    static constexpr int kFrameMs = 30;

private:
    QProgressBar *m_bar;
    QElapsedTimer m_sincePaint;
    int m_maximum = 0;
    int m_step = 1;     // positions per pixel of the bar
    int m_next = 0;     // next position worth looking at
    int m_requested = 0; // the last position the load asked for
    int m_updates = 0;
};

} // namespace sorvant
