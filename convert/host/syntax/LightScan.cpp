// LightScan: what a Java file's bytes tell through the lexer: its package,
// types and names, its text tokens, its string literals.
#include "syntax/LightScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

#include "syntax/JavaLexer.h"

namespace host {

using lexing::kComment;
using lexing::kName;
using lexing::Lexer;
using lexing::Token;

namespace {

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

// How a name stands outside the package declaration and the type imports.
struct NameUse {
    bool inCode = false;
    bool notCalled = false;  // somewhere not right before a "("
    bool dotted = false;     // somewhere right after a "." and not before a "("
    bool callLike = false;   // somewhere where a method's name stands
};

// Where the declaration at the top-level name tokens[i] ends (past its
// ";") when it is the package declaration or the import of a type; i
// itself for any other.
size_t declarationAt(const std::vector<Token>& tokens, size_t i, bool seenType) {
    bool package = !seenType && isName(tokens[i], "package");
    bool typeImport =
        isName(tokens[i], "import") && i + 1 < tokens.size() && !isName(tokens[i + 1], "static");
    if (!package && !typeImport) return i;
    size_t end = i + 1;
    while (end < tokens.size() &&
           (tokens[end].kind == kName || tokens[end].kind == '.' || tokens[end].kind == '*'))
        ++end;
    return end < tokens.size() && tokens[end].kind == ';' ? end + 1 : i;
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
    // how it stood somewhere outside the package declaration and the type
    // imports (which end before declarationEnd).
    NameTable seen(tokens.size() / 16);
    std::vector<NameUse> uses;
    size_t declarationEnd = 0;
    auto addName = [&](size_t at) {
        bool fresh = false;
        size_t index = seen.indexOf(tokens[at].text, fresh);
        if (fresh) uses.emplace_back();
        if (at < declarationEnd) return;
        char next = at + 1 < tokens.size() ? tokens[at + 1].kind : '\0';
        const Token* before = at > 0 ? &tokens[at - 1] : nullptr;
        bool called = next == '(';
        bool element =
            next == '=' && before != nullptr && (before->kind == '(' || before->kind == ',');
        bool referenced =
            before != nullptr && before->kind == lexing::kOperator && before->text == "::";
        NameUse& use = uses[index];
        use.inCode = true;
        use.notCalled = use.notCalled || !called;
        use.dotted = use.dotted || (!called && before != nullptr && before->kind == '.');
        use.callLike = use.callLike || called || element || referenced;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        switch (token.kind) {
        case kName: {
            if (braces.empty() && parens == 0 && i >= declarationEnd)
                declarationEnd = declarationAt(tokens, i, seenType);
            addName(i);
            if (pending != 0) scan.headers[pending - 1].emplace_back(token.text);
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
            scan.headers.emplace_back();
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
        case lexing::kOperator:
            scan.arrows = scan.arrows || token.text == "->";
            break;
        default:
            break;
        }
    }
    if (!braces.empty() || parens != 0) scan.balanced = false;
    const std::vector<std::string_view>& names = seen.names();
    std::vector<uint32_t> sorted(names.size());
    for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<uint32_t>(i);
    std::sort(sorted.begin(), sorted.end(),
              [&names](uint32_t a, uint32_t b) { return names[a] < names[b]; });
    scan.identifiers.reserve(names.size());
    scan.places.reserve(names.size());
    for (uint32_t i : sorted) {
        scan.identifiers.emplace_back(names[i]);
        const NameUse& use = uses[i];
        scan.places.push_back(static_cast<uint8_t>(
            (use.inCode ? 0 : kDeclarationOnly) | (use.notCalled ? 0 : kCalledOnly) |
            (use.dotted ? kDotted : 0) | (use.callLike ? kCallLike : 0)));
    }
    for (std::vector<std::string>& header : scan.headers) {
        std::sort(header.begin(), header.end());
        header.erase(std::unique(header.begin(), header.end()), header.end());
    }
    return scan;
}

}  // namespace host
