// Faults: a plan of file-system faults that the output tree injects, so
// that tests can script a failing disk: from the Nth write, rename or mkdir
// of a process on, each fails with EIO (a full disk stays full), and every
// write can be made slow. Read from the
// environment variable NIDUS_CONVERT_FAULTS, as "write=3,rename=2,mkdir=1,
// slow-ms=200"; each process (a worker too) counts its own calls.
#pragma once

#include <string>

namespace host {

enum class FaultKind { kWrite, kRename, kMkdir };

class FaultPlan {
public:
    // false with reason when text is not a plan.
    bool parse(const std::string& text, std::string& reason);

    // Counts a call of the kind; true (errno set to EIO) when it is to fail.
    bool fails(FaultKind kind) const;
    // Waits as long as the plan makes a write take.
    void slowWrite() const;

private:
    int failAt[3] = {0, 0, 0};
    mutable int calls[3] = {0, 0, 0};
    int slowMilliseconds = 0;
};

}  // namespace host
