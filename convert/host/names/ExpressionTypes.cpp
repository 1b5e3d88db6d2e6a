// ExpressionTypes: the type of an expression (a receiver chain, a call, a
// name), marking the names in it as it goes, and the parameter types of
// lambdas from their targets.
#include "names/ExpressionTypes.h"

#include <algorithm>
#include <cstring>

#include "names/JdkGenerics.h"

namespace host {

void ExpressionTypes::visitLater(TSNode node) {
    tasks.thenVisit(node);
}

void ExpressionTypes::popLater() {
    tasks.then([this] { pop(); });
}

void ExpressionTypes::visitChildren(TSNode node) {
    children.forEach(node, [this](TSNode child) { visitLater(child); });
}

void ExpressionTypes::visitExcept(TSNode node, std::initializer_list<TSNode> skip) {
    children.forEach(node, [&](TSNode child) {
        bool skipped = std::any_of(skip.begin(), skip.end(), [&](TSNode other) {
            return !ts_node_is_null(other) && ts_node_eq(child, other);
        });
        if (!skipped) visitLater(child);
    });
}

Receiver ExpressionTypes::containerResult(const Receiver& receiver, const std::string& method) {
    Receiver result;
    std::vector<TSNode> arguments = typeArgumentNodes(receiver.declared);
    int element = jdkElementResult(receiver.name, method);
    std::string same = jdkSameElements(receiver.name, method);
    if (element >= 0 && static_cast<size_t>(element) < arguments.size()) {
        result.name = typeName(arguments[static_cast<size_t>(element)]);
        result.declared = arguments[static_cast<size_t>(element)];
    } else if (!same.empty() && !arguments.empty()) {
        result.name = same;
        result.declared = receiver.declared;
    }
    result.kind = result.name.empty() ? Receiver::kUnknown : Receiver::kValue;
    return result;
}

std::vector<std::string> ExpressionTypes::targetParameters(const std::string& type,
                                                           TSNode typeNode) {
    const ClassMembers* members = membersOf(type);
    if (members != nullptr) {
        return members->functional ? members->lambdaParameters : std::vector<std::string>();
    }
    return argumentTypes(typeNode, jdkFunctionParameters(type));
}

void ExpressionTypes::typeLambdaArguments(const MemberOwner& callee, const std::string& method,
                                          const std::vector<TSNode>& given) {
    const ClassMembers* owner = membersOf(callee.owner);
    if (owner == nullptr) return;
    auto overloads = owner->overloads.find(method);
    if (overloads == owner->overloads.end()) return;
    const std::vector<std::string>* match = nullptr;
    for (const MethodOverload& overload : overloads->second) {
        if (overload.parameters.size() != given.size()) continue;
        if (match != nullptr) return;
        match = &overload.parameters;
    }
    if (match == nullptr) return;
    for (size_t i = 0; i < given.size(); ++i) {
        if (isType(given[i], "lambda_expression"))
            typeLambda(given[i], targetParameters((*match)[i], TSNode{}));
    }
}

void ExpressionTypes::typeLambda(TSNode lambda, const std::vector<std::string>& parameters) {
    bool known =
        !parameters.empty() && std::none_of(parameters.begin(), parameters.end(),
                                            [](const std::string& type) { return type.empty(); });
    if (known) lambdaTypes[lambda.id] = parameters;
}

Receiver ExpressionTypes::visitValue(TSNode node) {
    if (ts_node_is_null(node)) return Receiver{};
    TSSymbol type = ts_node_symbol(node);
    const ExpressionSymbols& symbols = expressionSymbols();
    if (type == symbols.identifier) return visitIdentifier(node);
    if (type == symbols.methodInvocation || type == symbols.fieldAccess ||
        type == symbols.castExpression || type == symbols.objectCreationExpression ||
        type == symbols.parenthesizedExpression || type == symbols.arrayAccess ||
        type == symbols.thisNode) {
        Receiver value = analyse(node);
        return value.kind == Receiver::kValue ? value : Receiver{};
    }
    visitLater(node);
    return Receiver{};
}

std::string ExpressionTypes::elementOf(const Receiver& items) {
    if (isArrayType(items.name))
        return items.name.substr(0, items.name.size() - strlen(kArraySuffix));
    std::vector<std::string> element =
        argumentTypes(items.declared, jdkLambdaParameters(items.name, "forEach"));
    return element.size() == 1 ? element[0] : std::string();
}

std::vector<TSNode> ExpressionTypes::argumentsOf(TSNode list) {
    std::vector<TSNode> arguments;
    for (uint32_t i = 0; !ts_node_is_null(list) && i < ts_node_named_child_count(list); ++i) {
        TSNode argument = ts_node_named_child(list, i);
        if (!isComment(argument)) arguments.push_back(argument);
    }
    return arguments;
}

MemberOwner ExpressionTypes::memberOf(const Receiver& receiver, const std::string& name,
                                      bool method, int arity) const {
    bool typed = receiver.kind == Receiver::kType || receiver.kind == Receiver::kValue;
    if (!typed || receiver.name.empty() || isArrayType(receiver.name)) return MemberOwner{};
    // A value of a type that nothing resolved (a class of the package that
    // is not in the tree): its members are nobody's that the host knows.
    if (receiver.kind == Receiver::kValue && !isResolvedType(receiver.name)) return MemberOwner{};
    return findMember(receiver.name, name, method, arity);
}

bool ExpressionTypes::markDeclaredValue(TSNode node, Receiver& value) {
    std::string name = text(node);
    const Variable* variable = lookup(name);
    if (variable != nullptr) {
        value.kind = Receiver::kValue;
        value.declared = variable->declared;
        if (variable->field) {
            mark(node, kKindOwnMember,
                 variable->owner.empty() ? name : variable->owner + "." + name);
        } else {
            mark(node, kKindVariable);
        }
        value.name = variable->type;
        return true;
    }
    auto member = staticMembers.find(name);
    if (member != staticMembers.end()) {
        mark(node, kKindOwnMember, member->second + "." + name);
        value.kind = Receiver::kValue;
        value.name = importedMember(member->second, name, false, -1).type;
        return true;
    }
    return false;
}

// A member that a static import names alone: its type where the host
// knows the importing class's members, else of that class and no type.
MemberOwner ExpressionTypes::importedMember(const std::string& owner, const std::string& name,
                                            bool method, int arity) const {
    MemberOwner found = findMember(owner, name, method, arity);
    return found.owner.empty() ? MemberOwner{owner, std::string()} : found;
}

Receiver ExpressionTypes::visitIdentifier(TSNode node) {
    Receiver value;
    if (markDeclaredValue(node, value)) return value;
    MemberOwner inherited = findUnqualified(text(node), false);
    if (inherited.unknown) {
        markUntyped(node, kKindMember);
        return value;
    }
    if (inherited.owner.empty()) {
        mark(node, kKindVariable);
        return value;
    }
    mark(node, kKindOwnMember, qualifiedName(inherited, text(node)));
    value.kind = Receiver::kValue;
    value.name = inherited.type;
    return value;
}

Receiver ExpressionTypes::visitCall(TSNode node, const Receiver* receiver) {
    TSNode object = fieldOf(node, "object");
    TSNode name = fieldOf(node, "name");
    std::string method = ts_node_is_null(name) ? std::string() : text(name);
    std::vector<TSNode> arguments = argumentsOf(fieldOf(node, "arguments"));
    int arity = static_cast<int>(arguments.size());
    MemberOwner callee;
    Receiver result;
    if (receiver != nullptr) {
        callee = memberOf(*receiver, method, true, arity);
        if (receiver->kind == Receiver::kValue) {
            result = containerResult(*receiver, method);
            std::vector<std::string> parameters =
                argumentTypes(receiver->declared, jdkLambdaParameters(receiver->name, method));
            for (TSNode argument : arguments) {
                if (isType(argument, "lambda_expression")) typeLambda(argument, parameters);
            }
        }
    } else {
        auto member = staticMembers.find(method);
        callee = member != staticMembers.end() ? importedMember(member->second, method, true, arity)
                                               : findUnqualified(method, true, arity);
    }
    if ((receiver != nullptr && callee.owner.empty()) || callee.unknown) {
        markUntyped(name, kKindMethod);
    } else {
        mark(name, kKindMethod, qualifiedName(callee, method));
    }
    typeLambdaArguments(callee, method, arguments);
    visitExcept(node, {object, name});
    if (!callee.type.empty()) {
        result.kind = Receiver::kValue;
        result.name = callee.type;
    }
    return result;
}

TSNode ExpressionTypes::innerReceiver(TSNode node) {
    TSSymbol type = ts_node_symbol(node);
    const ExpressionSymbols& symbols = expressionSymbols();
    if (type == symbols.fieldAccess || type == symbols.methodInvocation)
        return fieldOf(node, "object");
    if (type == symbols.arrayAccess) return fieldOf(node, "array");
    TSNode inner{};
    uint32_t count = type == symbols.parenthesizedExpression ? ts_node_named_child_count(node) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(node, i);
        if (!isComment(child)) inner = child;
    }
    return inner;
}

