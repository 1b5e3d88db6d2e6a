// Interrupt: SIGINT and SIGTERM end a run between two files. The handler
// only records the signal; the run checks for it, drops its staging folder
// and reports what it did so far.
#pragma once

#include <csignal>

namespace host {

// Installs the handlers. Interrupted system calls are not restarted, so a
// question that waits for an answer returns at once. After a signal the run
// has 10 seconds to end its files; then it ends at once.
void catchInterrupts();

// The run over the tree has ended: what is left (the report, the summary)
// is not bounded.
void disarmBound();

// Holds SIGINT and SIGTERM (they wait, pending) and gives the signal mask
// before; released, a pending one is handled then. Held from a check for
// a signal to a ppoll with the mask before, a signal that comes between
// the two ends the wait instead of waiting for it.
sigset_t holdEndingSignals();
void releaseEndingSignals(const sigset_t& previous);

// Waits until fd can be read (or is at its end); false when a signal has
// asked the run to end, before or during the wait, so that a question
// never waits past such a signal.
bool waitToRead(int fd);

// The signal that asked the run to end, or 0.
int interruptSignal();

// "SIGINT" or "SIGTERM", for the signal recorded.
const char* interruptName();

// The exit code for an ended run: 128 + the signal's number.
int interruptExitCode();

}  // namespace host
