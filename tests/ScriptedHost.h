// The scripted host: a fake conversion host for the plug-in's tests. It
// serves statements, nodes and tokens from compact descriptions, records log
// lines and message boxes, answers questions from a queue, and checks that
// every node and token the plug-in obtains is given back exactly once.
#pragma once

#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "IConvert.h"

namespace nidustest {

struct TokenSpec {
    std::string text;
    bool newLine = false;
    bool blank = false;
    bool bracket = false;
};

// Splits source text into tokens with the flags a parsing host gives them:
// a blank before a token that follows white space, a line break when that
// white space holds one, the bracket flag for ( ) [ ] { }.
std::vector<TokenSpec> tokenize(const std::string& source);

struct NodeSpec {
    int type = 0;
    int subType = 0;
    std::string text;
    std::string fullText;
    std::string qualifiedName;
    std::shared_ptr<NodeSpec> left;
    std::shared_ptr<NodeSpec> right;
    std::shared_ptr<NodeSpec> operand;
};

NodeSpec node(int type, const std::string& text, const std::string& qualifiedName = "");
NodeSpec noteNode(const std::string& fullText);

// Nodes from "text:kind" items separated by blanks; "text:kind@qualified"
// sets the qualified name. An item starting with a double quote runs to the
// closing quote, so string literals may hold blanks: "\"a b\":5".
std::vector<NodeSpec> parseNodes(const std::string& description);

struct StmtSpec {
    int type = 0;
    int level = 1;
    int prevLevel = 1;
    int nextLevel = -1;
    int line = -1;
    int prevLine = -1;
    int nextLine = -1;
    std::vector<TokenSpec> tokens;
    std::vector<NodeSpec> nodes;
    int noteType = 0;
    std::vector<NodeSpec> noteNodes;
    bool hasLastToken = false;
    TokenSpec lastToken;

    StmtSpec& kind(int statementType);
    StmtSpec& levels(int levelValue, int prev, int next);
    StmtSpec& lines(int lineValue, int prev, int next);
    StmtSpec& withNodes(const std::string& description);
    StmtSpec& withNode(const NodeSpec& desc);
    StmtSpec& note(const NodeSpec& root, int type = 1);
    StmtSpec& noteKind(int type);
    StmtSpec& last(const std::string& text);
};

// A statement whose tokens come from source text.
StmtSpec statement(const std::string& source);

struct LogLine {
    std::string message;
    std::string detail;
    std::string file;
    int line;
};

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned flags;
};

// Whole-record comparisons, so that a test asserts log lines and message
// boxes in one expectation; printed field by field when one fails.
bool operator==(const LogLine& a, const LogLine& b);
bool operator==(const MessageBoxCall& a, const MessageBoxCall& b);
std::ostream& operator<<(std::ostream& out, const LogLine& line);
std::ostream& operator<<(std::ostream& out, const MessageBoxCall& box);

// Message boxes the plug-in showed through the exported MessageBoxA, and
// the answers to give; without a scripted answer a box answers OK (1), or
// Yes (6) when it asks a question.
struct MessageBoxes {
    std::vector<MessageBoxCall> shown;
    std::deque<int> answers;
};
MessageBoxes& messageBoxes();
// Records one box and gives its answer; the MessageBoxA that the test
// program exports to the plug-in (TestPlatform.cpp) calls it.
int answerMessageBox(const char* text, const char* caption, unsigned flags);

// Counts the host objects handed to the plug-in and given back, and records
// every misuse: an object given back twice, to the wrong owner, or one that
// was passed to a callback and is not the plug-in's to give back.
class Discipline {
public:
    void obtained(const void* object, const void* owner);
    void released(const void* object, const void* owner);
    void misuse(const std::string& what);
    bool isOutstanding(const void* object) const;
    size_t outstanding() const { return owners.size(); }
    const std::vector<std::string>& misuses() const { return problems; }

private:
    std::map<const void*, const void*> owners;
    std::vector<std::string> problems;
};

class ScriptedHost : public tala::IConvertHost {
public:
    std::string srcPath;
    std::string outPath;
    std::string relPath;
    std::string fileName;
    std::string language = "English";
    std::vector<LogLine> log;
    Discipline discipline;
    // The statements served by traverseStmt for the next convertBody.
    std::vector<StmtSpec> body;
    // Statements the plug-in was called back with.
    int statementsVisited = 0;

    int hasStmt() override;
    int traverseStmt(std::function<int(tala::IStmt*)> callback) override;
    std::string getSrcPath() override { return srcPath; }
    std::string getOutPath() override { return outPath; }
    std::string getRelPath() override { return relPath; }
    std::string getFileName() override { return fileName; }
    std::string getLanguage() override { return language; }
    void writeLog(const std::string& message, const std::string& detail, const std::string& file,
                  int line) override;

    // Runs one statement through convertStmt, as a host does for a
    // statement handed on its own.
    int convertStmt(tala::IConvert* plugin, const StmtSpec& desc);

    virtual ~ScriptedHost() = default;
};

}  // namespace nidustest
