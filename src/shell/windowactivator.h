#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace sorvant {

// Brings the running instance forward when a second start asks for it:
// the main window is restored if minimised and raised, and then the last
// window of ours the user was in (the preferences dialog or the About box,
// when one of them is still open) comes to the top with it.
class WindowActivator : public QObject
{
    Q_OBJECT
public:
    explicit WindowActivator(QWidget *mainWindow, QObject *parent = nullptr);

    // The top-level window of ours that was active last, if still shown.
    QWidget *lastActivePopup() const;

public slots:
    void bringToFront();

private:
    void noteActive(QWidget *now);

    QPointer<QWidget> m_main;
    QPointer<QWidget> m_lastActive;
};

} // namespace sorvant
