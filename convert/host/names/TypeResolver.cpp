// TypeResolver: a type name to its qualified name, in Java's order: a type
// variable in scope, the file's own types, single-type imports, the same
// package, on-demand imports, java.lang.
#include "names/TypeResolver.h"

#include <algorithm>

#include "names/JdkNames.h"
#include "names/NameResolution.h"
#include "syntax/JavaSource.h"

namespace host {

namespace {

// A deferred name: kDeferred, the simple name, the file's package and its
// on-demand imports, each after kDeferredPart, then kDeferredEnd; what
// follows is the rest of the type (".Inner", "[]").
constexpr char kDeferred = '\x01';
constexpr char kDeferredPart = '\x02';
constexpr char kDeferredEnd = '\x03';

std::string deferredName(const std::string& simple, const std::string& package,
                         const std::vector<std::string>& onDemand) {
    std::string name = kDeferred + simple + kDeferredPart + package;
    for (const std::string& pkg : onDemand) name += kDeferredPart + pkg;
    return name + kDeferredEnd;
}

// type with its deferred name resolved against the whole tree's types.
std::string resolveDeferred(const std::string& type, const TreeTypes& types,
                            const RuleFacts& rules) {
    size_t end = type.find(kDeferredEnd);
    if (type.empty() || type[0] != kDeferred || end == std::string::npos) return type;
    std::vector<std::string> parts;
    size_t from = 1;
    for (size_t at = type.find(kDeferredPart, from); at != std::string::npos && at < end;
         at = type.find(kDeferredPart, from)) {
        parts.push_back(type.substr(from, at - from));
        from = at + 1;
    }
    parts.push_back(type.substr(from, end - from));
    if (parts.size() < 2) return type;
    std::vector<std::string> onDemand(parts.begin() + 2, parts.end());
    return resolveInTree(parts[0], parts[1], onDemand, types, rules, nullptr) +
           type.substr(end + 1);
}

// Overloads of different result types: none is known.
void settleResultTypes(ClassMembers& members) {
    members.methods.clear();
    for (const auto& named : members.overloads) {
        for (const MethodOverload& overload : named.second) {
            auto known = members.methods.emplace(named.first, overload.result);
            if (!known.second && known.first->second != overload.result) known.first->second = "";
        }
    }
}

}  // namespace

std::string resolveInTree(const std::string& simple, const std::string& package,
                          const std::vector<std::string>& onDemand, const TreeTypes& types,
                          const RuleFacts& rules, bool* known) {
    auto set = [&](bool value) {
        if (known != nullptr) *known = value;
    };
    set(true);
    auto qualify = [&](const std::string& name) {
        return package.empty() ? name : package + "." + name;
    };
    auto same = types.byPackage.find(package);
    if (same != types.byPackage.end() && same->second.count(simple) != 0) return qualify(simple);
    for (const std::string& pkg : onDemand) {
        auto inTree = types.byPackage.find(pkg);
        if (inTree != types.byPackage.end() && inTree->second.count(simple) != 0)
            return pkg + "." + simple;
        if (types.qualifiedNames.count(pkg + "." + simple) != 0) return pkg + "." + simple;
    }
    std::vector<std::string> jdk = onDemand;
    jdk.push_back("java.lang");
    std::string fromJdk = jdkPackageOf(simple, jdk);
    if (!fromJdk.empty()) return fromJdk + "." + simple;
    // A class the vendor's package may hold; a name that is not
    // capitalised is rather a package (net of net.olddb.Session).
    for (const std::string& pkg : onDemand) {
        if (!isCapitalised(simple) || isJdkPackage(pkg) || types.byPackage.count(pkg) != 0)
            continue;
        if (containsAnyPackage(pkg, rules.packageKeywords)) return pkg + "." + simple;
    }
    set(false);
    return simple;
}

void resolveDeferredTypes(TreeTypes& types, const RuleFacts& rules) {
    resolveDeferredTypes(types.members, types, rules);
}

void resolveDeferredTypes(std::map<std::string, ClassMembers>& all, const TreeTypes& types,
                          const RuleFacts& rules) {
    auto resolve = [&](std::string& type) { type = resolveDeferred(type, types, rules); };
    for (auto& named : all) {
        ClassMembers& members = named.second;
        for (auto& field : members.fields) resolve(field.second);
        for (auto& overloads : members.overloads) {
            for (MethodOverload& overload : overloads.second) {
                resolve(overload.result);
                for (std::string& parameter : overload.parameters) resolve(parameter);
            }
        }
        settleResultTypes(members);
        resolve(members.superclass);
        for (std::string& implemented : members.interfaces) resolve(implemented);
        for (std::string& parameter : members.lambdaParameters) resolve(parameter);
    }
}

std::string TypeResolver::resolveType(const std::string& simple, bool* known) {
    if (known != nullptr) *known = true;
    auto own = ownTypes.find(simple);
    if (own != ownTypes.end()) return qualify(own->second);
    auto single = singleImports.find(simple);
    if (single != singleImports.end()) return single->second;
    // The scan reads a file before the tree's types are all known.
    if (deferTreeNames) return deferredName(simple, package, onDemand);
    return resolveInTree(simple, package, onDemand, types, rules, known);
}

bool TypeResolver::underRules(const std::string& qualified) const {
    return containsAnyPackage(qualified, rules.packageKeywords);
}

void TypeResolver::markClassName(TSNode node) {
    bool known = false;
    std::string qualified = resolveType(text(node), &known);
    mark(node, known && !underRules(qualified) ? kKindClassRef : kKindClass, qualified);
}

std::string TypeResolver::typeName(TSNode node) {
    if (ts_node_is_null(node)) return std::string();
    std::string_view type = typeOf(node);
    if (type == "type_identifier") return simpleTypeName(text(node));
    if (type == "generic_type") return typeName(ts_node_named_child(node, 0));
    if (type == "array_type") {
        // Kept as T[] so that an element (a[i]) has type T; the array
        // itself has no members of the vendor's.
        std::string element = typeName(fieldOf(node, "element"));
        return element.empty() ? element : element + kArraySuffix;
    }
    if (type == "scoped_type_identifier") return scopedTypeName(node, false);
    return std::string();
}

void TypeResolver::typeParts(TSNode node, std::vector<TSNode>& parts) {
    std::vector<TSNode> open{node};  // nodes still to read, the next one last
    while (!open.empty()) {
        TSNode at = open.back();
        open.pop_back();
        std::string_view type = typeOf(at);
        bool top = ts_node_eq(at, node);
        if (!top && (type == "type_identifier" || type == "identifier")) {
            parts.push_back(at);
        } else if (top || type == "scoped_type_identifier" || type == "scoped_identifier" ||
                   type == "generic_type") {
            for (uint32_t i = ts_node_named_child_count(at); i > 0; --i)
                open.push_back(ts_node_named_child(at, i - 1));
        }
    }
}

std::string TypeResolver::simpleTypeName(const std::string& name) {
    // A type variable stands for its bound.
    const std::string* variable = typeVariable(name);
    if (variable != nullptr) return *variable;
    return name == "var" ? std::string() : resolveType(name);
}

std::string TypeResolver::dottedTypeName(const std::vector<std::string>& parts) {
    if (parts.empty()) return std::string();
    bool known = false;
    std::string resolved = resolveType(parts[0], &known);
    std::string qualified = known ? resolved : parts[0];
    for (size_t i = 1; i < parts.size(); ++i) qualified += "." + parts[i];
    return qualified;
}

std::string TypeResolver::scopedTypeName(TSNode node, bool markParts) {
    std::vector<TSNode> parts;
    typeParts(node, parts);
    if (parts.empty()) return std::string();
    if (!markParts) {
        std::vector<std::string> names;
        for (TSNode part : parts) names.push_back(text(part));
        return dottedTypeName(names);
    }
    std::string qualified;
    bool inClass = false;
    bool known = false;
    std::string first = text(parts[0]);
    std::string resolved = resolveType(first, &known);
    if (known) {
        qualified = resolved;
        inClass = true;
        if (markParts) mark(parts[0], kKindClassRef, qualified);
    } else {
        qualified = first;
        inClass = isCapitalised(first) || parts.size() == 1;
        if (markParts) mark(parts[0], inClass ? kKindClassRef : kKindName, qualified);
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        std::string part = text(parts[i]);
        qualified += "." + part;
        bool last = i + 1 == parts.size();
        if (!inClass && (isCapitalised(part) || last || types.qualifiedNames.count(qualified) != 0))
            inClass = true;
        if (markParts) mark(parts[i], inClass ? kKindClassRef : kKindName, qualified);
    }
    return qualified;
}

void TypeResolver::declareTypeParameters(TSNode declaration) {
    TSNode parameters = fieldOf(declaration, "type_parameters");
    if (ts_node_is_null(parameters) || scopes.empty()) return;
    for (uint32_t i = 0; i < ts_node_named_child_count(parameters); ++i) {
        TSNode parameter = ts_node_named_child(parameters, i);
        if (!isType(parameter, "type_parameter")) continue;
        std::string name;
        std::string bound;
        for (uint32_t j = 0; j < ts_node_named_child_count(parameter); ++j) {
            TSNode part = ts_node_named_child(parameter, j);
            if (isType(part, "type_identifier") && name.empty()) name = text(part);
            if (isType(part, "type_bound") && ts_node_named_child_count(part) > 0)
                bound = typeName(ts_node_named_child(part, 0));
        }
        if (!name.empty()) scopes.back().typeVariables[name] = bound;
    }
}

std::vector<TSNode> TypeResolver::typeArgumentNodes(TSNode typeNode) {
    std::vector<TSNode> arguments;
    if (!isType(typeNode, "generic_type")) return arguments;
    TSNode list = ts_node_named_child(typeNode, ts_node_named_child_count(typeNode) - 1);
    if (!isType(list, "type_arguments")) return arguments;
    for (uint32_t i = 0; i < ts_node_named_child_count(list); ++i) {
        TSNode argument = ts_node_named_child(list, i);
        if (isType(argument, "wildcard")) {
            bool extends = false;
            for (uint32_t j = 0; j < ts_node_child_count(argument); ++j)
                extends = extends || isType(ts_node_child(argument, j), "extends");
            uint32_t named = ts_node_named_child_count(argument);
            argument = extends && named > 0 ? ts_node_named_child(argument, named - 1) : TSNode{};
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::vector<std::string> TypeResolver::argumentTypes(TSNode declared,
                                                     const std::vector<size_t>& indices) {
    std::vector<TSNode> arguments = typeArgumentNodes(declared);
    std::vector<std::string> types;
    for (size_t index : indices) {
        if (index >= arguments.size()) return std::vector<std::string>();
        types.push_back(typeName(arguments[index]));
    }
    return types;
}

}  // namespace host
