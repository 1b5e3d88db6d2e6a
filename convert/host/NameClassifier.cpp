// NameClassifier: node kinds and qualified names of a file's names, by the
// file's declarations and imports, the types and members of the tree, and
// scopes of variables with their declared types.
#include "NameClassifier.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "JdkGenerics.h"
#include "SyntaxNodes.h"
#include "TaskStack.h"

namespace host {

namespace {

constexpr char kArraySuffix[] = "[]";

bool isArrayType(const std::string& type) {
    return type.size() > 2 && type.compare(type.size() - 2, 2, kArraySuffix) == 0;
}

bool isCapitalised(const std::string& name) {
    return !name.empty() && name[0] >= 'A' && name[0] <= 'Z';
}

// A constant name such as MAX_SIZE: no lower-case letter at all.
bool isConstantName(const std::string& name) {
    return std::none_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

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

// What a receiver expression turned out to be.
struct Receiver {
    enum Kind { kUnknown, kPackage, kType, kValue } kind = kUnknown;
    std::string name;   // package or qualified type name; the value's type
    TSNode declared{};  // a variable's type as written
};

class Classifier {
public:
    Classifier(const std::string& source, std::vector<Leaf>& leaves, const TreeTypes& types,
               const RuleFacts& rules)
        : src(source), leaves(leaves), types(types), rules(rules) {}

    void run(TSNode root) {
        collectFileFacts(root);
        tasks.run([this, root] { visit(root); });
    }

    // The types of the file, for the other files of the tree.
    void exportTypes(TSNode root, TreeTypes& tree) {
        std::vector<std::pair<TSNode, std::string>> declarations;
        collectNames(root, declarations);
        for (const auto& declaration : declarations) {
            const std::string& nested = declaration.second;
            tree.qualifiedNames.insert(qualify(nested));
            if (nested.find('.') == std::string::npos) tree.byPackage[package].insert(nested);
        }
    }

    // The members of the file's types, for the other files of the tree.
    void exportMembers(TSNode root, TreeTypes& tree) {
        collectFileFacts(root);
        for (const auto& own : ownClasses) tree.members[qualify(own.first)] = own.second.members;
    }

private:
    const std::string& src;
    std::vector<Leaf>& leaves;
    const TreeTypes& types;
    const RuleFacts& rules;

    std::string package;
    std::map<std::string, std::string> singleImports;  // simple -> qualified
    std::vector<std::string> onDemand;                 // packages (or types) imported with *
    std::map<std::string, std::string> staticMembers;  // member -> owner type
    std::map<std::string, std::string> ownTypes;       // simple -> qualified, every nesting
    // Keyed by the qualified name without the package (ownKey).
    std::map<std::string, OwnClass> ownClasses;
    std::vector<Scope> scopes;
    // The enum type of each switch being walked whose selector is of a
    // known enum type, else empty: a bare name in its case labels is one
    // of that enum's constants.
    std::vector<std::string> switchEnums;
    // Parameter types of lambdas whose parameters are written without.
    std::map<const void*, std::vector<std::string>> lambdaTypes;
    // The walk's pending work (see TaskStack): it never recurses.
    TaskStack tasks;

    std::string text(TSNode node) const {
        return src.substr(ts_node_start_byte(node),
                          ts_node_end_byte(node) - ts_node_start_byte(node));
    }

    Leaf* leafOf(TSNode node) {
        unsigned start = ts_node_start_byte(node);
        auto found =
            std::lower_bound(leaves.begin(), leaves.end(), start,
                             [](const Leaf& leaf, unsigned at) { return leaf.startByte < at; });
        if (found == leaves.end() || found->startByte != start) return nullptr;
        return &*found;
    }

    // A member or method name after a receiver of unknown type.
    void markUntyped(TSNode node, int kind) {
        mark(node, kind);
        markUnresolved(node, kind);
    }

    void markUnresolved(TSNode node, int kind) {
        Leaf* leaf = leafOf(node);
        if (leaf != nullptr) leaf->unresolved = kind;
    }

    void mark(TSNode node, int kind, const std::string& qualified = std::string()) {
        Leaf* leaf = leafOf(node);
        if (leaf == nullptr || leaf->comment) return;
        leaf->kind = kind;
        leaf->qualified = qualified.empty() ? leaf->text : qualified;
    }

    // ---- facts of the whole file, gathered before the walk ----

    void collectFileFacts(TSNode root) {
        std::vector<std::pair<TSNode, std::string>> declarations;
        collectNames(root, declarations);
        // Members after all types, so that a member's type may be declared later.
        for (const auto& declaration : declarations)
            collectMembers(declaration.first, declaration.second, ownClasses[declaration.second]);
    }

    // The package, the imports, and the file's type declarations with their
    // names nested in the file (Outer.Inner).
    void collectNames(TSNode root, std::vector<std::pair<TSNode, std::string>>& declarations) {
        uint32_t count = ts_node_named_child_count(root);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(root, i);
            std::string type = typeOf(child);
            if (type == "package_declaration") {
                TSNode name = ts_node_named_child(child, ts_node_named_child_count(child) - 1);
                package = text(name);
            } else if (type == "import_declaration") {
                collectImport(child);
            }
        }
        collectOwnTypes(root, declarations);
    }

    void collectImport(TSNode node) {
        bool isStatic = false;
        bool asterisk = false;
        std::string name;
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            std::string type = typeOf(child);
            if (type == "static") isStatic = true;
            if (type == "asterisk") asterisk = true;
            if (type == "scoped_identifier" || type == "identifier") name = text(child);
        }
        if (name.empty()) return;
        if (asterisk) {
            onDemand.push_back(name);
            return;
        }
        size_t dot = name.rfind('.');
        std::string simple = dot == std::string::npos ? name : name.substr(dot + 1);
        if (isStatic) {
            staticMembers[simple] = dot == std::string::npos ? std::string() : name.substr(0, dot);
        } else {
            singleImports[simple] = name;
        }
    }

