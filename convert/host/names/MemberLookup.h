// MemberLookup: the members the file and the tree declare, and where a
// member name leads: along the superclass chain, to an interface, or to
// the first class outside the file and the tree.
//
// A member or method gets its receiver's type plus "." plus its
// name, where the type is known: a class, a typed local, parameter or field
// (var with an initializer of known type, or over the elements of a typed
// array or JDK collection; a type variable stands for its bound), this,
// super, a cast, new T(), the element a JDK container's method gives
// (list.get(0), map.get(k), optional.get(), supplier.get()), a field
// or a call of a class that the file or the tree declares (the tree scan
// collects every class's fields, method result types and superclass), or
// no receiver (the enclosing classes' members, a static import, or else a
// member inherited from the superclass). A member belongs to the class of
// the superclass chain that declares it; where the file and the tree know
// no such class, to the first class of the chain they do not declare (a
// vendor's class that an own class extends). Untyped lambda parameters
// take their types from the lambda's target where that is known: a method
// of a JDK collection, map, stream or optional declared with type
// arguments (JdkGenerics.cpp lists them, with the elements they give); a
// variable of one of java.util.function's interfaces, or of an interface
// of the file or the tree with one abstract method; an argument of a
// method of the file or the tree (one overload alone with that many
// parameters) whose parameter is such an interface. A case label's bare
// name belongs to the switch selector's type when that is known and is no
// JDK type (so an enum).
// Otherwise a name carries its text as written, and is marked unresolved: a
// converted file lists those that a rule would change, to be checked; so
// is a method that a vendor subclass declares without @Override.
//
// A name without receiver that no enclosing class declares comes from a
// static on-demand import: the one whose class outside the file and the
// tree can supply it; where that class and a vendor superclass both could,
// or several such imports, the name is unresolved. A member of a value
// whose type nothing resolved is unresolved too, never the vendor's. The
// JDK declares some members of vendor classes: Object's methods on any,
// Throwable's on one caught, thrown or named in throws, Iterable's on one
// walked by a for-each loop (before the call, in the walk's order).
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "names/TypeResolver.h"

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
    // membersOf's answers so far: a file asks for the same few types over
    // and over. What the tree knows changes only between files, so only a
    // class added to ownClasses makes them stale (ownClassAt).
    mutable std::unordered_map<std::string, const ClassMembers*> membersSeen;
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
    // The superclass and the interfaces a declaration names.
    void collectSupertypes(TSNode declaration, ClassMembers& members);
    // A method's result type and overload; true when it is abstract.
    bool collectMethod(TSNode method, ClassMembers& members);
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
    // A member that no class of a superclass chain within the file and the
    // tree declares (chain: their members), from the interfaces they
    // implement and those extend: the nearest of them in the file or the
    // tree that declares it, else the vendor's interface when the chain
    // reaches one only; unknown otherwise.
    MemberOwner fromInterfaces(const std::vector<const ClassMembers*>& chain,
                               const std::string& name, bool method, int arity, int depth) const;
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
    // ownClasses' entry for a class of the file, by its key (made when
    // there is none).
    OwnClass& ownClassAt(const std::string& key);
    bool isKnownClass(const std::string& type) const { return membersOf(type) != nullptr; }
    // A name used without receiver, that no scope declares as a variable:
    // the nearest enclosing class whose chain or interfaces declare it, else
    // where the nearest class with a superclass (or whose interfaces give
    // it) inherits it from, else (a method) the nearest class. Empty owner
    // when none of them tells.
    // A static on-demand import comes after the enclosing classes, as in
    // Java; where both it and a vendor superclass may supply the name, the
    // owner is unknown.
    MemberOwner findUnqualified(const std::string& name, bool method, int arity = -1) const;
    // What a class of the scopes inherits: through its superclass's chain,
    // else through the interfaces it implements (fromInterfaces).
    MemberOwner inheritedIn(const Scope& scope, const std::string& name, bool method,
                            int arity) const;
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
    // The types the file catches, throws or names in throws, resolved once
    // the file's own types are known (after collectFileFacts).
    void collectThrowables();
    // The qualified name of a member: its owner's name, ".", the name; the
    // name as written without owner.
    static std::string qualifiedName(const MemberOwner& member, const std::string& name);
};

}  // namespace host
