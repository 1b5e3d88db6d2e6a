// Tokens: a Java file as leaves (tokens with their layout flags, node kinds
// and qualified names), and as text tokens that are only compared.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Node kinds of a leaf. The parse gives the lexical ones (operator, string,
// literal, keyword, note, and other for a name); name resolution settles
// the names. The numbers are those of the plug-in's contract where the
// plug-in relies on a kind (the plug-in's side checks that they agree);
// the others are the host's own and never match a rule.
enum HostNodeKind {
    kKindOperator = 4,
    kKindString = 5,
    kKindLiteral = 6,
    kKindKeyword = 7,
    kKindClassRef = 11,
    kKindMember = 12,
    kKindOwnMember = 13,
    kKindMethod = 14,
    kKindName = 16,
    kKindVariable = 17,
    kKindDeclared = 18,
    kKindOther = 19,
    kKindClass = 24,
    kKindNote = 27,
    kKindLabel = 28,
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

}  // namespace host
