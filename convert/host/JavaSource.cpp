// JavaSource: parsing and tokens (leaves with their layout flags); the
// names are classified in Classifier.cpp and the layers below it, the
// statements laid out in StatementLayout.cpp.
//
// Design note: how a Java file reaches the plug-in.
//
// Steps. Package and import declarations, type headers, fields and method
// headers are single statements (convertStmt; imports as kind 11). A type
// body lies between beginBlock and endBlock. A method, constructor or
// initializer body is one convertBody(0): its header statement ends with the
// body's "{" (so the token writer keeps the source's brace style), and
// convertBody writes the closing "}". Comments between members are
// statements of their own; a comment that follows a statement on its line
// stays with that statement, but not with an import, which the plug-in
// rebuilds from its names: a comment after or inside an import is a
// statement of its own after it (the import's nodes and tokens leave an
// inner comment out). An empty line before a statement or member is
// written with outputText("\n").
//
// Levels inside a body. The body's statements are at level 1. A statement
// whose body is a block (if, else, for, while, do, try, catch, finally,
// synchronized, a bare block) ends with that block's "{", its statements are
// one level deeper, and the block's "}" is a statement of the outer level
// that begins with "}"; the clause that continues it (else, catch, finally,
// the while of a do) joins that "}" statement: "} else {". So the plug-in
// never has to close a level itself, and every "}" it writes is the
// source's. "else if" is one first token. A body without braces stays at the
// level of its head (the plug-in indents it after if, for, else and else
// if). An empty block stays inside its statement: "if (a) {} else {".
// switch: the switch statement leaves out its "{" (the plug-in writes it),
// case and default labels and the statements under them are one level
// deeper, and the switch's "}" is a statement at the switch's level. A case
// block or an arrow rule's block is a block statement under its label. A
// labeled statement is its label ("outer:") followed by the statement at the
// same level. The block body of a lambda and the body of an anonymous
// class in a statement without a body of its own (an expression,
// declaration, return) are laid out like a block: the statement through
// the body's "{", its statements (or members) one level deeper, and the
// rest of the statement from the "}" on at the outer level, which may open
// the next body ("}, b -> {"). A local class is its header through "{",
// its members one level deeper, and its "}". A member with a block body (a
// method, a constructor, an initializer) is laid out like a block
// statement, any other member is one statement. Lambdas and anonymous
// classes in heads (if, for, ...) and in field initialisers, and switch
// expressions, stay inside the statement that holds them: written
// unchanged their lines keep their breaks and brace depth; rebuilt by the
// plug-in they become one line, which is still the same code.
//
// Node kinds. Operators and punctuation 4; string literals and text blocks
// 5 (with their quotes); other literals 6; keywords 7; comments 27 (a line
// comment's node text is its block-comment form, so a rebuilt line keeps
// it). A class name standing alone (a declared type, new, a cast, a class
// literal) is 24, which the plug-in's class rules match by its text; but a
// name that resolves to a type outside the rules' packages (the file's own,
// the tree's, the JDK's) is 11, so that a rule for a vendor class's short
// name never renames another class of that name. The parts of a dotted type
// or a class used as a receiver (Session.open, net.olddb.Session) are 11
// for classes and 16 for package parts. A capitalised part is a class only
// where a type can stand or where a receiver is not a variable; in
// Type.NAME the name is a member (12): constants are members. The member
// after a receiver is 12, and so is a bare name in a case label of a switch
// over an enum; a field named without receiver (own or inherited) is 13; a
// called or referenced (Type::name) method is 14. Locals and parameters are
// variables (17): never 16 or 11, so the plug-in keeps "s." in front of a
// renamed call. In an import the parts are 16 and the last name is 11
// carrying the whole imported name; the file's own package declaration is
// 19 throughout. Declared names are 18, labels 28, anything else 19; but
// the name of an @Override method that overrides the method of one type
// outside the file and the tree (the first such class of the superclass
// chain, or the one such interface the class implements) is that type's
// method (14), and calls that reach the override are that method's calls:
// a rule renames the override with its calls. Methods are told apart by
// name and number of arguments.
//
// Qualified names (kinds 11 to 14). A class name resolves through the
// file's own types, its single-type imports, the source tree's types in the
// same package, on-demand imports of packages the tree or the JDK supplies
// the name from, java.lang, and last an on-demand import of a package under
// the rules. A member or method gets its receiver's type plus "." plus its
// name, where the type is known: a class, a typed local, parameter or field
// (var with an initializer of known type, or over the elements of a typed
// array or JDK collection; a type variable stands for its bound), this,
// super, a cast, new T(), the element a JDK container's method gives
// (list.get(0), map.get(k), optional.get(), supplier.get()), a field
// or a call of a class that the file or the tree declares (the tree scan
// collects every class's fields, method result types and superclass), or
// no receiver (the enclosing classes' members, a static import, or else a
// member inherited from the superclass). A member belongs to the class of
// the superclass chain that declares it; where the file and the tree know
// no such class, to the first class of the chain they do not declare (a
// vendor's class that an own class extends). Untyped lambda parameters
// take their types from the lambda's target where that is known: a method
// of a JDK collection, map, stream or optional declared with type
// arguments (JdkGenerics.cpp lists them, with the elements they give); a
// variable of one of java.util.function's interfaces, or of an interface
// of the file or the tree with one abstract method; an argument of a
// method of the file or the tree (one overload alone with that many
// parameters) whose parameter is such an interface. A case label's bare name belongs to the switch
// selector's type when that is known and is no JDK type (so an enum).
// Otherwise a name carries its text as written, and is marked unresolved: a
// converted file lists those that a rule would change, to be checked; so
// is a method that a vendor subclass declares without @Override.
#include "JavaSource.h"

