// Interrupt: the signal handlers and the recorded signal.
#include "Interrupt.h"

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
