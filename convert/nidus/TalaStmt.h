// TalaStmt: statement conversion. Drives the statements of a body (braces
// and indentation rebuilt from the host's levels), writes each statement
// unchanged or rebuilt from its converted nodes, and applies the class,
// member, method, argument-list, driver-string and word rules to the nodes.
// Uses the import, node-test, comment and token-writer layers below.
#pragma once

#include <string>

#include "TalaImport.h"

namespace tala {

class TalaStmt : public TalaImport {
public:
    explicit TalaStmt(IConvertHost* host);

protected:
    ~TalaStmt() = default;

    // Per-statement callback of a body: 0 to go on, -1 on failure.
    int onStatement(IStmt* stmt);
    // Writes one statement: indentation, the statement, its separator.
    int outputStatement(IStmt* stmt, const std::string& firstWord);
    // Rebuilds a statement from its nodes as one line and counts it.
    int outputStmtCode(IStmt* stmt);
    // The converted text of the element at the cursor; empty on failure. The
    // cursor is left on the element's last node.
    std::string getNodeCode(IStmt* stmt, INode* node);
    // Applies the rules to the element's last node; the result stands for
    // the whole element, qualifier included. Empty on failure.
    std::string convertNode(IStmt* stmt, INode* node, const std::string& prefix);
    // The node's text with every word-rule word replaced.
    std::string replaceWords(INode* node);
    // The literal with its driver class replaced, the literal unchanged, or
    // empty when nothing was replaced.
    std::string convertDriverString(IStmt* stmt, INode* node);

    // A case or default label opened a block with a brace of its own.
    bool caseBrace = false;
    std::string prevFirstWord;

private:
    int closeBlocksBefore(IStmt* stmt, const std::string& firstWord);
    int finishStatement(IStmt* stmt, const std::string& firstWord);
    int writeClosingLines(int64_t count, bool joinWhile);
    int lowerDepth();
    void openBrace(IStmt* stmt);
    int blockError();
    bool followsBraceLessHead(IStmt* stmt) const;

    int appendPunctuation(IStmt* stmt, INode* node, const std::string& code, std::string& line,
                          unsigned& angleDepth, int previousKind);
    using RenameLookup = const std::string* (TalaConfig::*)(const std::string&) const;
    std::string convertName(RenameLookup find, const std::string& key, const std::string& name,
                            const std::string& prefix);
    std::string convertMethodCall(IStmt* stmt, INode* node, const std::string& key,
                                  const std::string& name, const std::string& prefix);
    int collectArguments(IStmt* stmt, INode* node, std::vector<std::string>& arguments);
    std::string buildCall(const MethodRule& rule, const std::vector<std::string>& arguments);
    std::string askDriverQuestion(IStmt* stmt, INode* node, const std::string& text,
                                  const std::string& className);

    // Rebuilt calls nested inside the current one; bounded so that hostile
    // input fails the statement instead of exhausting the stack.
    unsigned callNesting = 0;
    // Set when the user declined to go on at a driver string: the element
    // fails instead of falling back to the word rules.
    bool driverDeclined = false;
};

}  // namespace tala
