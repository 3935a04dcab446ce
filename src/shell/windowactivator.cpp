#include "windowactivator.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace sorvant {

WindowActivator::WindowActivator(QWidget *mainWindow, QObject *parent) : QObject(parent), m_main(mainWindow)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { noteActive(now); });
    m_restoreWait.setSingleShot(true);
    m_restoreWait.setInterval(kRestoreWaitMs);
    connect(&m_restoreWait, &QTimer::timeout, this, &WindowActivator::raisePending);
    if (m_main)
        m_main->installEventFilter(this);
}

void WindowActivator::noteActive(QWidget *now)
{
    // While a pop-up waits for the main window's restore, the main window
    // taking the focus does not make it the last one the user was in.
    if (now && !(m_pending && now->window() == m_main.data()))
        m_lastActive = now->window();
}

QWidget *WindowActivator::lastActivePopup() const
{
    QWidget *w = m_lastActive.data();
    if (!w || w == m_main.data() || !w->isVisible())
        return nullptr;
    return w;
}

void WindowActivator::bringToFront()
{
    if (!m_main)
        return;
    // Taken before the main window is activated, which moves the focus.
    QWidget *popup = lastActivePopup();
    const bool restoring = m_main->isMinimized() || !m_main->isVisible();
    if (m_main->isMinimized())
        m_main->setWindowState((m_main->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (!m_main->isVisible())
        m_main->show();
    m_main->raise();
    m_main->activateWindow();
    m_pending = popup;
    if (!popup)
        return;
    raisePending();
    if (restoring) {
        // A window manager restores the main window later and puts it on top
        // with the focus: once it has, the pop-up comes forward again.
        m_pending = popup;
        m_restoreWait.start();
    }
}

bool WindowActivator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_main.data() && event->type() == QEvent::WindowActivate && m_pending)
        raisePending();
    return QObject::eventFilter(watched, event);
}

void WindowActivator::raisePending()
{
    m_restoreWait.stop();
    QWidget *popup = m_pending.data();
    m_pending = nullptr;
    if (!popup || !popup->isVisible())
        return;
    if (popup->isMinimized())
        popup->setWindowState(popup->windowState() & ~Qt::WindowMinimized);
    popup->raise();
    popup->activateWindow();
}

} // namespace sorvant
