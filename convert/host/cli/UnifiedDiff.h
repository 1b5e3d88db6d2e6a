// UnifiedDiff: the difference of two texts as a unified diff with three
// lines of context, as patch -p1 and git apply take it.
#pragma once

#include <string>

namespace host {

// The diff of before and after for the file at rel ("a/REL", "b/REL");
// empty when the texts are equal.
std::string unifiedDiff(const std::string& before, const std::string& after,
                        const std::string& rel);

}  // namespace host
