#include "sorvantapplication.h"

#include "errordisplay.h"

namespace sorvant {

SorvantApplication::SorvantApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void SorvantApplication::setErrorDisplay(DialogHost *dialogs, QWidget *parent)
{
    m_dialogs = dialogs;
    m_parent = parent;
}

bool SorvantApplication::notify(QObject *receiver, QEvent *event)
{
    if (!m_dialogs)
        return QApplication::notify(receiver, event);
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentError(*m_dialogs, m_parent.data());
        return false;
    }
}

} // namespace sorvant
