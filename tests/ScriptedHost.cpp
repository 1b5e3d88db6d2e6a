// The scripted host: statements, nodes and tokens served from descriptions.
#include "ScriptedHost.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ostream>

namespace nidustest {

namespace {

const char* const kOperators[] = {">>>=", ">>>", "<<=", ">>=", "...", "->", "::", "++", "--",
                                  "&&",   "||",  "==",  "!=",  "<=",  ">=", "+=", "-=", "*=",
                                  "/=",   "%=",  "&=",  "|=",  "^=",  "<<", ">>"};

bool isWordByte(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

bool isBracketText(const std::string& text) {
    return text == "(" || text == ")" || text == "[" || text == "]" || text == "{" || text == "}";
}

size_t quotedEnd(const std::string& source, size_t start) {
    char quote = source[start];
    size_t i = start + 1;
    while (i < source.size() && source[i] != quote) i += source[i] == '\\' ? 2 : 1;
    return i < source.size() ? i + 1 : source.size();
}

size_t tokenEnd(const std::string& source, size_t start) {
    unsigned char c = static_cast<unsigned char>(source[start]);
    if (c == '"' || c == '\'') return quotedEnd(source, start);
    if (isWordByte(c)) {
        size_t i = start;
        while (i < source.size() && isWordByte(static_cast<unsigned char>(source[i]))) ++i;
        return i;
    }
    for (const char* op : kOperators) {
        if (source.compare(start, std::strlen(op), op) == 0) return start + std::strlen(op);
    }
    return start + 1;
}

// One node as the plug-in sees it: a view of a description. Nodes it hands
// out (operands, left and right) come from the statement's arena.
class Arena;

class NodeView : public tala::INode {
public:
    NodeView(Arena& arena, const NodeSpec* desc) : arena(arena), desc(desc) {}
    virtual ~NodeView() = default;

    std::string getText() override { return current()->text; }
    std::string getFullText() override { return current()->fullText; }
    int getType() override { return current()->type; }
    int getSubType() override { return current()->subType; }
    std::string getQualifiedName() override { return current()->qualifiedName; }
    tala::INode* getLeft() override { return child(current()->left); }
    tala::INode* getRight() override { return child(current()->right); }
    int prepareOperand() override { return 0; }
    tala::INode* getOperand() override { return child(current()->operand); }
    void releaseNode(tala::INode* node) override;

protected:
    virtual const NodeSpec* current() const { return desc; }
    tala::INode* child(const std::shared_ptr<NodeSpec>& childDesc);

    Arena& arena;
    const NodeSpec* desc;
};

// The cursor of getFirstNode: moved in place by nextNode and prevNode.
class Cursor : public NodeView {
public:
    Cursor(Arena& arena, const std::vector<NodeSpec>& list)
        : NodeView(arena, nullptr), list(list) {}
    size_t index = 0;
    const std::vector<NodeSpec>& list;

protected:
    const NodeSpec* current() const override { return &list[index]; }
};

class TokenView : public tala::IToken {
public:
    TokenView(const TokenSpec& desc, bool first) : desc(desc), first(first) {}
    virtual ~TokenView() = default;
    std::string getText() override { return desc.text; }
    bool isBracket() override { return desc.bracket; }
    bool hasNewLine() override { return desc.newLine; }
    bool hasBlank() override { return desc.blank; }
    int hasPrev() override { return first ? 0 : 1; }

private:
    const TokenSpec& desc;
    bool first;
};

// Owns every object handed out while one statement is served, and reports
// the ones not given back when the statement is done.
class Arena {
public:
    explicit Arena(Discipline& discipline) : discipline(discipline) {}
    ~Arena() {
        for (const auto& object : nodes) {
            if (discipline.isOutstanding(object.get()))
                discipline.misuse("node not given back: " + object->getText());
        }
        for (const auto& object : tokens) {
            if (discipline.isOutstanding(object.get()))
                discipline.misuse("token not given back: " + object->getText());
        }
    }

    template <typename T, typename... Args>
    T* makeNode(const void* owner, Args&&... args) {
        auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = object.get();
        nodes.push_back(std::move(object));
        discipline.obtained(raw, owner);
        return raw;
    }

    TokenView* makeToken(const void* owner, const TokenSpec& desc, bool first) {
        tokens.push_back(std::make_unique<TokenView>(desc, first));
        discipline.obtained(tokens.back().get(), owner);
        return tokens.back().get();
    }

    Cursor* findCursor(tala::INode* node) {
        for (const auto& object : nodes) {
            if (object.get() == node) return dynamic_cast<Cursor*>(object.get());
        }
        return nullptr;
    }

    Discipline& discipline;

private:
    std::vector<std::unique_ptr<NodeView>> nodes;
    std::vector<std::unique_ptr<TokenView>> tokens;
};

void NodeView::releaseNode(tala::INode* node) {
    arena.discipline.released(node, this);
}

tala::INode* NodeView::child(const std::shared_ptr<NodeSpec>& childDesc) {
    if (!childDesc) return nullptr;
    return arena.makeNode<NodeView>(this, childDesc.get());
}

class FakeStmt : public tala::IStmt {
public:
    FakeStmt(const StmtSpec& desc, Discipline& discipline) : desc(desc), arena(discipline) {}
    virtual ~FakeStmt() = default;

    int getLine() override { return desc.line; }
    int getPrevLine() override { return desc.prevLine; }
    int getNextLine() override { return desc.nextLine; }
    int prepareNodes() override {
        noteMode = false;
        return 0;
    }
    int prepareNote() override {
        noteMode = true;
        return 0;
    }

    int traverseNode(std::function<int(tala::INode*)> callback) override {
        int result = 0;
        for (size_t i = 0; i < desc.nodes.size(); ++i) {
            Cursor view(arena, desc.nodes);
            view.index = i;
            int answer = callback(&view);
            if (answer < 0) return -1;
            if (answer > result) result = answer;
        }
        return result;
    }

    tala::INode* getFirstNode() override {
        const std::vector<NodeSpec>& list = noteMode ? desc.noteNodes : desc.nodes;
        if (list.empty()) return nullptr;
        return arena.makeNode<Cursor>(this, list);
    }

    int nextNode(tala::INode* node) override {
        Cursor* cursor = usableCursor(node, "nextNode");
        if (cursor == nullptr || cursor->index + 1 >= cursor->list.size()) return 1;
        ++cursor->index;
        return 0;
    }

    int prevNode(tala::INode* node) override {
        Cursor* cursor = usableCursor(node, "prevNode");
        if (cursor == nullptr || cursor->index == 0) return 1;
        --cursor->index;
        return 0;
    }

    void releaseNode(tala::INode* node) override { arena.discipline.released(node, this); }
    int getNoteType() override { return desc.noteType; }

    int hasPrevNode(tala::INode* node) override {
        Cursor* cursor = usableCursor(node, "hasPrevNode");
        return cursor != nullptr && cursor->index > 0 ? 1 : 0;
    }

    int traverseToken(std::function<int(tala::IToken*)> callback) override {
        for (size_t i = 0; i < desc.tokens.size(); ++i) {
            TokenView view(desc.tokens[i], i == 0);
            if (callback(&view) != 0) return -1;
        }
        return 0;
    }

    tala::IToken* getFirstToken() override {
        if (desc.tokens.empty()) return nullptr;
        return arena.makeToken(this, desc.tokens.front(), true);
    }

    tala::IToken* getLastToken() override {
        if (!desc.hasLastToken) return nullptr;
        return arena.makeToken(this, desc.lastToken, false);
    }

    void releaseToken(tala::IToken* token) override { arena.discipline.released(token, this); }
    int getLevel() override { return desc.level; }
    int getPrevLevel() override { return desc.prevLevel; }
    int getNextLevel() override { return desc.nextLevel; }
    int getType() override { return desc.type; }

private:
    Cursor* usableCursor(tala::INode* node, const char* operation) {
        Cursor* cursor = arena.findCursor(node);
        if (cursor == nullptr || !arena.discipline.isOutstanding(cursor)) {
            arena.discipline.misuse(std::string(operation) + " with a node that is no live cursor");
            return nullptr;
        }
        return cursor;
    }

    const StmtSpec& desc;
    Arena arena;
    bool noteMode = false;
};

}  // namespace

std::vector<TokenSpec> tokenize(const std::string& source) {
    std::vector<TokenSpec> tokens;
    size_t i = 0;
    bool blank = false;
    bool newLine = false;
    while (i < source.size()) {
        char c = source[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            blank = true;
            newLine = newLine || c == '\n';
            ++i;
            continue;
        }
        size_t end = tokenEnd(source, i);
        TokenSpec token;
        token.text = source.substr(i, end - i);
        token.blank = blank;
        token.newLine = newLine;
        token.bracket = isBracketText(token.text);
        tokens.push_back(token);
        blank = newLine = false;
        i = end;
    }
    return tokens;
}

NodeSpec node(int type, const std::string& text, const std::string& qualifiedName) {
    NodeSpec desc;
    desc.type = type;
    desc.text = text;
    desc.fullText = text;
    desc.qualifiedName = qualifiedName;
    return desc;
}

NodeSpec noteNode(const std::string& fullText) {
    NodeSpec desc = node(tala::kNodeNote, fullText);
    desc.fullText = fullText;
    return desc;
}

std::vector<NodeSpec> parseNodes(const std::string& description) {
    std::vector<NodeSpec> nodes;
    size_t i = 0;
    while (i < description.size()) {
        if (description[i] == ' ') {
            ++i;
            continue;
        }
        size_t itemEnd = description[i] == '"' ? quotedEnd(description, i) : i;
        itemEnd = description.find(' ', itemEnd);
        if (itemEnd == std::string::npos) itemEnd = description.size();
        std::string item = description.substr(i, itemEnd - i);
        i = itemEnd;
        std::string qualified;
        size_t at = item.rfind('@');
        size_t colon = item.rfind(':', at == std::string::npos ? std::string::npos : at);
        if (at != std::string::npos && at > colon) {
            qualified = item.substr(at + 1);
            item.resize(at);
        }
        nodes.push_back(
            node(std::atoi(item.c_str() + colon + 1), item.substr(0, colon), qualified));
    }
    return nodes;
}

StmtSpec statement(const std::string& source) {
    StmtSpec desc;
    desc.tokens = tokenize(source);
    return desc;
}

StmtSpec& StmtSpec::kind(int statementType) {
    type = statementType;
    return *this;
}

StmtSpec& StmtSpec::levels(int levelValue, int prev, int next) {
    level = levelValue;
    prevLevel = prev;
    nextLevel = next;
    return *this;
}

StmtSpec& StmtSpec::lines(int lineValue, int prev, int next) {
    line = lineValue;
    prevLine = prev;
    nextLine = next;
    return *this;
}

StmtSpec& StmtSpec::withNodes(const std::string& description) {
    for (const NodeSpec& desc : parseNodes(description)) nodes.push_back(desc);
    return *this;
}

StmtSpec& StmtSpec::withNode(const NodeSpec& desc) {
    nodes.push_back(desc);
    return *this;
}

StmtSpec& StmtSpec::note(const NodeSpec& root, int type) {
    noteNodes = {root};
    noteType = type;
    return *this;
}

StmtSpec& StmtSpec::noteKind(int type) {
    noteType = type;
    return *this;
}

StmtSpec& StmtSpec::last(const std::string& text) {
    hasLastToken = true;
    lastToken.text = text;
    lastToken.blank = false;
    return *this;
}

bool operator==(const LogLine& a, const LogLine& b) {
    return a.message == b.message && a.detail == b.detail && a.file == b.file && a.line == b.line;
}

bool operator==(const MessageBoxCall& a, const MessageBoxCall& b) {
    return a.text == b.text && a.caption == b.caption && a.flags == b.flags;
}

std::ostream& operator<<(std::ostream& out, const LogLine& line) {
    return out << "{\"" << line.message << "\", \"" << line.detail << "\", " << line.file << ":"
               << line.line << "}";
}

std::ostream& operator<<(std::ostream& out, const MessageBoxCall& box) {
    return out << "{text \"" << box.text << "\", caption \"" << box.caption << "\", flags 0x"
               << std::hex << box.flags << std::dec << "}";
}

MessageBoxes& messageBoxes() {
    static MessageBoxes boxes;
    return boxes;
}

void Discipline::obtained(const void* object, const void* owner) {
    owners[object] = owner;
}

void Discipline::released(const void* object, const void* owner) {
    auto found = owners.find(object);
    if (found == owners.end()) {
        misuse("given back an object it does not hold");
        return;
    }
    if (found->second != owner) misuse("given back to the wrong object");
    owners.erase(found);
}

bool Discipline::isOutstanding(const void* object) const {
    return owners.count(object) != 0;
}

void Discipline::misuse(const std::string& what) {
    problems.push_back(what);
}

int ScriptedHost::hasStmt() {
    return body.empty() ? 0 : 1;
}

int ScriptedHost::traverseStmt(std::function<int(tala::IStmt*)> callback) {
    for (const StmtSpec& desc : body) {
        FakeStmt stmt(desc, discipline);
        ++statementsVisited;
        if (callback(&stmt) != 0) return -1;
    }
    return 0;
}

void ScriptedHost::writeLog(const std::string& message, const std::string& detail,
                            const std::string& file, int line) {
    log.push_back({message, detail, file, line});
}

int ScriptedHost::convertStmt(tala::IConvert* plugin, const StmtSpec& desc) {
    FakeStmt stmt(desc, discipline);
    return plugin->convertStmt(&stmt);
}

int answerMessageBox(const char* text, const char* caption, unsigned flags) {
    MessageBoxes& boxes = messageBoxes();
    boxes.shown.push_back({text, caption, flags});
    if (!boxes.answers.empty()) {
        int answer = boxes.answers.front();
        boxes.answers.pop_front();
        return answer;
    }
    return (flags & 0x0F) == 0x04 ? tala::kAnswerYes : tala::kAnswerOk;
}

}  // namespace nidustest
