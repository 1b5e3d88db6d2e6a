// FileFindings: failed statements and leftovers.
#include "run/FileFindings.h"

#include <algorithm>

#include "syntax/LightScan.h"

namespace host {

namespace {

// Lines first to last (1-based) of text, without their line ends.
std::string linesOf(const std::string& text, int first, int last) {
    std::string lines;
    int line = 1;
    size_t start = 0;
    while (start <= text.size() && line <= last) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (line >= first) {
            std::string part = text.substr(start, end - start);
            if (!part.empty() && part.back() == '\r') part.pop_back();
            lines += (lines.empty() ? "" : "\n") + part;
        }
        start = end + 1;
        ++line;
    }
    return lines;
}

bool isWordChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// keyword as a whole word of text: no letter, digit or "_" on either side.
bool holdsWord(std::string_view text, const std::string& keyword) {
    for (size_t at = text.find(keyword); at != std::string::npos; at = text.find(keyword, at + 1)) {
        size_t end = at + keyword.size();
        if ((at == 0 || !isWordChar(text[at - 1])) &&
            (end == text.size() || !isWordChar(text[end])))
            return true;
    }
    return false;
}

bool holdsAnyWord(std::string_view text, const std::vector<std::string>& keywords) {
    return std::any_of(keywords.begin(), keywords.end(),
                       [&](const std::string& keyword) { return holdsWord(text, keyword); });
}

bool isNameToken(const TextToken& token) {
    return !token.comment && !token.text.empty() &&
           (isWordChar(token.text[0]) || static_cast<unsigned char>(token.text[0]) >= 0x80) &&
           !isdigit(static_cast<unsigned char>(token.text[0]));
}

// One past the last name of the dotted name (a.b.c) that starts at tokens[at];
// at + 1 for any other token.
size_t dottedNameEnd(const std::vector<TextToken>& tokens, size_t at) {
    if (!isNameToken(tokens[at])) return at + 1;
    size_t end = at + 1;
    while (end + 1 < tokens.size() && tokens[end].text == "." && isNameToken(tokens[end + 1]))
        end += 2;
    return end;
}

std::string dottedName(const std::vector<TextToken>& tokens, size_t from, size_t to) {
    std::string name;
    for (size_t at = from; at < to; ++at) name += tokens[at].text;
    return name;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// The name after each javadoc reference tag of a comment ({@link NAME},
// {@linkplain NAME}, @see NAME, @throws NAME) that holds a keyword, as
// "TAG NAME" on its own line.
void addJavadocLeftovers(const TextToken& comment, const std::vector<std::string>& keywords,
                         std::vector<Leftover>& leftovers) {
    std::string_view text = comment.text;
    if (text.compare(0, 3, "/**") != 0) return;
    for (const char* tag : {"{@link ", "{@linkplain ", "@see ", "@throws "}) {
        std::string_view mark(tag);
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
            size_t start = at + mark.size();
            while (start < text.size() && text[start] == ' ') ++start;
            size_t end = start;
            while (end < text.size() && (isWordChar(text[end]) || text[end] == '.' ||
                                         text[end] == '#'))
                ++end;
            std::string_view name = text.substr(start, end - start);
            bool held = false;
            for (const std::string& keyword : keywords) held = held || holdsWord(name, keyword);
            if (!held) continue;
            int line = comment.line;
            for (size_t i = 0; i < at; ++i) line += text[i] == '\n' ? 1 : 0;
            std::string shown(text.substr(at, end - at));
            if (mark[0] == '{') shown += "}";
            leftovers.push_back({line, shown});
        }
    }
}

}  // namespace

FailedStatement explainFailure(const JavaSource& source, const std::string& text,
                               const std::vector<NameUse>& uses, const Host& host,
                               const std::string& declined) {
    FailedStatement failed;
    size_t first = 0;
    size_t last = 0;
    bool known = host.failedStatement(first, last) && first < last;
    if (known) {
        const std::vector<Leaf>& leaves = source.leaves();
        failed.line = leaves[first].line;
        failed.statement = linesOf(text, leaves[first].line, leaves[last - 1].endLine);
        failed.reason = explainFailure(uses, first, last);
    }
    if (declined.empty()) return failed;
    failed.reason = "question answered No: " + oneLine(declined);
    for (const NameUse& use : uses) {
        if (use.kind == UseKind::kDriver && use.rule == nullptr &&
            (!known || (use.leaf >= first && use.leaf < last))) {
            failed.reason = "question answered No: driver " + use.name;
            if (!known) failed.line = use.line;
            break;
        }
    }
    return failed;
}

FailedStatement statementAt(const JavaSource& source, const std::vector<Step>& steps,
                            const std::string& text, size_t at) {
    const std::vector<Leaf>& leaves = source.leaves();
    FailedStatement found;
    if (at >= leaves.size()) return found;
    // The narrowest statement around the leaf; the leaf's own line when
    // none holds it.
    size_t first = at;
    size_t last = at + 1;
    size_t width = 0;
    for (const Step& step : steps) {
        for (const Statement& statement : step.statements) {
            if (statement.first > at || statement.last <= at) continue;
            if (width != 0 && statement.last - statement.first >= width) continue;
            first = statement.first;
            last = statement.last;
            width = last - first;
        }
    }
    found.line = leaves[first].line;
    found.statement = linesOf(text, leaves[first].line, leaves[last - 1].endLine);
    return found;
}

std::vector<Leftover> findLeftovers(const std::vector<TextToken>& tokens,
                                    const std::vector<std::string>& keywords,
                                    LeftoverPlaces places) {
    std::vector<Leftover> leftovers;
    for (size_t at = 0; at < tokens.size(); ++at) {
        const TextToken& token = tokens[at];
        if (token.comment) {
            addJavadocLeftovers(token, keywords, leftovers);
            continue;
        }
        size_t end = dottedNameEnd(tokens, at);
        // The file's own package is its own, whatever its name holds.
        bool ownPackage = at > 0 && tokens[at - 1].text == "package";
        if (isNameToken(token) && (ownPackage || places == LeftoverPlaces::kStringsAndJavadoc)) {
            at = end - 1;
            continue;
        }
        size_t found = leftovers.size();
        for (size_t part = at; part < end; part += 2) {
            if (holdsAnyWord(tokens[part].text, keywords))
                leftovers.push_back({tokens[part].line, std::string(tokens[part].text)});
        }
        // A keyword of more than one name (javax.servlet) stands only in
        // the whole dotted name.
        if (leftovers.size() == found && end > at + 1) {
            std::string name = dottedName(tokens, at, end);
            if (holdsAnyWord(name, keywords)) leftovers.push_back({token.line, name});
        }
        at = end - 1;
    }
    return leftovers;
}

std::vector<Leftover> findLeftovers(const std::string& text,
                                    const std::vector<std::string>& keywords,
                                    LeftoverPlaces places) {
    if (!holdsAnyWord(text, keywords)) return {};
    LexedText tokens(text);
    return findLeftovers(tokens.tokens(), keywords, places);
}

}  // namespace host
