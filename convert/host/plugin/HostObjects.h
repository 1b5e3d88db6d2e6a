// HostObjects: the host side of the plug-in contract. Statements, node
// cursors and tokens over a JavaSource's leaves, and the host service that
// serves the current file, its current body and the log.
#pragma once

#include <string>
#include <vector>

#include "IConvert.h"
#include "plugin/Steps.h"
#include "syntax/JavaSource.h"

namespace host {

// One log line of the plug-in with its source place.
struct LogLine {
    std::string message;
    std::string file;
    int line = 0;
};

class HostStatement : public tala::IStmt {
public:
    HostStatement(const std::vector<Leaf>& leaves, const Statement& statement);

    int getLine() override;
    int getPrevLine() override;
    int getNextLine() override;
    int prepareNodes() override;
    int prepareNote() override;
    int traverseNode(std::function<int(tala::INode*)> callback) override;
    tala::INode* getFirstNode() override;
    int nextNode(tala::INode* cursor) override;
    int prevNode(tala::INode* cursor) override;
    void releaseNode(tala::INode* node) override;
    int getNoteType() override;
    int hasPrevNode(tala::INode* node) override;
    int traverseToken(std::function<int(tala::IToken*)> callback) override;
    tala::IToken* getFirstToken() override;
    tala::IToken* getLastToken() override;
    void releaseToken(tala::IToken* token) override;
    int getLevel() override;
    int getPrevLevel() override;
    int getNextLevel() override;
    int getType() override;

    // Host objects handed out and not given back yet.
    int outstanding() const { return handedOut; }

    virtual ~HostStatement() = default;

private:
    const std::vector<Leaf>& leaves;
    const Statement& statement;
    int handedOut = 0;
    // The statement's tokens: its leaves, with a leading else and if made
    // one token "else if".
    std::vector<size_t> tokenStarts;
    bool elseIf = false;
};

class Host : public tala::IConvertHost {
public:
    Host(std::string sourceRoot, std::string outputRoot, std::string language);

    // The file now converted: its directory below the root ("" or ending
    // in "/") and name; its leaves for the bodies.
    void setFile(const std::string& relativeDir, const std::string& name,
                 const std::vector<Leaf>* leaves);
    void setBody(const std::vector<Statement>* body) { currentBody = body; }
    // The first line of the statement the plug-in converts now (0 before
    // the first): where its questions come from.
    void enterStatement(const Statement& statement);
    int lineInHand() const { return line; }
    void setConverter(tala::IConvert* converter) { convert = converter; }

    std::vector<LogLine> takeLog();
    // The statement of the current file that failed first: its leaves
    // [first, last). false when none did.
    void noteFailure(const Statement& statement);
    bool failedStatement(size_t& first, size_t& last) const;
    int outstanding() const { return leaked; }

    int hasStmt() override;
    int traverseStmt(std::function<int(tala::IStmt*)> callback) override;
    std::string getSrcPath() override { return sourceRoot; }
    std::string getOutPath() override { return outputRoot; }
    std::string getRelPath() override { return relativeDir; }
    std::string getFileName() override { return fileName; }
    std::string getLanguage() override { return language; }
    void writeLog(const std::string& message, const std::string& detail, const std::string& file,
                  int line) override;

    virtual ~Host() = default;

private:
    std::string sourceRoot;
    std::string outputRoot;
    std::string language;
    std::string relativeDir;
    std::string fileName;
    const std::vector<Leaf>* leaves = nullptr;
    const std::vector<Statement>* currentBody = nullptr;
    tala::IConvert* convert = nullptr;
    std::vector<LogLine> log;
    int leaked = 0;
    const Statement* failed = nullptr;
    int line = 0;
};

}  // namespace host
