// MemberLayout: the members half of the layout walk (LayoutWalk.h): the
// file's members (imports, type declarations with their bodies, enum
// constants), the headers of methods with their bodies handed to the
// statements half, and the members of anonymous and local classes.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "plugin/LayoutWalk.h"
#include "syntax/SyntaxNodes.h"

namespace host {

void LayoutWalk::run(TSNode root) {
    tasks.run([this, root] {
        uint32_t count = ts_node_named_child_count(root);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(root, i);
            if (!isComment(child)) memberLater(child);
        }
        then([this] { flushTop(leaves.size()); });
    });
    linkNeighbours(leaves, steps);
}

void LayoutWalk::member(TSNode node) {
    std::string_view type = typeOf(node);
    if (isTypeDeclaration(type)) {
        typeDeclaration(node);
    } else if (type == "import_declaration") {
        then([this, node] { importDeclaration(node); });
    } else if (type == "method_declaration" || type == "constructor_declaration" ||
               type == "compact_constructor_declaration") {
        method(node, fieldOf(node, "body"));
    } else if (type == "static_initializer") {
        method(node, ts_node_named_child(node, 0));
    } else if (type == "block") {
        method(node, node);
    } else {
        emitLater(startOf(node), endOf(node), 1);
    }
}

void LayoutWalk::memberLater(TSNode node) {
    then([this, node] { member(node); });
}

void LayoutWalk::importDeclaration(TSNode node) {
    size_t first = startOf(node);
    size_t last = endOf(node);
    Statement& import = emit(first, last, 1, kStmtImportDecl);
    std::vector<size_t> comments;
    for (size_t at = first; at < last; ++at) {
        if (leaves[at].comment) comments.push_back(at);
    }
    import.withoutComments = !comments.empty();
    for (size_t at : comments) {
        Statement comment;
        comment.kind = kStmtComment;
        comment.first = at;
        comment.last = at + 1;
        addStatement(comment);
    }
}

void LayoutWalk::typeDeclaration(TSNode node) {
    TSNode typeBody = fieldOf(node, "body");
    if (ts_node_is_null(typeBody)) {
        emitLater(startOf(node), endOf(node), 1);
        return;
    }
    size_t open = startOf(typeBody);
    size_t close = endOf(typeBody) - 1;
    if (close == open + 1) {  // an empty body stays with its header
        emitLater(startOf(node), endOf(node), 1);
        return;
    }
    then([this, node, open] {
        emit(startOf(node), open, 1);
        flushTop(open);
        cursor = open + 1;
        pushStep(StepKind::kBeginBlock);
    });
    uint32_t count = ts_node_named_child_count(typeBody);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(typeBody, i);
        if (isComment(child)) continue;
        if (isType(child, "enum_body_declarations")) {
            enumDeclarations(child);
        } else if (isType(child, "enum_constant") && isType(typeBody, "enum_body")) {
            then([this, typeBody, i] { enumConstants(typeBody, i); });
            while (i + 1 < count &&
                   !isType(ts_node_named_child(typeBody, i + 1), "enum_body_declarations"))
                ++i;
        } else {
            memberLater(child);
        }
    }
    then([this, close] {
        flushTop(close);
        cursor = close + 1;
        pushStep(StepKind::kEndBlock);
    });
}

void LayoutWalk::enumConstants(TSNode enumBody, uint32_t from) {
    size_t first = startOf(ts_node_named_child(enumBody, from));
    size_t last = endOf(enumBody) - 1;  // before "}"
    uint32_t count = ts_node_named_child_count(enumBody);
    for (uint32_t i = from; i < count; ++i) {
        TSNode child = ts_node_named_child(enumBody, i);
        if (isType(child, "enum_body_declarations")) {
            last = startOf(child) + 1;  // through its ";"
            break;
        }
    }
    // Trailing comments belong to the member list, not the constants.
    while (last > first && leaves[last - 1].comment) --last;
    emit(first, last, 1);
}

void LayoutWalk::enumDeclarations(TSNode node) {
    // Its ";" went with the constants, or stands alone when there are none.
    size_t semicolon = startOf(node);
    then([this, semicolon] {
        if (cursor <= semicolon) emit(semicolon, semicolon + 1, 1);
    });
    uint32_t count = ts_node_named_child_count(node);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(node, i);
        if (!isComment(child)) memberLater(child);
    }
}

void LayoutWalk::method(TSNode node, TSNode block) {
    if (ts_node_is_null(block)) {
        emitLater(startOf(node), endOf(node), 1);
        return;
    }
    size_t open = startOf(block);
    size_t close = endOf(block) - 1;
    if (close == open + 1) {
        emitLater(startOf(node), endOf(node), 1);
        return;
    }
    then([this, node, open] {
        emit(startOf(node), open + 1, 1);
        bodyStatements.clear();
        body = &bodyStatements;
    });
    contents(block, 1);
    then([this, close] {
        flush(close, 1);
        body = nullptr;
        cursor = close + 1;
        Step step;
        step.kind = StepKind::kBody;
        step.statements = std::move(bodyStatements);
        steps.push_back(std::move(step));
    });
}

void LayoutWalk::classMembers(TSNode classBody, int level) {
    forEachChild(classBody, [&](TSNode child) {
        if (isComment(child)) return;
        TSNode block = isType(child, "block") ? child : fieldOf(child, "body");
        bool withBlock = isType(child, "method_declaration") ||
                         isType(child, "constructor_declaration") || isType(child, "block");
        if (withBlock && !ts_node_is_null(block)) {
            finishOpen(clause(startOf(child), block, level), child, level);
        } else {
            emitLater(startOf(child), endOf(child), level);
        }
    }, true);
}

}  // namespace host
