#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace talvoro::app {

namespace {

// A signal handler can reach nothing but file-scope state; this is the write end of the pipe.
std::atomic<int> signalWriteFd{-1};
struct sigaction previousTerm {};
struct sigaction previousInt {};

void OnTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = signalWriteFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a wake-up, so a failed write loses nothing.
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    signalWriteFd.store(writeFd_);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm);
    ::sigaction(SIGINT, &action, &previousInt);
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (installed_) {
        ::sigaction(SIGTERM, &previousTerm, nullptr);
        ::sigaction(SIGINT, &previousInt, nullptr);
    }
    signalWriteFd.store(-1);
    if (readFd_ >= 0) {
        ::close(readFd_);
    }
    if (writeFd_ >= 0) {
        ::close(writeFd_);
    }
}

int TerminationSignals::Consume() {
    int last = 0;
    unsigned char buffer[64];
    for (;;) {
        const ssize_t got = readFd_ < 0 ? -1 : ::read(readFd_, buffer, sizeof buffer);
        if (got > 0) {
            last = buffer[got - 1];
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return last;
    }
}

}  // namespace talvoro::app
