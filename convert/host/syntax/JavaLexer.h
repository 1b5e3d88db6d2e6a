// JavaLexer: the lexer that the passes over a Java file's bytes share (the
// light scan, the layout step's text tokens, the members text): Java's
// tokens without a parse, comments and literals whole.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {
namespace lexing {

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

inline constexpr ByteClasses kByteClasses;

inline bool startsName(unsigned char c) {
    return (kByteClasses.of[c] & kStartsName) != 0;
}

inline bool inName(unsigned char c) {
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

}  // namespace lexing
}  // namespace host
