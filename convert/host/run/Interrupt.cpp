// Interrupt: the signal handlers and the recorded signal.
#include "run/Interrupt.h"

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace host {

namespace {

constexpr int kSignalExitBase = 128;
// How long the run may go on after the signal: the file in hand, or the
// workers' (which are killed after a shorter grace), then the run ends.
constexpr unsigned kBoundSeconds = 10;

// Written by the handler, read by the run: the one state a handler may
// share.
volatile sig_atomic_t caught = 0;

void recordSignal(int signal) {
    if (caught == 0) alarm(kBoundSeconds);
    caught = signal;
}

// The bound is past: the file in hand is dropped (it is only staged, and
// the next run removes the staging folder) and the run ends at once.
void endAtBound(int) {
    static const char message[] =
        "nidus-convert: the file in hand did not end within 10 s of the signal; it is not in "
        "the output, and the run ends without its summary\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(kSignalExitBase + caught);
}

}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction bound {};
    bound.sa_handler = endAtBound;
    sigemptyset(&bound.sa_mask);
    sigaction(SIGALRM, &bound, nullptr);
}

void disarmBound() {
    alarm(0);
}

sigset_t holdEndingSignals() {
    sigset_t ending;
    sigset_t previous;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &ending, &previous);
    return previous;
}

void releaseEndingSignals(const sigset_t& previous) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

bool waitToRead(int fd) {
    sigset_t previous = holdEndingSignals();
    // With the signals held, a signal that came before shows in caught; one
    // that comes during the wait is let in by ppoll alone and ends it.
    int ready = -1;
    while (caught == 0) {
        pollfd input{fd, POLLIN, 0};
        ready = ppoll(&input, 1, nullptr, &previous);
        if (ready >= 0 || errno != EINTR) break;
    }
    releaseEndingSignals(previous);
    return caught == 0 && ready > 0;
}

int interruptSignal() {
    return caught;
}

const char* interruptName() {
    return caught == SIGTERM ? "SIGTERM" : "SIGINT";
}

int interruptExitCode() {
    return kSignalExitBase + caught;
}

}  // namespace host
