#pragma once

#include "busypointer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace sorvant {

// A long command on the user-interface thread (a printout of a whole log):
// the busy pointer for its length, the windows kept painted while it runs,
// and no input handled until it ends. Input that arrives meanwhile waits in
// the window system's queue and is handled afterwards; a request to close a
// window is held and carried out once the command is over.
class BusyJob : public QObject
{
public:
    BusyJob();
    ~BusyJob() override;
    BusyJob(const BusyJob &) = delete;
    BusyJob &operator=(const BusyJob &) = delete;

    // Paints what waits to be painted (where a dialog closed, a window that
    // was uncovered), at most once a frame so the job is not slowed.
    void keepPainted();

    static constexpr int kFrameMs = 40;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    BusyPointer m_busy;
    QElapsedTimer m_sincePaint;
    std::vector<QPointer<QWidget>> m_closeRequests;
};

} // namespace sorvant