    // The type declarations below root in source order, with their names
    // nested in the file.
    void collectOwnTypes(TSNode root, std::vector<std::pair<TSNode, std::string>>& declarations) {
        // Nodes still to read, the next one last, each with its outer name.
        std::vector<std::pair<TSNode, std::string>> open{{root, std::string()}};
        while (!open.empty()) {
            TSNode node = open.back().first;
            std::string outer = std::move(open.back().second);
            open.pop_back();
            TSNode name = fieldOf(node, "name");
            if (isTypeDeclaration(typeOf(node)) && !ts_node_is_null(name)) {
                std::string simple = text(name);
                outer = outer.empty() ? simple : outer + "." + simple;
                ownTypes.emplace(simple, outer);
                declarations.emplace_back(node, outer);
            }
            for (uint32_t i = ts_node_named_child_count(node); i > 0; --i)
                open.emplace_back(ts_node_named_child(node, i - 1), outer);
        }
    }

    // The record components, fields, enum constants and methods of a type
    // declaration (nested name in the file: qualified), or of an anonymous
    // class body.
    void collectMembers(TSNode declaration, const std::string& qualified, OwnClass& own) {
        push();  // the declaration's type parameters, while its members are read
        declareTypeParameters(declaration);
        collectMembersIn(declaration, qualified, own);
        pop();
    }

    void collectMembersIn(TSNode declaration, const std::string& qualified, OwnClass& own) {
        ClassMembers& members = own.members;
        auto addField = [&](TSNode name, TSNode type) {
            members.fields[text(name)] = typeName(type);
            own.fieldTypes[text(name)] = type;
        };
        TSNode superclass = fieldOf(declaration, "superclass");
        if (!ts_node_is_null(superclass) && ts_node_named_child_count(superclass) > 0)
            members.superclass = typeName(ts_node_named_child(superclass, 0));
        TSNode implemented = fieldOf(declaration, "interfaces");
        TSNode list = ts_node_is_null(implemented) ? TSNode{} : ts_node_named_child(implemented, 0);
        for (uint32_t i = 0; isType(list, "type_list") && i < ts_node_named_child_count(list); ++i)
            members.interfaces.push_back(typeName(ts_node_named_child(list, i)));
        TSNode components = fieldOf(declaration, "parameters");  // of a record
        if (!ts_node_is_null(components)) {
            uint32_t count = ts_node_named_child_count(components);
            for (uint32_t i = 0; i < count; ++i) {
                TSNode component = ts_node_named_child(components, i);
                TSNode name = fieldOf(component, "name");
                if (!ts_node_is_null(name)) addField(name, fieldOf(component, "type"));
            }
        }
        TSNode body =
            isType(declaration, "class_body") ? declaration : fieldOf(declaration, "body");
        if (ts_node_is_null(body)) return;
        std::string enumType = isType(declaration, "enum_declaration") ? qualify(qualified) : "";
        int abstractMethods = 0;
        std::function<void(TSNode)> scan = [&](TSNode holder) {
            uint32_t count = ts_node_named_child_count(holder);
            for (uint32_t i = 0; i < count; ++i) {
                TSNode member = ts_node_named_child(holder, i);
                std::string type = typeOf(member);
                TSNode name = fieldOf(member, "name");
                if (type == "field_declaration" || type == "constant_declaration") {
                    TSNode fieldType = fieldOf(member, "type");
                    forDeclarators(member,
                                   [&](TSNode named, TSNode) { addField(named, fieldType); });
                } else if (type == "enum_constant" && !ts_node_is_null(name)) {
                    members.fields[text(name)] = enumType;
                } else if (type == "method_declaration" && !ts_node_is_null(name)) {
                    push();
                    declareTypeParameters(member);
                    // Overloads of different result types: none is known.
                    std::string result = typeName(fieldOf(member, "type"));
                    auto known = members.methods.emplace(text(name), result);
                    if (!known.second && known.first->second != result) known.first->second = "";
                    MethodOverload overload = overloadOf(member);
                    members.overloads[text(name)].push_back(overload);
                    if (ts_node_is_null(fieldOf(member, "body")) &&
                        !hasModifier(member, "static") && !hasModifier(member, "default")) {
                        ++abstractMethods;
                        members.lambdaParameters = overload.parameters;
                    }
                    pop();
                } else if (type == "enum_body_declarations") {
                    scan(member);
                }
            }
        };
        scan(body);
        members.functional = isType(declaration, "interface_declaration") && abstractMethods == 1;
        if (!members.functional) members.lambdaParameters.clear();
    }

    // A method declaration's parameter types (a variable arity one is
    // unknown) and whether it overrides.
    MethodOverload overloadOf(TSNode declaration) {
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

    // Whether a class declares a method of that name that takes arity
    // arguments (any number for -1), as an override (@Override) or not.
    static bool declaresMethod(const ClassMembers& members, const std::string& name, int arity,
                               bool overrides) {
        auto overloads = members.overloads.find(name);
        if (overloads == members.overloads.end()) return false;
        return std::any_of(overloads->second.begin(), overloads->second.end(),
                           [&](const MethodOverload& overload) {
                               int count = static_cast<int>(overload.parameters.size());
                               bool fits = arity < 0 || count == arity ||
                                           (overload.variableArity && arity >= count - 1);
                               return fits && overload.overrides == overrides;
                           });
    }

    static bool hasModifier(TSNode declaration, const char* keyword) {
        uint32_t count = ts_node_named_child_count(declaration);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(declaration, i);
            if (!isType(child, "modifiers")) continue;
            for (uint32_t j = 0; j < ts_node_child_count(child); ++j) {
                if (isType(ts_node_child(child, j), keyword)) return true;
            }
        }
        return false;
    }

