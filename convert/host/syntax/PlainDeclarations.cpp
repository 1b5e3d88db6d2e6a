// PlainDeclarations: a recursive descent over a members text's tokens.
// A members text has no comments and no imports in their plainest form,
// keeps of the modifiers static, default, abstract, sealed and the
// annotations, and has "{" "}" left of every body that opens no type (a
// method's, an initializer, a value's braces, an enum constant's).
#include "syntax/PlainDeclarations.h"

#include <set>
#include <string_view>

#include "syntax/JavaLexer.h"

namespace host {

namespace {

using lexing::kName;
using lexing::kOperator;
using lexing::Token;

bool isPrimitive(std::string_view word) {
    return word == "byte" || word == "short" || word == "int" || word == "long" || word == "char" ||
           word == "float" || word == "double" || word == "boolean";
}

// Types nested deeper than this, and type arguments, are left to the parse:
// the reader's descent must not go as deep as a text may.
constexpr int kDeepest = 64;

struct Modifiers {
    bool isStatic = false;
    bool isDefault = false;
    bool overrides = false;
};

class Reader {
public:
    Reader(const std::string& text, PlainDeclarations& read)
        : text(text), tokens(lexing::Lexer(text).tokens()), read(read) {}

    bool readFile() {
        if (isWord("package")) {
            ++at;
            size_t first = at;
            if (!isName()) return false;
            ++at;
            while (is('.') && isName(1)) at += 2;
            size_t start = offsetOf(tokens[first]);
            read.package =
                text.substr(start, offsetOf(tokens[at - 1]) + tokens[at - 1].text.size() - start);
            if (!take(';')) return false;
        }
        while (at < tokens.size()) {
            if (take(';')) continue;
            Modifiers modifiers;
            if (!readModifiers(modifiers) || !readType(std::string())) return false;
        }
        return true;
    }

private:
    const std::string& text;
    std::vector<Token> tokens;
    PlainDeclarations& read;
    size_t at = 0;
    int depth = 0;  // of the descent (a failure ends the reading)
    std::set<std::string> nestedNames;

    size_t offsetOf(const Token& token) const {
        return static_cast<size_t>(token.text.data() - text.data());
    }
    bool is(char kind, size_t ahead = 0) const {
        return at + ahead < tokens.size() && tokens[at + ahead].kind == kind;
    }
    bool isWord(std::string_view word, size_t ahead = 0) const {
        return is(kName, ahead) && tokens[at + ahead].text == word;
    }
    bool isName(size_t ahead = 0) const {
        return is(kName, ahead) && !isKeywordLike(tokens[at + ahead].text);
    }
    bool take(char kind) {
        if (!is(kind)) return false;
        ++at;
        return true;
    }
    bool takeName(std::string& name) {
        if (!isName()) return false;
        name = std::string(tokens[at++].text);
        return true;
    }

    // Annotations and the modifiers that a members text keeps.
    bool readModifiers(Modifiers& modifiers) {
        for (;;) {
            if (is('@') && !isWord("interface", 1)) {
                ++at;
                std::string name;
                if (!takeName(name)) return false;
                // @java.lang.Override is no "Override" for the parse's check.
                modifiers.overrides = modifiers.overrides || (name == "Override" && !is('.'));
                while (is('.') && isName(1)) at += 2;
                if (is('(') && !skipBalanced()) return false;
            } else if (isWord("static") || isWord("default")) {
                (isWord("static") ? modifiers.isStatic : modifiers.isDefault) = true;
                ++at;
            } else if (isWord("abstract") || isWord("sealed")) {
                ++at;
            } else {
                return true;
            }
        }
    }

    // Past the bracket that opens here and everything it holds.
    bool skipBalanced() {
        std::vector<char> open;
        do {
            if (at >= tokens.size()) return false;
            char kind = tokens[at++].kind;
            if (kind == '(' || kind == '[' || kind == '{') open.push_back(kind);
            if (kind == ')' || kind == ']' || kind == '}') {
                char opened = kind == ')' ? '(' : kind == ']' ? '[' : '{';
                if (open.empty() || open.back() != opened) return false;
                open.pop_back();
            }
        } while (!open.empty());
        return true;
    }

    bool atTypeKeyword() const {
        return isWord("class") || isWord("interface") || isWord("enum") ||
               (is('@') && isWord("interface", 1));
    }

