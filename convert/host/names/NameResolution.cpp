// NameResolution: the names layer's entry points for one file, over the
// classifier walk, exact mode's records and the declarations.
#include "names/NameResolution.h"

#include "names/Classifier.h"
#include "names/ExactNames.h"

namespace host {

void collectDeclarations(const JavaSource& source, TreeTypes& types, const RuleFacts& rules) {
    TSNode root = source.root();
    if (!ts_node_is_null(root)) collectDeclarations(source.text(), root, types, rules);
}

void resolveNames(JavaSource& source, const TreeTypes& types, const RuleFacts& rules,
                  const std::vector<NameRecord>* exact) {
    source.cutLeaves();
    TSNode root = source.root();
    if (ts_node_is_null(root)) return;
    classifyNames(source.text(), root, source.leaves(), types, rules);
    if (exact != nullptr) applyExactNames(*exact, rules, source.leaves());
}

std::vector<std::string> unresolvedRuleNames(const std::vector<Leaf>& leaves,
                                             const RuleFacts& rules) {
    std::vector<std::string> names;
    for (const Leaf& leaf : leaves) {
        if (leaf.unresolved == 0) continue;
        const std::set<std::string>& named =
            leaf.unresolved == kKindMethod ? rules.methodNames : rules.memberNames;
        if (named.count(leaf.text) != 0)
            names.push_back("line " + std::to_string(leaf.line) + ": " + leaf.text);
    }
    return names;
}

}  // namespace host