Receiver ExpressionTypes::analyse(TSNode node) {
    std::vector<TSNode> chain{node};
    for (TSNode inner = innerReceiver(node); !ts_node_is_null(inner); inner = innerReceiver(inner))
        chain.push_back(inner);
    Receiver result = analyseInnermost(chain.back());
    for (size_t i = chain.size() - 1; i > 0; --i) result = analyseStep(chain[i - 1], result);
    return result;
}

Receiver ExpressionTypes::analyseInnermost(TSNode node) {
    Receiver result;
    TSSymbol type = ts_node_symbol(node);
    const ExpressionSymbols& symbols = expressionSymbols();
    if (type == symbols.identifier) return analyseName(node);
    if (type == symbols.thisNode || type == symbols.superNode) {
        const Scope* own = currentClass();
        result.kind = Receiver::kValue;
        if (own != nullptr)
            result.name = type == symbols.thisNode ? own->classQualified : own->superQualified;
        return result;
    }
    if (type == symbols.castExpression) {
        visitChildren(node);
        result.kind = Receiver::kValue;
        result.name = typeName(fieldOf(node, "type"));
        return result;
    }
    if (type == symbols.objectCreationExpression) {
        visitLater(node);
        result.kind = Receiver::kValue;
        result.name = typeName(fieldOf(node, "type"));
        result.declared = fieldOf(node, "type");
        return result;
    }
    if (type == symbols.methodInvocation) return visitCall(node, nullptr);
    visitLater(node);
    return result;
}

