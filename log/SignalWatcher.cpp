#include "SignalWatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

int Sockets[2] = {-1, -1}; // the handler writes to [1], the notifier reads [0]
volatile std::sig_atomic_t LastSignal = 0;

#ifdef Q_OS_UNIX
void Handler(int signalNumber) {
    const int savedErrno = errno;
    LastSignal = signalNumber;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(Sockets[1], &number, 1);
    errno = savedErrno;
}
#endif

} // namespace

TSignalWatcher::TSignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent), Numbers(signalNumbers) {
#ifdef Q_OS_UNIX
    Q_ASSERT(Sockets[0] < 0);
    LastSignal = 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, Sockets) != 0) {
        Numbers.clear();
        return;
    }
    Notifier = new QSocketNotifier(Sockets[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TSignalWatcher::Read);
    struct sigaction action {};
    action.sa_handler = Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Numbers)
        ::sigaction(number, &action, nullptr);
#endif
}

TSignalWatcher::~TSignalWatcher() {
#ifdef Q_OS_UNIX
    for (const int number : Numbers)
        ::signal(number, SIG_DFL);
    if (Notifier) {
        delete Notifier;
        ::close(Sockets[0]);
        ::close(Sockets[1]);
        Sockets[0] = Sockets[1] = -1;
    }
#endif
}

int TSignalWatcher::Caught() {
    return LastSignal;
}

void TSignalWatcher::Read() {
#ifdef Q_OS_UNIX
    unsigned char number = 0;
    while (::read(Sockets[0], &number, 1) == 1)
        emit caught(number);
#endif
}

} // namespace quillon
