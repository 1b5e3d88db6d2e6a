// MemberLookup: the members the file and the tree declare, and where a
// member name leads: along the superclass chain, to an interface, or to
// the first class outside the file and the tree.
#include "names/MemberLookup.h"

#include <algorithm>
#include <functional>

#include "names/NameResolution.h"

namespace host {

void MemberLookup::collectFileFacts(TSNode root) {
    std::vector<std::pair<TSNode, std::string>> declarations;
    collectNames(root, declarations);
    // Members after all types, so that a member's type may be declared later.
    for (const auto& declaration : declarations)
        collectMembers(declaration.first, declaration.second, ownClassAt(declaration.second));
}

void MemberLookup::collectMembers(TSNode declaration, const std::string& qualified, OwnClass& own) {
    push();  // the declaration's type parameters, while its members are read
    declareTypeParameters(declaration);
    collectMembersIn(declaration, qualified, own);
    pop();
}

void MemberLookup::collectSupertypes(TSNode declaration, ClassMembers& members) {
    TSNode superclass = fieldOf(declaration, "superclass");
    if (!ts_node_is_null(superclass) && ts_node_named_child_count(superclass) > 0)
        members.superclass = typeName(ts_node_named_child(superclass, 0));
    // A class's "implements" is a field of the grammar; an interface's
    // "extends" is a child without one.
    TSNode implemented = fieldOf(declaration, "interfaces");
    if (ts_node_is_null(implemented) && isType(declaration, "interface_declaration")) {
        forEachChild(
            declaration,
            [&](TSNode child) {
                if (isType(child, "extends_interfaces")) implemented = child;
            },
            true);
    }
    TSNode list = ts_node_is_null(implemented) ? TSNode{} : ts_node_named_child(implemented, 0);
    for (uint32_t i = 0; isType(list, "type_list") && i < ts_node_named_child_count(list); ++i)
        members.interfaces.push_back(typeName(ts_node_named_child(list, i)));
}

bool MemberLookup::collectMethod(TSNode method, ClassMembers& members) {
    std::string name = text(fieldOf(method, "name"));
    push();
    declareTypeParameters(method);
    // Overloads of different result types: none is known.
    std::string result = typeName(fieldOf(method, "type"));
    auto known = members.methods.emplace(name, result);
    if (!known.second && known.first->second != result) known.first->second = "";
    MethodOverload overload = overloadOf(method);
    overload.result = result;
    members.overloads[name].push_back(overload);
    bool abstract = ts_node_is_null(fieldOf(method, "body")) && !hasModifier(method, "static") &&
                    !hasModifier(method, "default");
    if (abstract) members.lambdaParameters = overload.parameters;
    pop();
    return abstract;
}

void MemberLookup::collectMembersIn(TSNode declaration, const std::string& qualified,
                                    OwnClass& own) {
    ClassMembers& members = own.members;
    auto addField = [&](TSNode name, TSNode type) {
        members.fields[text(name)] = typeName(type);
        own.fieldTypes[text(name)] = type;
    };
    collectSupertypes(declaration, members);
    TSNode components = fieldOf(declaration, "parameters");  // of a record
    if (!ts_node_is_null(components)) {
        uint32_t count = ts_node_named_child_count(components);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode component = ts_node_named_child(components, i);
            TSNode name = fieldOf(component, "name");
            if (!ts_node_is_null(name)) addField(name, fieldOf(component, "type"));
        }
    }
    TSNode body = isType(declaration, "class_body") ? declaration : fieldOf(declaration, "body");
    if (ts_node_is_null(body)) return;
    std::string enumType = isType(declaration, "enum_declaration") ? qualify(qualified) : "";
    int abstractMethods = 0;
    std::function<void(TSNode)> scan = [&](TSNode holder) {
        forEachChild(holder, [&](TSNode member) {
            std::string_view type = typeOf(member);
            TSNode name = fieldOf(member, "name");
            if (type == "field_declaration" || type == "constant_declaration") {
                TSNode fieldType = fieldOf(member, "type");
                forDeclarators(member, [&](TSNode named, TSNode) { addField(named, fieldType); });
            } else if (type == "enum_constant" && !ts_node_is_null(name)) {
                members.fields[text(name)] = enumType;
            } else if (type == "method_declaration" && !ts_node_is_null(name)) {
                if (collectMethod(member, members)) ++abstractMethods;
            } else if (type == "enum_body_declarations") {
                scan(member);
            }
        }, true);
    };
    scan(body);
    members.functional = isType(declaration, "interface_declaration") && abstractMethods == 1;
    if (!members.functional) members.lambdaParameters.clear();
}

