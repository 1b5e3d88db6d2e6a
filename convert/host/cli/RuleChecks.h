// RuleChecks: rules that can never fire, or fire forever, named before the
// run in the style of the rule file's other warnings ("FILE:LINE: ..."),
// and the rules that never fired, named after it.
#pragma once

#include <string>
#include <vector>

#include "plugin/RuleFile.h"
#include "run/FileReport.h"

namespace host {

// A package keyword that stands in a replacement (converted code would be
// under the rules again), and a word rule whose word, in every string
// literal of the tree's Java files (the output root skip left out) where it stands,
// is joined to a dot, a letter or "_": the plug-in's word rules look for
// whole words, so it can never fire there. Only files whose bytes hold the
// word are parsed.
std::vector<std::string> ruleWarnings(const std::string& path, const RuleSet& rules,
                                      const std::string& sourceDir, const std::string& skip);

// "FILE:LINE: SECTION SRC" for each rule that covered no name in the run.
std::vector<std::string> unfiredRules(const std::string& path, const RunReport& report,
                                      const RuleSet& rules);

}  // namespace host
