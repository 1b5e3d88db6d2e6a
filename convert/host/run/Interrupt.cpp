// Interrupt: the signal handlers and the recorded signal.
#include "run/Interrupt.h"

#include <poll.h>

#include <cerrno>
#include <csignal>

namespace host {

namespace {

constexpr int kSignalExitBase = 128;

// Written by the handler, read by the run: the one state a handler may
// share.
volatile sig_atomic_t caught = 0;

void recordSignal(int signal) {
    caught = signal;
}

}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool waitToRead(int fd) {
    sigset_t ending;
    sigset_t previous;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigprocmask(SIG_BLOCK, &ending, &previous);
    // With the signals held, a signal that came before shows in caught; one
    // that comes during the wait is let in by ppoll alone and ends it.
    int ready = -1;
    while (caught == 0) {
        pollfd input{fd, POLLIN, 0};
        ready = ppoll(&input, 1, nullptr, &previous);
        if (ready >= 0 || errno != EINTR) break;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
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
