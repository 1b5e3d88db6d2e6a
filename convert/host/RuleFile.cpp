// RuleFile: the strict check of the rule file.
#include "RuleFile.h"

#include <tinyxml2.h>

#include <algorithm>
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

bool checkRuleFile(const std::string& path, std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot read the rule file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return checkRuleText(path, text.str(), reason);
}

}  // namespace host
