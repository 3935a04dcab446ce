#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

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

    // How long to wait for the window manager to give the restored main
    // window the focus before the pop-up is raised all the same.
    static constexpr int kRestoreWaitMs = 3000;

public slots:
    void bringToFront();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void noteActive(QWidget *now);
    void raisePending();

    QPointer<QWidget> m_main;
    QPointer<QWidget> m_lastActive;
    // The pop-up to raise once the window manager has restored the main
    // window, which it does after bringToFront() has returned.
    QPointer<QWidget> m_pending;
    QTimer m_restoreWait;
};

} // namespace sorvant
