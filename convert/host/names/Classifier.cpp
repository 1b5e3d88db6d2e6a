// Classifier: walks a file once and gives every name its node kind and
// qualified name; collects what the file declares for the scan of the
// tree.
#include "names/Classifier.h"

#include <algorithm>
#include <set>

#include "names/JdkNames.h"

namespace host {

void Classifier::run(TSNode root, TreeTypes* declared) {
    collectFileFacts(root);
    if (declared != nullptr) exportOwnClasses(*declared);
    collectThrowables();
    tasks.run([this, root] { visit(root); });
}

void Classifier::exportDeclarations(TSNode root, TreeTypes& tree, const MembersText* members) {
    deferTreeNames = true;
    if (members != nullptr) {
        for (const LightImport& import : members->imports)
            addImport(import.name, import.isStatic, import.onDemand);
        if (members->marked) typeMarks = &members->typeMarks;
    }
    collectFileFacts(root);
    exportOwnClasses(tree);
}

void Classifier::exportOwnClasses(TreeTypes& tree) const {
    for (const auto& own : ownClasses) {
        const std::string& nested = own.first;
        tree.qualifiedNames.insert(qualify(nested));
        if (nested.find('.') == std::string::npos) tree.byPackage[package].insert(nested);
        tree.members[qualify(nested)] = own.second.members;
    }
}

// The visit of each kind of node the walk classifies, by the grammar's
// symbol ids, looked up by name once.
const Classifier::Handlers& Classifier::handlers() {
    static const Handlers table = [] {
        // The names are held in vectors: an initializer_list in a pair would
        // not outlive the pair's construction.
        const std::pair<std::vector<const char*>, Handler> named[] = {
            {{"package_declaration", "module_declaration"}, &Classifier::visitPackage},
            {{"import_declaration"}, &Classifier::visitImport},
            {{"class_declaration", "interface_declaration", "enum_declaration",
              "record_declaration", "annotation_type_declaration"},
             &Classifier::visitTypeDeclaration},
            {{"method_declaration", "constructor_declaration", "compact_constructor_declaration",
              "annotation_type_element_declaration"},
             &Classifier::visitMethod},
            {{"block", "constructor_body", "switch_block", "for_statement", "catch_clause",
              "try_with_resources_statement", "switch_block_statement_group", "switch_rule"},
             &Classifier::visitBlock},
            {{"enhanced_for_statement"}, &Classifier::visitEnhancedFor},
            {{"lambda_expression"}, &Classifier::visitLambda},
            {{"formal_parameter", "spread_parameter", "catch_formal_parameter", "resource"},
             &Classifier::visitParameter},
            {{"local_variable_declaration"}, &Classifier::visitLocalDeclaration},
            {{"field_declaration", "constant_declaration"}, &Classifier::visitFieldDeclaration},
            {{"method_invocation", "field_access"}, &Classifier::visitChain},
            {{"identifier"}, &Classifier::visitName},
            {{"type_identifier"}, &Classifier::visitTypeIdentifier},
            {{"scoped_type_identifier"}, &Classifier::visitScopedType},
            {{"marker_annotation", "annotation"}, &Classifier::visitAnnotation},
            {{"element_value_pair"}, &Classifier::visitElementValuePair},
            {{"labeled_statement", "break_statement", "continue_statement"},
             &Classifier::visitLabels},
            {{"enum_constant"}, &Classifier::visitEnumConstant},
            {{"method_reference"}, &Classifier::visitMethodReference},
            {{"class_literal"}, &Classifier::visitClassLiteral},
            {{"instanceof_expression"}, &Classifier::visitInstanceof},
            {{"type_pattern"}, &Classifier::visitTypePattern},
            {{"object_creation_expression"}, &Classifier::visitCreation},
            {{"switch_expression"}, &Classifier::visitSwitch},
            {{"switch_label"}, &Classifier::visitSwitchLabel},
        };
        Handlers made;
        for (const auto& entry : named) {
            for (const char* name : entry.first) made[symbolOf(name)] = entry.second;
        }
        return made;
    }();
    return table;
}

void Classifier::visit(TSNode node) {
    auto found = handlers().find(ts_node_symbol(node));
    if (found == handlers().end()) {
        visitChildren(node);
        return;
    }
    (this->*found->second)(node);
}

// The file's own package is never vendor code, even when a part of it reads
// like a package keyword.
void Classifier::visitPackage(TSNode node) {
    markIdentifiers(node, kKindOther);
}

void Classifier::visitMethod(TSNode node) {
    markDeclaredMethod(node);
    push();
    declareTypeParameters(node);
    visitExcept(node, {fieldOf(node, "name")});
    popLater();
}

void Classifier::visitBlock(TSNode node) {
    push();
    visitChildren(node);
    popLater();
}

// for (var s : sessions): the element type of the iterable.
void Classifier::visitEnhancedFor(TSNode node) {
    push();
    TSNode iterable = fieldOf(node, "value");
    Receiver items = visitValue(iterable);
    if (items.kind == Receiver::kValue && !items.name.empty()) iterableTypes.insert(items.name);
    visitVariable(fieldOf(node, "type"), fieldOf(node, "name"), elementOf(items));
    visitExcept(node, {fieldOf(node, "name"), fieldOf(node, "type"), iterable});
    popLater();
}

void Classifier::visitLambda(TSNode node) {
    push();
    visitLambdaParameters(node, fieldOf(node, "parameters"));
    visitExcept(node, {fieldOf(node, "parameters")});
    popLater();
}

void Classifier::visitLocalDeclaration(TSNode node) {
    visitDeclaration(node, true);
}

void Classifier::visitFieldDeclaration(TSNode node) {
    visitDeclaration(node, false);
}

void Classifier::visitChain(TSNode node) {
    analyse(node);
}

void Classifier::visitName(TSNode node) {
    visitIdentifier(node);
}

void Classifier::visitTypeIdentifier(TSNode node) {
    std::string name = text(node);
    if (name == "var") {
        mark(node, kKindKeyword);
    } else if (typeVariable(name) != nullptr) {
        mark(node, kKindOther);
    } else {
        markClassName(node);
    }
}

void Classifier::visitScopedType(TSNode node) {
    scopedTypeName(node, true);
    visitAnnotationsAndTypeArguments(node);
}

void Classifier::visitAnnotation(TSNode node) {
    TSNode name = fieldOf(node, "name");
    if (isType(name, "identifier")) {
        markClassName(name);
    } else if (!ts_node_is_null(name)) {
        scopedTypeName(name, true);
    }
    visitExcept(node, {name});
}

void Classifier::visitElementValuePair(TSNode node) {
    markAnnotationElement(node);
    visitExcept(node, {fieldOf(node, "key")});
}

void Classifier::visitLabels(TSNode node) {
    visitNamingChildren(node, kKindLabel, std::string());
}

void Classifier::visitEnumConstant(TSNode node) {
    mark(fieldOf(node, "name"), kKindDeclared);
    visitExcept(node, {fieldOf(node, "name")});
}

void Classifier::visitInstanceof(TSNode node) {
    TSNode name = fieldOf(node, "name");
    if (!ts_node_is_null(name)) {
        declare(text(name), typeName(fieldOf(node, "right")));
        mark(name, kKindVariable);
    }
    visitExcept(node, {name});
}

void Classifier::visitTypePattern(TSNode node) {
    TSNode typeNode = ts_node_named_child(node, 0);
    TSNode name = ts_node_named_child(node, ts_node_named_child_count(node) - 1);
    if (!isType(name, "identifier")) {
        visitChildren(node);
        return;
    }
    declare(text(name), typeName(typeNode));
    mark(name, kKindVariable);
    visitExcept(node, {name});
}

// case READ_ONLY: a constant of the selector's enum, as Mode.READ_ONLY would
// be.
void Classifier::visitSwitchLabel(TSNode node) {
    if (switchEnums.empty() || switchEnums.back().empty()) {
        visitChildren(node);
        return;
    }
    visitNamingChildren(node, kKindMember, switchEnums.back());
}

void Classifier::visitSwitch(TSNode node) {
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

void Classifier::visitAnnotationsAndTypeArguments(TSNode node) {
    std::vector<TSNode> open{node};  // nodes still to read, the next one last
    while (!open.empty()) {
        TSNode at = open.back();
        open.pop_back();
        std::string_view type = typeOf(at);
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

void Classifier::visitNamingChildren(TSNode node, int kind, const std::string& owner) {
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

void Classifier::markIdentifiers(TSNode node, int kind) {
    walkTree(node, [&](TSNode at, uint32_t depth) {
        if (depth == 1 || !isType(at, "identifier")) return WalkNext::kInto;
        mark(at, kind);
        return WalkNext::kOver;
    });
}

void Classifier::visitImport(TSNode node) {
    std::vector<TSNode> parts;
    typeParts(node, parts);
    std::string qualified;
    for (size_t i = 0; i < parts.size(); ++i) {
        qualified += (i == 0 ? "" : ".") + text(parts[i]);
        mark(parts[i], i + 1 == parts.size() ? kKindClassRef : kKindName, qualified);
    }
}

void Classifier::visitTypeDeclaration(TSNode node) {
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
    pushClass(qualified, ownClassAt(ownKey(qualified)));
    declareTypeParameters(node);
    visitExcept(node, {name});
    popLater();
}

void Classifier::markDeclaredMethod(TSNode node) {
    TSNode name = fieldOf(node, "name");
    const Scope* own = currentClass();
    static const std::set<std::string> kObjectMethods = {"equals", "hashCode", "toString", "clone",
                                                         "finalize"};
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

void Classifier::visitCreation(TSNode node) {
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

void Classifier::visitAnonymousClass(TSNode creation, TSNode body) {
    OwnClass anonymous;
    collectMembers(body, std::string(), anonymous);
    anonymous.members.superclass = typeName(fieldOf(creation, "type"));
    pushClass(std::string(), anonymous);
    visitLater(body);
    popLater();
}

bool Classifier::isTypeNode(TSNode node) {
    return isType(node, "type_identifier") || isType(node, "generic_type") ||
           isType(node, "scoped_type_identifier") || isType(node, "array_type");
}

void Classifier::visitMethodReference(TSNode node) {
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

// javax.servlet.Servlet.class: the plug-in reads a dotted name on through
// every "." operator, and would take "class" for the name's last part and
// leave javax.servlet.Servlet as written. Its last dot, handed over as no
// operator, ends the name at Servlet, which the rules then reach.
void Classifier::visitClassLiteral(TSNode node) {
    visitChildren(node);
    TSNode type = ts_node_named_child(node, 0);
    uint32_t count = ts_node_child_count(node);
    if (!isType(type, "scoped_type_identifier") || count < 2) return;
    TSNode dot = ts_node_child(node, count - 2);
    if (typeOf(dot) == "." && underRules(scopedTypeName(type, false))) mark(dot, kKindOther);
}

void classifyNames(const std::string& source, TSNode root, std::vector<Leaf>& leaves,
                   const TreeTypes& types, const RuleFacts& rules, TreeTypes* declared) {
    Classifier(source, leaves, types, rules).run(root, declared);
}

void collectDeclarations(const std::string& source, TSNode root, TreeTypes& types,
                         const RuleFacts& rules, const MembersText* members) {
    std::vector<Leaf> noLeaves;
    Classifier(source, noLeaves, types, rules).exportDeclarations(root, types, members);
}

// An element of an annotation (level of @Audited(level = 2)) is a method of
// the annotation's type, which a rule may rename.
void Classifier::markAnnotationElement(TSNode pair) {
    TSNode key = fieldOf(pair, "key");
    TSNode annotation = ts_node_parent(ts_node_parent(pair));
    TSNode name = isType(annotation, "annotation") ? fieldOf(annotation, "name") : TSNode{};
    if (ts_node_is_null(name)) {
        mark(key, kKindOther);
        return;
    }
    std::string owner =
        isType(name, "identifier") ? resolveType(text(name)) : scopedTypeName(name, false);
    mark(key, kKindMethod, owner + "." + text(key));
}

}  // namespace host
