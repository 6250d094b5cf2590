#include "UnixSignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalFds[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    // Only async-signal-safe calls here; the GUI thread does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalFds[0], &byte, 1);
}

} // namespace

UnixSignalWatcher::UnixSignalWatcher(QObject *parent)
    : SessionEndWatcher(parent)
{
    if (signalFds[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalFds) != 0)
        return;
    ::fcntl(signalFds[0], F_SETFL, ::fcntl(signalFds[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(signalFds[1], F_SETFL, ::fcntl(signalFds[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(signalFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::readSignal);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : watchedSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

UnixSignalWatcher::~UnixSignalWatcher()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : watchedSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    ::close(signalFds[0]);
    ::close(signalFds[1]);
    signalFds[0] = signalFds[1] = -1;
}

void UnixSignalWatcher::readSignal()
{
    char buffer[16];
    while (::read(signalFds[1], buffer, sizeof buffer) > 0) {
    }
    Q_EMIT endRequested();
}
