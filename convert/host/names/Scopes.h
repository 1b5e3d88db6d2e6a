// Scopes: the variables, parameters, fields and type variables that are
// in scope at a point of the walk, and the classes that enclose it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "names/Declarations.h"

namespace host {

struct Variable {
    std::string type;  // qualified type, empty when unknown
    bool field = false;
    std::string owner;  // the declaring class of a field
    TSNode declared{};  // the type as written (for its type arguments), if any
};

// A class of the file: its members, and its fields' types as written (for
// their type arguments).
struct OwnClass {
    ClassMembers members;
    std::map<std::string, TSNode> fieldTypes;
};

struct Scope {
    std::map<std::string, Variable> variables;
    bool classScope = false;
    std::string classQualified;  // empty for an anonymous class
    std::string superQualified;
    OwnClass own;  // of a class scope
    // Type parameters declared here (class or method) -> their bound,
    // qualified; empty when unbounded.
    std::map<std::string, std::string> typeVariables;
};

class Scopes : public Declarations {
public:
    using Declarations::Declarations;

protected:
    std::vector<Scope> scopes;

    void push() { scopes.emplace_back(); }
    // A class body: its fields are variables of the scope.
    void pushClass(const std::string& qualified, const OwnClass& own);
    void pop() { scopes.pop_back(); }
    const std::string* typeVariable(const std::string& name) const;
    void declare(const std::string& name, const std::string& type, TSNode declared = TSNode{});
    const Variable* lookup(const std::string& name) const;
    const Scope* currentClass() const;
};

}  // namespace host
