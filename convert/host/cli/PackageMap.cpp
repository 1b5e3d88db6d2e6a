// PackageMap: names under a package move.
#include "cli/PackageMap.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/InitRules.h"
#include "cli/Options.h"
#include "plugin/RuleFile.h"

namespace host {

namespace {

bool isNameChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool isPackageName(const std::string& text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.' ? text[i + 1] == '.' : !isNameChar(text[i])) return false;
    }
    return true;
}

// prefix stands at the start of name as whole dotted parts.
bool startsWithPackage(const std::string& name, const std::string& prefix) {
    return name.compare(0, prefix.size(), prefix) == 0 &&
           (name.size() == prefix.size() || name[prefix.size()] == '.');
}

}  // namespace

bool PackageMap::parse(const std::vector<std::string>& values, std::string& reason) {
    for (const std::string& value : values) {
        size_t equals = value.find('=');
        std::string from = value.substr(0, equals);
        std::string to = equals == std::string::npos ? std::string() : value.substr(equals + 1);
        if (!isPackageName(from) || !isPackageName(to)) {
            reason = "--map " + value +
                     ": give the old and the new package as OLD=NEW (javax.servlet=jakarta.servlet)";
            return false;
        }
        moves.emplace_back(from, to);
    }
    return true;
}

std::string PackageMap::mapped(const std::string& name) const {
    for (const auto& move : moves) {
        if (startsWithPackage(name, move.first)) return move.second + name.substr(move.first.size());
    }
    return name;
}

std::string PackageMap::keywordSection() const {
    std::string text = "<KeyWords>\n";
    for (const auto& move : moves) text += "  <Key kind=\"package\" code=\"" + move.first + "\"/>\n";
    return text + "</KeyWords>\n";
}

std::vector<std::string> PackageMap::dottedStrings(const RunReport& report) const {
    std::vector<std::string> found;
    std::set<std::string> seen;
    for (const FileReport& file : report.files) {
        for (const Leftover& leftover : file.leftovers) {
            const std::string& text = leftover.text;
            if (text.size() < 2 || text.front() != '"') continue;
            // Each run of name characters and dots inside the literal.
            size_t at = 1;
            while (at < text.size()) {
                while (at < text.size() && !isNameChar(text[at])) ++at;
                size_t end = at;
                while (end < text.size() && (isNameChar(text[end]) || text[end] == '.')) ++end;
                // A dot that ends the run stays in the word: without it,
                // the dot would join the word to its neighbour, and the
                // rule could never fire ("javax.servlet.async.").
                std::string run = text.substr(at, end - at);
                if (!run.empty() && mapped(run) != run && seen.insert(run).second)
                    found.push_back(run);
                at = end;
            }
        }
    }
    return found;
}

int draftWithKeywords(const PackageMap& map, std::string& rules, std::string& made) {
    std::string text;
    if (!rules.empty()) {
        std::ifstream in(rules, std::ios::binary);
        if (!in) return kExitOk;
        std::ostringstream read;
        read << in.rdbuf();
        text = read.str();
        if (!readRuleSet(text).keywords.empty()) return kExitOk;
    }
    char folder[] = "/tmp/nidus-map-XXXXXX";
    if (mkdtemp(folder) == nullptr) return usageError("cannot make a folder for the rules of --map");
    made = folder;
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += map.keywordSection();
    std::string reason;
    if (!writeTextFile(made + "/rules.xml", text, reason)) return usageError(reason);
    rules = made + "/rules.xml";
    return kExitOk;
}

}  // namespace host
