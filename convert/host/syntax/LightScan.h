// LightScan: what a Java file's bytes tell without a parse. A lexer that
// knows comments, strings, character literals and text blocks reads the
// file once and gives its package, the types it declares (a type declared
// inside another one as Outer.Inner, wherever it stands in it, as the
// parse names them), and the identifiers of its code. It is what the run
// knows of a file that it does not parse.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "syntax/Tokens.h"

namespace host {

// Where an identifier of a file stands, as bits of LightScan::places.
enum NamePlace : uint8_t {
    // Only in the package declaration and in the imports of types (not
    // static ones): a package's or a type's name there, never a member's,
    // and a type that the code uses is named in the code again.
    kDeclarationOnly = 1,
    // Everywhere outside these declarations right before a "(": a method's
    // name there (called or declared), a constructor's, never a field's.
    // Every kDeclarationOnly name is one too.
    kCalledOnly = 2,
    // Somewhere outside these declarations right after a "." and not before
    // a "(": a field's name on a receiver (or in a static import) is one.
    kDotted = 4,
    // Somewhere outside these declarations where a method's name stands:
    // right before a "(" (type arguments stand before the name), right
    // after a "::", or as an annotation's element, right before a "=" that
    // follows a "(" or a ",".
    kCallLike = 8,
};

struct LightScan {
    std::string package;  // empty: the default package
    // The declared types, in the order they start, each as written under
    // its enclosing types; a name declared twice is there twice.
    std::vector<std::string> types;
    // Every identifier outside comments and literals (keywords too),
    // sorted, each once; and for each of them where it stands (NamePlace
    // bits).
    std::vector<std::string> identifiers;
    std::vector<uint8_t> places;
    // Whether the code holds a "->" (a lambda, or a rule of a switch).
    bool arrows = false;
    // For each of types, the names between its name and its body (its
    // type parameters, its supertypes and their type arguments, a record's
    // components), sorted: its supertypes' names are among them.
    std::vector<std::vector<std::string>> headers;
    // The insides of the braces that stand directly in a type's body and
    // open no type of their own (the bodies of methods, constructors and
    // initializers, a field initializer's braces), as byte ranges; and
    // whether every brace of the file closes.
    std::vector<std::pair<size_t, size_t>> bodies;
    bool balanced = true;
    // What lexedTokenCount gives for the text.
    size_t lexedTokens = 0;
};

LightScan lightScan(const std::string& text);

// A string literal (or text block) of a Java text, quotes and all, and its
// first line (from 1).
struct LightString {
    std::string_view text;
    int line = 0;
};

// The string literals of text, in order; they point into text.
std::vector<LightString> stringLiterals(const std::string& text);

// The number of tokens forEachLexedToken gives for text: never fewer than
// the parse's tokens of it (a lexed ">" stands alone, "@interface" is two),
// so what a vector of them is made to measure with.
size_t lexedTokenCount(const std::string& text);

// Calls visit with each token of text, cut as LexedText cuts it, in order;
// a token's text lives only for the call.
void forEachLexedToken(const std::string& text, const std::function<void(const TextToken&)>& visit);

// A text cut into tokens without a parse: as Java's lexer cuts it, but
// that ">" always stands alone (as in a type's arguments), and comments
// whole. What the layout step aligns and compares; the tokens point into
// the text, which must outlive them.
class LexedText {
public:
    explicit LexedText(const std::string& text);
    LexedText(const LexedText&) = delete;
    LexedText& operator=(const LexedText&) = delete;
    const std::vector<TextToken>& tokens() const { return cut; }

private:
    std::vector<TextToken> cut;
    std::deque<std::string> joined;  // the tokens with CR LF inside, made LF
};

}  // namespace host
