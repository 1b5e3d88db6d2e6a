// PackageMap: the package moves of --map (OLD=NEW, a package or a package
// prefix). It gives a name its new name, the rule file's package keywords
// that the moves imply, and the word rules for the string literals that
// hold an old name: a dot joins a word to its neighbours, so the word of
// such a rule is the whole dotted text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Report.h"

namespace host {

class PackageMap {
public:
    // false with the reason when a value is not OLD=NEW.
    bool parse(const std::vector<std::string>& values, std::string& reason);
    bool empty() const { return moves.empty(); }
    // name with its old prefix replaced (a whole dotted part); a name under
    // no move (a bare name) as it is.
    std::string mapped(const std::string& name) const;
    // The KeyWords section of the old prefixes, one Key each.
    std::string keywordSection() const;
    // The dotted texts of the report's string literals that start with an
    // old prefix, each once, in the order met.
    std::vector<std::string> dottedStrings(const RunReport& report) const;

private:
    std::vector<std::pair<std::string, std::string>> moves;
};

// The rule file to start from under a package move: rules as it is when
// its rules name a package keyword (or it cannot be read: reading it says
// why); else a file made in a new folder (made receives it, for its removal)
// that holds its rules and the keywords of the map. 0, or the exit code.
int draftWithKeywords(const PackageMap& map, std::string& rules, std::string& made);

}  // namespace host
