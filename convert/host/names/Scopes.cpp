// Scopes: the variables, parameters, fields and type variables that are
// in scope at a point of the walk, and the classes that enclose it.
#include "names/Scopes.h"

namespace host {

void Scopes::pushClass(const std::string& qualified, const OwnClass& own) {
    Scope scope;
    scope.classScope = true;
    scope.classQualified = qualified;
    scope.superQualified = own.members.superclass;
    scope.own = own;
    for (const auto& field : own.members.fields) {
        auto written = own.fieldTypes.find(field.first);
        scope.variables[field.first] =
            Variable{field.second, true, qualified,
                     written != own.fieldTypes.end() ? written->second : TSNode{}};
    }
    scopes.push_back(std::move(scope));
}

const std::string* Scopes::typeVariable(const std::string& name) const {
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        auto found = scope->typeVariables.find(name);
        if (found != scope->typeVariables.end()) return &found->second;
    }
    return nullptr;
}

void Scopes::declare(const std::string& name, const std::string& type, TSNode declared) {
    if (!scopes.empty())
        scopes.back().variables[name] = Variable{type, false, std::string(), declared};
}

const Variable* Scopes::lookup(const std::string& name) const {
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        auto found = scope->variables.find(name);
        if (found != scope->variables.end()) return &found->second;
    }
    return nullptr;
}

const Scope* Scopes::currentClass() const {
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        if (scope->classScope) return &*scope;
    }
    return nullptr;
}

}  // namespace host
