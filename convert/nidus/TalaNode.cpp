// TalaNode: whether a node falls under the rules.
#include "TalaNode.h"

#include <functional>

namespace tala {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// True when key occurs in text as a whole: no neighbour of the occurrence
// (where there is one) is a byte that joins() would join to it.
template <typename Joins>
bool occursWhole(const std::string& text, const std::string& key, Joins joins) {
    for (size_t found = text.find(key); found != std::string::npos;
         found = text.find(key, found + 1)) {
        if (found > 0 && joins(text[found - 1])) continue;
        size_t end = found + key.size();
        if (end < text.size() && joins(text[end])) continue;
        return true;
    }
    return false;
}

}  // namespace

TalaNode::TalaNode(IConvertHost* host) : TalaNote(host) {}

int TalaNode::checkStmtNodes(IStmt* stmt) {
    stmt->prepareNodes();
    std::function<int(INode*)> callback =
        std::bind(&TalaNode::checkNode, this, std::placeholders::_1);
    return stmt->traverseNode(callback);
}

int TalaNode::checkNode(INode* node) {
    switch (node->getType()) {
    case kNodeString: {
        std::string text = node->getText();
        std::string content = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
        if (findPackageKeyword(content)) return kRuleMatch;
        return findWordKeyword(text) ? kWordMatch : kNoMatch;
    }
    case kNodeClassRef:
    case kNodeMember:
    case kNodeMemberAlt:
    case kNodeMethod:
        return findPackageKeyword(node->getQualifiedName()) ? kRuleMatch : kNoMatch;
    case kNodeName: {
        std::string text = node->getText();
        for (const std::string& keyword : packageKeywords) {
            if (text == keyword) return kRuleMatch;
        }
        return kNoMatch;
    }
    case kNodeClass:
        return findClassRule(node->getText()) != nullptr ? kRuleMatch : kNoMatch;
    default:
        return kNoMatch;
    }
}

bool TalaNode::findPackageKeyword(const std::string& text) const {
    auto notDot = [](char c) { return c != '.'; };
    for (const std::string& keyword : packageKeywords) {
        if (occursWhole(text, keyword, notDot)) return true;
    }
    return false;
}

bool TalaNode::findWordKeyword(const std::string& text) const {
    for (const auto& rule : wordRules) {
        if (occursWhole(text, rule.first, isWordChar)) return true;
    }
    return false;
}

bool TalaNode::isWordChar(char c) {
    return c == '.' || c == '_' || isAsciiLetter(c);
}

}  // namespace tala
