// RuleChecks: the rules that cannot work as written.
#include "cli/RuleChecks.h"

#include <cctype>

#include "cli/Report.h"
#include "run/SourceTree.h"
#include "syntax/FileText.h"
#include "syntax/LightScan.h"

namespace host {

namespace {

// The plug-in's word rules: a word joined to a letter or "_" is part of a
// longer word; a dot joins the parts of a dotted name.
bool joins(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// keyword as whole dotted parts of text.
bool holdsPackage(const std::string& text, const std::string& keyword) {
    for (size_t at = text.find(keyword); at != std::string::npos; at = text.find(keyword, at + 1)) {
        size_t end = at + keyword.size();
        bool before = at == 0 || !(isalnum(static_cast<unsigned char>(text[at - 1])) ||
                                   text[at - 1] == '_' || text[at - 1] == '$');
        bool after = end == text.size() || !(isalnum(static_cast<unsigned char>(text[end])) ||
                                            text[end] == '_' || text[end] == '$');
        if (before && after) return true;
    }
    return false;
}

// Whether word stands in text at all, and whether once on its own.
void findWord(std::string_view text, const std::string& word, bool& stands, bool& alone) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        stands = true;
        size_t end = at + word.size();
        if ((at == 0 || !joins(text[at - 1])) && (end == text.size() || !joins(text[end])))
            alone = true;
    }
}

// The file's bytes; what was read of a file that cannot be read.
std::string readText(const std::string& path) {
    std::string text;
    readFileText(path, text);
    return text;
}

struct WordCheck {
    const RuleEntry* rule = nullptr;
    bool fires = false;
    std::vector<std::string> strings;  // where it stands joined, a few
    size_t joined = 0;
};

const size_t kShown = 3;

}  // namespace

std::vector<std::string> ruleWarnings(const std::string& path, const RuleSet& rules,
                                      const std::string& sourceDir, const std::string& skip) {
    std::vector<std::string> warnings;
    std::vector<WordCheck> words;
    for (const RuleEntry& rule : rules.entries) {
        for (const std::string& keyword : rules.keywords) {
            if (!holdsPackage(rule.to, keyword)) continue;
            warnings.push_back(path + ":" + std::to_string(rule.line) + ": the package keyword " +
                               keyword + " stands in this rule's replacement " + rule.to +
                               ": converted code would be under the rules again (choose a "
                               "keyword that only the old names hold)");
            break;
        }
        if (rule.section == "Words" && rules.find("Words", rule.src) == &rule) {
            WordCheck check;
            check.rule = &rule;
            words.push_back(check);
        }
    }
    if (words.empty()) return warnings;
    for (const std::string& rel : listJavaFiles(sourceDir, skip)) {
        std::string text = readText(sourceDir + rel);
        bool any = false;
        for (const WordCheck& word : words) any = any || text.find(word.rule->src) != std::string::npos;
        if (!any) continue;
        // The string literals are all the check reads: the lexer finds them.
        for (const LightString& token : stringLiterals(text)) {
            for (WordCheck& word : words) {
                bool stands = false;
                bool alone = false;
                findWord(token.text, word.rule->src, stands, alone);
                word.fires = word.fires || alone;
                if (!stands || alone) continue;
                if (++word.joined <= kShown)
                    word.strings.push_back(rel + ":" + std::to_string(token.line) + " " +
                                           std::string(token.text));
            }
        }
    }
    for (const WordCheck& word : words) {
        if (word.fires || word.joined == 0) continue;
        std::string shown;
        for (const std::string& place : word.strings) shown += (shown.empty() ? "" : "; ") + place;
        if (word.joined > kShown) shown += "; and " + std::to_string(word.joined - kShown) + " more";
        warnings.push_back(path + ":" + std::to_string(word.rule->line) + ": the word rule " +
                           word.rule->src +
                           " can never fire: in every string where it stands, a dot, a letter "
                           "or \"_\" joins it to its neighbours (" + shown +
                           "); write the whole dotted text as the word");
    }
    return warnings;
}

std::vector<std::string> unfiredRules(const std::string& path, const RunReport& report,
                                      const RuleSet& rules) {
    std::vector<int> hits = countHits(report, rules);
    std::vector<std::string> unfired;
    for (size_t i = 0; i < rules.entries.size(); ++i) {
        const RuleEntry& rule = rules.entries[i];
        // A rule that an earlier one hides is warned about before the run.
        if (hits[i] != 0 || rules.find(rule.section, rule.src) != &rule) continue;
        unfired.push_back(path + ":" + std::to_string(rule.line) + ": " + rule.section + " " +
                          rule.src);
    }
    return unfired;
}

}  // namespace host
