// LayoutRestore: alignment of the two token sequences (comments aside) and
// the text built from them.
#include "layout/LayoutRestore.h"

#include <algorithm>
#include <cstdint>

#include <unordered_map>

#include "layout/Align.h"
#include "syntax/LightScan.h"

namespace host {

namespace {

// Tokens aligned at a time, and how many of them may be inserted or
// deleted: past that the alignment gives up, and the file keeps the
// plug-in's layout.
constexpr size_t kWindow = 4000;
constexpr size_t kMaxDifferences = 1000;

bool isWordChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool hasLineBreak(const std::string& text) {
    return text.find('\n') != std::string::npos;
}

// The indices of the code tokens: 32 bits each, as a large file has
// millions of them.
std::vector<uint32_t> codeTokens(const std::vector<TextToken>& tokens) {
    std::vector<uint32_t> code;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].comment) code.push_back(static_cast<uint32_t>(i));
    }
    return code;
}

// One side of the alignment: a text, its tokens and its code tokens.
struct Side {
    const std::string& text;
    const std::vector<TextToken>& tokens;
    std::vector<uint32_t> code;

    long size() const { return static_cast<long>(code.size()); }
    const TextToken& at(long i) const { return tokens[code[static_cast<size_t>(i)]]; }
    // Where the gap after code token i starts, and where the one before
    // token i ends; -1 and size() stand for the ends of the text.
    unsigned endOf(long i) const { return i < 0 ? 0 : at(i).end; }
    unsigned startOf(long i) const {
        return i >= size() ? static_cast<unsigned>(text.size()) : at(i).start;
    }
    std::string bytes(unsigned from, unsigned to) const { return text.substr(from, to - from); }
};

class Builder {
public:
    Builder(const Side& sourceSide, const Side& convertedSide)
        : source(sourceSide), converted(convertedSide) {
        newline = source.text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        // Grown in place: a large text copied as it doubles holds both.
        out.reserve(source.text.size() + source.text.size() / 8);
    }

    std::string build(const std::vector<std::pair<size_t, size_t>>& matches) {
        long i0 = -1;
        long j0 = -1;
        for (const auto& match : matches) {
            long i = static_cast<long>(match.first);
            long j = static_cast<long>(match.second);
            size_t start = out.size();
            bool changed = hunk(i0, i, j0, j);
            const TextToken& token = source.at(i);
            if (changed) {
                append(source.bytes(token.start, token.end));
                note(source.endOf(i0), source.startOf(i), start, out.size() - (token.end - token.start));
            } else {
                out.append(source.text, token.start, token.end - token.start);
            }
            i0 = i;
            j0 = j;
        }
        size_t start = out.size();
        if (hunk(i0, source.size(), j0, converted.size()))
            note(source.endOf(i0), static_cast<unsigned>(source.text.size()), start, out.size());
        return out;
    }

    // The source's byte ranges that the built text replaced, with what
    // replaced them.
    const std::vector<TextEdit>& changes() const { return edits; }

private:
    const Side& source;
    const Side& converted;
    std::string newline;
    std::string out;
    std::vector<TextEdit> edits;

    void note(unsigned oldStart, unsigned oldEnd, size_t newStart, size_t newEnd) {
        edits.push_back(
            {oldStart, oldEnd, static_cast<unsigned>(newStart), static_cast<unsigned>(newEnd)});
    }

    // Appends text; a blank keeps two words apart that would run together.
    void append(const std::string& text) {
        if (!text.empty() && !out.empty() && isWordChar(out.back()) && isWordChar(text.front()))
            out += ' ';
        out += text;
    }

    // The indentation of the source line that holds offset at.
    std::string indentAt(unsigned at) const {
        size_t lineStart = source.text.rfind('\n', at == 0 ? 0 : at - 1);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t end = lineStart;
        while (end < source.text.size() && (source.text[end] == ' ' || source.text[end] == '\t'))
            ++end;
        return source.text.substr(lineStart, end - lineStart);
    }

