// TalaNode: the node test. Decides per node, and so per statement, whether
// the rules concern it: package keywords as whole dot-separated parts, class
// rules for stand-alone class names, word rules as whole words in string
// literals. Uses the rule tables of TalaConfig.
#pragma once

#include <string>

#include "TalaNote.h"

namespace tala {

class TalaNode : public TalaNote {
public:
    explicit TalaNode(IConvertHost* host);

protected:
    ~TalaNode() = default;

    // Negative on failure, 0 when no node of the statement falls under the
    // rules, positive when one does.
    int checkStmtNodes(IStmt* stmt);

    enum NodeMatch { kNoMatch = 0, kRuleMatch = 1, kWordMatch = 2 };
    // 0: no match; 1: a package keyword or class rule; 2: a word rule inside
    // a string literal.
    int checkNode(INode* node);
    // True when a package keyword stands in text as whole dot-separated parts.
    bool findPackageKeyword(const std::string& text) const;
    // True when a word-rule key stands in text as a whole word.
    bool findWordKeyword(const std::string& text) const;
    // Letters, "_" and "." join a word to its neighbours; digits do not.
    static bool isWordChar(char c);
};

}  // namespace tala
