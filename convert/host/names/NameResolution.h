// NameResolution: what the names of one parsed Java file are, for the run.
// The scan collects each file's declarations; once every file's are in,
// the deferred lookups are settled; then each file's leaves get their kinds
// and qualified names.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "names/CompilerNames.h"
#include "names/SemanticModel.h"
#include "syntax/JavaSource.h"

namespace host {

// The types source declares and their members (for the tree scan), with
// the lookups of the members' types in the tree deferred until every
// file's types are collected. Nothing for a file without a tree.
void collectDeclarations(const JavaSource& source, TreeTypes& types, const RuleFacts& rules);

// Settles the deferred lookups once the tree's types are complete, and
// each method's result type.
void resolveDeferredTypes(TreeTypes& types, const RuleFacts& rules);
// The same for members read apart from the tree's: against its names.
void resolveDeferredTypes(std::map<std::string, ClassMembers>& members, const TreeTypes& names,
                          const RuleFacts& rules);

// The members of one of the tree's types: read by the scan, or read now
// from the file that declares it (TreeTypes::unread); none for a type
// outside the tree, or whose file cannot be read or does not parse.
const ClassMembers* treeMembers(const TreeTypes& types, const std::string& type,
                                const RuleFacts& rules);

// Cuts source into leaves and classifies their names (node kinds and
// resolved qualified names). exact: the compiler's records of the file
// (exact mode), which correct the host's classification where they
// resolve a name. Needs the parsed tree. declared (unless null) gets the
// types that source declares and their members, as collectDeclarations
// and resolveDeferredTypes would give them once the tree's names are
// complete, as they must be.
void resolveNames(JavaSource& source, const TreeTypes& types, const RuleFacts& rules,
                  const std::vector<NameRecord>* exact = nullptr, TreeTypes* declared = nullptr);

// Unresolved member and method names (see Leaf) that a rule changes
// elsewhere: "line 12: text".
std::vector<std::string> unresolvedRuleNames(const std::vector<Leaf>& leaves,
                                             const RuleFacts& rules);

}  // namespace host