    // The plug-in's spacing between its code tokens j - 1 and j, as a line
    // break, one blank or nothing (its comments and indentation aside).
    std::string spacing(long j, const std::string& indent) const {
        std::string gap = converted.bytes(converted.endOf(j - 1), converted.startOf(j));
        if (hasLineBreak(gap)) return newline + indent;
        return gap.empty() ? std::string() : " ";
    }

    void insertRun(long first, long last, const std::string& indent) {
        for (long j = first; j <= last; ++j) {
            if (j > first) out += spacing(j, indent);
            append(converted.bytes(converted.at(j).start, converted.at(j).end));
        }
    }

    // The source's comments within [from, to), each followed by what keeps
    // it a comment of its own.
    std::string commentsWithin(unsigned from, unsigned to) const {
        std::string text;
        // The tokens are in source order: those within start at the first
        // one that starts at from or later.
        auto first = std::lower_bound(
            source.tokens.begin(), source.tokens.end(), from,
            [](const TextToken& token, unsigned at) { return token.start < at; });
        for (auto it = first; it != source.tokens.end() && it->start < to; ++it) {
            const TextToken& token = *it;
            if (!token.comment || token.end > to) continue;
            std::string comment = source.bytes(token.start, token.end);
            bool line = comment.compare(0, 2, "//") == 0;
            text += comment + (line ? newline + indentAt(token.start) : " ");
        }
        return text;
    }

    // What stands between matched tokens i0 and i1 (source) and j0 and j1
    // (converted): the source's gap where nothing changed, else the
    // converted tokens with the source's spacing around them. true when
    // something changed.
    bool hunk(long i0, long i1, long j0, long j1) {
        unsigned gapStart = source.endOf(i0);
        unsigned gapEnd = source.startOf(i1);
        bool deleted = i1 - i0 > 1;
        bool inserted = j1 - j0 > 1;
        if (!deleted && !inserted) {
            out.append(source.text, gapStart, gapEnd - gapStart);
            return false;
        }
        std::string indent = indentAt(gapStart);
        if (!deleted) {
            out += spacing(j0 + 1, indent);
            insertRun(j0 + 1, j1 - 1, indent);
            append(source.bytes(gapStart, gapEnd));
            return true;
        }
        unsigned firstDeleted = source.startOf(i0 + 1);
        unsigned lastDeleted = source.endOf(i1 - 1);
        std::string before = source.bytes(gapStart, firstDeleted);
        std::string after = source.bytes(lastDeleted, gapEnd);
        std::string comments = commentsWithin(firstDeleted, lastDeleted);
        if (inserted) {
            out += before;
            insertRun(j0 + 1, j1 - 1, indent);
            if (!comments.empty()) out += " " + comments;
            append(after);
            return true;
        }
        // Only deleted: one of the two spacings stays, the one that keeps
        // the line break if either has one.
        out += comments;
        append(hasLineBreak(after) && !hasLineBreak(before) ? after : before);
        return true;
    }
};

}  // namespace

bool sameCode(const std::vector<TextToken>& a, const std::vector<TextToken>& b) {
    std::vector<uint32_t> first = codeTokens(a);
    std::vector<uint32_t> second = codeTokens(b);
    if (first.size() != second.size()) return false;
    for (size_t i = 0; i < first.size(); ++i) {
        if (a[first[i]].text != b[second[i]].text) return false;
    }
    return true;
}

