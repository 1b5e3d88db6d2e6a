// RuleFile: the rule file read strictly before a run. The plug-in reads its
// rules leniently (an XML parse that stops early drops every later section
// without a word, an unknown section is skipped); nidus-convert refuses such
// a file instead, naming the line.
#pragma once

#include <string>

namespace host {

// true when text, the content of the rule file named path, parses to its
// end without an error and holds only known sections; else false with a
// one-line reason that names the file and the line.
bool checkRuleText(const std::string& path, const std::string& text, std::string& reason);

// The same for the file at path.
bool checkRuleFile(const std::string& path, std::string& reason);

}  // namespace host
