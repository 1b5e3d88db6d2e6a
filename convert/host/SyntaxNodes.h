// SyntaxNodes: small helpers over tree-sitter's nodes, shared by the parts
// of JavaSource (name classification, statement layout, leaves).
#pragma once

#include <tree_sitter/api.h>

#include <cstring>
#include <string>

namespace host {

inline std::string typeOf(TSNode node) {
    return ts_node_type(node);
}

inline TSNode fieldOf(TSNode node, const char* name) {
    return ts_node_child_by_field_name(node, name, static_cast<uint32_t>(strlen(name)));
}

inline bool isType(TSNode node, const char* type) {
    return !ts_node_is_null(node) && strcmp(ts_node_type(node), type) == 0;
}

inline bool isComment(TSNode node) {
    return isType(node, "line_comment") || isType(node, "block_comment");
}

inline bool isTypeDeclaration(const std::string& type) {
    return type == "class_declaration" || type == "interface_declaration" ||
           type == "enum_declaration" || type == "record_declaration" ||
           type == "annotation_type_declaration";
}

}  // namespace host