MethodOverload MemberLookup::overloadOf(TSNode declaration) {
    MethodOverload overload;
    overload.overrides = hasAnnotation(declaration, "Override");
    TSNode parameters = fieldOf(declaration, "parameters");
    if (ts_node_is_null(parameters)) return overload;
    uint32_t count = ts_node_named_child_count(parameters);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode parameter = ts_node_named_child(parameters, i);
        if (isType(parameter, "formal_parameter")) {
            overload.parameters.push_back(typeName(fieldOf(parameter, "type")));
        } else if (isType(parameter, "spread_parameter")) {
            overload.parameters.push_back(std::string());
            overload.variableArity = true;
        }
    }
    return overload;
}

bool MemberLookup::declaresMethod(const ClassMembers& members, const std::string& name, int arity,
                                  bool overrides) {
    auto overloads = members.overloads.find(name);
    if (overloads == members.overloads.end()) return false;
    return std::any_of(
        overloads->second.begin(), overloads->second.end(), [&](const MethodOverload& overload) {
            int count = static_cast<int>(overload.parameters.size());
            bool fits =
                arity < 0 || count == arity || (overload.variableArity && arity >= count - 1);
            return fits && overload.overrides == overrides;
        });
}

MemberOwner MemberLookup::findMember(const std::string& type, const std::string& name, bool method,
                                     int arity, int depth) const {
    std::string current = type;
    std::vector<const ClassMembers*> chain;
    int step = depth;
    for (; step < kMaxChain && !current.empty(); ++step) {
        const ClassMembers* members = membersOf(current);
        if (members == nullptr) {
            std::string jdk = jdkDeclarer(current, name, method);
            return MemberOwner{jdk.empty() ? current : jdk, std::string()};
        }
        MemberOwner found;
        if (memberIn(*members, current, name, method, arity, step + 1, found)) return found;
        chain.push_back(members);
        current = members->superclass;
    }
    return current.empty() ? fromInterfaces(chain, name, method, arity, step) : MemberOwner{};
}

MemberOwner MemberLookup::fromInterfaces(const std::vector<const ClassMembers*>& chain,
                                         const std::string& name, bool method, int arity,
                                         int depth) const {
    // Nearest first: the chain's own interfaces, then theirs. The names
    // point into the members, which outlive the search; a type's
    // interfaces are few, so the ones seen are looked for one by one.
    std::vector<const std::string*> open;
    auto add = [&open](const ClassMembers& members) {
        for (const std::string& implemented : members.interfaces) open.push_back(&implemented);
    };
    for (const ClassMembers* members : chain) add(*members);
    std::vector<const std::string*> vendors;
    for (size_t next = 0; next < open.size() && depth < kMaxChain; ++next, ++depth) {
        const std::string& implemented = *open[next];
        bool seen =
            std::any_of(open.begin(), open.begin() + static_cast<long>(next),
                        [&](const std::string* earlier) { return *earlier == implemented; });
        if (implemented.empty() || seen) continue;
        const ClassMembers* members = membersOf(implemented);
        if (members == nullptr) {
            if (underRules(implemented)) vendors.push_back(&implemented);
            continue;
        }
        MemberOwner found;
        if (memberIn(*members, implemented, name, method, arity, depth + 1, found)) return found;
        add(*members);
    }
    if (vendors.size() != 1) return MemberOwner{};
    std::string jdk = jdkDeclarer(*vendors[0], name, method);
    return MemberOwner{jdk.empty() ? *vendors[0] : jdk, std::string()};
}

bool MemberLookup::memberIn(const ClassMembers& members, const std::string& self,
                            const std::string& name, bool method, int arity, int depth,
                            MemberOwner& found) const {
    if (!method) {
        auto field = members.fields.find(name);
        if (field == members.fields.end()) return false;
        found = MemberOwner{self, field->second};
        return true;
    }
    if (declaresMethod(members, name, arity, false)) {
        found = MemberOwner{self, members.methods.at(name)};
        return true;
    }
    if (!declaresMethod(members, name, arity, true)) return false;
    found = members.superclass.empty() ? MemberOwner{}
                                       : findMember(members.superclass, name, true, arity, depth);
    std::vector<std::string> foreign = foreignInterfaces(members);
    if (found.owner.empty() && foreign.size() == 1) found.owner = foreign[0];
    if (found.owner.empty()) found = MemberOwner{self, members.methods.at(name)};
    return true;
}

