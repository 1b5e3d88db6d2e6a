// Report: the run's result for machines and for the rule workflow. The
// vendor names that no rule covers, gathered over the whole tree; each
// rule's hits; and the JSON report of --report.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "names/CompilerNames.h"
#include "plugin/RuleCoverage.h"
#include "plugin/RuleFile.h"
#include "run/Runner.h"

namespace host {

// One vendor name without a rule, with every use of it.
struct MissingRule {
    UseKind kind = UseKind::kClass;
    std::string name;                                 // qualified
    std::set<std::string> keys;                       // as the plug-in looks it up
    std::set<int> arities;                            // of a method's calls
    std::vector<std::pair<std::string, int>> places;  // path and line of each use
    std::set<std::string> files;
    // Exact mode: every use of it was one only the compiler's records gave.
    bool compilerOnly = true;
};

std::vector<MissingRule> collectMissing(const RunReport& report);

// How often each rule of rules.entries covers a name, by index.
std::vector<int> countHits(const RunReport& report, const RuleSet& rules);

// The Java files whose compiler errors the run tells in exact mode: those it
// converted or tried to (not those it copied, whichever of them the
// compiler attributed), in the order of their paths.
std::vector<std::string> filesWithCompilerErrorsTold(const RunReport& report);

// Writes the JSON report to path. false with the system's reason. In exact
// mode (compiler), each attributed file that the run converted or tried to
// has its compiler errors: how many, and the first one's line and text.
bool writeReport(const std::string& path, const RunReport& report, const RuleSet& rules,
                 std::string& reason, const CompilerNames* compiler = nullptr);

}  // namespace host
