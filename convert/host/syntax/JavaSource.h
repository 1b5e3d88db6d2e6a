// JavaSource: one Java file as the conversion host hands it to the plug-in.
// Parses the file with tree-sitter, cuts it into tokens (leaves), classifies
// every name (node kinds and resolved qualified names), and lays the file out
// as a list of steps: statements, bodies of flattened statements with levels,
// and the type-body braces the host places itself.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "names/CompilerNames.h"
#include "names/JdkNames.h"
#include "names/SemanticModel.h"
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

// The scan collects each file's members before the tree's types are all
// known, with their types' tree lookups deferred (JavaSource::
// collectDeclarations); this resolves them once the tree's types are
// complete, and settles each method's result type.
void resolveDeferredTypes(TreeTypes& types, const RuleFacts& rules);

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
    // deeper than kMaxNesting; reason says where. Only a parsed file
    // collects types and members and builds.
    bool parse(const std::string& text);
    // The same for text, base's text with edits (in increasing order, not
    // overlapping): base's tree, edited alike, is reused where the edits
    // leave it, which makes the parse of a text with a few edits cheap.
    bool parseEdited(const JavaSource& base, const std::string& text,
                     const std::vector<TextEdit>& edits);
    const std::string& reason() const { return failure; }
    // Whether parse() failed because the tree nests too deeply.
    bool tooDeep() const { return nestedTooDeeply; }

    // The types this file declares and their members (for the tree scan),
    // with the lookups of the members' types in the tree deferred:
    // resolveDeferredTypes settles them once every file's types are
    // collected.
    void collectDeclarations(TreeTypes& types, const RuleFacts& rules) const;

    // The names of the code (identifiers; not comments, strings or
    // keywords), sorted, each once. Needs parse().
    std::vector<std::string> codeNames() const;

    // Classifies the names and lays the file out as steps. Needs parse().
    // exact: the compiler's records of the file (exact mode), which
    // correct the host's classification where they resolve a name.
    void build(const TreeTypes& types, const RuleFacts& rules,
               const std::vector<NameRecord>* exact = nullptr);

    const std::vector<Leaf>& leaves() const { return tokens; }
    // Cuts the parsed text into text tokens only, without names or layout,
    // for comparing two texts token by token: a third of a leaf's memory,
    // which counts in a large file. Needs parse().
    void cutTextTokens();
    const std::vector<TextToken>& textTokens() const { return compared; }

    // Frees the tree (its leaves stay) once nothing needs it any more;
    // what needs the tree finds none after this.
    void releaseTree();
    // Frees the steps once the plug-in has taken them.
    void releaseLayout();

    // Unresolved member and method names (see Leaf) that a rule changes
    // elsewhere: "line 12: text".
    std::vector<std::string> unresolvedRuleNames(const RuleFacts& rules) const;
    const std::vector<Step>& steps() const { return layout; }
    // The number of arguments of every method call, by the first byte of
    // the method's name. Needs parse().
    std::map<unsigned, int> callArities() const;

    ~JavaSource();
    JavaSource() = default;
    JavaSource(const JavaSource&) = delete;
    JavaSource& operator=(const JavaSource&) = delete;

private:
    std::string source;
    std::string failure;
    bool nestedTooDeeply = false;
    void* tree = nullptr;  // TSTree*
    std::vector<Leaf> tokens;
    std::vector<Step> layout;
    std::vector<TextToken> compared;
    // The texts of the compared tokens that hold a CR LF, made LF; the
    // others are views of source.
    std::deque<std::string> joinedLines;

    void dropTree();
    bool parseFrom(const void* oldTree);
};

}  // namespace host
