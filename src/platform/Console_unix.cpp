// Linux and other Unix-like systems: the signal handler only writes a byte to a socket, whose
// other end the event loop watches; everything else happens there.
#include "platform/Console.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_wake[2] = {-1, -1};

void wake(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wake[1], &byte, 1);
}

} // namespace

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

int terminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    // Where the terminal does not say, the shell may.
    const char* columns = std::getenv("COLUMNS");
    return columns ? std::max(0, std::atoi(columns)) : 0;
}

void onInterrupt(std::function<void()> handler) {
    // Closed on exec: the children must not hold the program's wake-up line.
#if defined(SOCK_CLOEXEC)
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_wake) != 0)
        return; // the signals keep ending the program
#else
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_wake) != 0)
        return;
    ::fcntl(g_wake[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(g_wake[1], F_SETFD, FD_CLOEXEC);
#endif
    auto* notifier = new QSocketNotifier(g_wake[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [handler] {
        char byte = 0;
        if (::read(g_wake[0], &byte, 1) == 1)
            handler();
    });
    struct sigaction action = {};
    action.sa_handler = wake;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
