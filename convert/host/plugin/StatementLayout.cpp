// StatementLayout: the statements half of the layout walk (LayoutWalk.h):
// the statements in bodies, with their levels (blocks, if/else chains,
// loops, try, switch, local classes, and the lambda and anonymous-class
// bodies of simple statements), and the entry points of StatementLayout.h.
#include "plugin/StatementLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plugin/LayoutWalk.h"
#include "syntax/SyntaxNodes.h"

namespace host {

void LayoutWalk::contents(TSNode block, int level) {
    forEachChild(block, [&](TSNode child) {
        if (!isComment(child)) statementLater(child, level, startOf(child));
    }, true);
}

void LayoutWalk::statementLater(TSNode node, int level, size_t from) {
    then([this, node, level, from] { statement(node, level, from); });
}

bool LayoutWalk::isEmptyBlock(size_t open, size_t close) {
    return close == open + 1;
}

size_t LayoutWalk::clause(size_t from, TSNode bodyNode, int level) {
    if (isType(bodyNode, "block") || isType(bodyNode, "constructor_body")) {
        size_t open = startOf(bodyNode);
        size_t close = endOf(bodyNode) - 1;
        if (isEmptyBlock(open, close)) return from;
        then([this, from, open, level] {
            emit(from, open + 1, level);
            cursor = open + 1;
        });
        contents(bodyNode, level + 1);
        then([this, close, level] { flush(close, level + 1); });
        return close;
    }
    size_t start = startOf(bodyNode);
    then([this, from, start, level] { emit(from, start, level).braceLessHead = true; });
    statementLater(bodyNode, level, start);
    return std::string::npos;
}

void LayoutWalk::finishOpen(size_t open, TSNode node, int level) {
    if (open != std::string::npos) emitLater(open, endOf(node), level);
}

size_t LayoutWalk::keywordLeaf(TSNode node, const char* keyword) const {
    uint32_t count = ts_node_child_count(node);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_child(node, i);
        if (strcmp(ts_node_type(child), keyword) == 0) return startOf(child);
    }
    return startOf(node);
}

bool LayoutWalk::bodyIsBlock(TSNode node) {
    if (isType(node, "if_statement")) return isType(fieldOf(node, "consequence"), "block");
    return isType(node, "block");
}

void LayoutWalk::statement(TSNode node, int level, size_t from) {
    std::string_view type = typeOf(node);
    if (type == "if_statement") {
        ifStatement(node, level, from);
    } else if (type == "while_statement" || type == "for_statement" ||
               type == "enhanced_for_statement" || type == "synchronized_statement") {
        TSNode loopBody = fieldOf(node, "body");
        if (ts_node_is_null(loopBody)) loopBody = lastNamedChild(node);
        finishOpen(clause(from, loopBody, level), node, level);
    } else if (type == "block") {
        finishOpen(clause(from, node, level), node, level);
    } else if (type == "do_statement") {
        size_t open = clause(from, fieldOf(node, "body"), level);
        emitLater(open != std::string::npos ? open : keywordLeaf(node, "while"), endOf(node),
                  level);
    } else if (type == "try_statement" || type == "try_with_resources_statement") {
        tryStatement(node, level, from);
    } else if (type == "switch_expression") {
        switchStatement(node, level, from);
    } else if (type == "labeled_statement") {
        TSNode inner = lastNamedChild(node);
        emitLater(from, startOf(inner), level);
        statementLater(inner, level, startOf(inner));
    } else if ((type == "class_declaration" || type == "record_declaration" ||
                type == "interface_declaration") &&
               !isEmptyBody(fieldOf(node, "body"))) {
        localClass(node, level, from);
    } else {
        simpleStatement(node, level, from);
    }
}

bool LayoutWalk::isEmptyBody(TSNode body) const {
    return ts_node_is_null(body) || isEmptyBlock(startOf(body), endOf(body) - 1);
}

void LayoutWalk::localClass(TSNode node, int level, size_t from) {
    TSNode classBody = fieldOf(node, "body");
    size_t open = startOf(classBody);
    size_t close = endOf(classBody) - 1;
    then([this, from, open, level] {
        emit(from, open + 1, level);
        cursor = open + 1;
    });
    classMembers(classBody, level + 1);
    then([this, node, close, level] {
        flush(close, level + 1);
        emit(close, endOf(node), level);
    });
}

void LayoutWalk::simpleStatement(TSNode node, int level, size_t from) {
    std::vector<TSNode> bodies;
    if (holdsBrace(node)) innerBodies(node, bodies);
    size_t start = from;
    for (TSNode inner : bodies) {
        size_t open = startOf(inner);
        size_t close = endOf(inner) - 1;
        if (isEmptyBlock(open, close)) continue;
        then([this, start, open, level] {
            emit(start, open + 1, level);
            cursor = open + 1;
        });
        if (isType(inner, "class_body")) {
            classMembers(inner, level + 1);
        } else {
            contents(inner, level + 1);
        }
        then([this, close, level] { flush(close, level + 1); });
        start = close;
    }
    emitLater(start, endOf(node), level);
}

