// RuleFile: the strict check of the rule file.
#include "plugin/RuleFile.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace host {

namespace {

constexpr const char* kSections[] = {"KeyWords", "Imports", "Classes",
                                     "Members",  "Methods", "Words"};

bool isSection(const char* name) {
    for (const char* section : kSections) {
        if (std::string(name) == section) return true;
    }
    return false;
}

// The ">" that ends the tag at at; one inside a quoted value does not.
size_t tagEnd(const std::string& text, size_t at) {
    char quote = 0;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return at;
        }
    }
    return std::string::npos;
}

// The XML parser takes an end tag at the top level for the end of the
// document and stops there without an error. The text up to that tag is
// well-formed (the parser read it), so counting start and end tags finds
// it: the line of the first end tag that closes more than was opened, or 0.
int strayEndTagLine(const std::string& text) {
    int depth = 0;
    int line = 1;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n') ++line;
        if (text[at] != '<') continue;
        const char* close = ">";
        if (text.compare(at, 4, "<!--") == 0) {
            close = "-->";
        } else if (text.compare(at, 9, "<![CDATA[") == 0) {
            close = "]]>";
        } else if (text.compare(at, 2, "<?") == 0) {
            close = "?>";
        }
        size_t end = close[1] == '\0' ? tagEnd(text, at) : text.find(close, at);
        if (end == std::string::npos) return 0;
        bool tag = text[at + 1] != '!' && text[at + 1] != '?';
        if (tag && text[at + 1] == '/' && --depth < 0) return line;
        if (tag && text[at + 1] != '/' && text[end - 1] != '/') ++depth;
        line += static_cast<int>(std::count(text.begin() + at, text.begin() + end, '\n'));
        at = end;
    }
    return 0;
}

}  // namespace

bool checkRuleText(const std::string& path, const std::string& text, std::string& reason) {
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        reason = "cannot read the rule file " + path + ": " +
                 (document.ErrorStr() != nullptr ? document.ErrorStr() : "not XML");
        return false;
    }
    if (int line = strayEndTagLine(text)) {
        reason = "the rule file " + path + " ends early at line " + std::to_string(line) +
                 ": an end tag without its start tag, where the XML parser stops reading";
        return false;
    }
    for (auto* section = document.FirstChildElement(); section != nullptr;
         section = section->NextSiblingElement()) {
        if (isSection(section->Name())) continue;
        reason = "the rule file " + path + " has an unknown section <" + section->Name() +
                 "> at line " + std::to_string(section->GetLineNum()) +
                 " (the sections are KeyWords, Imports, Classes, Members, Methods and Words)";
        return false;
    }
    return true;
}

bool checkRuleFile(const std::string& path, std::string& reason, std::string* content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot read the rule file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (content != nullptr) *content = text.str();
    return checkRuleText(path, text.str(), reason);
}

namespace {

std::string attribute(const tinyxml2::XMLElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value != nullptr ? value : "";
}

// The element names of the rules of each section, and their key and
// replacement attributes.
struct SectionShape {
    const char* section;
    const char* element;
};
constexpr SectionShape kShapes[] = {{"Imports", "item"},
                                    {"Classes", "class"},
                                    {"Members", "member"},
                                    {"Methods", "method"},
                                    {"Words", "word"}};

RuleEntry readEntry(const char* section, const tinyxml2::XMLElement* rule) {
    RuleEntry entry;
    entry.section = section;
    entry.line = rule->GetLineNum();
    if (std::string(section) == "Imports") {
        entry.src = attribute(rule, "code");
        for (auto* change = rule->FirstChildElement("change"); change != nullptr;
             change = change->NextSiblingElement("change"))
            entry.to += (entry.to.empty() ? "" : ", ") + attribute(change, "code");
        return entry;
    }
    entry.src = attribute(rule, "src");
    entry.to = attribute(rule, "to");
    if (rule->Attribute("params") != nullptr) entry.params = atoi(rule->Attribute("params"));
    return entry;
}

}  // namespace

RuleSet readRuleSet(const std::string& text) {
    RuleSet rules;
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) return rules;
    for (auto* section = document.FirstChildElement(); section != nullptr;
         section = section->NextSiblingElement()) {
        std::string name = section->Name();
        if (name == "KeyWords") {
            for (auto* key = section->FirstChildElement("Key"); key != nullptr;
                 key = key->NextSiblingElement("Key")) {
                if (attribute(key, "kind") == "package" && !attribute(key, "code").empty())
                    rules.keywords.push_back(attribute(key, "code"));
            }
        }
        for (const SectionShape& shape : kShapes) {
            if (name != shape.section) continue;
            for (auto* rule = section->FirstChildElement(shape.element); rule != nullptr;
                 rule = rule->NextSiblingElement(shape.element)) {
                RuleEntry entry = readEntry(shape.section, rule);
                if (entry.src.empty()) continue;
                rules.first.emplace(entry.section + "\n" + entry.src, rules.entries.size());
                rules.entries.push_back(entry);
            }
        }
    }
    return rules;
}

const RuleEntry* RuleSet::find(const std::string& section, const std::string& src) const {
    auto found = first.find(section + "\n" + src);
    return found == first.end() ? nullptr : &entries[found->second];
}

std::vector<std::string> RuleSet::duplicates(const std::string& path) const {
    std::vector<std::string> warnings;
    for (const RuleEntry& entry : entries) {
        const RuleEntry* kept = find(entry.section, entry.src);
        if (kept == &entry) continue;
        warnings.push_back(path + ":" + std::to_string(entry.line) + ": a second " + entry.section +
                           " rule for \"" + entry.src + "\" (the first is at line " +
                           std::to_string(kept->line) +
                           "); the plug-in keeps the first and "
                           "ignores this one");
    }
    return warnings;
}

}  // namespace host
