// Faults: the plan's reading and its counters.
#include "run/Faults.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace host {

namespace {

constexpr const char* kNames[] = {"write", "rename", "mkdir"};
constexpr int kMaxCount = 1000000;

// A whole number from 1 to kMaxCount, or 0.
int countOf(const std::string& text) {
    char* end = nullptr;
    long value = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > kMaxCount) return 0;
    return static_cast<int>(value);
}

}  // namespace

bool FaultPlan::parse(const std::string& text, std::string& reason) {
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        size_t equals = item.find('=');
        std::string name = item.substr(0, equals);
        int count = equals == std::string::npos ? 0 : countOf(item.substr(equals + 1));
        bool known = false;
        for (int kind = 0; kind < 3; ++kind) {
            if (name != kNames[kind]) continue;
            failAt[kind] = count;
            known = true;
        }
        if (name == "slow-ms") {
            slowMilliseconds = count;
            known = true;
        }
        if (!known || count == 0) {
            reason = "NIDUS_CONVERT_FAULTS: \"" + item +
                     "\" is not write=N, rename=N, mkdir=N or slow-ms=N (N from 1)";
            return false;
        }
    }
    return true;
}

bool FaultPlan::fails(FaultKind kind) const {
    int at = static_cast<int>(kind);
    if (failAt[at] == 0 || ++calls[at] < failAt[at]) return false;
    errno = EIO;
    return true;
}

// As a write to a slow disk does, the wait goes on through signals.
void FaultPlan::slowWrite() const {
    timespec left{slowMilliseconds / 1000, (slowMilliseconds % 1000) * 1000000L};
    while (left.tv_sec > 0 || left.tv_nsec > 0) {
        timespec rest{};
        if (nanosleep(&left, &rest) == 0) break;
        left = rest;
    }
}

}  // namespace host
