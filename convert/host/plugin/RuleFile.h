// RuleFile: the rule file read strictly before a run. The plug-in reads its
// rules leniently (an XML parse that stops early drops every later section
// without a word, an unknown section is skipped, a bad rule ends its reading
// and every later rule is lost); nidus-convert refuses such a file instead,
// naming the line. The rules themselves are read exactly as the plug-in
// reads them: a rule that it drops is not a rule here either, with a warning.
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
    // What the plug-in drops or ignores without a word, by line: a rule
    // with an empty or missing src or to, an attribute it does not know.
    std::vector<std::pair<int, std::string>> ignored;
    // Where the plug-in stops reading its rules (0: it reads them all), and
    // its message there.
    int stopLine = 0;
    std::string stopMessage;

    const RuleEntry* find(const std::string& section, const std::string& src) const;
    // One warning per rule or attribute that the plug-in does not use, in
    // line order, "FILE:LINE: ...": a rule that an earlier rule of the same
    // section and src hides (naming both lines), a rule that it drops, an
    // attribute that it ignores.
    std::vector<std::string> warnings(const std::string& path) const;
};

// true when text, the content of the rule file named path, parses to its
// end without an error, holds only known sections and no rule at which the
// plug-in stops reading; else false with a one-line reason that names the
// file and the line.
bool checkRuleText(const std::string& path, const std::string& text, std::string& reason);

// The same for the file at path; text receives the file's content.
bool checkRuleFile(const std::string& path, std::string& reason, std::string* text = nullptr);

// Reads the rules of a rule text as the plug-in reads them, up to where it
// stops.
RuleSet readRuleSet(const std::string& text);

}  // namespace host
