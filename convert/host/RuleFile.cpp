// RuleFile: the strict check of the rule file.
#include "RuleFile.h"

#include <tinyxml2.h>

#include <fstream>
#include <sstream>

namespace host {

namespace {

constexpr const char* kSections[] = {"KeyWords", "Imports", "Classes",
                                     "Members",  "Methods", "Words"};
constexpr char kWrapper[] = "nidus-rules";

bool isSection(const char* name) {
    for (const char* section : kSections) {
        if (std::string(name) == section) return true;
    }
    return false;
}

// Where the prolog ends: the leading declarations, comments, document type
// and white space, which may not stand inside an element.
size_t prologEnd(const std::string& text) {
    size_t at = 0;
    for (;;) {
        while (at < text.size() && isspace(static_cast<unsigned char>(text[at]))) ++at;
        const char* close = nullptr;
        if (text.compare(at, 2, "<?") == 0) {
            close = "?>";
        } else if (text.compare(at, 4, "<!--") == 0) {
            close = "-->";
        } else if (text.compare(at, 2, "<!") == 0) {
            close = ">";
        }
        if (close == nullptr) return at;
        size_t end = text.find(close, at);
        if (end == std::string::npos) return at;
        at = end + std::string(close).size();
    }
}

// The XML parser takes an end tag at the top level for the end of the
// document and stops there without an error. Inside a wrapper element the
// same tag is a mismatch, with its line.
bool stopsEarly(const std::string& text, int& line) {
    size_t start = prologEnd(text);
    std::string wrapped = text.substr(0, start) + "<" + kWrapper + ">" + text.substr(start) +
                          "</" + kWrapper + ">";
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(wrapped.data(), wrapped.size()) == tinyxml2::XML_SUCCESS) return false;
    line = document.ErrorLineNum();
    return true;
}

}  // namespace

bool checkRuleText(const std::string& path, const std::string& text, std::string& reason) {
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        reason = "cannot read the rule file " + path + ": " +
                 (document.ErrorStr() != nullptr ? document.ErrorStr() : "not XML");
        return false;
    }
    int line = 0;
    if (stopsEarly(text, line)) {
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
