// JavaSource: one Java file as the conversion host hands it to the plug-in.
// Parses the file with tree-sitter, cuts it into tokens (leaves), classifies
// every name (node kinds and resolved qualified names), and lays the file out
// as a list of steps: statements, bodies of flattened statements with levels,
// and the type-body braces the host places itself.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace host {

// Node kinds of the host. The plug-in relies on 4, 5, 7, 11 to 14, 16, 24
// and 27; the others are the host's own and never match a rule.
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

// Statement kinds of the host; 11 is the plug-in's import kind.
enum HostStmtKind {
    kStmtCode = 20,
    kStmtComment = 21,
    kStmtImportDecl = 11,
};

// One token of the source with its layout flags and its node.
struct Leaf {
    std::string text;      // as the source has it (CR LF inside made LF)
    std::string nodeText;  // the node's text: a line comment becomes /* */
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

// One declaration of a method: its parameter types (qualified; empty when
// unknown), and whether it overrides (@Override) a superclass's method.
struct MethodOverload {
    std::vector<std::string> parameters;
    bool variableArity = false;
    bool overrides = false;
};

// What a class declares: field -> type, method -> result type (qualified
// types; empty when unknown, primitive, or differing between overloads),
// method -> its overloads, its superclass and the interfaces it
// implements; for an interface with one abstract method, that method's
// parameter types.
struct ClassMembers {
    std::map<std::string, std::string> fields;
    std::map<std::string, std::string> methods;
    std::map<std::string, std::vector<MethodOverload>> overloads;
    std::string superclass;
    std::vector<std::string> interfaces;
    bool functional = false;
    std::vector<std::string> lambdaParameters;
};

// What the host knows of the whole source tree: the types it declares, and
// their members.
struct TreeTypes {
    std::set<std::string> qualifiedNames;                    // p.q.Type for every declared type
    std::map<std::string, std::set<std::string>> byPackage;  // package -> simple names
    std::map<std::string, ClassMembers> members;             // p.q.Type -> its members
};

// What the host knows of the rules: the package keywords, and the names
// (without their class) that member and method rules rename.
struct RuleFacts {
    std::vector<std::string> packageKeywords;
    std::set<std::string> memberNames;
    std::set<std::string> methodNames;
};

// An edit of a text: its bytes [oldStart, oldEnd) became the bytes
// [newStart, newEnd) of the edited text.
struct TextEdit {
    unsigned oldStart = 0;
    unsigned oldEnd = 0;
    unsigned newStart = 0;
    unsigned newEnd = 0;
};

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

    // The package and the types this file declares (for the tree scan).
    void collectTypes(TreeTypes& types) const;
    // The members of the types this file declares, their types resolved
    // against the types of the whole tree (the second step of the scan).
    void collectMembers(TreeTypes& types, const RuleFacts& rules) const;

    // Classifies the names and lays the file out as steps. Needs parse().
    void build(const TreeTypes& types, const RuleFacts& rules);

    const std::vector<Leaf>& leaves() const { return tokens; }
    // Cuts the parsed text into its leaves only, without names or layout
    // (for comparing two texts token by token). Needs parse().
    void cutLeaves();

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

    void dropTree();
    bool parseFrom(const void* oldTree);
};

// True when keyword stands in text as whole dot-separated parts.
bool containsPackage(const std::string& text, const std::string& keyword);

// The JDK package that declares simple (a small table of common packages);
// empty when none of them does. java.lang is among them.
std::string jdkPackageOf(const std::string& simple, const std::vector<std::string>& packages);
bool isJdkPackage(const std::string& package);

}  // namespace host