    // A type declaration from its keyword, and the types it nests.
    bool readType(const std::string& outer) {
        if (!atTypeKeyword() || ++depth > kDeepest) return false;
        char kind = is('@') ? 'a' : tokens[at].text[0];
        at += is('@') ? 2 : 1;
        WrittenDeclaration declaration;
        declaration.kind = kind;
        if (!takeName(declaration.name)) return false;
        declaration.nested = outer.empty() ? declaration.name : outer + "." + declaration.name;
        // The parse would give one type's members under two declarations.
        if (!nestedNames.insert(declaration.nested).second || !readHeader(declaration))
            return false;
        size_t index = read.declarations.size();
        read.declarations.push_back(std::move(declaration));
        if (!readBody(index)) return false;
        --depth;
        return true;
    }

    bool readHeader(WrittenDeclaration& declaration) {
        char kind = declaration.kind;
        if ((kind == 'c' || kind == 'i') && is('<') &&
            !readTypeParameters(declaration.typeParameters))
            return false;
        if (isWord("extends") && (kind == 'c' || kind == 'i')) {
            ++at;
            declaration.extends = kind == 'c';
            if (kind == 'c' && !readTypeAt(false, &declaration.superclass)) return false;
            if (kind == 'i' && !readTypeList(declaration.interfaces)) return false;
        }
        if (isWord("implements") && (kind == 'c' || kind == 'e')) {
            ++at;
            if (!readTypeList(declaration.interfaces)) return false;
        }
        return is('{');
    }

    bool readTypeList(std::vector<WrittenType>& types) {
        do {
            types.emplace_back();
            if (!readTypeAt(false, &types.back())) return false;
        } while (take(','));
        return true;
    }

    bool readTypeParameters(std::vector<WrittenTypeParameter>& parameters) {
        if (!take('<')) return false;
        do {
            WrittenTypeParameter parameter;
            if (!takeName(parameter.name)) return false;
            if (isWord("extends")) {
                ++at;
                parameter.bounded = true;
                if (!readTypeAt(false, &parameter.bound)) return false;
                while (take('&'))
                    if (!readTypeAt(false, nullptr)) return false;
            }
            parameters.push_back(std::move(parameter));
        } while (take(','));
        return take('>');
    }

    // A type without annotations, into type (unless null); void where
    // allowed.
    bool readTypeAt(bool allowVoid, WrittenType* type) {
        if (isWord("void")) {
            ++at;
            return allowVoid;
        }
        if (is(kName) && isPrimitive(tokens[at].text)) {
            ++at;
        } else {
            do {
                if (!isName()) return false;
                if (type != nullptr) type->parts.emplace_back(tokens[at].text);
                ++at;
                if (is('<') && !readTypeArguments()) return false;
            } while (is('.') && isName(1) && (++at, true));
        }
        bool array = false;
        for (; is('[') && is(']', 1); at += 2) array = true;
        if (type != nullptr) type->array = array;
        return !is('[') && !is('@');
    }

    bool readTypeArguments() {
        if (!take('<') || ++depth > kDeepest) return false;
        do {
            if (take('?')) {
                if (isWord("extends") || isWord("super")) {
                    ++at;
                    if (!readTypeAt(false, nullptr)) return false;
                }
            } else if (!readTypeAt(false, nullptr)) {
                return false;
            }
        } while (take(','));
        --depth;
        return take('>');
    }

    bool readParameters(std::vector<WrittenParameter>& parameters) {
        if (!take('(')) return false;
        if (take(')')) return true;
        do {
            Modifiers modifiers;
            if (!readModifiers(modifiers) || modifiers.isStatic || modifiers.isDefault)
                return false;
            WrittenParameter parameter;
            if (!readTypeAt(false, &parameter.type)) return false;
            parameter.spread = is(kOperator) && tokens[at].text == "...";
            if (parameter.spread) ++at;
            std::string name;
            if (isWord("this") && !parameter.spread) {
                parameter.receiver = true;
                ++at;
            } else if (!takeName(name)) {
                return false;
            }
            while (is('[') && is(']', 1)) at += 2;
            parameters.push_back(std::move(parameter));
        } while (take(','));
        return take(')');
    }

    // What a members text leaves of a body.
    bool takeEmptyBody() {
        if (!is('{') || !is('}', 1)) return false;
        at += 2;
        return true;
    }

