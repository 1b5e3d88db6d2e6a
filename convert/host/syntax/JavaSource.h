// JavaSource: one Java file's syntax. Parses the file with tree-sitter and
// cuts it into tokens: leaves (with their layout flags, for the plug-in) or
// text tokens (only compared). The names of the leaves are resolved by
// names/, the statements laid out by plugin/; both read the tree from here.
#pragma once

#include <tree_sitter/api.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "syntax/Tokens.h"

namespace host {

// An edit of a text: its bytes [oldStart, oldEnd) became the bytes
// [newStart, newEnd) of the edited text.
struct TextEdit {
    unsigned oldStart = 0;
    unsigned oldEnd = 0;
    unsigned newStart = 0;
    unsigned newEnd = 0;
};

// The text of a leaf's node for the plug-in: a line comment becomes a
// block comment, which may stand inside a rebuilt line.
std::string nodeTextOf(const Leaf& leaf);

class JavaSource {
public:
    // A tree that nests deeper than this (the root is 1) makes parse()
    // fail. Far deeper than code people write: the JDK's deepest file, a
    // generated string concatenation, nests 1,969 deep. The walks over the
    // tree do not recurse, so this only bounds their work on absurd input
    // (names of classes nested in classes grow with the depth).
    static constexpr uint32_t kMaxNesting = 5000;

    // Parses text. false when tree-sitter reports an error or the tree nests
    // deeper than kMaxNesting; reason says where. Only a parsed file has a
    // tree to cut into tokens. knownTokens: lexedTokenCount(text) where the
    // caller has it (the measure of the leaves), 0 for cutLeaves to count.
    bool parse(const std::string& text, size_t knownTokens = 0);
    // The same for text, base's text with edits (in increasing order, not
    // overlapping): base's tree, edited alike, is reused where the edits
    // leave it, which makes the parse of a text with a few edits cheap.
    bool parseEdited(const JavaSource& base, const std::string& text,
                     const std::vector<TextEdit>& edits);
    const std::string& reason() const { return failure; }
    // Whether parse() failed because the tree nests too deeply.
    bool tooDeep() const { return nestedTooDeeply; }

    // The names of the code (identifiers; not comments, strings or
    // keywords), sorted, each once. Needs parse().
    std::vector<std::string> codeNames() const;

    // The parsed text (lone CRs made LF, so every offset holds) and its
    // tree's root; a null node once the tree is released or when the parse
    // failed.
    const std::string& text() const { return source; }
    TSNode root() const;

    // Cuts the parsed text into leaves with their layout flags; their kinds
    // are the lexical ones until the names are resolved. Needs parse().
    void cutLeaves();
    const std::vector<Leaf>& leaves() const { return tokens; }
    std::vector<Leaf>& leaves() { return tokens; }
    // Cuts the parsed text into text tokens only, without names or layout,
    // for comparing two texts token by token: a third of a leaf's memory,
    // which counts in a large file. Needs parse().
    void cutTextTokens();
    const std::vector<TextToken>& textTokens() const { return compared; }

    // Frees the tree (its leaves stay) once nothing needs it any more;
    // what needs the tree finds none after this.
    void releaseTree();
    // Frees the leaves (their memory counts in a large file).
    void releaseLeaves() { std::vector<Leaf>().swap(tokens); }
    // Whether a name that Java's lexer cut from the parsed text (at its
    // bytes there) is one token of the tree too. The grammar reads a
    // keyword that is no word at a word's start ("@interfaceM" as
    // "@interface" and "M"), where Java reads one name that does not
    // parse. Needs parse().
    bool holdsName(const TextToken& name) const;
    // The same for every name of the parsed text; why says where the first
    // one that is not stands ("line 7: ...").
    bool namesAsLexed(std::string& why) const;
    // What holdsName found wrong with name, for a reason.
    std::string nameRunTogether(const TextToken& name) const;
    // The number of arguments of the method call whose name is the token
    // [start, end); -1 when that token names no call. Needs parse().
    int callArity(unsigned start, unsigned end) const;

    ~JavaSource();
    JavaSource() = default;
    JavaSource(const JavaSource&) = delete;
    JavaSource& operator=(const JavaSource&) = delete;

private:
    std::string source;
    std::string failure;
    bool nestedTooDeeply = false;
    size_t lexedTokens = 0;  // of source, when known before cutLeaves
    void* tree = nullptr;  // TSTree*
    std::vector<Leaf> tokens;
    std::vector<TextToken> compared;
    // The texts of the compared tokens that hold a CR LF, made LF; the
    // others are views of source.
    std::deque<std::string> joinedLines;

    void dropTree();
    void takeText(const std::string& text);
    bool parseFrom(const void* oldTree);
};

}  // namespace host
