// MembersText: a Java file's text without its bodies and comments, for a
// cheap parse of its declarations, and the leaner text that the members
// of a file read on demand come from.
#include "syntax/MembersText.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "syntax/JavaLexer.h"

namespace host {

using lexing::kName;
using lexing::Lexer;
using lexing::Token;

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

bool isKeywordLike(std::string_view word) {
    static const std::string_view words[] = {
        "abstract", "assert",    "boolean",   "break",      "byte",         "case",    "catch",
        "char",     "class",     "const",     "continue",   "default",      "do",      "double",
        "else",     "enum",      "exports",   "extends",    "false",        "final",   "finally",
        "float",    "for",       "goto",      "if",         "implements",   "import",  "instanceof",
        "int",      "interface", "long",      "module",     "native",       "new",     "non",
        "null",     "open",      "opens",     "package",    "permits",      "private", "protected",
        "provides", "public",    "record",    "requires",   "return",       "sealed",  "short",
        "static",   "strictfp",  "super",     "switch",     "synchronized", "this",    "throw",
        "throws",   "to",        "transient", "transitive", "true",         "try",     "uses",
        "var",      "void",      "volatile",  "when",       "while",        "with",    "yield",
        "_"};
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

bool opensTypeOrThrows(std::string_view word) {
    return word == "class" || word == "interface" || word == "@interface" || word == "enum" ||
           word == "record" || word == "throws" || word == "throw";
}

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
