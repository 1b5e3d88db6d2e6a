// RuleCoverage: which names of a file fall under the rules, and which rule
// covers each, looked up the way the plug-in looks it up. It finds every
// vendor name that no rule covers in one pass over the tree, and names the
// reason of a failed statement in plain words.
#pragma once

#include <string>
#include <vector>

#include "plugin/RuleFile.h"
#include "plugin/Steps.h"
#include "syntax/JavaSource.h"

namespace host {

// kWord: a word of the word rules inside a string literal (only ever
// covered: it counts the rule's hits).
enum class UseKind { kImport, kClass, kMember, kMethod, kDriver, kWord };

const char* useKindName(UseKind kind);  // "import", "class", ...

// One use of a name under the rules.
struct NameUse {
    UseKind kind = UseKind::kClass;
    std::string name;  // the qualified name; an import's code; a driver's class
    std::string key;   // what the plug-in looks up first: the name as written with its qualifier
    int arity = -1;    // a method call's number of arguments
    int line = 0;
    size_t leaf = 0;                  // the leaf of the name (an import's first leaf)
    const RuleEntry* rule = nullptr;  // the rule that covers it, or none
    // Without a rule the plug-in leaves this name as written instead of
    // failing the file (a class name standing alone), and no import of it
    // is converted, so that the name still means what it meant.
    bool keptWithoutRule = false;
    // Exact mode: a name without a rule that only the compiler's records
    // give here; the host's own names miss it.
    bool compilerOnly = false;
    // A method rule that rebuilds calls with another number of arguments.
    bool arityMismatch() const {
        return rule != nullptr && rule->params >= 0 && arity >= 0 && arity != rule->params;
    }
};

// Every use of a name under the rules in source, its names resolved and
// laid out as steps.
std::vector<NameUse> findRuleUses(const JavaSource& source, const std::vector<Step>& steps,
                                  const RuleSet& rules);

// Where a qualified name has no rule of its own, the plug-in takes its bare
// name's, and the replacement stands for the whole name: a qualifier that
// the replacement does not spell is gone (net.olddb.Session.TIMEOUT under
// a rule TIMEOUT to LIMIT becomes LIMIT). A class name is not lost where
// the file's converted imports bring the new one in. The uses of a file
// that lose their qualifier, in order.
std::vector<const NameUse*> droppedQualifiers(const std::vector<NameUse>& uses);

// A vendor class standing alone without a rule while the file's import of
// it is converted: the plug-in leaves the name as written under an import
// that no longer brings it in, and converts the file. The first, or none.
const NameUse* classLeftUnconverted(const std::vector<NameUse>& uses,
                                    const std::vector<Leaf>& leaves);

// The reason a statement of leaves [first, last) failed, in plain words,
// from the uses in it; empty when none explains it.
std::string explainFailure(const std::vector<NameUse>& uses, size_t first, size_t last);

}  // namespace host
