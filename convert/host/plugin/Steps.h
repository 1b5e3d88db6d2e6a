// Steps: a Java file as the statements and steps in which the host hands
// it to the plug-in.
#pragma once

#include <cstddef>
#include <vector>

#include "IConvert.h"
#include "syntax/Tokens.h"

namespace host {

// The leaves' kinds that the plug-in relies on are numbered as its
// contract numbers them.
static_assert(int{kKindOperator} == int{tala::kNodeOperator}, "kKindOperator is the plug-in's");
static_assert(int{kKindString} == int{tala::kNodeString}, "kKindString is the plug-in's");
static_assert(int{kKindKeyword} == int{tala::kNodeKeyword}, "kKindKeyword is the plug-in's");
static_assert(int{kKindClassRef} == int{tala::kNodeClassRef}, "kKindClassRef is the plug-in's");
static_assert(int{kKindMember} == int{tala::kNodeMember}, "kKindMember is the plug-in's");
static_assert(int{kKindOwnMember} == int{tala::kNodeMemberAlt}, "kKindOwnMember is the plug-in's");
static_assert(int{kKindMethod} == int{tala::kNodeMethod}, "kKindMethod is the plug-in's");
static_assert(int{kKindName} == int{tala::kNodeName}, "kKindName is the plug-in's");
static_assert(int{kKindClass} == int{tala::kNodeClass}, "kKindClass is the plug-in's");
static_assert(int{kKindNote} == int{tala::kNodeNote}, "kKindNote is the plug-in's");

// Statement kinds of the host; 11 is the plug-in's import kind.
enum HostStmtKind {
    kStmtCode = 20,
    kStmtComment = 21,
    kStmtImportDecl = tala::kStmtImport,
};

// A statement: a run of leaves [first, last) with its level in its body.
struct Statement {
    int kind = kStmtCode;
    size_t first = 0;
    size_t last = 0;
    int level = 1;
    bool braceLessHead = false;  // an if/for/while/else whose body has no braces
    // Its comments are statements of their own (an import's): its nodes
    // and tokens leave them out.
    bool withoutComments = false;
    // Filled in when the layout is done.
    int prevLevel = 0;
    int nextLevel = -1;
    int prevLine = -1;
    int nextLine = -1;
};

enum class StepKind { kStatement, kBody, kBeginBlock, kEndBlock };

struct Step {
    StepKind kind = StepKind::kStatement;
    std::vector<Statement> statements;  // one for kStatement, the body for kBody
};

}  // namespace host
