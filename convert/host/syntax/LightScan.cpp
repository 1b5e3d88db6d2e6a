// LightScan: a lexer over a Java file's bytes, and the declarations read
// from its tokens.
#include "syntax/LightScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

namespace host {

namespace {

// A token: an identifier (kName), a literal or number (kLiteral), a
// comment (kComment, when kept), an operator of more than one character
// (kOperator), or one character of punctuation (the character itself).
constexpr char kName = 'a';
constexpr char kLiteral = '0';
constexpr char kComment = 'c';
constexpr char kOperator = 'o';

struct Token {
    char kind;
    std::string_view text;
};

// What each byte can be: a name's first character, a name's later one,
// a blank between tokens. One table lookup instead of a chain of ranges
// per byte, as the lexer reads every byte of the tree.
enum : unsigned char { kStartsName = 1, kInName = 2, kBlank = 4 };

struct ByteClasses {
    unsigned char of[256] = {};
    constexpr ByteClasses() {
        for (int c = 0; c < 256; ++c) {
            bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
                          c == '$' || c >= 0x80;
            bool digit = c >= '0' && c <= '9';
            bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
            of[c] = static_cast<unsigned char>((letter ? kStartsName | kInName : 0) |
                                               (digit ? kInName : 0) | (blank ? kBlank : 0));
        }
    }
};

constexpr ByteClasses kByteClasses;

bool startsName(unsigned char c) {
    return (kByteClasses.of[c] & kStartsName) != 0;
}

bool inName(unsigned char c) {
    return (kByteClasses.of[c] & kInName) != 0;
}

class Lexer {
public:
    explicit Lexer(std::string_view text, bool keepComments = false)
        : text(text), keepComments(keepComments) {}

    std::vector<Token> tokens() {
        std::vector<Token> out;
        for (Token token; advance(token);) out.push_back(token);
        return out;
    }
    // The comments passed over so far when they are not kept.
    size_t skippedComments() const { return skipped; }
    // Goes on at position (the end of a stretch not to be lexed).
    void passTo(size_t position) { at = std::max(at, position); }

    // The next token; false at the end of the text.
    bool advance(Token& token) {
        while (skipSpace()) {
            size_t start = at;
            if (!skipComment()) {
                token = next();
                return true;
            }
            if (keepComments) {
                token = {kComment, text.substr(start, at - start)};
                return true;
            }
            ++skipped;
        }
        return false;
    }

private:
    std::string_view text;
    bool keepComments;
    size_t at = 0;
    size_t skipped = 0;

    bool startsWith(const char* what) const { return text.compare(at, strlen(what), what) == 0; }
    static size_t strlen(const char* what) { return std::char_traits<char>::length(what); }

    // false at the end of the text.
    bool skipSpace() {
        while (at < text.size()) {
            if ((kByteClasses.of[static_cast<unsigned char>(text[at])] & kBlank) == 0) return true;
            ++at;
        }
        return false;
    }

    // Past a comment that starts here (to the end of its line, a CR too;
    // an unclosed one ends the text); false when none does.
    bool skipComment() {
        if (text[at] != '/' || at + 1 >= text.size()) return false;
        if (text[at + 1] == '/') {
            while (at < text.size() && text[at] != '\n' && text[at] != '\r') ++at;
            return true;
        }
        if (text[at + 1] != '*') return false;
        size_t end = text.find("*/", at + 2);
        at = end == std::string_view::npos ? text.size() : end + 2;
        return true;
    }

    // Past a quoted literal that starts here: its closing quote, or the
    // end of its line (an unclosed literal) when it may not span lines.
    void skipQuoted(const char* close, bool spansLines) {
        size_t length = strlen(close);
        at += length;
        while (at < text.size()) {
            char c = text[at];
            if (c == '\\') {
                at += 2;
            } else if (c == close[0] && text.compare(at, length, close) == 0) {
                at += length;
                return;
            } else if (c == '\n' && !spansLines) {
                return;
            } else {
                ++at;
            }
        }
        at = text.size();
    }

