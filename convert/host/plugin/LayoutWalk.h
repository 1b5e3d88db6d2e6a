// LayoutWalk: the walk that lays a Java file out as steps (what the steps
// and levels are: StatementLayout.h). Its members half (MemberLayout.cpp)
// places the file's and the classes' members, its statements half
// (StatementLayout.cpp) the statements in bodies. Internal to plugin/.
#pragma once

#include <tree_sitter/api.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "plugin/StepWriter.h"
#include "syntax/TaskStack.h"

namespace host {

class LayoutWalk : public StepWriter {
public:
    using StepWriter::StepWriter;

    void run(TSNode root);

private:
    TaskStack tasks;

    // The functions below only plan: they hand every piece of work, and
    // every part that goes deeper into the tree, to the task stack in the
    // order it must happen (see TaskStack), so the layout never recurses on
    // the depth of the tree.

    void then(TaskStack::Task task) { tasks.then(std::move(task)); }

    void emitLater(size_t first, size_t last, int level) {
        then([this, first, last, level] { emit(first, last, level); });
    }

    // ---- members (MemberLayout.cpp) ----

    void member(TSNode node);
    void memberLater(TSNode node);
    // The plug-in rebuilds an import from its names: a comment inside it
    // follows it as a statement of its own, and the import leaves it out.
    void importDeclaration(TSNode node);
    void typeDeclaration(TSNode node);
    // The constants of an enum with their commas and the ";" that ends
    // them: one statement.
    void enumConstants(TSNode enumBody, uint32_t from);
    void enumDeclarations(TSNode node);
    // A member with a body: the header through "{", then the body.
    void method(TSNode node, TSNode block);
    // The members of an anonymous or local class: one with a block body (a
    // method, a constructor, an initializer) is laid out like a block
    // statement, any other is one statement.
    void classMembers(TSNode classBody, int level);

    // ---- statements in bodies (StatementLayout.cpp) ----

    void contents(TSNode block, int level);
    void statementLater(TSNode node, int level, size_t from);
    static bool isEmptyBlock(size_t open, size_t close);
    // A head with its body. Returns the leaf where a statement is still
    // open (the body's "}", or the head itself when the block is empty), or
    // npos when the body was written completely.
    size_t clause(size_t from, TSNode bodyNode, int level);
    void finishOpen(size_t open, TSNode node, int level);
    size_t keywordLeaf(TSNode node, const char* keyword) const;
    static bool bodyIsBlock(TSNode node);
    void statement(TSNode node, int level, size_t from);
    bool isEmptyBody(TSNode body) const;
    // A local class: its members as in an anonymous class.
    void localClass(TSNode node, int level, size_t from);
    // A statement without a body of its own. The block bodies of lambdas and
    // the bodies of anonymous classes in it are laid out like a block: the
    // statement up to the body's "{", the body's statements or members one
    // level deeper, and the rest from its "}" again at the statement's
    // level (as "} else {"). So the plug-in rebuilds only the statements
    // that need it, each on its own line.
    void simpleStatement(TSNode node, int level, size_t from);
    // Whether node's leaves hold a "{", as every inner body opens with one.
    bool holdsBrace(TSNode node) const;
    // The block bodies of the lambdas and the bodies of the anonymous
    // classes in node, outermost first, in source order; not those inside
    // local classes and switch expressions, which stay whole in their
    // statement.
    static void innerBodies(TSNode node, std::vector<TSNode>& bodies);
    static TSNode lastNamedChild(TSNode node);
    // An if with its chain of else ifs, one after the other.
    void ifStatement(TSNode node, int level, size_t from);
    void tryStatement(TSNode node, int level, size_t from);
    void switchStatement(TSNode node, int level, size_t from);
    void caseGroup(TSNode group, int level);
};

}  // namespace host
