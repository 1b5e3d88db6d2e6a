// Tokens: a Java file as leaves (tokens with their layout flags, node kinds
// and qualified names) and as the statements and steps in which the host
// hands it to the plug-in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "IConvert.h"

namespace host {

// Node kinds of the host: those the plug-in relies on are the contract's;
// the others are the host's own and never match a rule.
enum HostNodeKind {
    kKindOperator = tala::kNodeOperator,
    kKindString = tala::kNodeString,
    kKindLiteral = 6,
    kKindKeyword = tala::kNodeKeyword,
    kKindClassRef = tala::kNodeClassRef,
    kKindMember = tala::kNodeMember,
    kKindOwnMember = tala::kNodeMemberAlt,
    kKindMethod = tala::kNodeMethod,
    kKindName = tala::kNodeName,
    kKindVariable = 17,
    kKindDeclared = 18,
    kKindOther = 19,
    kKindClass = tala::kNodeClass,
    kKindNote = tala::kNodeNote,
    kKindLabel = 28,
};

// Statement kinds of the host; 11 is the plug-in's import kind.
enum HostStmtKind {
    kStmtCode = 20,
    kStmtComment = 21,
    kStmtImportDecl = tala::kStmtImport,
};

// A token of a text that is only compared: its bytes [start, end), its
// first line (from 1), and whether it is a comment.
struct TextToken {
    std::string_view text;  // CR LF inside made LF; owned by whoever cut it
    unsigned start = 0;
    unsigned end = 0;
    int line = 0;
    bool comment = false;
};

// One token of the source with its layout flags and its node.
struct Leaf {
    std::string text;  // as the source has it (CR LF inside made LF)
    int kind = kKindOther;
    std::string qualified;  // resolved name for kinds 11 to 14
    int line = 0;           // first and last source line, from 1
    int endLine = 0;
    unsigned startByte = 0;
    unsigned endByte = 0;
    bool newLine = false;    // a line break before it
    bool blank = false;      // blanks (no line break) before it
    bool blankLine = false;  // an empty line before it
    bool bracket = false;
    bool comment = false;
    // A name that a rule may concern but that is left as written:
    // kKindMember or kKindMethod for a member or method after a receiver
    // whose type is not known, kKindMethod too for a method that a vendor
    // subclass declares without @Override (it may override the vendor's);
    // 0 for any other.
    int unresolved = 0;
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
