#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace sorvant {

class DialogHost;

// The application object. An error that escapes whatever handled an event
// (a command wired without its guard, a paint, a timer) would otherwise end
// the program; here it ends only that event and is shown in the error box,
// and the program carries on.
class SorvantApplication : public QApplication
{
public:
    SorvantApplication(int &argc, char **argv);

    // Where the error box goes; until this is called an escaped error is
    // passed on as before.
    void setErrorDisplay(DialogHost *dialogs, QWidget *parent);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    DialogHost *m_dialogs = nullptr;
    QPointer<QWidget> m_parent;
};

} // namespace sorvant
