// StatementLayout: statements, levels and neighbours of a Java file.
#include "plugin/StatementLayout.h"

#include <algorithm>
#include <string>

#include "plugin/StepWriter.h"
#include "syntax/SyntaxNodes.h"
#include "syntax/TaskStack.h"

namespace host {

namespace {

class Layout : public StepWriter {
public:
    using StepWriter::StepWriter;

    void run(TSNode root) {
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

private:
    TaskStack tasks;

    // ---- members ----
    //
    // The functions below only plan: they hand every piece of work, and
    // every part that goes deeper into the tree, to the task stack in the
    // order it must happen (see TaskStack), so the layout never recurses on
    // the depth of the tree.

    void then(TaskStack::Task task) { tasks.then(std::move(task)); }

    void emitLater(size_t first, size_t last, int level) {
        then([this, first, last, level] { emit(first, last, level); });
    }

    void member(TSNode node) {
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

    void memberLater(TSNode node) {
        then([this, node] { member(node); });
    }

    // The plug-in rebuilds an import from its names: a comment inside it
    // follows it as a statement of its own, and the import leaves it out.
    void importDeclaration(TSNode node) {
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

    void typeDeclaration(TSNode node) {
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

    // The constants of an enum with their commas and the ";" that ends
    // them: one statement.
    void enumConstants(TSNode enumBody, uint32_t from) {
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

    void enumDeclarations(TSNode node) {
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

    // A member with a body: the header through "{", then the body.
    void method(TSNode node, TSNode block) {
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

    // ---- statements in bodies ----

    void contents(TSNode block, int level) {
        uint32_t count = ts_node_named_child_count(block);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(block, i);
            if (!isComment(child)) statementLater(child, level, startOf(child));
        }
    }

    void statementLater(TSNode node, int level, size_t from) {
        then([this, node, level, from] { statement(node, level, from); });
    }

    static bool isEmptyBlock(size_t open, size_t close) { return close == open + 1; }

    // A head with its body. Returns the leaf where a statement is still
    // open (the body's "}", or the head itself when the block is empty), or
    // npos when the body was written completely.
    size_t clause(size_t from, TSNode bodyNode, int level) {
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

    void finishOpen(size_t open, TSNode node, int level) {
        if (open != std::string::npos) emitLater(open, endOf(node), level);
    }

    size_t keywordLeaf(TSNode node, const char* keyword) const {
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_child(node, i);
            if (strcmp(ts_node_type(child), keyword) == 0) return startOf(child);
        }
        return startOf(node);
    }

    static bool bodyIsBlock(TSNode node) {
        if (isType(node, "if_statement")) return isType(fieldOf(node, "consequence"), "block");
        return isType(node, "block");
    }

    void statement(TSNode node, int level, size_t from) {
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

    bool isEmptyBody(TSNode body) const {
        return ts_node_is_null(body) || isEmptyBlock(startOf(body), endOf(body) - 1);
    }

    // A local class: its members as in an anonymous class.
    void localClass(TSNode node, int level, size_t from) {
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

    // A statement without a body of its own. The block bodies of lambdas and
    // the bodies of anonymous classes in it are laid out like a block: the
    // statement up to the body's "{", the body's statements or members one
    // level deeper, and the rest from its "}" again at the statement's
    // level (as "} else {"). So the plug-in rebuilds only the statements
    // that need it, each on its own line.
    void simpleStatement(TSNode node, int level, size_t from) {
        std::vector<TSNode> bodies;
        innerBodies(node, bodies);
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

    // The block bodies of the lambdas and the bodies of the anonymous
    // classes in node, outermost first, in source order; not those inside
    // local classes and switch expressions, which stay whole in their
    // statement.
    static void innerBodies(TSNode node, std::vector<TSNode>& bodies) {
        // Nodes still to read, the next one last, each with its parent.
        std::vector<std::pair<TSNode, TSNode>> open;
        auto openChildren = [&open](TSNode parent) {
            for (uint32_t i = ts_node_named_child_count(parent); i > 0; --i)
                open.emplace_back(ts_node_named_child(parent, i - 1), parent);
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

    // The members of an anonymous or local class: one with a block body (a
    // method, a constructor, an initializer) is laid out like a block
    // statement, any other is one statement.
    void classMembers(TSNode classBody, int level) {
        uint32_t count = ts_node_named_child_count(classBody);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(classBody, i);
            if (isComment(child)) continue;
            TSNode block = isType(child, "block") ? child : fieldOf(child, "body");
            bool withBlock = isType(child, "method_declaration") ||
                             isType(child, "constructor_declaration") || isType(child, "block");
            if (withBlock && !ts_node_is_null(block)) {
                finishOpen(clause(startOf(child), block, level), child, level);
            } else {
                emitLater(startOf(child), endOf(child), level);
            }
        }
    }

    static TSNode lastNamedChild(TSNode node) {
        uint32_t count = ts_node_named_child_count(node);
        for (uint32_t i = count; i > 0; --i) {
            TSNode child = ts_node_named_child(node, i - 1);
            if (!isComment(child)) return child;
        }
        return TSNode{};
    }

    // An if with its chain of else ifs, one after the other.
    void ifStatement(TSNode node, int level, size_t from) {
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

    void tryStatement(TSNode node, int level, size_t from) {
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

    void switchStatement(TSNode node, int level, size_t from) {
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

    void caseGroup(TSNode group, int level) {
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
};

}  // namespace

void layOutSteps(TSNode root, const std::vector<Leaf>& leaves, std::vector<Step>& steps) {
    Layout(leaves, steps).run(root);
}

std::vector<Step> layOutSteps(const JavaSource& source) {
    std::vector<Step> steps;
    TSNode root = source.root();
    if (!ts_node_is_null(root)) layOutSteps(root, source.leaves(), steps);
    return steps;
}

}  // namespace host
