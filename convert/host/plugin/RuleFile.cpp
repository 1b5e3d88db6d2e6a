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
    RuleSet rules = readRuleSet(text);
    if (rules.stopLine != 0) {
        reason = path + ":" + std::to_string(rules.stopLine) +
                 ": the plug-in stops reading its rules here: " + rules.stopMessage +
                 "; every rule after it would be lost";
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

// An attribute as the plug-in takes it: it walks them all, so where a name
// repeats the last one counts; empty when absent.
std::string lastValue(const tinyxml2::XMLElement* element, const char* name,
                      bool* present = nullptr) {
    std::string value;
    if (present != nullptr) *present = false;
    for (auto* attribute = element->FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        if (std::string(attribute->Name()) != name) continue;
        value = attribute->Value();
        if (present != nullptr) *present = true;
    }
    return value;
}

// The rules of one file as the plug-in reads them, and where it stops.
class PluginReading {
public:
    RuleSet rules;

    void section(const tinyxml2::XMLElement* section);
    bool stopped() const { return rules.stopLine != 0; }

private:
    void keyWords(const tinyxml2::XMLElement* section);
    void imports(const tinyxml2::XMLElement* section);
    void renames(const char* section, const char* element, const tinyxml2::XMLElement* at);
    void methods(const tinyxml2::XMLElement* section);
    bool paramList(const tinyxml2::XMLElement* method, RuleEntry& entry);

    // false: the plug-in stops at element with message; why says what it
    // found there.
    bool stop(const tinyxml2::XMLElement* element, const char* message, const std::string& why);
    // An element without attributes: the plug-in stops at it.
    bool attributed(const tinyxml2::XMLElement* element);
    // A warning for each attribute of element that the plug-in does not know.
    void unknownAttributes(const tinyxml2::XMLElement* element, std::vector<std::string> known);
    void store(RuleEntry entry);
};

bool PluginReading::stop(const tinyxml2::XMLElement* element, const char* message,
                         const std::string& why) {
    rules.stopLine = element->GetLineNum();
    rules.stopMessage = std::string(message) + " (" + why + ")";
    return false;
}

bool PluginReading::attributed(const tinyxml2::XMLElement* element) {
    if (element->FirstAttribute() != nullptr) return true;
    return stop(element, "Attribute is null!",
                std::string("a <") + element->Name() + "> without attributes");
}

void PluginReading::unknownAttributes(const tinyxml2::XMLElement* element,
                                      std::vector<std::string> known) {
    for (auto* attribute = element->FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        if (std::find(known.begin(), known.end(), attribute->Name()) != known.end()) continue;
        std::string names;
        for (const std::string& name : known) names += (names.empty() ? "" : ", ") + name;
        rules.ignored.emplace_back(element->GetLineNum(),
                                   std::string("the plug-in ignores the attribute ") +
                                       attribute->Name() + " of <" + element->Name() +
                                       "> (it knows " + names + ")");
    }
}

// The plug-in's tables keep the first rule of a src; a later one is kept
// here too, for its warning.
void PluginReading::store(RuleEntry entry) {
    rules.first.emplace(entry.section + "\n" + entry.src, rules.entries.size());
    rules.entries.push_back(std::move(entry));
}

void PluginReading::section(const tinyxml2::XMLElement* section) {
    std::string name = section->Name();
    if (name == "KeyWords") {
        keyWords(section);
    } else if (name == "Imports") {
        imports(section);
    } else if (name == "Classes") {
        renames("Classes", "class", section);
    } else if (name == "Members") {
        renames("Members", "member", section);
    } else if (name == "Methods") {
        methods(section);
    } else if (name == "Words") {
        renames("Words", "word", section);
    }
}

void PluginReading::keyWords(const tinyxml2::XMLElement* section) {
    for (auto* key = section->FirstChildElement("Key"); key != nullptr;
         key = key->NextSiblingElement("Key")) {
        if (!attributed(key)) return;
        unknownAttributes(key, {"kind", "code"});
        std::string code = lastValue(key, "code");
        if (lastValue(key, "kind") == "package" && !code.empty()) {
            rules.keywords.push_back(code);
        } else {
            rules.ignored.emplace_back(key->GetLineNum(),
                                       "a <Key> that is not kind=\"package\" with a code; the "
                                       "plug-in drops it");
        }
    }
}

void PluginReading::imports(const tinyxml2::XMLElement* section) {
    for (auto* item = section->FirstChildElement("item"); item != nullptr;
         item = item->NextSiblingElement("item")) {
        if (!attributed(item)) return;
        unknownAttributes(item, {"code"});
        RuleEntry entry;
        entry.section = "Imports";
        entry.line = item->GetLineNum();
        entry.src = lastValue(item, "code");
        if (entry.src.empty()) {
            stop(item, "Convert item is null!", "an <item> without a code");
            return;
        }
        bool changed = false;
        for (auto* change = item->FirstChildElement("change"); change != nullptr;
             change = change->NextSiblingElement("change")) {
            if (!attributed(change)) return;
            unknownAttributes(change, {"code"});
            // Every code attribute of a change is one replacement import.
            for (auto* attribute = change->FirstAttribute(); attribute != nullptr;
                 attribute = attribute->Next()) {
                if (std::string(attribute->Name()) != "code") continue;
                entry.to += (changed ? ", " : "") + std::string(attribute->Value());
                changed = true;
            }
        }
        if (!changed) {
            stop(item, "Convert items is null!",
                 "an <item> for " + entry.src + " without a <change code=...>");
            return;
        }
        store(entry);
    }
}

void PluginReading::renames(const char* section, const char* element,
                            const tinyxml2::XMLElement* at) {
    for (auto* rule = at->FirstChildElement(element); rule != nullptr;
         rule = rule->NextSiblingElement(element)) {
        if (!attributed(rule)) return;
        unknownAttributes(rule, {"src", "to"});
        RuleEntry entry;
        entry.section = section;
        entry.line = rule->GetLineNum();
        bool hasSrc = false;
        bool hasTo = false;
        entry.src = lastValue(rule, "src", &hasSrc);
        entry.to = lastValue(rule, "to", &hasTo);
        if (!entry.src.empty() && !entry.to.empty()) {
            store(entry);
            continue;
        }
        std::string what = entry.src.empty() ? (hasSrc ? "an empty src" : "no src attribute")
                                             : (hasTo ? "an empty to" : "no to attribute");
        std::string named = entry.src.empty() ? std::string() : " for \"" + entry.src + "\"";
        rules.ignored.emplace_back(entry.line, std::string("a ") + section + " rule" + named +
                                                   " with " + what + "; the plug-in drops it");
    }
}

void PluginReading::methods(const tinyxml2::XMLElement* section) {
    for (auto* method = section->FirstChildElement("method"); method != nullptr;
         method = method->NextSiblingElement("method")) {
        if (!attributed(method)) return;
        unknownAttributes(method, {"src", "to", "params"});
        RuleEntry entry;
        entry.section = "Methods";
        entry.line = method->GetLineNum();
        entry.src = lastValue(method, "src");
        entry.to = lastValue(method, "to");
        bool hasParams = false;
        std::string params = lastValue(method, "params", &hasParams);
        if (hasParams) entry.params = atoi(params.c_str());
        if (entry.src.empty() || entry.to.empty()) {
            stop(method, "Convert item is null!",
                 entry.src.empty() ? "a <method> without a src" : "a <method> without a to");
            return;
        }
        // With params -1 (absent or written so) the param children are
        // not read at all.
        if (entry.params != -1 && !paramList(method, entry)) return;
        store(entry);
    }
}

bool PluginReading::paramList(const tinyxml2::XMLElement* method, RuleEntry& entry) {
    int accepted = 0;
    for (auto* param = method->FirstChildElement("param"); param != nullptr;
         param = param->NextSiblingElement("param")) {
        if (!attributed(param)) return false;
        unknownAttributes(param, {"new", "old", "default", "type"});
        bool hasNew = false;
        bool hasOld = false;
        std::string position = lastValue(param, "new", &hasNew);
        std::string old = lastValue(param, "old", &hasOld);
        int at = hasNew ? atoi(position.c_str()) : -1;
        if (at != accepted + 1)
            return stop(param, "Parameter list error!",
                        (hasNew ? "a <param new=\"" + position + "\">" : "a <param> without new") +
                            " in the method " + entry.src + " where new=\"" +
                            std::to_string(accepted + 1) + "\" comes next");
        if ((!hasOld || atoi(old.c_str()) == -1) && lastValue(param, "default").empty())
            return stop(param, "Default value is not set!",
                        "a <param new=\"" + position + "\"> in the method " + entry.src +
                            " with neither old nor default");
        ++accepted;
    }
    return true;
}

}  // namespace

RuleSet readRuleSet(const std::string& text) {
    PluginReading reading;
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) return reading.rules;
    for (auto* section = document.FirstChildElement(); section != nullptr && !reading.stopped();
         section = section->NextSiblingElement())
        reading.section(section);
    return reading.rules;
}

const RuleEntry* RuleSet::find(const std::string& section, const std::string& src) const {
    auto found = first.find(section + "\n" + src);
    return found == first.end() ? nullptr : &entries[found->second];
}

std::vector<std::string> RuleSet::warnings(const std::string& path) const {
    std::vector<std::pair<int, std::string>> byLine = ignored;
    for (const RuleEntry& entry : entries) {
        const RuleEntry* kept = find(entry.section, entry.src);
        if (kept == &entry) continue;
        byLine.emplace_back(entry.line, "a second " + entry.section + " rule for \"" + entry.src +
                                            "\" (the first is at line " +
                                            std::to_string(kept->line) +
                                            "); the plug-in keeps the first and ignores this one");
    }
    std::stable_sort(byLine.begin(), byLine.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> warnings;
    for (const auto& warning : byLine)
        warnings.push_back(path + ":" + std::to_string(warning.first) + ": " + warning.second);
    return warnings;
}

}  // namespace host