    bool readBody(size_t index) {
        if (!take('{')) return false;
        if (read.declarations[index].kind == 'e' && !readEnumConstants(index)) return false;
        while (!take('}')) {
            if (at >= tokens.size()) return false;
            if (take(';')) continue;
            Modifiers modifiers;
            if (!readModifiers(modifiers)) return false;
            if (atTypeKeyword()) {
                std::string outer = read.declarations[index].nested;
                if (!readType(outer)) return false;
            } else if (is('{')) {
                if (!takeEmptyBody()) return false;  // an initializer
            } else if (!readMember(index, modifiers)) {
                return false;
            }
        }
        return true;
    }

    bool readEnumConstants(size_t index) {
        while (!is(';') && !is('}')) {
            Modifiers modifiers;
            if (!readModifiers(modifiers) || modifiers.isStatic || modifiers.isDefault)
                return false;
            WrittenMember constant;
            constant.kind = WrittenMember::kConstant;
            constant.names.emplace_back();
            if (!takeName(constant.names.back())) return false;
            if (is('(') && !skipBalanced()) return false;
            if (is('{') && !takeEmptyBody()) return false;
            read.declarations[index].members.push_back(std::move(constant));
            if (!take(',')) break;
        }
        take(';');
        return true;
    }

    bool readMember(size_t index, const Modifiers& modifiers) {
        WrittenMember member;
        member.isStatic = modifiers.isStatic;
        member.isDefault = modifiers.isDefault;
        member.overrides = modifiers.overrides;
        bool annotationType = read.declarations[index].kind == 'a';
        if (is('<') && !readTypeParameters(member.typeParameters)) return false;
        if (isName() && is('(', 1)) {
            // A constructor: nothing to collect.
            ++at;
            std::vector<WrittenParameter> ignored;
            return !annotationType && readParameters(ignored) && takeEmptyBody();
        }
        bool isVoid = isWord("void");
        member.names.emplace_back();
        if (!readTypeAt(true, &member.type) || !takeName(member.names.back())) return false;
        if (is('(')) {
            member.kind = WrittenMember::kMethod;
            if (!readParameters(member.parameters)) return false;
            while (is('[') && is(']', 1)) at += 2;
            if (annotationType) {
                // An element of the annotation type: nothing to collect.
                if (!member.typeParameters.empty()) return false;
                if (isWord("default") && (++at, !skipValue(false))) return false;
                return take(';');
            }
            member.body = takeEmptyBody();
            if (!member.body && !take(';')) return false;
        } else {
            if (isVoid || !member.typeParameters.empty()) return false;
            for (;;) {
                while (is('[') && is(']', 1)) at += 2;
                if (take('=') && !skipValue(true)) return false;
                if (!take(',')) break;
                member.names.emplace_back();
                if (!takeName(member.names.back())) return false;
            }
            if (!take(';')) return false;
        }
        read.declarations[index].members.push_back(std::move(member));
        return true;
    }

    // Past a value up to the "," or ";" that ends it. Type arguments stand
    // after "new" and its type's name, or after a "." (a generic method's);
    // a "," after any other "<" may stand between two declarators or in
    // type arguments: the parse tells them apart, the reader leaves it.
    bool skipValue(bool commaEnds) {
        bool angle = false;
        size_t start = at;
        while (at < tokens.size()) {
            char kind = tokens[at].kind;
            if (kind == ';' || (commaEnds && kind == ','))
                return at > start && !(kind == ',' && angle);
            if (kind == ')' || kind == ']' || kind == '}') return false;
            if (kind == '(' || kind == '[' || kind == '{') {
                if (!skipBalanced()) return false;
            } else if (isWord("new")) {
                ++at;
                while (isName()) {  // a part of the created type's name
                    ++at;
                    if (is('<') && !skipAngles()) return false;
                    if (!is('.') || !isName(1)) break;
                    ++at;
                }
            } else if (kind == '.' && is('<', 1)) {
                ++at;
                if (!skipAngles()) return false;
            } else {
                angle = angle || kind == '<';
                ++at;
            }
        }
        return false;
    }

    // Past type arguments as code writes them ("<>" too).
    bool skipAngles() {
        for (int open = 0; at < tokens.size(); ++at) {
            char kind = tokens[at].kind;
            if (kind == ';' || kind == '(' || kind == ')' || kind == '{' || kind == '}')
                return false;
            open += kind == '<' ? 1 : kind == '>' ? -1 : 0;
            if (open == 0) {
                ++at;
                return true;
            }
        }
        return false;
    }
};

}  // namespace

bool readPlainDeclarations(const MembersText& members, PlainDeclarations& read) {
    if (!members.marked) return false;
    PlainDeclarations plain;
    if (!Reader(members.text, plain).readFile()) return false;
    read = std::move(plain);
    return true;
}

}  // namespace host
