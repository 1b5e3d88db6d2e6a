// Summary: what nidus-convert prints at the end of a run: the summary line,
// the output root, links, files in the plug-in's layout, names to check,
// and every failed file with its line, its reason and its statement.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "run/Runner.h"

namespace host {

struct SummaryOptions {
    std::string outputShown;  // the output root, or what stands for it
    std::string sourceShown;  // the source folder as the user gave it, ending in "/"
    bool verbose = false;     // with the plug-in's log lines
    int missingRules = 0;     // vendor names without a rule in the tree
    int compilerOnlyRules = 0;  // exact mode: those of them only the compiler found
    std::string compilerNote;  // exact mode: the compiler's errors, in a line
    std::vector<std::string> unfired;  // the rules that never fired, "FILE:LINE: ..."
    FILE* out = stdout;
};

void printSummary(const RunReport& report, const SummaryOptions& options);

}  // namespace host