#include <tree_sitter/api.h>

#include <cstring>

#include "Classifier.h"
#include "StatementLayout.h"
#include "SyntaxNodes.h"

extern "C" const TSLanguage* tree_sitter_java(void);

namespace host {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Tokens that the leaf walk keeps whole although tree-sitter splits them.
bool isAtomic(const std::string& type) {
    return type == "string_literal" || type == "character_literal" || type == "line_comment" ||
           type == "block_comment";
}

bool isLiteralType(const std::string& type) {
    return type.find("literal") != std::string::npos || type == "true" || type == "false";
}

std::string withoutCarriageReturns(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    while (!result.empty() && result.back() == '\r') result.pop_back();
    return result;
}

// A comment as a block comment, safe to stand inside a rebuilt line.
std::string asBlockComment(const std::string& text) {
    std::string body = text;
    if (body.rfind("//", 0) == 0) {
        body = "/*" + body.substr(2) + " */";
    } else {
        return body;
    }
    // A "*/" inside the old line comment would end the new comment early.
    std::string inner = body.substr(2, body.size() - 4);
    for (size_t found = inner.find("*/"); found != std::string::npos;
         found = inner.find("*/", found + 1)) {
        inner.replace(found, 2, "* /");
    }
    return "/*" + inner + "*/";
}

// A token of the source: node, whose grammar type is type.
Leaf makeLeaf(TSNode node, const std::string& type, const std::string& source) {
    unsigned start = ts_node_start_byte(node);
    unsigned end = ts_node_end_byte(node);
    Leaf leaf;
    leaf.text = withoutCarriageReturns(source.substr(start, end - start));
    leaf.startByte = start;
    leaf.endByte = end;
    leaf.line = static_cast<int>(ts_node_start_point(node).row) + 1;
    leaf.endLine = static_cast<int>(ts_node_end_point(node).row) + 1;
    leaf.comment = type == "line_comment" || type == "block_comment";
    leaf.nodeText = leaf.comment ? asBlockComment(leaf.text) : leaf.text;
    leaf.bracket = leaf.text == "{" || leaf.text == "}" || leaf.text == "(" || leaf.text == ")" ||
                   leaf.text == "[" || leaf.text == "]";
    if (leaf.comment) {
        leaf.kind = kKindNote;
    } else if (type == "string_literal") {
        leaf.kind = kKindString;
    } else if (isLiteralType(type)) {
        leaf.kind = kKindLiteral;
    } else if (type == "identifier" || type == "type_identifier") {
        leaf.kind = kKindOther;
    } else if (isLetter(leaf.text[0])) {
        leaf.kind = kKindKeyword;
    } else {
        leaf.kind = kKindOperator;
    }
    leaf.qualified = leaf.text;
    return leaf;
}

// The tokens of the tree in source order: its childless nodes but
// zero-width ones, and the nodes it keeps whole (isAtomic).
void collectLeaves(TSNode root, const std::string& source, std::vector<Leaf>& leaves) {
    walkTree(root, [&](TSNode node, uint32_t) {
        std::string type = ts_node_type(node);
        if (ts_node_child_count(node) != 0 && !isAtomic(type)) return WalkNext::kInto;
        if (ts_node_end_byte(node) != ts_node_start_byte(node))
            leaves.push_back(makeLeaf(node, type, source));
        return WalkNext::kOver;
    });
}

void markSpacing(const std::string& source, std::vector<Leaf>& leaves) {
    unsigned previousEnd = 0;
    for (Leaf& leaf : leaves) {
        int breaks = 0;
        bool blanks = false;
        for (unsigned at = previousEnd; at < leaf.startByte; ++at) {
            if (source[at] == '\n') {
                ++breaks;
            } else {
                blanks = true;
            }
        }
        leaf.newLine = breaks > 0;
        leaf.blank = blanks && breaks == 0;
        leaf.blankLine = breaks > 1;
        previousEnd = leaf.endByte;
    }
}

// The first error in the tree, as "line L: ...": down the first branch
// that holds one.
std::string firstError(TSNode root) {
    TSNode node = root;
    for (;;) {
        std::string line = "line " + std::to_string(ts_node_start_point(node).row + 1);
        if (ts_node_is_missing(node)) return line + ": missing \"" + ts_node_type(node) + "\"";
        if (strcmp(ts_node_type(node), "ERROR") == 0) return line + ": syntax error";
        TSNode inner{};
        uint32_t count = ts_node_child_count(node);
        for (uint32_t i = 0; i < count && ts_node_is_null(inner); ++i) {
            TSNode child = ts_node_child(node, i);
            if (ts_node_has_error(child)) inner = child;
        }
        if (ts_node_is_null(inner)) return "syntax error";
        node = inner;
    }
}

// The line (from 1) of the first node in source order that lies deeper
// than kMaxNesting; 0 when none does.
int firstTooDeepLine(TSNode root) {
    int line = 0;
    walkTree(root, [&](TSNode node, uint32_t depth) {
        if (depth <= JavaSource::kMaxNesting) return WalkNext::kInto;
        line = static_cast<int>(ts_node_start_point(node).row) + 1;
        return WalkNext::kStop;
    });
    return line;
}

// Java ends a line at a CR that no LF follows (an old Mac line end); the
// grammar does not, and would run a line comment on into the next line.
// An LF in its place keeps every byte offset.
void makeLoneCarriageReturnsLineFeeds(std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) text[i] = '\n';
    }
}

}  // namespace

