#include "printqueue.h"

#include <cups/cups.h>

#include <QStringList>

namespace sorvant {

namespace {

QString queueOf(const QString &name)
{
    return name.section(QLatin1Char('/'), 0, 0);
}

} // namespace

PrintQueueState queryPrintQueue(const QString &name)
{
    PrintQueueState state;
    const QByteArray queue = queueOf(name).toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     queue.constData());
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char *const wanted[] = {"printer-is-accepting-jobs", "printer-state", "printer-state-message",
                                         "printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(sizeof wanted / sizeof *wanted), nullptr, wanted);
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    const ipp_status_t status = cupsLastError();
    if (!response || status >= IPP_STATUS_ERROR_BAD_REQUEST) {
        state.presence = status == IPP_STATUS_ERROR_NOT_FOUND ? PrintQueueState::Presence::Missing
                                                              : PrintQueueState::Presence::Unreachable;
        state.error = QString::fromUtf8(cupsLastErrorString());
        ippDelete(response);
        return state;
    }
    state.presence = PrintQueueState::Presence::Installed;
    if (ipp_attribute_t *a = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        state.accepting = ippGetBoolean(a, 0) != 0;
    if (ipp_attribute_t *a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
        state.stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
    if (ipp_attribute_t *a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
        state.stateMessage = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    if (ipp_attribute_t *a = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD)) {
        QStringList reasons;
        for (int i = 0; i < ippGetCount(a); ++i) {
            const QString reason = QString::fromUtf8(ippGetString(a, i, nullptr));
            if (reason != QLatin1String("none"))
                reasons << reason;
        }
        state.reasons = reasons.join(QStringLiteral(", "));
    }
    ippDelete(response);
    return state;
}

QString printQueueRefusal(const QString &name)
{
    const PrintQueueState state = queryPrintQueue(name);
    switch (state.presence) {
    case PrintQueueState::Presence::Missing:
        return QStringLiteral("The printer %1 is no longer installed").arg(name);
    case PrintQueueState::Presence::Unreachable:
        return QStringLiteral("The print system cannot be reached to print on %1 (%2)").arg(name, state.error);
    case PrintQueueState::Presence::Installed:
        break;
    }
    if (state.accepting)
        return QString();
    const QString why = !state.stateMessage.isEmpty() ? state.stateMessage : state.reasons;
    return why.isEmpty() ? QStringLiteral("The printer %1 is not accepting jobs").arg(name)
                         : QStringLiteral("The printer %1 is not accepting jobs: %2").arg(name, why);
}

QString missingPrinterWarning(const QString &name)
{
    const PrintQueueState state = queryPrintQueue(name);
    switch (state.presence) {
    case PrintQueueState::Presence::Missing:
        return QStringLiteral("The printer %1 chosen earlier is no longer installed. Choose a printer in the print "
                              "dialog that follows.")
            .arg(name);
    case PrintQueueState::Presence::Unreachable:
        return QStringLiteral("The print system cannot be reached, so the printer %1 chosen earlier is not "
                              "available (%2). Choose a printer in the print dialog that follows.")
            .arg(name, state.error);
    case PrintQueueState::Presence::Installed:
        break;
    }
    return QString();
}

void reconnectPrintSystem()
{
    cupsSetServer(nullptr);
}

QString lastJobSubmitError()
{
    if (cupsLastError() < IPP_STATUS_ERROR_BAD_REQUEST)
        return QString();
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace sorvant
