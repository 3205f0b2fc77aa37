#include "termination_signals.h"

#include <QSocketNotifier>

#include <csignal>

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {
volatile std::sig_atomic_t g_requested = 0;
int g_signalPipe[2] = {-1, -1};

#ifndef _WIN32
void onSignal(int)
{
    g_requested = 1;
    const char byte = 1;
    // write() is safe in a signal handler; a full pipe already holds a pending request
    const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
    (void)ignored;
}
#endif
} // namespace

void TerminationSignals::install()
{
#ifndef _WIN32
    if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    struct sigaction action {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    // the end of a desktop session: SIGTERM, then SIGHUP as the terminal or session goes away
    ::sigaction(SIGHUP, &action, nullptr);
#endif
}

bool TerminationSignals::requested()
{
    return g_requested != 0;
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    install();
    if (g_signalPipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
#ifndef _WIN32
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) { }
#endif
        Q_EMIT terminationRequested();
    });
}

TerminationSignals::~TerminationSignals()
{
    delete m_notifier;
    m_notifier = nullptr;
}

} // namespace tarnwick
