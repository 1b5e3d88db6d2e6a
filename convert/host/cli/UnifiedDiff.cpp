// UnifiedDiff: lines aligned by Align, grouped into hunks.
#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "layout/Align.h"

namespace host {

namespace {

constexpr size_t kContext = 3;
// Lines aligned at a time, and how many of them may be inserted or deleted:
// past that the two texts are not aligned, and the diff replaces the whole
// file, which is still a correct patch.
constexpr size_t kWindow = 8000;
constexpr size_t kMaxDifferences = 2000;

// The lines of text, each with its line end.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// One line of the diff: its mark, and a note where the file ends without
// a line end.
std::string diffLine(char mark, const std::string& line) {
    std::string text = mark + line;
    if (line.empty() || line.back() != '\n') text += "\n\\ No newline at end of file\n";
    return text;
}

// An edit script step: ' ' both, '-' only before, '+' only after.
struct Step {
    char mark;
    size_t before;
    size_t after;
};

std::vector<Step> editScript(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::unordered_map<std::string, int> ids;
    std::vector<int> x;
    std::vector<int> y;
    for (const std::string& line : a) x.push_back(ids.try_emplace(line, ids.size()).first->second);
    for (const std::string& line : b) y.push_back(ids.try_emplace(line, ids.size()).first->second);
    std::vector<std::pair<size_t, size_t>> matches;
    if (!alignSequences(x, y, kWindow, kMaxDifferences, matches)) matches.clear();
    matches.emplace_back(a.size(), b.size());
    std::vector<Step> steps;
    size_t i = 0;
    size_t j = 0;
    for (const auto& match : matches) {
        for (; i < match.first; ++i) steps.push_back({'-', i, j});
        for (; j < match.second; ++j) steps.push_back({'+', i, j});
        if (i < a.size() && j < b.size()) steps.push_back({' ', i++, j++});
    }
    return steps;
}

std::string range(size_t start, size_t count) {
    // A hunk with no lines on one side names the line before it.
    size_t first = count == 0 ? start : start + 1;
    return std::to_string(first) + (count == 1 ? "" : "," + std::to_string(count));
}

bool needsQuotes(unsigned char byte) {
    return byte == '"' || byte == '\\' || byte < 0x20 || byte >= 0x7f;
}

// A path on a "---" or "+++" line as git writes it: in double quotes, with
// C escapes, when it holds a '"', a '\', a control character or a byte of
// 0x80 and above; then a tab when it holds a blank, so that patch finds its
// end.
std::string headerPath(const std::string& path) {
    static const std::string kNamed = "\"\\\a\b\t\n\v\f\r";
    static const std::string kLetters = "\"\\abtnvfr";
    std::string written = path;
    bool quote = std::any_of(path.begin(), path.end(),
                             [](char c) { return needsQuotes(static_cast<unsigned char>(c)); });
    if (quote) {
        written = "\"";
        for (char c : path) {
            unsigned char byte = static_cast<unsigned char>(c);
            size_t named = kNamed.find(c);
            if (named != std::string::npos) {
                written += '\\';
                written += kLetters[named];
            } else if (needsQuotes(byte)) {
                written += '\\';
                written += static_cast<char>('0' + (byte >> 6));
                written += static_cast<char>('0' + ((byte >> 3) & 7));
                written += static_cast<char>('0' + (byte & 7));
            } else {
                written += c;
            }
        }
        written += '"';
    }
    if (written.find(' ') != std::string::npos) written += '\t';
    return written;
}

}  // namespace

std::string unifiedDiff(const std::string& before, const std::string& after,
                        const std::string& rel) {
    if (before == after) return std::string();
    std::vector<std::string> a = linesOf(before);
    std::vector<std::string> b = linesOf(after);
    std::vector<Step> steps = editScript(a, b);
    std::string diff = "--- " + headerPath("a/" + rel) + "\n+++ " + headerPath("b/" + rel) + "\n";
    size_t at = 0;
    while (at < steps.size()) {
        while (at < steps.size() && steps[at].mark == ' ') ++at;
        if (at == steps.size()) break;
        size_t start = at >= kContext ? at - kContext : 0;
        // The hunk ends where more than twice the context stays unchanged.
        size_t end = at;
        for (size_t same = 0; end < steps.size() && same <= 2 * kContext; ++end)
            same = steps[end].mark == ' ' ? same + 1 : 0;
        while (end > at && steps[end - 1].mark == ' ') --end;
        end = std::min(steps.size(), end + kContext);
        size_t countA = 0;
        size_t countB = 0;
        std::string body;
        for (size_t k = start; k < end; ++k) {
            const Step& step = steps[k];
            countA += step.mark != '+';
            countB += step.mark != '-';
            body += diffLine(step.mark, step.mark == '+' ? b[step.after] : a[step.before]);
        }
        diff += "@@ -" + range(steps[start].before, countA) + " +" +
                range(steps[start].after, countB) + " @@\n" + body;
        at = end;
    }
    return diff;
}

}  // namespace host
