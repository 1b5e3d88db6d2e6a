// ExpressionTypes: the type of an expression (a receiver chain, a call, a
// name), marking the names in it as it goes, and the parameter types of
// lambdas from their targets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "names/MemberLookup.h"
#include "syntax/SyntaxNodes.h"
#include "syntax/TaskStack.h"

namespace host {

// What a receiver expression turned out to be.
struct Receiver {
    enum Kind { kUnknown, kPackage, kType, kValue } kind = kUnknown;
    std::string name;   // package or qualified type name; the value's type
    TSNode declared{};  // a variable's type as written
};

class ExpressionTypes : public MemberLookup {
public:
    using MemberLookup::MemberLookup;

protected:
    // Parameter types of lambdas whose parameters are written without.
    std::map<const void*, std::vector<std::string>> lambdaTypes;
    // The walk's pending work (see TaskStack): it never recurses.
    TaskStack tasks{[this](TSNode node) { visit(node); }};
    ChildCursor children;

    // The walk of the layer above: classifies node and what lies below it.
    virtual void visit(TSNode node) = 0;
    virtual ~ExpressionTypes() = default;

    void visitLater(TSNode node);
    void popLater();
    void visitChildren(TSNode node);
    // Visits the children of node but those in skip.
    void visitExcept(TSNode node, std::initializer_list<TSNode> skip);
    // The result of a JDK container's method, typed by the receiver's
    // declared type arguments: an element (list.get(0), map.get(k),
    // optional.get()), or a container of the same elements (list.stream(),
    // stream.filter(...)).
    Receiver containerResult(const Receiver& receiver, const std::string& method);
    // The parameter types of a lambda whose target has this type (as
    // written in typeNode): one of the JDK's functional interfaces, or one
    // of the file or the tree.
    std::vector<std::string> targetParameters(const std::string& type, TSNode typeNode);
    // Lambdas given to a method of a class of the file or the tree take
    // their parameter types from the method's parameters, when one overload
    // alone has as many parameters as the call has arguments.
    void typeLambdaArguments(const MemberOwner& callee, const std::string& method,
                             const std::vector<TSNode>& given);
    void typeLambda(TSNode lambda, const std::vector<std::string>& parameters);
    // Visits an expression and gives its type where the walk knows it: a
    // variable, a field, a call, a cast, new T(), an array element.
    Receiver visitValue(TSNode node);
    // The element type of what a for-each loop walks: an array, or a JDK
    // collection declared with its type argument.
    std::string elementOf(const Receiver& items);
    // A member or method of receiver; no owner when the receiver's type is
    // not known.
    // The arguments of an argument list, without comments.
    static std::vector<TSNode> argumentsOf(TSNode list);
    MemberOwner memberOf(const Receiver& receiver, const std::string& name, bool method,
                         int arity = -1) const;
    // A name that stands for a value: a local or parameter (17), a field of
    // an enclosing class or a statically imported member (13). false when no
    // scope and no import declares it.
    bool markDeclaredValue(TSNode node, Receiver& value);
    // A member that a static import names alone (of owner).
    MemberOwner importedMember(const std::string& owner, const std::string& name, bool method,
                               int arity) const;
    // A value name that nothing declares is a field inherited from a
    // superclass, when there is one.
    Receiver visitIdentifier(TSNode node);
    // A call, after its receiver (null for a call without one); gives its
    // result, typed when the method's declaration is known.
    Receiver visitCall(TSNode node, const Receiver* receiver);
    // What a step of a receiver chain applies to: the a of a.b, a.b(),
    // a[i] and (a); null for any other node.
    static TSNode innerReceiver(TSNode node);
    // Classifies a receiver expression (and everything in it) and tells
    // what it is. A chain (a.b(x).c[i].d) is taken from its innermost
    // receiver out, one step after the other; what lies beside the chain
    // (arguments, an index) is visited later.
    Receiver analyse(TSNode node);
    // A receiver that is no step of a chain.
    Receiver analyseInnermost(TSNode node);
    Receiver analyseName(TSNode node);
    // One step of a chain, after what it applies to (inner).
    Receiver analyseStep(TSNode node, const Receiver& inner);
    // owner.field: a package or type part of a dotted name, a nested type,
    // Outer.this, or a member.
    Receiver analyseField(TSNode node, const Receiver& owner);
};

}  // namespace host
