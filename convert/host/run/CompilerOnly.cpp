// CompilerOnly: the host's own resolution of a file, next to exact mode's.
#include "run/CompilerOnly.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "names/NameResolution.h"
#include "plugin/StatementLayout.h"
#include "syntax/JavaSource.h"

namespace host {

namespace {

bool withoutRule(const NameUse& use) {
    return use.rule == nullptr && use.kind != UseKind::kWord;
}

}  // namespace

void markCompilerOnly(const std::string& text, const TreeTypes& types, const RuleFacts& facts,
                      const RuleSet& rules, std::vector<NameUse>& uses) {
    // Most files have a rule for every name: no second resolution then.
    if (std::none_of(uses.begin(), uses.end(), withoutRule)) return;
    JavaSource own;
    if (!own.parse(text)) return;
    resolveNames(own, types, facts, nullptr);
    std::set<std::tuple<int, std::string, size_t>> found;
    for (const NameUse& use : findRuleUses(own, layOutSteps(own), rules))
        found.emplace(static_cast<int>(use.kind), use.name, use.leaf);
    for (NameUse& use : uses) {
        if (withoutRule(use))
            use.compilerOnly = found.count({static_cast<int>(use.kind), use.name, use.leaf}) == 0;
    }
}

}  // namespace host
