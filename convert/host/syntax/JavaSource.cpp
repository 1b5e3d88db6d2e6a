// JavaSource: parsing and tokens (leaves with their layout flags, and text
// tokens). The names are classified in names/ (Classifier.cpp and the
// files it uses, each with its own note), the statements laid out in
// plugin/StatementLayout.cpp (whose note tells how a Java file reaches the
// plug-in).
#include "syntax/JavaSource.h"

#include <algorithm>

#include <tree_sitter/api.h>

#include <cstring>

#include "syntax/LightScan.h"
#include "syntax/SyntaxNodes.h"

extern "C" const TSLanguage* tree_sitter_java(void);

namespace host {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// What the leaf walk needs to know of a kind of node, by its grammar id.
enum class LeafClass : unsigned char { kPlain, kComment, kString, kAtomic, kLiteral, kName };

LeafClass classOf(const std::string& type) {
    if (type == "line_comment" || type == "block_comment") return LeafClass::kComment;
    if (type == "string_literal") return LeafClass::kString;
    // Kept whole although tree-sitter splits it.
    if (type == "character_literal") return LeafClass::kAtomic;
    if (type.find("literal") != std::string::npos || type == "true" || type == "false")
        return LeafClass::kLiteral;
    if (type == "identifier" || type == "type_identifier") return LeafClass::kName;
    return LeafClass::kPlain;
}

// The class of every kind of node of the grammar, looked up once.
LeafClass leafClass(TSSymbol symbol) {
    static const std::vector<LeafClass> classes = [] {
        const TSLanguage* language = tree_sitter_java();
        std::vector<LeafClass> made(ts_language_symbol_count(language));
        for (TSSymbol id = 0; id < made.size(); ++id)
            made[id] = classOf(ts_language_symbol_name(language, id));
        return made;
    }();
    return symbol < classes.size() ? classes[symbol] : LeafClass::kPlain;
}


// The bytes [start, end) of source, each CR LF inside made LF and any CR at
// the end dropped.
std::string withoutCarriageReturns(const std::string& source, unsigned start, unsigned end) {
    if (memchr(source.data() + start, '\r', end - start) == nullptr)
        return source.substr(start, end - start);
    std::string text = source.substr(start, end - start);
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

// A token of the source: node, of that class.
Leaf makeLeaf(TSNode node, LeafClass leafClass, const std::string& source) {
    unsigned start = ts_node_start_byte(node);
    unsigned end = ts_node_end_byte(node);
    Leaf leaf;
    leaf.text = withoutCarriageReturns(source, start, end);
    leaf.startByte = start;
    leaf.endByte = end;
    leaf.line = static_cast<int>(ts_node_start_point(node).row) + 1;
    leaf.endLine = static_cast<int>(ts_node_end_point(node).row) + 1;
    leaf.comment = leafClass == LeafClass::kComment;
    leaf.bracket = leaf.text.size() == 1 && strchr("{}()[]", leaf.text[0]) != nullptr;
    switch (leafClass) {
    case LeafClass::kComment:
        leaf.kind = kKindNote;
        break;
    case LeafClass::kString:
        leaf.kind = kKindString;
        break;
    case LeafClass::kAtomic:
    case LeafClass::kLiteral:
        leaf.kind = kKindLiteral;
        break;
    case LeafClass::kName:
        leaf.kind = kKindOther;
        break;
    case LeafClass::kPlain:
        // A word is a keyword, "@interface" too: as punctuation, the
        // plug-in would write it without the blanks around it.
        leaf.kind = std::any_of(leaf.text.begin(), leaf.text.end(), isLetter) ? kKindKeyword
                                                                               : kKindOperator;
        break;
    }
    leaf.qualified = leaf.text;
    return leaf;
}

// Calls visit(node, its class) for the tokens of the tree in source order:
// its childless nodes but zero-width ones, and the nodes it keeps whole
// (comments, string and character literals).
template <typename Visit>
void forEachToken(TSNode root, Visit visit) {
    walkTree(root, [&](TSNode node, uint32_t) {
        LeafClass kind = leafClass(ts_node_symbol(node));
        bool whole = kind == LeafClass::kComment || kind == LeafClass::kString ||
                     kind == LeafClass::kAtomic;
        if (ts_node_child_count(node) != 0 && !whole) return WalkNext::kInto;
        if (ts_node_end_byte(node) != ts_node_start_byte(node)) visit(node, kind);
        return WalkNext::kOver;
    });
}

// The vectors of tokens are made to measure, by the lexer's count (cheaper
// than a walk of the tree; lexedTokens, from the pass over the tree's
// bytes, where it is known, else 0): a vector that grows past a guess
// takes twice its size for a moment, and the leaves of a large file take
// a hundred times its bytes.
void collectLeaves(TSNode root, const std::string& source, size_t lexedTokens,
                   std::vector<Leaf>& leaves) {
    leaves.reserve(lexedTokens != 0 ? lexedTokens : lexedTokenCount(source));
    forEachToken(root, [&](TSNode node, LeafClass kind) {
        leaves.push_back(makeLeaf(node, kind, source));
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
// than kMaxNesting; 0 when none does. A subtree reaches no deeper below its
// root than a few times its length in bytes (a node holds more bytes than
// its child, but for short chains such as a name in a type: over the JDK's
// and a large server's sources never more than one level per byte), so
// the walk goes only into subtrees long enough to reach the limit.
int firstTooDeepLine(TSNode root) {
    constexpr uint32_t kLevelsPerByte = 4;
    int line = 0;
    walkTree(root, [&](TSNode node, uint32_t depth) {
        if (depth > JavaSource::kMaxNesting) {
            line = static_cast<int>(ts_node_start_point(node).row) + 1;
            return WalkNext::kStop;
        }
        uint64_t span = ts_node_end_byte(node) - ts_node_start_byte(node);
        bool mayReach = depth + kLevelsPerByte * (span + 1) > JavaSource::kMaxNesting;
        return mayReach ? WalkNext::kInto : WalkNext::kOver;
    });
    return line;
}

// Java ends a line at a CR that no LF follows (an old Mac line end); the
// grammar does not, and would run a line comment on into the next line.
// An LF in its place keeps every byte offset.
void makeLoneCarriageReturnsLineFeeds(std::string& text) {
    for (size_t i = text.find('\r'); i != std::string::npos; i = text.find('\r', i + 1)) {
        if (i + 1 == text.size() || text[i + 1] != '\n') text[i] = '\n';
    }
}

// Where each line of text starts.
std::vector<unsigned> lineStarts(const std::string& text) {
    std::vector<unsigned> starts{0};
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        starts.push_back(static_cast<unsigned>(at + 1));
    return starts;
}

// The row and byte column of offset, given the starts of the lines.
TSPoint pointAt(const std::vector<unsigned>& starts, unsigned offset) {
    auto line = std::upper_bound(starts.begin(), starts.end(), offset) - 1;
    return TSPoint{static_cast<uint32_t>(line - starts.begin()), offset - *line};
}

// start moved over the bytes [from, to) of text.
TSPoint advance(TSPoint start, const std::string& text, unsigned from, unsigned to) {
    for (unsigned at = from; at < to; ++at) {
        if (text[at] == '\n') {
            ++start.row;
            start.column = 0;
        } else {
            ++start.column;
        }
    }
    return start;
}

}  // namespace

std::string nodeTextOf(const Leaf& leaf) {
    return leaf.comment ? asBlockComment(leaf.text) : leaf.text;
}

JavaSource::~JavaSource() {
    dropTree();
}

void JavaSource::dropTree() {
    if (tree != nullptr) ts_tree_delete(static_cast<TSTree*>(tree));
    tree = nullptr;
}

// Forgets the last parse and takes text as the source to parse.
void JavaSource::takeText(const std::string& text) {
    dropTree();
    nestedTooDeeply = false;
    lexedTokens = 0;
    failure.clear();
    // The compared tokens are views of the old text.
    compared.clear();
    joinedLines.clear();
    source = text;
    makeLoneCarriageReturnsLineFeeds(source);
}

bool JavaSource::parse(const std::string& text, size_t knownTokens) {
    takeText(text);
    lexedTokens = knownTokens;
    return parseFrom(nullptr);
}

bool JavaSource::parseEdited(const JavaSource& base, const std::string& text,
                             const std::vector<TextEdit>& edits) {
    if (base.tree == nullptr) return parse(text);
    takeText(text);
    TSTree* edited = ts_tree_copy(static_cast<const TSTree*>(base.tree));
    std::vector<unsigned> starts = lineStarts(base.source);
    // From the last edit to the first: the bytes before an edit are those of
    // the old text still, so its old positions hold.
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        TSInputEdit input;
        input.start_byte = edit->oldStart;
        input.old_end_byte = edit->oldEnd;
        input.new_end_byte = edit->oldStart + (edit->newEnd - edit->newStart);
        input.start_point = pointAt(starts, edit->oldStart);
        input.old_end_point = pointAt(starts, edit->oldEnd);
        input.new_end_point = advance(input.start_point, source, edit->newStart, edit->newEnd);
        ts_tree_edit(edited, &input);
    }
    bool parsed = parseFrom(edited);
    ts_tree_delete(edited);
    return parsed;
}

bool JavaSource::parseFrom(const void* oldTree) {
    TSParser* parser = ts_parser_new();
    if (!ts_parser_set_language(parser, tree_sitter_java())) {
        ts_parser_delete(parser);
        failure = "the Java grammar does not fit this tree-sitter library";
        return false;
    }
    TSTree* parsed = ts_parser_parse_string(parser, static_cast<const TSTree*>(oldTree),
                                            source.data(), static_cast<uint32_t>(source.size()));
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

TSNode JavaSource::root() const {
    return tree != nullptr ? ts_tree_root_node(static_cast<TSTree*>(tree)) : TSNode{};
}

std::vector<std::string> JavaSource::codeNames() const {
    std::vector<std::string> names;
    if (tree == nullptr) return names;
    static const TSSymbol identifier = symbolOf("identifier");
    static const TSSymbol typeIdentifier = symbolOf("type_identifier");
    walkTree(ts_tree_root_node(static_cast<TSTree*>(tree)), [&](TSNode node, uint32_t) {
        TSSymbol symbol = ts_node_symbol(node);
        if (symbol != identifier && symbol != typeIdentifier) return WalkNext::kInto;
        unsigned start = ts_node_start_byte(node);
        names.push_back(source.substr(start, ts_node_end_byte(node) - start));
        return WalkNext::kOver;
    });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    names.shrink_to_fit();
    return names;
}

void JavaSource::cutTextTokens() {
    compared.clear();
    joinedLines.clear();
    if (tree == nullptr) return;
    TSNode root = ts_tree_root_node(static_cast<TSTree*>(tree));
    compared.reserve(lexedTokenCount(source));
    forEachToken(root, [&](TSNode node, LeafClass kind) {
        TextToken token;
        token.start = ts_node_start_byte(node);
        token.end = ts_node_end_byte(node);
        token.line = static_cast<int>(ts_node_start_point(node).row) + 1;
        token.comment = kind == LeafClass::kComment;
        token.text = std::string_view(source).substr(token.start, token.end - token.start);
        if (token.text.find('\r') != std::string_view::npos) {
            joinedLines.push_back(withoutCarriageReturns(source, token.start, token.end));
            token.text = joinedLines.back();
        }
        compared.push_back(token);
    });
}

void JavaSource::releaseTree() {
    dropTree();
}

void JavaSource::cutLeaves() {
    tokens.clear();
    if (tree == nullptr) return;
    collectLeaves(root(), source, lexedTokens, tokens);
    markSpacing(source, tokens);
}

bool JavaSource::holdsName(const TextToken& name) const {
    if (tree == nullptr) return false;
    if (name.comment || name.text.empty() || !isLetter(name.text[0])) return true;
    TSNode node = ts_node_descendant_for_byte_range(root(), name.start, name.end);
    unsigned start = ts_node_start_byte(node);
    unsigned end = ts_node_end_byte(node);
    if (ts_node_child_count(node) != 0) return false;
    if (start == name.start && end == name.end) return true;
    // The lexer cuts these keywords in parts.
    std::string_view type = ts_node_type(node);
    return (type == "@interface" || type == "non-sealed") && start <= name.start &&
           name.end <= end;
}

bool JavaSource::namesAsLexed(std::string& why) const {
    bool held = true;
    forEachLexedToken(source, [&](const TextToken& token) {
        if (!held || holdsName(token)) return;
        held = false;
        why = nameRunTogether(token);
    });
    return held;
}

std::string JavaSource::nameRunTogether(const TextToken& name) const {
    return "line " + std::to_string(name.line) + ": a keyword runs into the name \"" +
           std::string(name.text) + "\"";
}

int JavaSource::callArity(unsigned start, unsigned end) const {
    if (tree == nullptr) return -1;
    TSNode name = ts_node_descendant_for_byte_range(root(), start, end);
    TSNode call = ts_node_parent(name);
    if (ts_node_is_null(call) || ts_node_symbol(call) != expressionSymbols().methodInvocation ||
        !ts_node_eq(fieldOf(call, "name"), name))
        return -1;
    TSNode arguments = fieldOf(call, "arguments");
    int count = 0;
    for (uint32_t i = 0; !ts_node_is_null(arguments) && i < ts_node_named_child_count(arguments); ++i)
        count += ts_node_is_extra(ts_node_named_child(arguments, i)) ? 0 : 1;
    return count;
}

}  // namespace host
