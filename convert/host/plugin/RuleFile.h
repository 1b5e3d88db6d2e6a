// RuleFile: the rule file read strictly before a run. The plug-in reads its
// rules leniently (an XML parse that stops early drops every later section
// without a word, an unknown section is skipped); nidus-convert refuses such
// a file instead, naming the line.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace host {

// One rule of the file as the plug-in keys it: its section, its src (an
// import's code), its to (an import's change codes, joined by ", "), its
// params (-1 without) and the line it stands on.
struct RuleEntry {
    std::string section;
    std::string src;
    std::string to;
    int params = -1;
    int line = 0;
};

// The rules of a file, in file order, with the plug-in's lookup: where a
// section repeats a src, the first rule is the one that counts.
struct RuleSet {
    std::vector<std::string> keywords;
    std::vector<RuleEntry> entries;
    std::map<std::string, size_t> first;  // section + "\n" + src -> index into entries

    const RuleEntry* find(const std::string& section, const std::string& src) const;
    // One warning per rule that an earlier rule of the same section and src
    // hides: "FILE:LINE: ..." naming both lines.
    std::vector<std::string> duplicates(const std::string& path) const;
};

// true when text, the content of the rule file named path, parses to its
// end without an error and holds only known sections; else false with a
// one-line reason that names the file and the line.
bool checkRuleText(const std::string& path, const std::string& text, std::string& reason);

// The same for the file at path; text receives the file's content.
bool checkRuleFile(const std::string& path, std::string& reason, std::string* text = nullptr);

// Reads the rules of a checked rule text.
RuleSet readRuleSet(const std::string& text);

}  // namespace host
