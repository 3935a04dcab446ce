#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace sorvant {

// Shows the busy pointer over the whole program for the life of the object
// and gives back the pointer that was shown before, however the scope ends.
// Does nothing in a program without a GUI (the command-line tools).
class BusyPointer
{
public:
    BusyPointer() : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyPointer()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    bool m_active;
};

} // namespace sorvant
