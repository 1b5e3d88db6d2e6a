// CompilerOnly: in exact mode, which uses of names without a rule only the
// compiler's records found: the host's own resolution of the same text does
// not give the same name at the same place. A user whose rules were enough
// without --classpath learns why they are not now.
#pragma once

#include <string>
#include <vector>

#include "names/SemanticModel.h"
#include "plugin/RuleCoverage.h"
#include "plugin/RuleFile.h"

namespace host {

// Sets compilerOnly on the uses (of text, resolved with the compiler's
// records) that have no rule and that the host's own names miss. Text that
// does not parse again leaves every use as it is.
void markCompilerOnly(const std::string& text, const TreeTypes& types, const RuleFacts& facts,
                      const RuleSet& rules, std::vector<NameUse>& uses);

}  // namespace host
