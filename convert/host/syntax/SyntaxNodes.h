// SyntaxNodes: small helpers over tree-sitter's nodes, shared by the parts
// of JavaSource (name classification, statement layout, leaves).
#pragma once

#include <tree_sitter/api.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" const TSLanguage* tree_sitter_java(void);

namespace host {

// The grammar's id of a named node kind.
inline TSSymbol symbolOf(const char* name) {
    return ts_language_symbol_for_name(tree_sitter_java(), name,
                                       static_cast<uint32_t>(strlen(name)), true);
}

// The grammar's ids of the node kinds that the expression walk tells
// apart, looked up once.
struct ExpressionSymbols {
    TSSymbol arrayAccess = symbolOf("array_access");
    TSSymbol castExpression = symbolOf("cast_expression");
    TSSymbol fieldAccess = symbolOf("field_access");
    TSSymbol identifier = symbolOf("identifier");
    TSSymbol methodInvocation = symbolOf("method_invocation");
    TSSymbol objectCreationExpression = symbolOf("object_creation_expression");
    TSSymbol parenthesizedExpression = symbolOf("parenthesized_expression");
    TSSymbol superNode = symbolOf("super");
    TSSymbol thisNode = symbolOf("this");
};

inline const ExpressionSymbols& expressionSymbols() {
    static const ExpressionSymbols symbols;
    return symbols;
}

// The grammar's name of node's kind, held by the grammar itself.
inline std::string_view typeOf(TSNode node) {
    return ts_node_type(node);
}

// The grammar's ids of its fields by name, in a table of slots made once:
// the library's own lookup compares the name with every field's, on every
// call, and a general hash of the name costs more than the walk to the
// child it is for.
class FieldIds {
public:
    FieldIds() {
        const TSLanguage* language = tree_sitter_java();
        uint32_t count = ts_language_field_count(language);
        for (uint32_t id = 1; id <= count; ++id) {
            const char* field = ts_language_field_name_for_id(language, static_cast<TSFieldId>(id));
            if (field == nullptr) continue;
            size_t slot = slotOf(field);
            while (slots[slot].name != nullptr) slot = (slot + 1) % kSlots;
            slots[slot] = Slot{field, static_cast<TSFieldId>(id)};
        }
    }
    // 0 for a name that is no field's.
    TSFieldId find(std::string_view name) const {
        if (name.empty()) return 0;
        for (size_t slot = slotOf(name); slots[slot].name != nullptr; slot = (slot + 1) % kSlots) {
            if (name == slots[slot].name) return slots[slot].id;
        }
        return 0;
    }

private:
    static constexpr size_t kSlots = 256;  // several times the grammar's fields
    struct Slot {
        const char* name = nullptr;
        TSFieldId id = 0;
    };
    Slot slots[kSlots];

    static size_t slotOf(std::string_view name) {
        size_t mixed = name.size() * 131 + static_cast<unsigned char>(name.front()) * 31 +
                       static_cast<unsigned char>(name.back()) * 7 +
                       static_cast<unsigned char>(name[name.size() / 2]);
        return mixed % kSlots;
    }
};

inline TSFieldId fieldIdOf(std::string_view name) {
    static const FieldIds ids;
    return ids.find(name);
}

inline TSNode fieldOf(TSNode node, const char* name) {
    TSFieldId id = fieldIdOf(name);
    return id == 0 ? TSNode{} : ts_node_child_by_field_id(node, id);
}

inline bool isType(TSNode node, const char* type) {
    return !ts_node_is_null(node) && strcmp(ts_node_type(node), type) == 0;
}

inline bool isComment(TSNode node) {
    return isType(node, "line_comment") || isType(node, "block_comment");
}

inline bool isTypeDeclaration(std::string_view type) {
    return type == "class_declaration" || type == "interface_declaration" ||
           type == "enum_declaration" || type == "record_declaration" ||
           type == "annotation_type_declaration";
}

// Steps through the children of one node after another with a tree cursor
// made once. tree-sitter finds a node's i-th child by counting from its
// first, so a loop over a node's children by index takes their number
// squared: a node with more than a few goes through the cursor instead.
class ChildCursor {
public:
    // few: the most children that a node is read by index with.
    explicit ChildCursor(uint32_t few = 3) : few(few) {}
    ~ChildCursor() {
        if (made) ts_tree_cursor_delete(&cursor);
    }
    ChildCursor(const ChildCursor&) = delete;
    ChildCursor& operator=(const ChildCursor&) = delete;

    // take(child) for every child of node, in order; named: the named
    // children only.
    template <typename Take>
    void forEach(TSNode node, Take take, bool named = false) {
        uint32_t wanted = named ? ts_node_named_child_count(node) : ts_node_child_count(node);
        if (wanted <= few) {
            for (uint32_t i = 0; i < wanted; ++i)
                take(named ? ts_node_named_child(node, i) : ts_node_child(node, i));
            return;
        }
        uint32_t count = named ? ts_node_child_count(node) : wanted;
        moveTo(node);
        if (!ts_tree_cursor_goto_first_child(&cursor)) return;
        for (uint32_t i = 0; i < count; ++i) {
            // Never past the last child: such a step climbs first.
            if (i > 0) ts_tree_cursor_goto_next_sibling(&cursor);
            TSNode child = ts_tree_cursor_current_node(&cursor);
            if (!named || ts_node_is_named(child)) take(child);
        }
    }

private:
    uint32_t few;
    TSTreeCursor cursor{};
    bool made = false;

    void moveTo(TSNode node) {
        if (made) {
            ts_tree_cursor_reset(&cursor, node);
        } else {
            cursor = ts_tree_cursor_new(node);
            made = true;
        }
    }
};

// take(child) for every child of node in order (named: the named ones
// only), for a loop that has no cursor of its own: a node of many children
// pays for making one.
template <typename Take>
void forEachChild(TSNode node, Take take, bool named = false) {
    ChildCursor children(6);
    children.forEach(node, take, named);
}

// What a walk does after a node: go into its children, go on after it, or
// stop.
enum class WalkNext { kInto, kOver, kStop };

// Walks root and the nodes below it in source order with a tree cursor, so
// without recursion; visit(node, depth) is told the node's depth (root 1)
// and answers with what comes next. The walk counts the siblings still to
// come at each depth and never asks the cursor for one past the last: such
// a step fails only after a climb through the hidden nodes above.
template <typename Visit>
void walkTree(TSNode root, Visit visit) {
    TSTreeCursor cursor = ts_tree_cursor_new(root);
    std::vector<uint32_t> siblingsLeft;  // by depth below the root
    TSNode node = root;
    WalkNext next = visit(root, 1);
    while (next != WalkNext::kStop) {
        uint32_t children = next == WalkNext::kInto ? ts_node_child_count(node) : 0;
        if (children > 0 && ts_tree_cursor_goto_first_child(&cursor)) {
            siblingsLeft.push_back(children - 1);
        } else {
            while (!siblingsLeft.empty() && siblingsLeft.back() == 0) {
                ts_tree_cursor_goto_parent(&cursor);
                siblingsLeft.pop_back();
            }
            if (siblingsLeft.empty()) break;
            --siblingsLeft.back();
            ts_tree_cursor_goto_next_sibling(&cursor);
        }
        node = ts_tree_cursor_current_node(&cursor);
        next = visit(node, static_cast<uint32_t>(siblingsLeft.size() + 1));
    }
    ts_tree_cursor_delete(&cursor);
}

}  // namespace host