bool containsPackage(const std::string& text, const std::string& keyword) {
    if (keyword.empty()) return false;
    for (size_t found = text.find(keyword); found != std::string::npos;
         found = text.find(keyword, found + 1)) {
        bool before = found == 0 || text[found - 1] == '.';
        size_t end = found + keyword.size();
        bool after = end == text.size() || text[end] == '.';
        if (before && after) return true;
    }
    return false;
}

JavaSource::~JavaSource() {
    dropTree();
}

void JavaSource::dropTree() {
    if (tree != nullptr) ts_tree_delete(static_cast<TSTree*>(tree));
    tree = nullptr;
}

bool JavaSource::parse(const std::string& text) {
    dropTree();
    nestedTooDeeply = false;
    failure.clear();
    source = text;
    makeLoneCarriageReturnsLineFeeds(source);
    TSParser* parser = ts_parser_new();
    if (!ts_parser_set_language(parser, tree_sitter_java())) {
        ts_parser_delete(parser);
        failure = "the Java grammar does not fit this tree-sitter library";
        return false;
    }
    TSTree* parsed = ts_parser_parse_string(parser, nullptr, source.data(),
                                            static_cast<uint32_t>(source.size()));
    ts_parser_delete(parser);
    if (parsed == nullptr) {
        failure = "the parser gave up";
        return false;
    }
    tree = parsed;
    TSNode root = ts_tree_root_node(parsed);
    if (ts_node_has_error(root)) {
        failure = firstError(root);
        dropTree();
        return false;
    }
    int tooDeep = firstTooDeepLine(root);
    if (tooDeep != 0) {
        failure = "nested too deeply at line " + std::to_string(tooDeep);
        nestedTooDeeply = true;
        dropTree();
        return false;
    }
    return true;
}

