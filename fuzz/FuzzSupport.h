// FuzzSupport: what both fuzz targets need around the conversion host: a
// private folder per process, files written from fuzz input, a quiet
// message desk, and stopping with a reason when the set-up fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/Plugin.h"
#include "run/Runner.h"

namespace fuzz {

// A new folder below $TMPDIR (or /tmp) named after prefix, removed when the process
// exits normally; its path ends in "/". Stops the process when it cannot be
// made.
std::string makePrivateDir(const std::string& prefix);

// Writes size bytes to path, replacing the file. false when it fails.
bool writeInput(const std::string& path, const uint8_t* data, size_t size);

// The whole file, or false.
bool readWhole(const std::string& path, std::string& text);

// Removes everything inside dir, keeping dir itself.
void emptyDir(const std::string& dir);

// libFuzzer's timeout alarm (SIGALRM) has a handler without SA_RESTART, so
// a file copy that it interrupts fails with EINTR, which nidus-convert, with
// no handlers of its own, never meets. Adds SA_RESTART to that handler; call
// it at the start of each input (libFuzzer sets the alarm after
// LLVMFuzzerInitialize).
void restartAfterAlarm();

// Messages and questions of the plug-in go to /dev/null and are answered
// with mode.
void quietDesk(host::AnswerMode mode);

// Forgets the messages and answers of the last input, so that each input
// starts like a run of its own.
void resetDesk();

// The promise of a run over sourceDir into outputDir: every file is in the
// output, and one that was not converted is there byte for byte. Stops the
// process when a file breaks it.
void checkRun(const host::RunReport& report, const std::string& sourceDir,
              const std::string& outputDir);

// One run of runner's tree through the staging folder of output, checked
// as checkRun says and for host objects not given back; the output is
// emptied after it. A run the plug-in refused is checked for nothing else.
host::RunReport runChecked(const host::RunOptions& options, host::Host& service,
                           tala::IConvert& convert, host::OutputTree& output);

// Prints what went wrong and aborts, so that libFuzzer reports the input.
[[noreturn]] void fail(const std::string& reason);

}  // namespace fuzz