// An inner body opens with a brace: most statements hold none, and their
// leaves tell it faster than a search of their nodes.
bool LayoutWalk::holdsBrace(TSNode node) const {
    size_t last = endOf(node);
    for (size_t at = startOf(node); at < last; ++at)
        if (leaves[at].bracket && leaves[at].text[0] == '{') return true;
    return false;
}

void LayoutWalk::innerBodies(TSNode node, std::vector<TSNode>& bodies) {
    // Nodes still to read, the next one last, each with its parent.
    std::vector<std::pair<TSNode, TSNode>> open;
    auto openChildren = [&open](TSNode parent) {
        size_t first = open.size();
        forEachChild(parent, [&](TSNode child) { open.emplace_back(child, parent); }, true);
        std::reverse(open.begin() + static_cast<std::ptrdiff_t>(first), open.end());
    };
    openChildren(node);
    while (!open.empty()) {
        TSNode child = open.back().first;
        TSNode parent = open.back().second;
        open.pop_back();
        std::string_view type = typeOf(child);
        TSNode body = fieldOf(child, "body");
        if (type == "lambda_expression" && isType(body, "block")) {
            bodies.push_back(body);
        } else if (type == "class_body" && isType(parent, "object_creation_expression")) {
            bodies.push_back(child);
        } else if (type != "class_body" && type != "switch_expression") {
            openChildren(child);
        }
    }
}

TSNode LayoutWalk::lastNamedChild(TSNode node) {
    uint32_t count = ts_node_named_child_count(node);
    for (uint32_t i = count; i > 0; --i) {
        TSNode child = ts_node_named_child(node, i - 1);
        if (!isComment(child)) return child;
    }
    return TSNode{};
}

void LayoutWalk::ifStatement(TSNode node, int level, size_t from) {
    for (;;) {
        TSNode consequence = fieldOf(node, "consequence");
        TSNode alternative = fieldOf(node, "alternative");
        size_t open = clause(from, consequence, level);
        if (ts_node_is_null(alternative)) {
            finishOpen(open, node, level);
            return;
        }
        size_t elseLeaf = keywordLeaf(node, "else");
        size_t next = elseLeaf;
        if (open != std::string::npos) {
            // "} else {" is one statement; before a brace-less else body
            // the "}" stands alone, so that the plug-in indents that body.
            if (bodyIsBlock(alternative)) {
                next = open;
            } else {
                emitLater(open, elseLeaf, level);
            }
        }
        if (!isType(alternative, "if_statement")) {
            finishOpen(clause(next, alternative, level), node, level);
            return;
        }
        node = alternative;
        from = next;
    }
}

void LayoutWalk::tryStatement(TSNode node, int level, size_t from) {
    size_t open = clause(from, fieldOf(node, "body"), level);
    uint32_t count = ts_node_named_child_count(node);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(node, i);
        std::string_view type = typeOf(child);
        if (type != "catch_clause" && type != "finally_clause") continue;
        TSNode clauseBody = fieldOf(child, "body");
        if (ts_node_is_null(clauseBody)) clauseBody = lastNamedChild(child);
        size_t start = open != std::string::npos ? open : startOf(child);
        open = clause(start, clauseBody, level);
    }
    finishOpen(open, node, level);
}

void LayoutWalk::switchStatement(TSNode node, int level, size_t from) {
    TSNode block = fieldOf(node, "body");
    size_t open = startOf(block);
    size_t close = endOf(block) - 1;
    // The plug-in writes the switch's "{" itself.
    then([this, from, open, level] {
        emit(from, open, level);
        flush(open, level);
        cursor = open + 1;
    });
    uint32_t count = ts_node_named_child_count(block);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_named_child(block, i);
        std::string_view type = typeOf(child);
        if (type == "switch_block_statement_group") {
            caseGroup(child, level + 1);
        } else if (type == "switch_rule") {
            TSNode ruleBody = lastNamedChild(child);
            if (isType(ruleBody, "block")) {
                emitLater(startOf(child), startOf(ruleBody), level + 1);
                statementLater(ruleBody, level + 1, startOf(ruleBody));
            } else {
                emitLater(startOf(child), endOf(child), level + 1);
            }
        }
    }
    then([this, node, close, level] {
        flush(close, level + 1);
        emit(close, endOf(node), level);
    });
}

void LayoutWalk::caseGroup(TSNode group, int level) {
    uint32_t count = ts_node_child_count(group);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_child(group, i);
        std::string_view type = typeOf(child);
        if (type == "switch_label") {
            // The label with its ":".
            size_t last = endOf(child);
            if (i + 1 < count && typeOf(ts_node_child(group, i + 1)) == ":")
                last = endOf(ts_node_child(group, i + 1));
            emitLater(startOf(child), last, level);
        } else if (ts_node_is_named(child) && !isComment(child)) {
            statementLater(child, level, startOf(child));
        }
    }
}

void layOutSteps(TSNode root, const std::vector<Leaf>& leaves, std::vector<Step>& steps) {
    LayoutWalk(leaves, steps).run(root);
}

std::vector<Step> layOutSteps(const JavaSource& source) {
    std::vector<Step> steps;
    TSNode root = source.root();
    if (!ts_node_is_null(root)) layOutSteps(root, source.leaves(), steps);
    return steps;
}

}  // namespace host