    template <typename Function>
    void forDeclarators(TSNode declaration, Function function) {
        uint32_t count = ts_node_named_child_count(declaration);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(declaration, i);
            if (!isType(child, "variable_declarator")) continue;
            TSNode name = fieldOf(child, "name");
            if (!ts_node_is_null(name)) function(name, fieldOf(child, "value"));
        }
    }

    // ---- types ----

    // The qualified name of a simple type name; known is false when only
    // the name itself can be given.
    std::string resolveType(const std::string& simple, bool* known = nullptr) {
        auto set = [&](bool value) {
            if (known != nullptr) *known = value;
        };
        set(true);
        auto own = ownTypes.find(simple);
        if (own != ownTypes.end()) return qualify(own->second);
        auto single = singleImports.find(simple);
        if (single != singleImports.end()) return single->second;
        auto same = types.byPackage.find(package);
        if (same != types.byPackage.end() && same->second.count(simple) != 0)
            return qualify(simple);
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
        for (const std::string& pkg : onDemand) {
            if (isJdkPackage(pkg) || types.byPackage.count(pkg) != 0) continue;
            if (underRules(pkg)) return pkg + "." + simple;
        }
        set(false);
        return simple;
    }

    bool underRules(const std::string& qualified) const {
        return std::any_of(
            rules.packageKeywords.begin(), rules.packageKeywords.end(),
            [&](const std::string& keyword) { return containsPackage(qualified, keyword); });
    }

    // A class name standing alone is 24, which the plug-in's class rules
    // match by the name as written. A name that resolves to a type outside
    // the rules' packages (the file's own, the tree's, the JDK's) is another
    // class than the vendor's of that name: it is a reference (11) whose
    // qualified name no rule concerns.
    void markClassName(TSNode node) {
        bool known = false;
        std::string qualified = resolveType(text(node), &known);
        mark(node, known && !underRules(qualified) ? kKindClassRef : kKindClass, qualified);
    }

    std::string qualify(const std::string& name) const {
        return package.empty() ? name : package + "." + name;
    }

