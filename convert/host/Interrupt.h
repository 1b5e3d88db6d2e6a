// Interrupt: SIGINT and SIGTERM end a run between two files. The handler
// only records the signal; the run checks for it, drops its staging folder
// and reports what it did so far.
#pragma once

namespace host {

// Installs the handlers. Interrupted system calls are not restarted, so a
// question that waits for an answer returns at once.
void catchInterrupts();

// The signal that asked the run to end, or 0.
int interruptSignal();

// "SIGINT" or "SIGTERM", for the signal recorded.
const char* interruptName();

// The exit code for an ended run: 128 + the signal's number.
int interruptExitCode();

}  // namespace host
