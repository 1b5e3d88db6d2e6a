// The binary contract between a conversion host and the nidus plug-in.
// Hosts call these interfaces by slot, so the order of the methods below is
// part of the contract: never reorder, insert or remove a method.
// None of the interfaces has a destructor slot; objects are given back
// through releaseNode / releaseToken, and the converter is never destroyed.
#pragma once

#include <functional>
#include <string>

namespace tala {

struct IToken {
    virtual std::string getText() = 0;
    virtual bool isBracket() = 0;
    virtual bool hasNewLine() = 0;
    virtual bool hasBlank() = 0;
    // Non-zero unless the token is the first one of its statement.
    virtual int hasPrev() = 0;

protected:
    ~IToken() = default;
};

struct INode {
    virtual std::string getText() = 0;
    virtual std::string getFullText() = 0;
    virtual int getType() = 0;
    virtual int getSubType() = 0;
    virtual std::string getQualifiedName() = 0;
    virtual INode* getLeft() = 0;
    virtual INode* getRight() = 0;
    virtual int prepareOperand() = 0;
    virtual INode* getOperand() = 0;
    // Gives back a node obtained from this node (left, right, operand).
    virtual void releaseNode(INode* node) = 0;

protected:
    ~INode() = default;
};

struct IStmt {
    virtual int getLine() = 0;
    virtual int getPrevLine() = 0;
    virtual int getNextLine() = 0;
    virtual int prepareNodes() = 0;
    virtual int prepareNote() = 0;
    // Negative on failure, 0 when every call gave 0, positive otherwise.
    virtual int traverseNode(std::function<int(INode*)> callback) = 0;
    // A cursor over the statement's nodes; null when it has none.
    virtual INode* getFirstNode() = 0;
    // Move the cursor in place; 0 when it moved.
    virtual int nextNode(INode* cursor) = 0;
    virtual int prevNode(INode* cursor) = 0;
    virtual void releaseNode(INode* node) = 0;
    virtual int getNoteType() = 0;
    virtual int hasPrevNode(INode* node) = 0;
    virtual int traverseToken(std::function<int(IToken*)> callback) = 0;
    virtual IToken* getFirstToken() = 0;
    virtual IToken* getLastToken() = 0;
    virtual void releaseToken(IToken* token) = 0;
    virtual int getLevel() = 0;
    virtual int getPrevLevel() = 0;
    // -1 for the last statement of a body.
    virtual int getNextLevel() = 0;
    virtual int getType() = 0;

protected:
    ~IStmt() = default;
};

struct IConvertHost {
    virtual int hasStmt() = 0;
    virtual int traverseStmt(std::function<int(IStmt*)> callback) = 0;
    virtual std::string getSrcPath() = 0;
    virtual std::string getOutPath() = 0;
    virtual std::string getRelPath() = 0;
    virtual std::string getFileName() = 0;
    virtual std::string getLanguage() = 0;
    virtual void writeLog(const std::string& message, const std::string& detail,
                          const std::string& file, int line) = 0;

protected:
    ~IConvertHost() = default;
};

struct IConvert {
    virtual int convertBody(int mode) = 0;
    virtual int convertStmt(IStmt* stmt) = 0;
    virtual int outputText(const std::string& text) = 0;
    virtual int beginFile() = 0;
    virtual int reserved1() = 0;
    virtual int reserved2() = 0;
    virtual int reserved3(int first, int second) = 0;
    virtual int endFile() = 0;
    virtual int beginBlock() = 0;
    virtual int endBlock() = 0;

protected:
    ~IConvert() = default;
};

// Node kinds, statement kinds and convertBody modes as hosts report them.
enum NodeKind {
    kNodeOperator = 4,
    kNodeString = 5,
    kNodeKeyword = 7,
    kNodeClassRef = 11,
    kNodeMember = 12,
    kNodeMemberAlt = 13,
    kNodeMethod = 14,
    kNodeName = 16,
    kNodeClass = 24,
    kNodeNote = 27,
};

enum StmtKind {
    kStmtUnchanged = 3,
    kStmtKeepFile = 4,
    kStmtImport = 11,
};

enum BodyMode {
    kBodyClosed = 0,
    kBodyOpen = 2,
};

// Message box flags and answers, the Windows values.
enum MessageFlags : unsigned {
    kBoxOk = 0x0,
    kBoxWarning = 0x30,
    kBoxQuestion = 0x24,
};

enum MessageAnswer {
    kAnswerOk = 1,
    kAnswerYes = 6,
    kAnswerNo = 7,
};

}  // namespace tala

// The library's one export, C linkage and C calling convention.
extern "C" tala::IConvert* registConvert(tala::IConvertHost* host);