Receiver ExpressionTypes::analyseName(TSNode node) {
    Receiver result;
    if (markDeclaredValue(node, result)) return result;
    // A field inherited from a class of the tree; a name that only
    // the vendor's superclass could supply reads as a package here.
    MemberOwner inherited = findUnqualified(text(node), false);
    if (isKnownClass(inherited.owner)) return visitIdentifier(node);
    std::string name = text(node);
    bool known = false;
    std::string qualified = resolveType(name, &known);
    if (known || isCapitalised(name)) {
        mark(node, kKindClassRef, qualified);
        result.kind = Receiver::kType;
        result.name = qualified;
    } else {
        mark(node, kKindName);
        result.kind = Receiver::kPackage;
        result.name = name;
    }
    return result;
}

Receiver ExpressionTypes::analyseStep(TSNode node, const Receiver& inner) {
    TSSymbol type = ts_node_symbol(node);
    const ExpressionSymbols& symbols = expressionSymbols();
    if (type == symbols.methodInvocation) return visitCall(node, &inner);
    if (type == symbols.fieldAccess) return analyseField(node, inner);
    if (type == symbols.arrayAccess) {
        visitExcept(node, {fieldOf(node, "array")});
        Receiver result;
        result.kind = Receiver::kValue;
        if (inner.kind == Receiver::kValue && isArrayType(inner.name))
            result.name = inner.name.substr(0, inner.name.size() - strlen(kArraySuffix));
        return result;
    }
    visitExcept(node, {innerReceiver(node)});  // the parentheses
    return inner.kind == Receiver::kValue ? inner : Receiver{};
}

Receiver ExpressionTypes::analyseField(TSNode node, const Receiver& owner) {
    Receiver result;
    TSNode field = fieldOf(node, "field");
    std::string name = ts_node_is_null(field) ? std::string() : text(field);
    // Everything between object and field ("." and perhaps comments).
    visitExcept(node, {fieldOf(node, "object"), field});
    if (isType(field, "this") || isType(field, "super")) {
        // Outer.this: the outer class itself.
        result.kind = Receiver::kValue;
        result.name = owner.name;
        return result;
    }
    if (owner.kind == Receiver::kPackage) {
        std::string qualified = owner.name + "." + name;
        if (isCapitalised(name) || types.qualifiedNames.count(qualified) != 0) {
            mark(field, kKindClassRef, qualified);
            result.kind = Receiver::kType;
        } else {
            mark(field, kKindName, qualified);
            result.kind = Receiver::kPackage;
        }
        result.name = qualified;
        return result;
    }
    MemberOwner member = memberOf(owner, name, false);
    // After a type, a capitalised name with lower-case letters is a
    // nested type; a constant name is a member.
    if (owner.kind == Receiver::kType && isCapitalised(name) && !isConstantName(name) &&
        member.type.empty()) {
        std::string qualified = owner.name + "." + name;
        mark(field, kKindClassRef, qualified);
        result.kind = Receiver::kType;
        result.name = qualified;
        return result;
    }
    if (member.owner.empty()) {
        markUntyped(field, kKindMember);
    } else {
        mark(field, kKindMember, member.owner + "." + name);
    }
    result.kind = Receiver::kValue;
    result.name = member.type;
    return result;
}

}  // namespace host
