#pragma once

#include <QString>

namespace sorvant {

// What the print system says about one of its queues. Qt's print support
// tells neither whether a queue still exists nor whether it takes jobs, and
// it drops the answer to the job it sends; these come from libcups.
struct PrintQueueState {
    enum class Presence { Installed, Missing, Unreachable };
    Presence presence = Presence::Unreachable;
    bool accepting = false;
    bool stopped = false;
    QString stateMessage; // the queue's own reason, as the administrator or the driver set it
    QString reasons;      // its state keywords ("paused", "media-empty-error"), joined by ", "
    QString error;        // why the print system could not answer
};

// Asks the print system about queue `name` (an instance "name/copy" counts
// as its queue).
PrintQueueState queryPrintQueue(const QString &name);

// Why `name` cannot take a job now, in words for the error report; empty
// when it can.
QString printQueueRefusal(const QString &name);

// When queue `name` is gone (removed, or the print system no longer
// answers), what to tell the user before a print dialog offers other
// printers in its place; empty while it is there.
QString missingPrinterWarning(const QString &name);

// Forgets the print system asked so far, so the next question goes to the
// one CUPS_SERVER names now (tests start a print system of their own).
void reconnectPrintSystem();

// The answer to the last job that this thread handed to the print system;
// empty when it was taken. Qt's print engine sends the job as its document
// ends and keeps the answer to itself, but libcups keeps it for the thread.
QString lastJobSubmitError();

} // namespace sorvant
