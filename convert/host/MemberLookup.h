// MemberLookup: the members the file and the tree declare, and where a
// member name leads: along the superclass chain, to an interface, or to
// the first class outside the file and the tree.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TypeResolver.h"

namespace host {

// Where a member name of a class leads: the class of the chain (the
// class and its superclasses, as far as the file and the tree declare
// them) that declares it, with the member's type; or, when no class of
// the chain does, the first class of the chain that neither the file nor
// the tree declares (the vendor's, say), which the name must come from,
// with an unknown type.
// unknown: the name may come from more than one class outside the file and
// the tree (a vendor superclass and a static on-demand import, say), so its
// owner cannot be told.
struct MemberOwner {
    std::string owner;
    std::string type;
    bool unknown = false;
};

class MemberLookup : public TypeResolver {
public:
    using TypeResolver::TypeResolver;

protected:
    // Keyed by the qualified name without the package (ownKey).
    std::map<std::string, OwnClass> ownClasses;
    static constexpr int kMaxChain = 64;
    // Classes outside the file and the tree that the file catches, throws
    // or names in throws (Throwables), and that it walks with a for-each
    // loop (Iterables): the JDK declares some of their members.
    std::set<std::string> throwableTypes;
    std::set<std::string> iterableTypes;

    void collectFileFacts(TSNode root);
    // The record components, fields, enum constants and methods of a type
    // declaration (nested name in the file: qualified), or of an anonymous
    // class body.
    void collectMembers(TSNode declaration, const std::string& qualified, OwnClass& own);
    void collectMembersIn(TSNode declaration, const std::string& qualified, OwnClass& own);
    // A method declaration's parameter types (a variable arity one is
    // unknown) and whether it overrides.
    MethodOverload overloadOf(TSNode declaration);
    // Whether a class declares a method of that name that takes arity
    // arguments (any number for -1), as an override (@Override) or not.
    static bool declaresMethod(const ClassMembers& members, const std::string& name, int arity,
                               bool overrides);
    // depth counts the classes of the chain looked at so far: a bound
    // against classes that (as far as names tell) extend each other.
    MemberOwner findMember(const std::string& type, const std::string& name, bool method,
                           int arity = -1, int depth = 0) const;
    // Whether the class self, with these members, declares the member. A
    // method declared as an override (@Override) stands for the method it
    // overrides, so that a rule renames the override with its calls: the
    // superclass chain's, or else the one interface from outside the file
    // and the tree that the class implements, or else the class's own.
    bool memberIn(const ClassMembers& members, const std::string& self, const std::string& name,
                  bool method, int arity, int depth, MemberOwner& found) const;
    // The interfaces a class implements that neither the file nor the tree
    // declares.
    std::vector<std::string> foreignInterfaces(const ClassMembers& members) const;
    // The members of a class of the file or the tree; null for any other.
    const ClassMembers* membersOf(const std::string& type) const;
    bool isKnownClass(const std::string& type) const { return membersOf(type) != nullptr; }
    // A name used without receiver, that no scope declares as a variable:
    // the nearest enclosing class whose chain declares it, else where the
    // nearest class with a superclass inherits it from, else (a method) the
    // nearest class. Empty owner when none of them tells.
    // A static on-demand import comes after the enclosing classes, as in
    // Java; where both it and a vendor superclass may supply the name, the
    // owner is unknown.
    MemberOwner findUnqualified(const std::string& name, bool method, int arity = -1) const;
    // The type of a static on-demand import of the file or the tree that
    // declares the member; else, in foreign, how many such imports name a
    // class outside them, and in found the last of those.
    bool staticImported(const std::string& name, bool method, int arity, MemberOwner& found,
                        int& foreign) const;
    // The JDK type that declares a method of a class outside the file and
    // the tree: Object's methods on any class, Throwable's on one that is
    // caught or thrown, Iterable's on one walked by a for-each loop; empty
    // for any other.
    std::string jdkDeclarer(const std::string& type, const std::string& name, bool method) const;
    // The types the file catches, throws or names in throws.
    void collectThrowables(TSNode root);
    // The qualified name of a member: its owner's name, ".", the name; the
    // name as written without owner.
    static std::string qualifiedName(const MemberOwner& member, const std::string& name);
};

}  // namespace host
