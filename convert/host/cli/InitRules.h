// InitRules: a rule file completed from the tree. The rules that were read,
// as written, and after them one rule per vendor name that no rule covers,
// grouped by section, keyed the way the plug-in looks the name up, keeping
// the name as it is (src = to), each with a comment that says where it is
// used. The user then edits the to values one by one; with a package map
// (--map), each to is the name under its new package instead, and each
// dotted text of a string literal under an old package gets a word rule.
#pragma once

#include <string>
#include <vector>

#include "cli/PackageMap.h"
#include "cli/Report.h"

namespace host {

std::string completeRules(const std::string& rulesText, const std::vector<MissingRule>& missing,
                          const PackageMap& map = PackageMap(),
                          const std::vector<std::string>& words = {});

// Writes text to path. false with the system's reason.
bool writeTextFile(const std::string& path, const std::string& text, std::string& reason);

}  // namespace host
