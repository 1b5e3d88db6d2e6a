// HostObjects: statements, node cursors, tokens and the host service.
#include "plugin/HostObjects.h"

#include <utility>

namespace host {

namespace {

// A node cursor: it stands on one leaf of its statement and moves in place.
class NodeCursor : public tala::INode {
public:
    NodeCursor(const std::vector<Leaf>& leaves, const Statement& statement)
        : leaves(leaves),
          first(statement.first),
          last(statement.last),
          at(statement.first),
          withoutComments(statement.withoutComments) {}

    std::string getText() override { return nodeTextOf(leaf()); }
    std::string getFullText() override { return nodeTextOf(leaf()); }
    int getType() override { return leaf().kind; }
    int getSubType() override { return 0; }
    std::string getQualifiedName() override { return leaf().qualified; }
    // The host hands out no expression tree: a statement's nodes are a row.
    tala::INode* getLeft() override { return nullptr; }
    tala::INode* getRight() override { return nullptr; }
    int prepareOperand() override { return 0; }
    tala::INode* getOperand() override { return nullptr; }
    void releaseNode(tala::INode*) override {}

    bool forward() {
        size_t next = at + 1;
        while (next < last && leftOut(next)) ++next;
        if (next >= last) return false;
        at = next;
        return true;
    }
    bool back() {
        size_t previous = at;
        while (previous > first && leftOut(previous - 1)) --previous;
        if (previous <= first) return false;
        at = previous - 1;
        return true;
    }
    bool atFirst() const { return at == first; }

    virtual ~NodeCursor() = default;

private:
    const std::vector<Leaf>& leaves;
    size_t first;
    size_t last;
    size_t at;
    bool withoutComments;

    const Leaf& leaf() const { return leaves[at]; }
    bool leftOut(size_t index) const { return withoutComments && leaves[index].comment; }
};

class Token : public tala::IToken {
public:
    Token(const Leaf& leaf, std::string text, bool first)
        : leaf(leaf), text(std::move(text)), first(first) {}

    std::string getText() override { return text; }
    bool isBracket() override { return leaf.bracket; }
    bool hasNewLine() override { return leaf.newLine; }
    bool hasBlank() override { return leaf.blank; }
    int hasPrev() override { return first ? 0 : 1; }

