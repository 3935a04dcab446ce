#include "busyjob.h"

#include <QCoreApplication>
#include <QEvent>

namespace sorvant {

BusyJob::BusyJob()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

BusyJob::~BusyJob()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    for (const QPointer<QWidget> &window : m_closeRequests) {
        if (window)
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }
}

void BusyJob::keepPainted()
{
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kFrameMs)
        return;
    m_sincePaint.start();
    // Input stays queued for after the job; paint, expose and the like are
    // handled now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool BusyJob::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Close:
        if (auto *widget = qobject_cast<QWidget *>(watched); widget && widget->isWindow()) {
            // Closing the window under a running job would end the program
            // halfway through it.
            m_closeRequests.emplace_back(widget);
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvant
