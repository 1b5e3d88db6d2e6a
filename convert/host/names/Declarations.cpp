// Declarations: what one Java file declares (its package, imports and
// types, with their names nested in the file), and its text and leaves,
// which the layers above mark with node kinds and qualified names.
#include "names/Declarations.h"

#include <string_view>

#include "syntax/MembersText.h"

namespace host {

std::string Declarations::text(TSNode node) const {
    return src.substr(ts_node_start_byte(node), ts_node_end_byte(node) - ts_node_start_byte(node));
}

Leaf* Declarations::leafOf(TSNode node) {
    unsigned start = ts_node_start_byte(node);
    auto found =
        std::lower_bound(leaves.begin(), leaves.end(), start,
                         [](const Leaf& leaf, unsigned at) { return leaf.startByte < at; });
    if (found == leaves.end() || found->startByte != start) return nullptr;
    return &*found;
}

void Declarations::markUntyped(TSNode node, int kind) {
    mark(node, kind);
    markUnresolved(node, kind);
}

void Declarations::markUnresolved(TSNode node, int kind) {
    Leaf* leaf = leafOf(node);
    if (leaf != nullptr) leaf->unresolved = kind;
}

void Declarations::mark(TSNode node, int kind, const std::string& qualified) {
    Leaf* leaf = leafOf(node);
    if (leaf == nullptr || leaf->comment) return;
    leaf->kind = kind;
    leaf->qualified = qualified.empty() ? leaf->text : qualified;
}

void Declarations::collectNames(TSNode root,
                                std::vector<std::pair<TSNode, std::string>>& declarations) {
    uint32_t count = ts_node_named_child_count(root);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(root, i);
        std::string_view type = typeOf(child);
        if (type == "package_declaration") {
            TSNode name = ts_node_named_child(child, ts_node_named_child_count(child) - 1);
            package = text(name);
        } else if (type == "import_declaration") {
            collectImport(child);
        }
    }
    collectOwnTypes(root, declarations);
}

void Declarations::collectImport(TSNode node) {
    bool isStatic = false;
    bool asterisk = false;
    std::string name;
    uint32_t count = ts_node_child_count(node);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_child(node, i);
        std::string_view type = typeOf(child);
        if (type == "static") isStatic = true;
        if (type == "asterisk") asterisk = true;
        if (type == "scoped_identifier" || type == "identifier") name = text(child);
    }
    if (!name.empty()) addImport(name, isStatic, asterisk);
}

void Declarations::addImport(const std::string& name, bool isStatic, bool asterisk) {
    if (asterisk) {
        (isStatic ? staticOnDemand : onDemand).push_back(name);
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

namespace {

// The starts of the leaves that every node the walk for the own types acts
// on holds: the keywords of type declarations, of throws clauses and of
// throw statements, and each catch clause's header up to its ")". A
// subtree that holds none of them holds no such node.
std::vector<unsigned> ownTypeMarks(const std::vector<Leaf>& leaves) {
    std::vector<unsigned> marks;
    for (size_t at = 0; at < leaves.size(); ++at) {
        const Leaf& leaf = leaves[at];
        if (leaf.comment) continue;
        if (opensTypeOrThrows(leaf.text)) marks.push_back(leaf.startByte);
        if (std::string_view(leaf.text) != "catch") continue;
        int depth = 0;
        for (size_t in = at; in < leaves.size(); ++in) {
            marks.push_back(leaves[in].startByte);
            std::string_view text = leaves[in].text;
            depth += text == "(" ? 1 : text == ")" ? -1 : 0;
            if (depth == 0 && in > at) break;
        }
    }
    std::sort(marks.begin(), marks.end());
    return marks;
}

}  // namespace

void Declarations::collectOwnTypes(TSNode root,
                                   std::vector<std::pair<TSNode, std::string>>& declarations) {
    static const TSSymbol kinds[] = {symbolOf("class_declaration"), symbolOf("interface_declaration"),
                                     symbolOf("enum_declaration"), symbolOf("record_declaration"),
                                     symbolOf("annotation_type_declaration")};
    // The nested names met so far ("" first), and for each depth d the one
    // that the nodes at depth d + 1 lie in.
    std::vector<std::string> names{std::string()};
    std::vector<size_t> outers{0};
    static const TSSymbol catchType = symbolOf("catch_type");
    static const TSSymbol throws = symbolOf("throws");
    static const TSSymbol throwStatement = symbolOf("throw_statement");
    static const TSSymbol creation = symbolOf("object_creation_expression");
    // With the file's leaves (or the marks of its text) the walk goes only
    // into the subtrees that hold a mark; a tree with errors may lack a
    // keyword, and is walked whole.
    bool pruned = (typeMarks != nullptr || !leaves.empty()) && !ts_node_has_error(root);
    std::vector<unsigned> marks = !pruned               ? std::vector<unsigned>()
                                  : typeMarks != nullptr ? *typeMarks
                                                         : ownTypeMarks(leaves);
    size_t nextMark = 0;
    walkTree(root, [&](TSNode node, uint32_t depth) {
        outers.resize(depth);
        size_t outer = outers[depth - 1];
        TSSymbol symbol = ts_node_symbol(node);
        if (symbol == catchType || symbol == throws) {
            for (uint32_t i = 0; i < ts_node_named_child_count(node); ++i)
                thrownTypes.push_back(ts_node_named_child(node, i));
        } else if (symbol == throwStatement) {
            TSNode thrown = ts_node_named_child(node, 0);
            if (!ts_node_is_null(thrown) && ts_node_symbol(thrown) == creation)
                thrownTypes.push_back(fieldOf(thrown, "type"));
        }
        TSNode name{};
        if (std::find(std::begin(kinds), std::end(kinds), symbol) != std::end(kinds))
            name = fieldOf(node, "name");
        if (!ts_node_is_null(name)) {
            std::string simple = text(name);
            names.push_back(names[outer].empty() ? simple : names[outer] + "." + simple);
            outer = names.size() - 1;
            ownTypes.emplace(simple, names[outer]);
            declarations.emplace_back(node, names[outer]);
        }
        outers.push_back(outer);
        if (!pruned) return WalkNext::kInto;
        // The nodes come in the order they start: the marks before this one
        // lay in the subtrees passed over.
        while (nextMark < marks.size() && marks[nextMark] < ts_node_start_byte(node)) ++nextMark;
        return nextMark < marks.size() && marks[nextMark] < ts_node_end_byte(node) ? WalkNext::kInto
                                                                                 : WalkNext::kOver;
    });
}

std::string Declarations::qualify(const std::string& name) const {
    return package.empty() ? name : package + "." + name;
}

std::string Declarations::ownKey(const std::string& qualified) const {
    // Compared in place: a lookup of members asks this for every name.
    bool inPackage = !package.empty() && qualified.size() > package.size() &&
                     qualified[package.size()] == '.' &&
                     qualified.compare(0, package.size(), package) == 0;
    return inPackage ? qualified.substr(package.size() + 1) : qualified;
}

bool Declarations::hasModifier(TSNode declaration, const char* keyword) {
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

// A declaration has one list of modifiers at most, its annotations among
// them.
bool Declarations::hasAnnotation(TSNode declaration, const std::string& annotation) const {
    uint32_t count = ts_node_named_child_count(declaration);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode modifiers = ts_node_named_child(declaration, i);
        if (!isType(modifiers, "modifiers")) continue;
        bool found = false;
        forEachChild(modifiers, [&](TSNode modifier) {
            TSNode name = fieldOf(modifier, "name");
            found = found || (!ts_node_is_null(name) && text(name) == annotation);
        }, true);
        return found;
    }
    return false;
}

}  // namespace host
