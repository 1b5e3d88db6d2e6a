// NameClassifier: gives every name of a Java file its node kind and its
// qualified name (see the design note in JavaSource.cpp), and collects what
// the file declares for the scan of the whole tree.
#pragma once

#include <tree_sitter/api.h>

#include <string>
#include <vector>

#include "JavaSource.h"

namespace host {

// Sets kind and qualified name of the leaves that are names.
void classifyNames(const std::string& source, TSNode root, std::vector<Leaf>& leaves,
                   const TreeTypes& types, const RuleFacts& rules);

// The types the file declares (the first step of the tree scan).
void collectDeclaredTypes(const std::string& source, TSNode root, TreeTypes& types);

// The members of the types the file declares, resolved against the types of
// the whole tree (the second step).
void collectDeclaredMembers(const std::string& source, TSNode root, TreeTypes& types,
                            const RuleFacts& rules);

}  // namespace host
