// TypeResolver: a type name to its qualified name, in Java's order: a type
// variable in scope, the file's own types, single-type imports, the same
// package, on-demand imports, java.lang.
//
// Qualified names (kinds 11 to 14). A class name resolves through the
// file's own types, its single-type imports, the source tree's types in the
// same package, on-demand imports of packages the tree or the JDK supplies
// the name from, java.lang, and last an on-demand import of a package under
// the rules (only for a capitalised name: net of net.olddb.Session is a
// package). A static on-demand import (import static T.*) imports members,
// not types.
#pragma once

#include <string>
#include <vector>

#include "names/Scopes.h"

namespace host {

// The part of a simple type name's lookup that needs the whole tree's
// types: the same package, on-demand imports, the JDK, java.lang and the
// rules' packages. known is false when only the name itself can be given.
std::string resolveInTree(const std::string& simple, const std::string& package,
                          const std::vector<std::string>& onDemand, const TreeTypes& types,
                          const RuleFacts& rules, bool* known);

class TypeResolver : public Scopes {
public:
    using Scopes::Scopes;

protected:
    // Set while the scan collects members: names that only the tree's
    // types can resolve are kept deferred (resolveDeferredTypes).
    bool deferTreeNames = false;

    // The qualified name of a simple type name; known is false when only
    // the name itself can be given.
    std::string resolveType(const std::string& simple, bool* known = nullptr);
    bool underRules(const std::string& qualified) const;
    // A class name standing alone is 24, which the plug-in's class rules
    // match by the name as written. A name that resolves to a type outside
    // the rules' packages (the file's own, the tree's, the JDK's) is another
    // class than the vendor's of that name: it is a reference (11) whose
    // qualified name no rule concerns.
    void markClassName(TSNode node);
    // The qualified type of a type node without its type arguments; empty
    // for primitive and array types and for var.
    std::string typeName(TSNode node);
    // The names of a dotted name or type in source order; Outer<T>.Inner
    // gives the outer type's name, without its arguments.
    static void typeParts(TSNode node, std::vector<TSNode>& parts);
    // A dotted type: package parts are 16, class parts 11. Returns the
    // qualified name of the whole.
    std::string scopedTypeName(TSNode node, bool markParts);
    // The same from the names as written: a simple type name (a type
    // variable as its bound, var as unknown), and a dotted one by its
    // first part, the rest appended.
    std::string simpleTypeName(const std::string& name);
    std::string dottedTypeName(const std::vector<std::string>& parts);
    // The type parameters of a class or method declaration, into the
    // innermost scope.
    void declareTypeParameters(TSNode declaration);
    // The type arguments as written ("? extends T" gives T, "?" nothing).
    static std::vector<TSNode> typeArgumentNodes(TSNode typeNode);
    // The types of the type arguments at indices; empty when one is missing.
    std::vector<std::string> argumentTypes(TSNode declared, const std::vector<size_t>& indices);
    // Whether a type name is qualified (or a type of the unnamed package
    // that the file or the tree declares), not a simple name that nothing
    // resolved.
    bool isResolvedType(const std::string& type) const {
        return type.find('.') != std::string::npos || types.qualifiedNames.count(type) != 0 ||
               (package.empty() && ownTypes.count(type) != 0);
    }
};

}  // namespace host