    virtual ~Token() = default;

private:
    const Leaf& leaf;
    std::string text;
    bool first;
};

constexpr int kNoNote = 0;

}  // namespace

HostStatement::HostStatement(const std::vector<Leaf>& leaves, const Statement& statement)
    : leaves(leaves), statement(statement) {
    tokenStarts.reserve(statement.last - statement.first);
    size_t at = statement.first;
    if (statement.last - statement.first >= 2 && leaves[at].text == "else" &&
        leaves[at + 1].text == "if") {
        elseIf = true;
        tokenStarts.push_back(at);
        at += 2;
    }
    for (; at < statement.last; ++at) {
        if (!(statement.withoutComments && leaves[at].comment)) tokenStarts.push_back(at);
    }
}

int HostStatement::getLine() {
    return leaves[statement.first].line;
}

int HostStatement::getPrevLine() {
    return statement.prevLine;
}

int HostStatement::getNextLine() {
    return statement.nextLine;
}

int HostStatement::prepareNodes() {
    return 0;
}

int HostStatement::prepareNote() {
    return 0;
}

int HostStatement::traverseNode(std::function<int(tala::INode*)> callback) {
    NodeCursor cursor(leaves, statement);
    if (statement.last == statement.first) return 0;
    do {
        int result = callback(&cursor);
        if (result < 0) return result;
        if (result > 0) return result;
    } while (cursor.forward());
    return 0;
}

tala::INode* HostStatement::getFirstNode() {
    if (statement.last == statement.first) return nullptr;
    ++handedOut;
    return new NodeCursor(leaves, statement);
}

int HostStatement::nextNode(tala::INode* cursor) {
    return static_cast<NodeCursor*>(cursor)->forward() ? 0 : -1;
}

int HostStatement::prevNode(tala::INode* cursor) {
    return static_cast<NodeCursor*>(cursor)->back() ? 0 : -1;
}

void HostStatement::releaseNode(tala::INode* node) {
    if (node == nullptr) return;
    --handedOut;
    delete static_cast<NodeCursor*>(node);
}

int HostStatement::getNoteType() {
    // Comments reach the plug-in as statements and tokens, never as notes.
    return kNoNote;
}

int HostStatement::hasPrevNode(tala::INode* node) {
    return static_cast<NodeCursor*>(node)->atFirst() ? 0 : 1;
}

int HostStatement::traverseToken(std::function<int(tala::IToken*)> callback) {
    for (size_t i = 0; i < tokenStarts.size(); ++i) {
        const Leaf& leaf = leaves[tokenStarts[i]];
        Token token(leaf, i == 0 && elseIf ? "else if" : leaf.text, i == 0);
        if (callback(&token) != 0) return -1;
    }
    return 0;
}

tala::IToken* HostStatement::getFirstToken() {
    if (tokenStarts.empty()) return nullptr;
    ++handedOut;
    const Leaf& leaf = leaves[tokenStarts[0]];
    return new Token(leaf, elseIf ? "else if" : leaf.text, true);
}

tala::IToken* HostStatement::getLastToken() {
    // Every token of a statement is one of its nodes: nothing comes after.
    return nullptr;
}

void HostStatement::releaseToken(tala::IToken* token) {
    if (token == nullptr) return;
    --handedOut;
    delete static_cast<Token*>(token);
}

int HostStatement::getLevel() {
    return statement.level;
}

int HostStatement::getPrevLevel() {
    return statement.prevLevel;
}

int HostStatement::getNextLevel() {
    return statement.nextLevel;
}

int HostStatement::getType() {
    return statement.kind;
}

Host::Host(std::string sourceRoot, std::string outputRoot, std::string language)
    : sourceRoot(std::move(sourceRoot)),
      outputRoot(std::move(outputRoot)),
      language(std::move(language)) {}

void Host::setFile(const std::string& dir, const std::string& name,
                   const std::vector<Leaf>* fileLeaves) {
    relativeDir = dir;
    fileName = name;
    leaves = fileLeaves;
    currentBody = nullptr;
    failed = nullptr;
    line = 0;
}

void Host::noteFailure(const Statement& statement) {
    if (failed == nullptr) failed = &statement;
}

bool Host::failedStatement(size_t& first, size_t& last) const {
    if (failed == nullptr) return false;
    first = failed->first;
    last = failed->last;
    return true;
}

std::vector<LogLine> Host::takeLog() {
    std::vector<LogLine> lines;
    lines.swap(log);
    return lines;
}

int Host::hasStmt() {
    return currentBody != nullptr && !currentBody->empty() ? 1 : 0;
}

int Host::traverseStmt(std::function<int(tala::IStmt*)> callback) {
    if (currentBody == nullptr || leaves == nullptr) return 0;
    for (const Statement& statement : *currentBody) {
        // An empty line of the source before the statement.
        if (convert != nullptr && (*leaves)[statement.first].blankLine) convert->outputText("\n");
        HostStatement stmt(*leaves, statement);
        enterStatement(statement);
        int result = callback(&stmt);
        leaked += stmt.outstanding();
        if (result != 0) {
            noteFailure(statement);
            return -1;
        }
    }
    return 0;
}

void Host::enterStatement(const Statement& statement) {
    if (leaves != nullptr && statement.first < leaves->size()) line = (*leaves)[statement.first].line;
}

void Host::writeLog(const std::string& message, const std::string&, const std::string& file,
                    int line) {
    log.push_back(LogLine{message, file, line});
}

}  // namespace host
