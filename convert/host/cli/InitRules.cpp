// InitRules: the completed rule file.
#include "cli/InitRules.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace host {

namespace {

std::string escaped(const std::string& text) {
    std::string xml;
    for (char c : text) {
        switch (c) {
        case '&':
            xml += "&amp;";
            break;
        case '<':
            xml += "&lt;";
            break;
        case '"':
            xml += "&quot;";
            break;
        default:
            xml += c;
        }
    }
    return xml;
}

std::string todo(const MissingRule& missing) {
    const auto& place = missing.places.front();
    size_t count = missing.files.size();
    std::string text = "    <!-- TODO: used in " + std::to_string(count) +
                       (count == 1 ? " file" : " files") + ", e.g. " + place.first + ":" +
                       std::to_string(place.second);
    if (!missing.arities.empty()) {
        text += "; calls with";
        for (int arity : missing.arities) text += " " + std::to_string(arity);
        text += " arguments";
    }
    // "--" may not stand inside a comment.
    for (size_t at = text.find("--", 8); at != std::string::npos; at = text.find("--", at))
        text.replace(at, 2, "- -");
    return text + " -->\n";
}

std::string ruleFor(UseKind kind, const std::string& key, const PackageMap& map) {
    std::string name = escaped(key);
    std::string to = escaped(map.mapped(key));
    switch (kind) {
    case UseKind::kImport:
        return "    <item code=\"" + name + "\"><change code=\"" + to + "\"/></item>\n";
    case UseKind::kMember:
        return "    <member src=\"" + name + "\" to=\"" + to + "\"/>\n";
    case UseKind::kMethod:
        return "    <method src=\"" + name + "\" to=\"" + to + "\"/>\n";
    default:
        return "    <class src=\"" + name + "\" to=\"" + to + "\"/>\n";
    }
}

// A word rule for each dotted text that the rules do not have yet.
std::string wordRules(const std::string& rulesText, const std::vector<std::string>& words,
                      const PackageMap& map) {
    RuleSet rules = readRuleSet(rulesText);
    std::string text;
    for (const std::string& word : words) {
        if (rules.find("Words", word) != nullptr) continue;
        text += "    <word src=\"" + escaped(word) + "\" to=\"" + escaped(map.mapped(word)) +
                "\"/>\n";
    }
    return text.empty() ? text : "<Words>\n" + text + "</Words>\n";
}

const char* sectionOf(UseKind kind) {
    switch (kind) {
    case UseKind::kImport:
        return "Imports";
    case UseKind::kMember:
        return "Members";
    case UseKind::kMethod:
        return "Methods";
    default:
        return "Classes";  // classes and driver classes
    }
}

}  // namespace

std::string completeRules(const std::string& rulesText, const std::vector<MissingRule>& missing,
                          const PackageMap& map, const std::vector<std::string>& words) {
    std::string text = rulesText;
    if (!text.empty() && text.back() != '\n') text += '\n';
    std::string strings = wordRules(rulesText, words, map);
    if (missing.empty() && strings.empty()) return text;
    // One rule per key of a section: names of several classes may share
    // the key the plug-in looks up (a member "size" of two classes).
    std::map<std::pair<std::string, std::string>, MissingRule> byKey;
    std::vector<std::pair<std::string, std::string>> order;
    for (const MissingRule& rule : missing) {
        for (const std::string& key : rule.keys) {
            std::pair<std::string, std::string> at{sectionOf(rule.kind), key};
            auto made = byKey.emplace(at, rule);
            if (made.second) {
                order.push_back(at);
                continue;
            }
            MissingRule& merged = made.first->second;
            merged.places.insert(merged.places.end(), rule.places.begin(), rule.places.end());
            merged.files.insert(rule.files.begin(), rule.files.end());
            merged.arities.insert(rule.arities.begin(), rule.arities.end());
        }
    }
    text += map.empty()
                ? "\n<!-- Added by nidus-convert --init-rules: every vendor name that no rule "
                  "covered, kept as it is. Give each the name it has in the new API. -->\n"
                : "\n<!-- Added by nidus-convert --init-rules: every vendor name that no rule "
                  "covered, under its new package (a bare name kept), and each string's dotted "
                  "name as one word. -->\n";
    for (const char* section : {"Imports", "Classes", "Members", "Methods"}) {
        std::string rules;
        for (const auto& at : order) {
            if (at.first != section) continue;
            const MissingRule& rule = byKey[at];
            rules += todo(rule) + ruleFor(rule.kind, at.second, map);
        }
        if (!rules.empty())
            text += "<" + std::string(section) + ">\n" + rules + "</" + section + ">\n";
    }
    return text + strings;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& reason) {
    bool toStdout = path == "-";
    FILE* file = toStdout ? stdout : fopen(path.c_str(), "w");
    bool ok = file != nullptr && fwrite(text.data(), 1, text.size(), file) == text.size();
    if (toStdout ? fflush(stdout) != 0 : file != nullptr && fclose(file) != 0) ok = false;
    if (!ok) reason = "cannot write " + path + ": " + strerror(errno);
    return ok;
}

}  // namespace host
