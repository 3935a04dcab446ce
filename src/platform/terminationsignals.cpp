#include "terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sorvant {

namespace {

int g_fds[2] = {-1, -1};
struct sigaction g_oldTerm {};
struct sigaction g_oldHup {};

void onSignal(int number)
{
    // Only async-signal-safe calls here.
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_fds[0], &byte, 1);
    errno = saved;
}

bool setUpPair()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return false;
    // A full pipe must never block the handler; one byte waiting is enough.
    ::fcntl(g_fds[0], F_SETFL, ::fcntl(g_fds[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_fds[1], F_SETFL, ::fcntl(g_fds[1], F_GETFL) | O_NONBLOCK);
    return true;
}

void closePair()
{
    for (int &fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (g_fds[0] >= 0 || !setUpPair())
        return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, &g_oldTerm) != 0) {
        delete m_notifier;
        m_notifier = nullptr;
        closePair();
        return;
    }
    ::sigaction(SIGHUP, &action, &g_oldHup);
    m_active = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_active)
        return;
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    ::sigaction(SIGHUP, &g_oldHup, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    closePair();
}

void TerminationSignals::readSignals()
{
    char bytes[16];
    const ssize_t n = ::read(g_fds[1], bytes, sizeof bytes);
    for (ssize_t i = 0; i < n; ++i)
        emit terminationRequested(static_cast<unsigned char>(bytes[i]));
}

} // namespace sorvant