void JavaSource::collectTypes(TreeTypes& types) const {
    if (tree != nullptr)
        collectDeclaredTypes(source, ts_tree_root_node(static_cast<TSTree*>(tree)), types);
}

void JavaSource::collectMembers(TreeTypes& types, const RuleFacts& rules) const {
    if (tree != nullptr)
        collectDeclaredMembers(source, ts_tree_root_node(static_cast<TSTree*>(tree)), types, rules);
}

std::vector<std::string> JavaSource::unresolvedRuleNames(const RuleFacts& rules) const {
    std::vector<std::string> names;
    for (const Leaf& leaf : tokens) {
        if (leaf.unresolved == 0) continue;
        const std::set<std::string>& named =
            leaf.unresolved == kKindMethod ? rules.methodNames : rules.memberNames;
        if (named.count(leaf.text) != 0)
            names.push_back("line " + std::to_string(leaf.line) + ": " + leaf.text);
    }
    return names;
}

void JavaSource::cutLeaves() {
    tokens.clear();
    layout.clear();
    if (tree != nullptr) collectLeaves(ts_tree_root_node(static_cast<TSTree*>(tree)), source, tokens);
}

void JavaSource::build(const TreeTypes& types, const RuleFacts& rules) {
    tokens.clear();
    layout.clear();
    if (tree == nullptr) return;
    TSNode root = ts_tree_root_node(static_cast<TSTree*>(tree));
    collectLeaves(root, source, tokens);
    markSpacing(source, tokens);
    classifyNames(source, root, tokens, types, rules);
    layOutSteps(root, tokens, layout);
}

std::map<unsigned, int> JavaSource::callArities() const {
    std::map<unsigned, int> arities;
    if (tree == nullptr) return arities;
    TSTreeCursor cursor = ts_tree_cursor_new(ts_tree_root_node(static_cast<TSTree*>(tree)));
    for (bool more = true; more;) {
        TSNode node = ts_tree_cursor_current_node(&cursor);
        if (strcmp(ts_node_type(node), "method_invocation") == 0) {
            TSNode name = ts_node_child_by_field_name(node, "name", 4);
            TSNode arguments = ts_node_child_by_field_name(node, "arguments", 9);
            int count = 0;
            for (uint32_t i = 0; !ts_node_is_null(arguments) && i < ts_node_named_child_count(arguments); ++i)
                count += ts_node_is_extra(ts_node_named_child(arguments, i)) ? 0 : 1;
            if (!ts_node_is_null(name)) arities[ts_node_start_byte(name)] = count;
        }
        // Depth first, without recursion: down, else along, else up and along.
        if (ts_tree_cursor_goto_first_child(&cursor)) continue;
        while (!ts_tree_cursor_goto_next_sibling(&cursor)) {
            if (!ts_tree_cursor_goto_parent(&cursor)) {
                more = false;
                break;
            }
        }
    }
    ts_tree_cursor_delete(&cursor);
    return arities;
}

}  // namespace host