    // The length of the punctuation here: one of Java's operators of more
    // than one character, or 1. None starts with ">", which stands alone as
    // it does in a type's arguments (a shift is two of them, next to each
    // other); a comment is taken before.
    size_t operatorLength() const {
        char c = text[at];
        char next = at + 1 < text.size() ? text[at + 1] : '\0';
        switch (c) {
        case '<':
            if (next == '<') return at + 2 < text.size() && text[at + 2] == '=' ? 3 : 2;
            return next == '=' ? 2 : 1;
        case '.':
            return startsWith("...") ? 3 : 1;
        case '=':
        case '!':
        case '*':
        case '/':
        case '%':
        case '^':
            return next == '=' ? 2 : 1;
        case '&':
        case '|':
        case '+':
            return next == c || next == '=' ? 2 : 1;
        case '-':
            return next == '-' || next == '>' || next == '=' ? 2 : 1;
        case ':':
            return next == ':' ? 2 : 1;
        default:
            return 1;
        }
    }

    Token next() {
        size_t start = at;
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (startsName(c)) {
            while (at < text.size() && inName(static_cast<unsigned char>(text[at]))) ++at;
            return {kName, text.substr(start, at - start)};
        }
        if (c >= '0' && c <= '9') {
            // Digits, letters (0x1F, 10L, 1e5), underscores and dots; an
            // exponent's sign stays with it (p in a hexadecimal number).
            bool hex = text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0;
            while (at < text.size()) {
                char d = text[at];
                char before = at > start ? text[at - 1] : '\0';
                bool exponent = hex ? before == 'p' || before == 'P' : before == 'e' || before == 'E';
                bool sign = (d == '+' || d == '-') && exponent;
                if (!inName(static_cast<unsigned char>(d)) && d != '.' && !sign) break;
                ++at;
            }
            return {kLiteral, text.substr(start, at - start)};
        }
        if (c == '"' && startsWith("\"\"\"")) {
            skipQuoted("\"\"\"", true);
        } else if (c == '"') {
            skipQuoted("\"", false);
        } else if (c == '\'') {
            skipQuoted("'", false);
        } else {
            size_t length = operatorLength();
            at += length;
            return {length > 1 ? kOperator : static_cast<char>(c), text.substr(start, length)};
        }
        return {kLiteral, text.substr(start, at - start)};
    }
};

// The distinct names of a file in the order they first come, each found
// again by open addressing: a file has a few hundred names that come back
// thousands of times, and a table of slots needs no node for each.
class NameTable {
public:
    explicit NameTable(size_t expected) : slots(slotsFor(expected), 0) {}

    const std::vector<std::string_view>& names() const { return order; }

    // The index of name among the names, which it joins when new (fresh).
    size_t indexOf(std::string_view name, bool& fresh) {
        size_t mask = slots.size() - 1;
        for (size_t slot = hashOf(name) & mask;; slot = (slot + 1) & mask) {
            if (slots[slot] == 0) {
                fresh = true;
                order.push_back(name);
                slots[slot] = static_cast<uint32_t>(order.size());
                if (order.size() * 2 > slots.size()) grow();
                return order.size() - 1;
            }
            if (order[slots[slot] - 1] == name) {
                fresh = false;
                return slots[slot] - 1;
            }
        }
    }

private:
    std::vector<uint32_t> slots;  // a name's index plus one, or 0 for none
    std::vector<std::string_view> order;

