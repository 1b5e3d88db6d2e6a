// SemanticModel: what the host knows of the source tree's types and their
// members (built once per run by the scan of the tree), and of the rules.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace host {

// One declaration of a method: its parameter types (qualified; empty when
// unknown), and whether it overrides (@Override) a superclass's method.
struct MethodOverload {
    std::string result;  // the result type, as the method's entry in ClassMembers::methods
    std::vector<std::string> parameters;
    bool variableArity = false;
    bool overrides = false;
};

// What a class declares: field -> type, method -> result type (qualified
// types; empty when unknown, primitive, or differing between overloads),
// method -> its overloads, its superclass and the interfaces it
// implements; for an interface with one abstract method, that method's
// parameter types.
struct ClassMembers {
    std::map<std::string, std::string> fields;
    std::map<std::string, std::string> methods;
    std::map<std::string, std::vector<MethodOverload>> overloads;
    std::string superclass;
    std::vector<std::string> interfaces;
    bool functional = false;
    std::vector<std::string> lambdaParameters;
};

// A file whose members are read on demand, as the pass over the tree's
// bytes saw it: the hash of its text, the types it is the file of, and the
// bodies that the read leaves out (LightScan), so that the read need not
// scan the text again while the text is the same.
struct UnreadShape {
    size_t textHash = 0;
    std::vector<std::string> types;  // p.q.Type
    std::vector<std::pair<size_t, size_t>> bodies;
    bool balanced = true;
};

// What the host knows of the whole source tree: the types it declares, and
// their members.
struct TreeTypes {
    std::set<std::string> qualifiedNames;                    // p.q.Type for every declared type
    std::map<std::string, std::set<std::string>> byPackage;  // package -> simple names
    std::map<std::string, ClassMembers> members;             // p.q.Type -> its members
    // The types whose members no parse has read yet: p.q.Type -> the file
    // that declares it (the last in the tree's order). A lookup reads the
    // file when it first needs them (treeMembers), into readLater: that
    // changes what is cached, never what a lookup answers.
    mutable std::map<std::string, std::string> unread;
    mutable std::map<std::string, ClassMembers> readLater;
    mutable std::map<std::string, UnreadShape> unreadShapes;  // by the file's path
    // The types read so, in the order read (also those whose file gave no
    // members for them): what a worker process passes on to the others.
    mutable std::vector<std::string> readOrder;
};

// What the host knows of the rules: the package keywords, and the names
// (without their class) that member and method rules rename.
struct RuleFacts {
    std::vector<std::string> packageKeywords;
    std::set<std::string> memberNames;
    std::set<std::string> methodNames;
};

}  // namespace host