std::vector<std::string> MemberLookup::foreignInterfaces(const ClassMembers& members) const {
    std::vector<std::string> foreign;
    for (const std::string& implemented : members.interfaces) {
        if (!isKnownClass(implemented)) foreign.push_back(implemented);
    }
    return foreign;
}

const ClassMembers* MemberLookup::membersOf(const std::string& type) const {
    auto seen = membersSeen.find(type);
    if (seen != membersSeen.end()) return seen->second;
    auto own = ownClasses.find(ownKey(type));
    const ClassMembers* members = own != ownClasses.end() && qualify(own->first) == type
                                      ? &own->second.members
                                      : treeMembers(types, type, rules);
    membersSeen.emplace(type, members);
    return members;
}

OwnClass& MemberLookup::ownClassAt(const std::string& key) {
    size_t known = ownClasses.size();
    OwnClass& own = ownClasses[key];
    if (ownClasses.size() != known) membersSeen.clear();
    return own;
}

MemberOwner MemberLookup::findUnqualified(const std::string& name, bool method, int arity) const {
    // What each enclosing class inherits, innermost first: the second
    // look below goes through the same classes.
    std::vector<MemberOwner> inheritedBy;
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        if (!scope->classScope) continue;
        MemberOwner own;
        if (method &&
            memberIn(scope->own.members, scope->classQualified, name, true, arity, 0, own))
            return own;
        inheritedBy.push_back(inheritedIn(*scope, name, method, arity));
        if (isKnownClass(inheritedBy.back().owner)) return inheritedBy.back();
    }
    MemberOwner imported;
    int foreign = 0;
    if (staticImported(name, method, arity, imported, foreign)) return imported;
    MemberOwner unknown;
    unknown.unknown = true;
    size_t next = 0;
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        if (!scope->classScope) continue;
        // A class without a superclass counts here only where one of its
        // interfaces gives the member.
        const MemberOwner& inherited = inheritedBy[next++];
        if (scope->superQualified.empty() && inherited.owner.empty()) continue;
        if (foreign == 0) return inherited;
        if (!inherited.owner.empty()) return unknown;
        break;
    }
    if (foreign == 1) return imported;
    if (foreign > 1) return unknown;
    const Scope* own = currentClass();
    if (!method || own == nullptr) return MemberOwner{};
    return MemberOwner{own->classQualified, std::string()};
}

MemberOwner MemberLookup::inheritedIn(const Scope& scope, const std::string& name, bool method,
                                      int arity) const {
    MemberOwner inherited;
    if (!scope.superQualified.empty())
        inherited = findMember(scope.superQualified, name, method, arity);
    if (!inherited.owner.empty() || scope.own.members.interfaces.empty()) return inherited;
    return fromInterfaces({&scope.own.members}, name, method, arity, 0);
}

bool MemberLookup::staticImported(const std::string& name, bool method, int arity,
                                  MemberOwner& found, int& foreign) const {
    for (const std::string& type : staticOnDemand) {
        const ClassMembers* members = membersOf(type);
        if (members == nullptr) {
            ++foreign;
            found = MemberOwner{type, std::string()};
            continue;
        }
        MemberOwner declared;
        if (memberIn(*members, type, name, method, arity, 0, declared)) {
            found = declared;
            return true;
        }
    }
    return false;
}

std::string MemberLookup::jdkDeclarer(const std::string& type, const std::string& name,
                                      bool method) const {
    static const std::set<std::string> kObject = {"equals", "hashCode",  "toString", "getClass",
                                                  "notify", "notifyAll", "wait"};
    static const std::set<std::string> kThrowable = {
        "getMessage",      "getLocalizedMessage", "getCause",      "initCause",
        "printStackTrace", "getStackTrace",       "setStackTrace", "fillInStackTrace",
        "addSuppressed",   "getSuppressed"};
    static const std::set<std::string> kIterable = {"iterator", "forEach", "spliterator"};
    if (!method || !underRules(type)) return std::string();
    if (kObject.count(name) != 0) return "java.lang.Object";
    if (throwableTypes.count(type) != 0 && kThrowable.count(name) != 0)
        return "java.lang.Throwable";
    if (iterableTypes.count(type) != 0 && kIterable.count(name) != 0) return "java.lang.Iterable";
    return std::string();
}

void MemberLookup::collectThrowables() {
    for (TSNode type : thrownTypes) throwableTypes.insert(typeName(type));
}

std::string MemberLookup::qualifiedName(const MemberOwner& member, const std::string& name) {
    return member.owner.empty() ? name : member.owner + "." + name;
}

}  // namespace host