    static size_t slotsFor(size_t count) {
        size_t size = 64;
        while (size < count * 2) size *= 2;
        return size;
    }
    // The first and the last eight bytes of a name and its length, mixed:
    // names are short, the table compares them whole, and any spread of
    // them will do.
    static size_t hashOf(std::string_view name) {
        uint64_t first = 0;
        uint64_t last = 0;
        size_t size = name.size();
        memcpy(&first, name.data(), std::min<size_t>(size, 8));
        if (size > 8) memcpy(&last, name.data() + size - 8, 8);
        uint64_t hash = (first * 0x9E3779B97F4A7C15ull) ^ (last * 0xC2B2AE3D27D4EB4Full) ^ size;
        return static_cast<size_t>(hash ^ (hash >> 32));
    }
    void grow() {
        std::vector<uint32_t> larger(slots.size() * 2, 0);
        size_t mask = larger.size() - 1;
        for (size_t at = 0; at < order.size(); ++at) {
            size_t slot = hashOf(order[at]) & mask;
            while (larger[slot] != 0) slot = (slot + 1) & mask;
            larger[slot] = static_cast<uint32_t>(at + 1);
        }
        slots.swap(larger);
    }
};

bool isName(const Token& token, const char* name) {
    return token.kind == kName && token.text == name;
}

// A type declared at the type keyword at index i: the index of its name,
// or 0 when the keyword declares none there.
size_t declaredName(const std::vector<Token>& tokens, size_t i) {
    const Token& keyword = tokens[i];
    if (keyword.kind != kName || i + 1 >= tokens.size() || tokens[i + 1].kind != kName) return 0;
    bool afterDot = i > 0 && tokens[i - 1].kind == '.';
    if (keyword.text == "class" || keyword.text == "interface" || keyword.text == "enum")
        return afterDot ? 0 : i + 1;
    // "record" is a name anywhere but before a record's name and its
    // components or type parameters.
    if (keyword.text == "record" && !afterDot && i + 2 < tokens.size() &&
        (tokens[i + 2].kind == '(' || tokens[i + 2].kind == '<'))
        return i + 1;
    return 0;
}

// The package's name: the names and dots after "package" up to ";".
std::string packageAt(const std::vector<Token>& tokens, size_t i) {
    std::string name;
    for (++i; i < tokens.size() && tokens[i].kind != ';'; ++i) {
        if (tokens[i].kind != kName && tokens[i].kind != '.') break;
        name.append(tokens[i].text);
    }
    return name;
}

}  // namespace

size_t lexedTokenCount(const std::string& text) {
    size_t count = 0;
    Lexer lexer(text, true);
    for (Token token; lexer.advance(token);) ++count;
    return count;
}

namespace {

// The tokens of text with their places, comments too, each given to visit:
// a template, so that the layout step's many tokens need no indirect call.
template <typename Visit>
void lexTokens(const std::string& text, Visit&& visit) {
    Lexer lexer(text, true);
    int line = 1;
    size_t counted = 0;
    std::string lf;
    // Most files hold no carriage return: no token then needs a look.
    bool carriageReturns = text.find('\r') != std::string::npos;
    for (Token token; lexer.advance(token);) {
        TextToken made;
        made.start = static_cast<unsigned>(token.text.data() - text.data());
        made.end = made.start + static_cast<unsigned>(token.text.size());
        line += static_cast<int>(std::count(text.begin() + static_cast<long>(counted),
                                            text.begin() + made.start, '\n'));
        counted = made.start;
        made.line = line;
        made.comment = token.kind == kComment;
        made.text = token.text;
        if (carriageReturns && token.text.find('\r') != std::string_view::npos) {
            lf.clear();
            for (size_t i = 0; i < token.text.size(); ++i)
                if (token.text[i] != '\r' || i + 1 >= token.text.size() || token.text[i + 1] != '\n')
                    lf += token.text[i];
            made.text = lf;
        }
        visit(made);
    }
}

}  // namespace

void forEachLexedToken(const std::string& text,
                       const std::function<void(const TextToken&)>& visit) {
    lexTokens(text, visit);
}

LexedText::LexedText(const std::string& text) {
    lexTokens(text, [&](const TextToken& token) {
        cut.push_back(token);
        // A token made LF lives in the lexer's buffer only for the call.
        bool inText = token.text.data() >= text.data() &&
                      token.text.data() + token.text.size() <= text.data() + text.size();
        if (inText) return;
        joined.emplace_back(token.text);
        cut.back().text = joined.back();
    });
}

std::vector<LightString> stringLiterals(const std::string& text) {
    std::vector<LightString> strings;
    forEachLexedToken(text, [&](const TextToken& token) {
        if (token.comment || token.text.empty() || token.text.front() != '"') return;
        strings.push_back({std::string_view(text).substr(token.start, token.end - token.start),
                           token.line});
    });
    return strings;
}

LightScan lightScan(const std::string& text) {
    Lexer lexer(text);
    std::vector<Token> tokens = lexer.tokens();
    LightScan scan;
    scan.lexedTokens = tokens.size() + lexer.skippedComments();
    // For each open brace, the type whose body it opens (its index in
    // scan.types plus one), or 0; the declared type whose body is the next
    // brace at the paren depth of its name.
    std::vector<size_t> braces;
    std::vector<size_t> bodyStarts;  // by open brace: where its body starts, or 0
    std::vector<size_t> enclosing{0};
    size_t pending = 0;
    int pendingDepth = 0;
    int parens = 0;
    bool seenType = false;
    // Each name once, as it first comes: a file repeats its names many
    // times, and sorting the few distinct ones costs a fraction. With each,
    // whether it stood before anything but "(" somewhere.
    NameTable seen(tokens.size() / 16);
    std::vector<bool> notCalled;
    auto addName = [&](size_t at) {
        bool called = at + 1 < tokens.size() && tokens[at + 1].kind == '(';
        bool fresh = false;
        size_t index = seen.indexOf(tokens[at].text, fresh);
        if (fresh) {
            notCalled.push_back(!called);
        } else if (!called) {
            notCalled[index] = true;
        }
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        switch (token.kind) {
        case kName: {
            addName(i);
            if (!seenType && braces.empty() && isName(token, "package")) {
                scan.package = packageAt(tokens, i);
                break;
            }
            size_t name = declaredName(tokens, i);
            if (name == 0) break;
            seenType = true;
            size_t outer = enclosing.back();
            std::string simple(tokens[name].text);
            scan.types.push_back(outer == 0 ? simple : scan.types[outer - 1] + "." + simple);
            pending = scan.types.size();
            pendingDepth = parens;
            addName(name);
            i = name;
            break;
        }
        case '(':
            ++parens;
            break;
        case ')':
            --parens;
            break;
        case '{': {
            size_t opens = pending != 0 && parens == pendingDepth ? pending : 0;
            if (opens != 0) pending = 0;
            bool body = opens == 0 && !braces.empty() && braces.back() != 0;
            size_t after = static_cast<size_t>(token.text.data() - text.data()) + 1;
            bodyStarts.push_back(body ? after : 0);
            braces.push_back(opens);
            if (opens != 0) enclosing.push_back(opens);
            break;
        }
        case '}':
            if (braces.empty()) {
                scan.balanced = false;
                break;
            }
            if (braces.back() != 0 && enclosing.size() > 1) enclosing.pop_back();
            if (bodyStarts.back() != 0) {
                size_t end = static_cast<size_t>(token.text.data() - text.data());
                scan.bodies.emplace_back(bodyStarts.back(), end);
            }
            braces.pop_back();
            bodyStarts.pop_back();
            break;
        case ';':
            // A declaration's header never holds one at its own depth.
            if (parens == pendingDepth) pending = 0;
            break;
        default:
            break;
        }
    }
    if (!braces.empty() || parens != 0) scan.balanced = false;
    std::vector<std::string_view> names = seen.names();
    for (size_t i = 0; i < names.size(); ++i)
        if (!notCalled[i]) scan.calledOnly.emplace_back(names[i]);
    std::sort(scan.calledOnly.begin(), scan.calledOnly.end());
    std::sort(names.begin(), names.end());
    scan.identifiers.assign(names.begin(), names.end());
    return scan;
}

namespace {

// token appended to out as the declarations' text writes it: what lies
// between it and the token before (previousEnd in text) made one blank, or
// one line break where it held one.
void appendCompact(std::string& out, const std::string& text, size_t& previousEnd,
                   const Token& token) {
    size_t start = static_cast<size_t>(token.text.data() - text.data());
    if (start > previousEnd) {
        const char* gap = text.data() + previousEnd;
        size_t length = start - previousEnd;
        bool lineBreak =
            memchr(gap, '\n', length) != nullptr || memchr(gap, '\r', length) != nullptr;
        out += lineBreak ? '\n' : ' ';
    }
    out.append(token.text);
    previousEnd = start + token.text.size();
}

// Java's reserved words and the words the grammar may read as keywords in
// a name: an import that holds one is left to the parse.
bool isKeywordLike(std::string_view word) {
    static const std::string_view words[] = {
        "abstract", "assert", "boolean", "break", "byte", "case", "catch", "char", "class",
        "const", "continue", "default", "do", "double", "else", "enum", "exports", "extends",
        "false", "final", "finally", "float", "for", "goto", "if", "implements", "import",
        "instanceof", "int", "interface", "long", "module", "native", "new", "non", "null",
        "open", "opens", "package", "permits", "private", "protected", "provides", "public",
        "record", "requires", "return", "sealed", "short", "static", "strictfp", "super",
        "switch", "synchronized", "this", "throw", "throws", "to", "transient", "transitive",
        "true", "try", "uses", "var", "void", "volatile", "when", "while", "with", "yield", "_"};
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

// The end (past its ";") of the import declaration that tokens[at]
// ("import") starts, and what it imports; at itself when the tokens there
// are not one in its plainest form, which the parse is left to read.
size_t importAt(const std::vector<Token>& tokens, size_t at, const std::string& text,
                LightImport& import) {
    size_t i = at + 1;
    auto is = [&](char kind) { return i < tokens.size() && tokens[i].kind == kind; };
    auto isWord = [&](std::string_view word) { return is(kName) && tokens[i].text == word; };
    import.isStatic = isWord("static");
    if (import.isStatic) ++i;
    size_t first = i;
    size_t last = i;
    for (;;) {
        if (!is(kName) || isKeywordLike(tokens[i].text)) return at;
        last = i++;
        if (!is('.')) break;
        ++i;
        if (is('*')) {
            import.onDemand = true;
            ++i;
            break;
        }
    }
    if (!is(';')) return at;
    // The name as the declarations' text would hold it.
    import.name.clear();
    size_t previousEnd = static_cast<size_t>(tokens[first].text.data() - text.data());
    for (size_t part = first; part <= last; ++part)
        appendCompact(import.name, text, previousEnd, tokens[part]);
    return i + 1;
}

// The end of the throws clause that tokens[at] ("throws") starts, before
// the "{" or ";" after it; at itself when it holds more than names, dots
// and commas.
size_t throwsEnd(const std::vector<Token>& tokens, size_t at) {
    size_t i = at + 1;
    for (; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.kind == '{' || token.kind == ';') return i;
        bool plain = (token.kind == kName && !isKeywordLike(token.text)) || token.kind == '.' ||
                     token.kind == ',';
        if (!plain) return at;
    }
    return at;
}

// A modifier that nothing read from the members text asks for (the reader
// asks only for static, default and the annotations).
bool isUnaskedModifier(std::string_view word) {
    static const std::string_view words[] = {"public",    "protected", "private",
                                             "final",     "transient", "volatile",
                                             "native",    "strictfp",  "synchronized"};
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

// The words whose starts the walk for a file's own types is pruned by:
// those of a type declaration, of a throws clause and of a throw (a catch
// stands only in a body).
bool opensTypeOrThrows(std::string_view word) {
    return word == "class" || word == "interface" || word == "enum" || word == "record" ||
           word == "throws" || word == "throw";
}

// withoutBodies's text into compact; with members, membersText's.
void compactText(const std::string& text, const LightScan& scan, std::string& compact,
                 MembersText* members) {
    if (!scan.balanced) {
        compact = text;
        return;
    }
    // The bodies that no other holds, in order: the lexer passes over each.
    std::vector<std::pair<size_t, size_t>> bodies = scan.bodies;
    std::sort(bodies.begin(), bodies.end());
    size_t outermost = 0;
    for (const auto& body : bodies) {
        if (outermost == 0 || body.first >= bodies[outermost - 1].second)
            bodies[outermost++] = body;
    }
    bodies.resize(outermost);
    std::vector<Token> tokens;
    Lexer lexer(text);
    size_t nextBody = 0;
    for (Token token; lexer.advance(token);) {
        tokens.push_back(token);
        // A body starts right after its "{".
        size_t end = static_cast<size_t>(token.text.data() - text.data()) + token.text.size();
        while (nextBody < bodies.size() && bodies[nextBody].first < end) ++nextBody;
        if (nextBody < bodies.size() && bodies[nextBody].first == end)
            lexer.passTo(bodies[nextBody++].second);
    }
    // The blanks, the line breaks, the comments and the bodies between two
    // tokens become one blank, or one line break where they held one (a
    // literal that is not closed ends at its line): the parser reads the
    // same tokens from a text a fraction of the length.
    compact.reserve(text.size() / 4);
    size_t previousEnd = 0;
    int depth = 0;  // of braces and parentheses
    for (size_t i = 0; i < tokens.size();) {
        const Token& token = tokens[i];
        if (members != nullptr && depth == 0 && token.kind == kName && token.text == "import") {
            LightImport import;
            size_t end = importAt(tokens, i, text, import);
            if (end != i) {
                members->imports.push_back(std::move(import));
                i = end;
                continue;
            }
        }
        if (members != nullptr && token.kind == kName && token.text == "throws") {
            size_t end = throwsEnd(tokens, i);
            if (end != i) {
                i = end;
                continue;
            }
        }
        if (members != nullptr && token.kind == kName && isUnaskedModifier(token.text)) {
            ++i;
            continue;
        }
        if (token.kind == '{' || token.kind == '(') ++depth;
        if (token.kind == '}' || token.kind == ')') --depth;
        appendCompact(compact, text, previousEnd, token);
        if (members != nullptr && token.kind == kName && opensTypeOrThrows(token.text))
            members->typeMarks.push_back(static_cast<unsigned>(compact.size() - token.text.size()));
        ++i;
    }
    if (members != nullptr) members->marked = true;
}

}  // namespace

std::string withoutBodies(const std::string& text, const LightScan& scan) {
    std::string compact;
    compactText(text, scan, compact, nullptr);
    return compact;
}

MembersText membersText(const std::string& text, const LightScan& scan) {
    MembersText members;
    compactText(text, scan, members.text, &members);
    return members;
}

}  // namespace host