Restored restoreLayout(const std::string& source, const std::vector<TextToken>& sourceTokens,
                       const std::string& converted, const std::vector<TextToken>& convertedTokens,
                       std::string& text, std::vector<TextEdit>& edits, std::string& reason) {
    if (sameCode(sourceTokens, convertedTokens)) {
        text = source;
        return Restored::kUnchanged;
    }
    Side sourceSide{source, sourceTokens, codeTokens(sourceTokens)};
    Side convertedSide{converted, convertedTokens, codeTokens(convertedTokens)};
    std::unordered_map<std::string_view, int> ids;
    auto idsOf = [&ids](const Side& side) {
        std::vector<int> sequence;
        sequence.reserve(side.code.size());
        // try_emplace: a token seen before costs a lookup, not a node.
        for (size_t index : side.code)
            sequence.push_back(
                ids.try_emplace(side.tokens[index].text, static_cast<int>(ids.size())).first->second);
        return sequence;
    };
    std::vector<int> a = idsOf(sourceSide);
    std::vector<int> b = idsOf(convertedSide);
    std::vector<std::pair<size_t, size_t>> matches;
    if (!alignSequences(a, b, kWindow, kMaxDifferences, matches)) {
        reason = "more than " + std::to_string(kMaxDifferences) + " of " +
                 std::to_string(kWindow) + " tokens in a row differ";
        return Restored::kFailed;
    }
    // The building needs the memory more than the token ids.
    std::vector<int>().swap(a);
    std::vector<int>().swap(b);
    decltype(ids)().swap(ids);
    Builder builder(sourceSide, convertedSide);
    text = builder.build(matches);
    edits = builder.changes();
    return Restored::kChanged;
}

Restored restoreFile(const std::string& sourceText, const JavaSource& source,
                     const std::string& convertedText, std::string& text, std::string& reason) {
    // Both texts cut by the lexer: the plug-in's text needs no parse of
    // its own, as the restored text's parse is the check.
    LexedText sourceTokens(sourceText);
    LexedText convertedTokens(convertedText);
    std::vector<TextEdit> edits;
    Restored restored = restoreLayout(sourceText, sourceTokens.tokens(), convertedText,
                                      convertedTokens.tokens(), text, edits, reason);
    if (restored != Restored::kChanged) return restored;
    // The source's tree, edited where the layout took the plug-in's tokens.
    JavaSource check;
    if (!check.parseEdited(source, text, edits)) {
        reason = "the restored text does not parse (" + check.reason() + ")";
        return Restored::kFailed;
    }
    // The restored text's tokens against the plug-in's code and the
    // source's comments, one at a time: a large file's tokens take much
    // memory. Where the plug-in's tokens stand, each name must be one
    // token of the check's tree too.
    std::vector<uint32_t> code = codeTokens(convertedTokens.tokens());
    std::vector<size_t> comments;
    for (size_t i = 0; i < sourceTokens.tokens().size(); ++i)
        if (sourceTokens.tokens()[i].comment) comments.push_back(i);
    size_t codeAt = 0;
    size_t commentAt = 0;
    bool codeHeld = true;
    bool commentsHeld = true;
    size_t edit = 0;
    std::string runTogether;
    forEachLexedToken(text, [&](const TextToken& token) {
        while (edit < edits.size() && edits[edit].newEnd <= token.start) ++edit;
        bool edited = edit < edits.size() && edits[edit].newStart < token.end;
        if (edited && runTogether.empty() && !check.holdsName(token))
            runTogether = check.nameRunTogether(token);
        if (token.comment) {
            commentsHeld = commentsHeld && commentAt < comments.size() &&
                           sourceTokens.tokens()[comments[commentAt]].text == token.text;
            ++commentAt;
        } else {
            codeHeld = codeHeld && codeAt < code.size() &&
                       convertedTokens.tokens()[code[codeAt]].text == token.text;
            ++codeAt;
        }
    });
    check.releaseTree();
    if (!runTogether.empty()) {
        reason = "the restored text does not parse (" + runTogether + ")";
        return Restored::kFailed;
    }
    if (!codeHeld || codeAt != code.size()) {
        reason = "the restored text does not hold the plug-in's tokens";
        return Restored::kFailed;
    }
    if (!commentsHeld || commentAt != comments.size()) {
        reason = "the restored text does not hold the source's comments";
        return Restored::kFailed;
    }
    return Restored::kChanged;
}

}  // namespace host
