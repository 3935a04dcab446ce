#include "windowactivator.h"

#include <QApplication>
#include <QWidget>

namespace sorvant {

WindowActivator::WindowActivator(QWidget *mainWindow, QObject *parent) : QObject(parent), m_main(mainWindow)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { noteActive(now); });
}

void WindowActivator::noteActive(QWidget *now)
{
    if (now)
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
    if (m_main->isMinimized())
        m_main->setWindowState((m_main->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (!m_main->isVisible())
        m_main->show();
    m_main->raise();
    m_main->activateWindow();
    if (QWidget *popup = lastActivePopup()) {
        if (popup->isMinimized())
            popup->setWindowState(popup->windowState() & ~Qt::WindowMinimized);
        popup->raise();
        popup->activateWindow();
    }
}

} // namespace sorvant
