#pragma once

#include <QObject>

class QSocketNotifier;

namespace sorvant {

// SIGTERM and SIGHUP (a logout, `kill`, a closed terminal) would end the
// process on the spot, and the settings of the run would be lost. While an
// object of this class lives, they arrive instead as terminationRequested()
// on the event loop, so the program can close as its close box does.
//
// The handler only writes the signal's number to a socket pair; everything
// else runs on the event loop. One object at a time.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    // Puts back the handlers that were there before.
    ~TerminationSignals() override;

    // False when the socket pair or a handler could not be set up; the
    // signals then keep their former effect.
    bool isActive() const { return m_active; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
};

} // namespace sorvant