    // The qualified type of a type node without its type arguments; empty
    // for primitive and array types and for var.
    std::string typeName(TSNode node) {
        if (ts_node_is_null(node)) return std::string();
        std::string type = typeOf(node);
        if (type == "type_identifier") {
            std::string name = text(node);
            // A type variable stands for its bound.
            const std::string* variable = typeVariable(name);
            if (variable != nullptr) return *variable;
            return name == "var" ? std::string() : resolveType(name);
        }
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

    // The names of a dotted name or type in source order; Outer<T>.Inner
    // gives the outer type's name, without its arguments.
    static void typeParts(TSNode node, std::vector<TSNode>& parts) {
        std::vector<TSNode> open{node};  // nodes still to read, the next one last
        while (!open.empty()) {
            TSNode at = open.back();
            open.pop_back();
            std::string type = typeOf(at);
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

    // A dotted type: package parts are 16, class parts 11. Returns the
    // qualified name of the whole.
    std::string scopedTypeName(TSNode node, bool markParts) {
        std::vector<TSNode> parts;
        typeParts(node, parts);
        if (parts.empty()) return std::string();
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
            if (!inClass &&
                (isCapitalised(part) || last || types.qualifiedNames.count(qualified) != 0))
                inClass = true;
            if (markParts) mark(parts[i], inClass ? kKindClassRef : kKindName, qualified);
        }
        return qualified;
    }

    // ---- scopes ----

    void push() { scopes.emplace_back(); }

    // A class body: its fields are variables of the scope.
    void pushClass(const std::string& qualified, const OwnClass& own) {
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

    void pop() { scopes.pop_back(); }

    // The type parameters of a class or method declaration, into the
    // innermost scope.
    void declareTypeParameters(TSNode declaration) {
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

    const std::string* typeVariable(const std::string& name) const {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            auto found = scope->typeVariables.find(name);
            if (found != scope->typeVariables.end()) return &found->second;
        }
        return nullptr;
    }

    void declare(const std::string& name, const std::string& type, TSNode declared = TSNode{}) {
        if (!scopes.empty())
            scopes.back().variables[name] = Variable{type, false, std::string(), declared};
    }

    const Variable* lookup(const std::string& name) const {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            auto found = scope->variables.find(name);
            if (found != scope->variables.end()) return &found->second;
        }
        return nullptr;
    }

    const Scope* currentClass() const {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (scope->classScope) return &*scope;
        }
        return nullptr;
    }

    // Where a member name of a class leads: the class of the chain (the
    // class and its superclasses, as far as the file and the tree declare
    // them) that declares it, with the member's type; or, when no class of
    // the chain does, the first class of the chain that neither the file nor
    // the tree declares (the vendor's, say), which the name must come from,
    // with an unknown type.
    struct MemberOwner {
        std::string owner;
        std::string type;
    };

    // depth counts the classes of the chain looked at so far: a bound
    // against classes that (as far as names tell) extend each other.
    MemberOwner findMember(const std::string& type, const std::string& name, bool method,
                           int arity = -1, int depth = 0) const {
        std::string current = type;
        for (int step = depth; step < kMaxChain && !current.empty(); ++step) {
            const ClassMembers* members = membersOf(current);
            if (members == nullptr) return MemberOwner{current, std::string()};
            MemberOwner found;
            if (memberIn(*members, current, name, method, arity, step + 1, found)) return found;
            current = members->superclass;
        }
        return MemberOwner{};
    }

    static constexpr int kMaxChain = 64;

    // Whether the class self, with these members, declares the member. A
    // method declared as an override (@Override) stands for the method it
    // overrides, so that a rule renames the override with its calls: the
    // superclass chain's, or else the one interface from outside the file
    // and the tree that the class implements, or else the class's own.
    bool memberIn(const ClassMembers& members, const std::string& self, const std::string& name,
                  bool method, int arity, int depth, MemberOwner& found) const {
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
        found = members.superclass.empty()
                    ? MemberOwner{}
                    : findMember(members.superclass, name, true, arity, depth);
        std::vector<std::string> foreign = foreignInterfaces(members);
        if (found.owner.empty() && foreign.size() == 1) found.owner = foreign[0];
        if (found.owner.empty()) found = MemberOwner{self, members.methods.at(name)};
        return true;
    }

    // The interfaces a class implements that neither the file nor the tree
    // declares.
    std::vector<std::string> foreignInterfaces(const ClassMembers& members) const {
        std::vector<std::string> foreign;
        for (const std::string& implemented : members.interfaces) {
            if (!isKnownClass(implemented)) foreign.push_back(implemented);
        }
        return foreign;
    }

    // The members of a class of the file or the tree; null for any other.
    const ClassMembers* membersOf(const std::string& type) const {
        auto own = ownClasses.find(ownKey(type));
        if (own != ownClasses.end() && qualify(own->first) == type) return &own->second.members;
        auto tree = types.members.find(type);
        return tree != types.members.end() ? &tree->second : nullptr;
    }

    bool isKnownClass(const std::string& type) const { return membersOf(type) != nullptr; }

    std::string fieldType(const std::string& owner, const std::string& field) const {
        return findMember(owner, field, false).type;
    }

    // A name used without receiver, that no scope declares as a variable:
    // the nearest enclosing class whose chain declares it, else where the
    // nearest class with a superclass inherits it from, else (a method) the
    // nearest class. Empty owner when none of them tells.
    MemberOwner findUnqualified(const std::string& name, bool method, int arity = -1) const {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (!scope->classScope) continue;
            MemberOwner own;
            if (method &&
                memberIn(scope->own.members, scope->classQualified, name, true, arity, 0, own))
                return own;
            if (scope->superQualified.empty()) continue;
            MemberOwner inherited = findMember(scope->superQualified, name, method, arity);
            if (isKnownClass(inherited.owner)) return inherited;
        }
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (scope->classScope && !scope->superQualified.empty())
                return findMember(scope->superQualified, name, method, arity);
        }
        const Scope* own = currentClass();
        if (!method || own == nullptr) return MemberOwner{};
        return MemberOwner{own->classQualified, std::string()};
    }

    // ---- the walk ----
    //
    // A visit classifies what it can at once and hands the visits of the
    // nodes below it to the task stack (visitLater), with the work that
    // must follow them (the end of a scope): they run in source order, as
    // a recursive walk would run them.

    void visitLater(TSNode node) {
        tasks.then([this, node] { visit(node); });
    }

    void popLater() {
        tasks.then([this] { pop(); });
    }

    void visitChildren(TSNode node) {
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) visitLater(ts_node_child(node, i));
    }

    void visit(TSNode node) {
        std::string type = typeOf(node);
        if (type == "package_declaration" || type == "module_declaration") {
            // The file's own package is never vendor code, even when a part
            // of it reads like a package keyword.
            markIdentifiers(node, kKindOther);
        } else if (type == "import_declaration") {
            visitImport(node);
        } else if (isTypeDeclaration(type)) {
            visitTypeDeclaration(node);
        } else if (type == "method_declaration" || type == "constructor_declaration" ||
                   type == "compact_constructor_declaration" ||
                   type == "annotation_type_element_declaration") {
            markDeclaredMethod(node);
            push();
            declareTypeParameters(node);
            visitExcept(node, {fieldOf(node, "name")});
            popLater();
        } else if (type == "block" || type == "constructor_body" || type == "switch_block" ||
                   type == "for_statement" || type == "enhanced_for_statement" ||
                   type == "catch_clause" || type == "try_with_resources_statement" ||
                   type == "lambda_expression" || type == "switch_block_statement_group" ||
                   type == "switch_rule") {
            push();
            if (type == "enhanced_for_statement") {
                // for (var s : sessions): the element type of the iterable.
                TSNode iterable = fieldOf(node, "value");
                Receiver items = visitValue(iterable);
                visitVariable(fieldOf(node, "type"), fieldOf(node, "name"), elementOf(items));
                visitExcept(node, {fieldOf(node, "name"), fieldOf(node, "type"), iterable});
            } else if (type == "lambda_expression") {
                visitLambdaParameters(node, fieldOf(node, "parameters"));
                visitExcept(node, {fieldOf(node, "parameters")});
            } else {
                visitChildren(node);
            }
            popLater();
        } else if (type == "formal_parameter" || type == "spread_parameter" ||
                   type == "catch_formal_parameter" || type == "resource") {
            visitParameter(node);
        } else if (type == "local_variable_declaration" || type == "field_declaration" ||
                   type == "constant_declaration") {
            visitDeclaration(node, type == "local_variable_declaration");
        } else if (type == "method_invocation" || type == "field_access") {
            analyse(node);
        } else if (type == "identifier") {
            visitIdentifier(node);
        } else if (type == "type_identifier") {
            std::string name = text(node);
            if (name == "var") {
                mark(node, kKindKeyword);
            } else if (typeVariable(name) != nullptr) {
                mark(node, kKindOther);
            } else {
                markClassName(node);
            }
        } else if (type == "scoped_type_identifier") {
            scopedTypeName(node, true);
            visitAnnotationsAndTypeArguments(node);
        } else if (type == "marker_annotation" || type == "annotation") {
            TSNode name = fieldOf(node, "name");
            if (isType(name, "identifier")) {
                markClassName(name);
            } else if (!ts_node_is_null(name)) {
                scopedTypeName(name, true);
            }
            visitExcept(node, {name});
        } else if (type == "element_value_pair") {
            mark(fieldOf(node, "key"), kKindOther);
            visitExcept(node, {fieldOf(node, "key")});
        } else if (type == "labeled_statement" || type == "break_statement" ||
                   type == "continue_statement") {
            visitNamingChildren(node, kKindLabel, std::string());
        } else if (type == "enum_constant") {
            mark(fieldOf(node, "name"), kKindDeclared);
            visitExcept(node, {fieldOf(node, "name")});
        } else if (type == "method_reference") {
            visitMethodReference(node);
        } else if (type == "instanceof_expression") {
            TSNode name = fieldOf(node, "name");
            if (!ts_node_is_null(name)) {
                declare(text(name), typeName(fieldOf(node, "right")));
                mark(name, kKindVariable);
            }
            visitExcept(node, {name});
        } else if (type == "type_pattern") {
            TSNode typeNode = ts_node_named_child(node, 0);
            TSNode name = ts_node_named_child(node, ts_node_named_child_count(node) - 1);
            if (isType(name, "identifier")) {
                declare(text(name), typeName(typeNode));
                mark(name, kKindVariable);
                visitExcept(node, {name});
            } else {
                visitChildren(node);
            }
        } else if (type == "object_creation_expression") {
            visitCreation(node);
        } else if (type == "switch_expression") {
            visitSwitch(node);
        } else if (type == "switch_label" && !switchEnums.empty() && !switchEnums.back().empty()) {
            // case READ_ONLY: a constant of the selector's enum, as
            // Mode.READ_ONLY would be.
            visitNamingChildren(node, kKindMember, switchEnums.back());
        } else {
            visitChildren(node);
        }
    }

    // A switch whose selector has a known type that is neither the JDK's
    // (String, a boxed number) nor an array switches over an enum.
    void visitSwitch(TSNode node) {
        TSNode condition = fieldOf(node, "condition");
        TSNode body = fieldOf(node, "body");
        std::string enumType;
        if (!ts_node_is_null(condition)) {
            Receiver selector = analyse(condition);
            std::string type = selector.kind == Receiver::kValue ? selector.name : "";
            size_t dot = type.rfind('.');
            bool jdk = dot != std::string::npos && isJdkPackage(type.substr(0, dot));
            if (!type.empty() && !isArrayType(type) && !jdk) enumType = type;
        }
        tasks.then([this, enumType] { switchEnums.push_back(enumType); });
        visitExcept(node, {condition, body});
        if (!ts_node_is_null(body)) visitLater(body);
        tasks.then([this] { switchEnums.pop_back(); });
    }

    // Visits the children of node but those in skip.
    void visitExcept(TSNode node, std::initializer_list<TSNode> skip) {
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            bool skipped = std::any_of(skip.begin(), skip.end(), [&](TSNode other) {
                return !ts_node_is_null(other) && ts_node_eq(child, other);
            });
            if (!skipped) visitLater(child);
        }
    }

    // The annotations and the type arguments inside a dotted type, whose
    // names scopedTypeName marks (Outer<Session>.Inner).
    void visitAnnotationsAndTypeArguments(TSNode node) {
        std::vector<TSNode> open{node};  // nodes still to read, the next one last
        while (!open.empty()) {
            TSNode at = open.back();
            open.pop_back();
            std::string type = typeOf(at);
            bool top = ts_node_eq(at, node);
            if (!top &&
                (type == "marker_annotation" || type == "annotation" || type == "type_arguments")) {
                visitLater(at);
            } else if (top || type == "generic_type" || type == "scoped_type_identifier") {
                for (uint32_t i = ts_node_named_child_count(at); i > 0; --i)
                    open.push_back(ts_node_named_child(at, i - 1));
            }
        }
    }

    // Visits the children of node, but marks its own identifiers as kind,
    // qualified by owner when there is one.
    void visitNamingChildren(TSNode node, int kind, const std::string& owner) {
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            if (!isType(child, "identifier")) {
                visitLater(child);
                continue;
            }
            tasks.then([this, child, kind, owner] {
                mark(child, kind, owner.empty() ? std::string() : owner + "." + text(child));
            });
        }
    }

    void markIdentifiers(TSNode node, int kind) {
        walkTree(node, [&](TSNode at, uint32_t depth) {
            if (depth == 1 || !isType(at, "identifier")) return WalkNext::kInto;
            mark(at, kind);
            return WalkNext::kOver;
        });
    }

    // Import parts are plain names; the last name is a class reference
    // that carries the whole imported name, so that the plug-in sees the
    // vendor package in it.
    void visitImport(TSNode node) {
        std::vector<TSNode> parts;
        typeParts(node, parts);
        std::string qualified;
        for (size_t i = 0; i < parts.size(); ++i) {
            qualified += (i == 0 ? "" : ".") + text(parts[i]);
            mark(parts[i], i + 1 == parts.size() ? kKindClassRef : kKindName, qualified);
        }
    }

    void visitTypeDeclaration(TSNode node) {
        TSNode name = fieldOf(node, "name");
        mark(name, kKindDeclared);
        std::string simple = ts_node_is_null(name) ? std::string() : text(name);
        std::string qualified;
        const Scope* outer = currentClass();
        if (outer != nullptr && !outer->classQualified.empty()) {
            qualified = outer->classQualified + "." + simple;
        } else {
            auto own = ownTypes.find(simple);
            qualified = own != ownTypes.end() ? qualify(own->second) : qualify(simple);
        }
        pushClass(qualified, ownClasses[ownKey(qualified)]);
        declareTypeParameters(node);
        visitExcept(node, {name});
        popLater();
    }

    // The name of a method that overrides (@Override) a method that no
    // class of the file or the tree declares names the method it overrides,
    // where that can only be one type's: the first class of the superclass
    // chain that the file and the tree do not declare, or else the one
    // interface from outside them that the class implements. A call's rule
    // renames the override with it. Not Object's methods. A method that
    // may override a vendor's but is not marked, or whose origin is not
    // clear, is unresolved (listed to check).
    void markDeclaredMethod(TSNode node) {
        TSNode name = fieldOf(node, "name");
        const Scope* own = currentClass();
        static const std::set<std::string> kObjectMethods = {"equals", "hashCode", "toString",
                                                             "clone", "finalize"};
        if (!isType(node, "method_declaration") || ts_node_is_null(name) || own == nullptr ||
            kObjectMethods.count(text(name)) != 0) {
            mark(name, kKindDeclared);
            return;
        }
        std::vector<std::string> origins = foreignInterfaces(own->own.members);
        if (!own->superQualified.empty()) {
            int arity = static_cast<int>(overloadOf(node).parameters.size());
            MemberOwner inherited = findMember(own->superQualified, text(name), true, arity);
            if (!inherited.owner.empty() && !isKnownClass(inherited.owner))
                origins.insert(origins.begin(), inherited.owner);
        }
        if (origins.size() == 1 && hasAnnotation(node, "Override")) {
            mark(name, kKindMethod, origins[0] + "." + text(name));
            return;
        }
        mark(name, kKindDeclared);
        bool vendor = std::any_of(origins.begin(), origins.end(),
                                  [&](const std::string& origin) { return underRules(origin); });
        if (vendor) markUnresolved(name, kKindMethod);
    }

    bool hasAnnotation(TSNode declaration, const std::string& annotation) const {
        uint32_t count = ts_node_named_child_count(declaration);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode modifiers = ts_node_named_child(declaration, i);
            if (!isType(modifiers, "modifiers")) continue;
            for (uint32_t j = 0; j < ts_node_named_child_count(modifiers); ++j) {
                TSNode name = fieldOf(ts_node_named_child(modifiers, j), "name");
                if (!ts_node_is_null(name) && text(name) == annotation) return true;
            }
        }
        return false;
    }

    // A declared variable whose type, when written as var, is inferred.
    void visitVariable(TSNode typeNode, TSNode name, const std::string& inferred) {
        bool isVar = isType(typeNode, "type_identifier") && text(typeNode) == "var";
        std::string type = isVar ? inferred : typeName(typeNode);
        if (!ts_node_is_null(typeNode)) visitLater(typeNode);
        if (ts_node_is_null(name)) return;
        tasks.then([this, typeNode, name, type] {
            declare(text(name), type, typeNode);
            mark(name, kKindVariable);
        });
    }

    void visitParameter(TSNode node) {
        TSNode typeNode = fieldOf(node, "type");
        TSNode name = fieldOf(node, "name");
        if (isType(node, "catch_formal_parameter")) {
            TSNode catchType = ts_node_named_child(node, 0);
            for (uint32_t i = 0; i < ts_node_named_child_count(node); ++i) {
                if (isType(ts_node_named_child(node, i), "catch_type"))
                    catchType = ts_node_named_child(node, i);
            }
            typeNode = ts_node_named_child_count(catchType) == 1 ? ts_node_named_child(catchType, 0)
                                                                 : TSNode{};
        }
        if (isType(node, "spread_parameter")) {
            // Type... name: the declarator holds the name.
            for (uint32_t i = 0; i < ts_node_named_child_count(node); ++i) {
                TSNode child = ts_node_named_child(node, i);
                if (isType(child, "variable_declarator")) name = fieldOf(child, "name");
            }
        }
        if (!ts_node_is_null(name)) {
            declare(text(name), typeNode.id == nullptr ? std::string() : typeName(typeNode),
                    typeNode);
            mark(name, kKindVariable);
        }
        visitExcept(node, {name});
    }

    // Parameters without types take those the lambda's target gives them
    // (typeLambda), else they have no known type.
    void visitLambdaParameters(TSNode lambda, TSNode parameters) {
        if (ts_node_is_null(parameters)) return;
        std::vector<TSNode> names;
        if (isType(parameters, "identifier")) {
            names.push_back(parameters);
        } else if (isType(parameters, "inferred_parameters")) {
            for (uint32_t i = 0; i < ts_node_named_child_count(parameters); ++i)
                names.push_back(ts_node_named_child(parameters, i));
        } else {
            visitLater(parameters);
            return;
        }
        auto typed = lambdaTypes.find(lambda.id);
        for (size_t i = 0; i < names.size(); ++i) {
            bool known = typed != lambdaTypes.end() && typed->second.size() == names.size();
            declare(text(names[i]), known ? typed->second[i] : std::string());
            mark(names[i], kKindVariable);
        }
    }

    // The types of the type arguments at indices; empty when one is missing.
    std::vector<std::string> argumentTypes(TSNode declared, const std::vector<size_t>& indices) {
        std::vector<TSNode> arguments = typeArgumentNodes(declared);
        std::vector<std::string> types;
        for (size_t index : indices) {
            if (index >= arguments.size()) return std::vector<std::string>();
            types.push_back(typeName(arguments[index]));
        }
        return types;
    }

    // The result of a JDK container's method, typed by the receiver's
    // declared type arguments: an element (list.get(0), map.get(k),
    // optional.get()), or a container of the same elements (list.stream(),
    // stream.filter(...)).
    Receiver containerResult(const Receiver& receiver, const std::string& method) {
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

    // The type arguments as written ("? extends T" gives T, "?" nothing).
    static std::vector<TSNode> typeArgumentNodes(TSNode typeNode) {
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
                argument =
                    extends && named > 0 ? ts_node_named_child(argument, named - 1) : TSNode{};
            }
            arguments.push_back(argument);
        }
        return arguments;
    }

    // The parameter types of a lambda whose target has this type (as
    // written in typeNode): one of the JDK's functional interfaces, or one
    // of the file or the tree.
    std::vector<std::string> targetParameters(const std::string& type, TSNode typeNode) {
        const ClassMembers* members = membersOf(type);
        if (members != nullptr) {
            return members->functional ? members->lambdaParameters : std::vector<std::string>();
        }
        return argumentTypes(typeNode, jdkFunctionParameters(type));
    }

    // Lambdas given to a method of a class of the file or the tree take
    // their parameter types from the method's parameters, when one overload
    // alone has as many parameters as the call has arguments.
    void typeLambdaArguments(const MemberOwner& callee, const std::string& method,
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

    void typeLambda(TSNode lambda, const std::vector<std::string>& parameters) {
        bool known = !parameters.empty() &&
                     std::none_of(parameters.begin(), parameters.end(),
                                  [](const std::string& type) { return type.empty(); });
        if (known) lambdaTypes[lambda.id] = parameters;
    }

    // Each declarator in turn, so that a later initializer sees the
    // variables declared before it.
    void visitDeclaration(TSNode node, bool local) {
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            if (isType(child, "variable_declarator")) {
                tasks.then([this, node, child, local] { visitDeclarator(node, child, local); });
            } else {
                visitLater(child);
            }
        }
    }

    void visitDeclarator(TSNode declaration, TSNode declarator, bool local) {
        TSNode typeNode = fieldOf(declaration, "type");
        std::string type = typeName(typeNode);
        TSNode name = fieldOf(declarator, "name");
        TSNode value = fieldOf(declarator, "value");
        if (isType(value, "lambda_expression")) typeLambda(value, targetParameters(type, typeNode));
        // var x = ...: the initializer's type, where it is known.
        Receiver initial = visitValue(value);
        bool inferred = isType(typeNode, "type_identifier") && text(typeNode) == "var";
        std::string declared = inferred ? initial.name : type;
        TSNode written = inferred ? initial.declared : typeNode;
        tasks.then([this, local, name, declared, written] {
            if (local && !ts_node_is_null(name)) declare(text(name), declared, written);
            mark(name, kKindVariable);
        });
        visitExcept(declarator, {name, value});
    }

    // Visits an expression and gives its type where the walk knows it: a
    // variable, a field, a call, a cast, new T(), an array element.
    Receiver visitValue(TSNode node) {
        if (ts_node_is_null(node)) return Receiver{};
        std::string type = typeOf(node);
        if (type == "identifier") return visitIdentifier(node);
        if (type == "method_invocation" || type == "field_access" || type == "cast_expression" ||
            type == "object_creation_expression" || type == "parenthesized_expression" ||
            type == "array_access" || type == "this") {
            Receiver value = analyse(node);
            return value.kind == Receiver::kValue ? value : Receiver{};
        }
        visitLater(node);
        return Receiver{};
    }

    // The element type of what a for-each loop walks: an array, or a JDK
    // collection declared with its type argument.
    std::string elementOf(const Receiver& items) {
        if (isArrayType(items.name))
            return items.name.substr(0, items.name.size() - strlen(kArraySuffix));
        std::vector<std::string> element =
            argumentTypes(items.declared, jdkLambdaParameters(items.name, "forEach"));
        return element.size() == 1 ? element[0] : std::string();
    }

    void visitCreation(TSNode node) {
        TSNode body{};
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            if (isType(child, "class_body")) {
                body = child;
                continue;
            }
            visitLater(child);
        }
        if (body.id != nullptr) tasks.then([this, node, body] { visitAnonymousClass(node, body); });
    }

    void visitAnonymousClass(TSNode creation, TSNode body) {
        OwnClass anonymous;
        collectMembers(body, std::string(), anonymous);
        anonymous.members.superclass = typeName(fieldOf(creation, "type"));
        pushClass(std::string(), anonymous);
        visitLater(body);
        popLater();
    }

    static bool isTypeNode(TSNode node) {
        return isType(node, "type_identifier") || isType(node, "generic_type") ||
               isType(node, "scoped_type_identifier") || isType(node, "array_type");
    }

    // Type::method and value::method name a method the way a call does.
    void visitMethodReference(TSNode node) {
        uint32_t count = ts_node_child_count(node);
        bool afterColons = false;
        Receiver receiver;
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            if (typeOf(child) == "::") {
                afterColons = true;
            } else if (afterColons && isType(child, "identifier")) {
                tasks.then([this, child, receiver] {
                    mark(child, kKindMethod,
                         qualifiedName(memberOf(receiver, text(child), true), text(child)));
                });
            } else if (!afterColons && isTypeNode(child)) {
                visitLater(child);
                receiver.kind = Receiver::kType;
                receiver.name = typeName(child);
            } else if (!afterColons && ts_node_is_named(child) && !isComment(child)) {
                receiver = analyse(child);
            } else {
                visitLater(child);
            }
        }
    }

    // A member or method of receiver; no owner when the receiver's type is
    // not known.
    // The arguments of an argument list, without comments.
    static std::vector<TSNode> argumentsOf(TSNode list) {
        std::vector<TSNode> arguments;
        for (uint32_t i = 0; !ts_node_is_null(list) && i < ts_node_named_child_count(list); ++i) {
            TSNode argument = ts_node_named_child(list, i);
            if (!isComment(argument)) arguments.push_back(argument);
        }
        return arguments;
    }

    MemberOwner memberOf(const Receiver& receiver, const std::string& name, bool method,
                         int arity = -1) const {
        bool typed = receiver.kind == Receiver::kType || receiver.kind == Receiver::kValue;
        if (!typed || receiver.name.empty() || isArrayType(receiver.name)) return MemberOwner{};
        return findMember(receiver.name, name, method, arity);
    }

    // The qualified name of a member: its owner's name, ".", the name; the
    // name as written without owner.
    static std::string qualifiedName(const MemberOwner& member, const std::string& name) {
        return member.owner.empty() ? name : member.owner + "." + name;
    }

    // A name that stands for a value: a local or parameter (17), a field of
    // an enclosing class or a statically imported member (13). false when no
    // scope and no import declares it.
    bool markDeclaredValue(TSNode node, Receiver& value) {
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
            return true;
        }
        return false;
    }

    // A value name that nothing declares is a field inherited from a
    // superclass, when there is one.
    Receiver visitIdentifier(TSNode node) {
        Receiver value;
        if (markDeclaredValue(node, value)) return value;
        MemberOwner inherited = findUnqualified(text(node), false);
        if (inherited.owner.empty()) {
            mark(node, kKindVariable);
            return value;
        }
        mark(node, kKindOwnMember, qualifiedName(inherited, text(node)));
        value.kind = Receiver::kValue;
        value.name = inherited.type;
        return value;
    }

    // A call, after its receiver (null for a call without one); gives its
    // result, typed when the method's declaration is known.
    Receiver visitCall(TSNode node, const Receiver* receiver) {
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
            callee = member != staticMembers.end() ? MemberOwner{member->second, std::string()}
                                                   : findUnqualified(method, true, arity);
        }
        if (receiver != nullptr && callee.owner.empty()) {
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

    // What a step of a receiver chain applies to: the a of a.b, a.b(),
    // a[i] and (a); null for any other node.
    static TSNode innerReceiver(TSNode node) {
        std::string type = typeOf(node);
        if (type == "field_access" || type == "method_invocation") return fieldOf(node, "object");
        if (type == "array_access") return fieldOf(node, "array");
        TSNode inner{};
        uint32_t count = type == "parenthesized_expression" ? ts_node_named_child_count(node) : 0;
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(node, i);
            if (!isComment(child)) inner = child;
        }
        return inner;
    }

    // Classifies a receiver expression (and everything in it) and tells
    // what it is. A chain (a.b(x).c[i].d) is taken from its innermost
    // receiver out, one step after the other; what lies beside the chain
    // (arguments, an index) is visited later.
    Receiver analyse(TSNode node) {
        std::vector<TSNode> chain{node};
        for (TSNode inner = innerReceiver(node); !ts_node_is_null(inner);
             inner = innerReceiver(inner))
            chain.push_back(inner);
        Receiver result = analyseInnermost(chain.back());
        for (size_t i = chain.size() - 1; i > 0; --i) result = analyseStep(chain[i - 1], result);
        return result;
    }

    // A receiver that is no step of a chain.
    Receiver analyseInnermost(TSNode node) {
        Receiver result;
        std::string type = typeOf(node);
        if (type == "identifier") return analyseName(node);
        if (type == "this" || type == "super") {
            const Scope* own = currentClass();
            result.kind = Receiver::kValue;
            if (own != nullptr)
                result.name = type == "this" ? own->classQualified : own->superQualified;
            return result;
        }
        if (type == "cast_expression") {
            visitChildren(node);
            result.kind = Receiver::kValue;
            result.name = typeName(fieldOf(node, "type"));
            return result;
        }
        if (type == "object_creation_expression") {
            visitLater(node);
            result.kind = Receiver::kValue;
            result.name = typeName(fieldOf(node, "type"));
            result.declared = fieldOf(node, "type");
            return result;
        }
        if (type == "method_invocation") return visitCall(node, nullptr);
        visitLater(node);
        return result;
    }

    Receiver analyseName(TSNode node) {
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

    // One step of a chain, after what it applies to (inner).
    Receiver analyseStep(TSNode node, const Receiver& inner) {
        std::string type = typeOf(node);
        if (type == "method_invocation") return visitCall(node, &inner);
        if (type == "field_access") return analyseField(node, inner);
        if (type == "array_access") {
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

    // owner.field: a package or type part of a dotted name, a nested type,
    // Outer.this, or a member.
    Receiver analyseField(TSNode node, const Receiver& owner) {
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

    // Own classes keep their fields under the name without the package.
    std::string ownKey(const std::string& qualified) const {
        if (!package.empty() && qualified.rfind(package + ".", 0) == 0)
            return qualified.substr(package.size() + 1);
        return qualified;
    }
};

}  // namespace

void classifyNames(const std::string& source, TSNode root, std::vector<Leaf>& leaves,
                   const TreeTypes& types, const RuleFacts& rules) {
    Classifier(source, leaves, types, rules).run(root);
}

void collectDeclaredTypes(const std::string& source, TSNode root, TreeTypes& types) {
    std::vector<Leaf> noLeaves;
    RuleFacts noRules;
    Classifier(source, noLeaves, types, noRules).exportTypes(root, types);
}

void collectDeclaredMembers(const std::string& source, TSNode root, TreeTypes& types,
                            const RuleFacts& rules) {
    std::vector<Leaf> noLeaves;
    Classifier(source, noLeaves, types, rules).exportMembers(root, types);
}

}  // namespace host
