// TalaStmt: statement driver, node code rendering, method calls with their
// argument lists, driver strings and word replacement.
#include "TalaStmt.h"

#include <cstdint>
#include <functional>

namespace tala {

namespace {

constexpr char kLayer[] = "TalaStmt";

// The log lines of the node rendering are fixed: hosts know them by number.
constexpr int kLineFirstNodeNull = 190;
constexpr int kLineNodeCodeNull = 202;
constexpr int kLineBraceFail = 268;

constexpr char kFileMatchingError[] = "File matching error!";
constexpr char kCaptionError[] = "error";
constexpr char kCaptionMessage[] = "Message";
constexpr char kDefaultEmpty[] = "Default value is empty!";
constexpr char kDefaultEmptyZh[] = "\xC4\xAC\xC8\xCF\xD6\xB5\xCE\xAA\xBF\xD5!";
constexpr char kParamConfigError[] = "Parameter replacement configuration error!";
constexpr char kParamConfigErrorZh[] =
    "\xB2\xCE\xCA\xFD\xCC\xE6\xBB\xBB\xC5\xE4\xD6\xC3\xB4\xED\xCE\xF3!";

constexpr char kQuestionBegin[] = "There is no replacement configured for '";
constexpr char kQuestionMiddle[] = "' in the ";
constexpr char kQuestionEnd[] = "\nContinue conversion?";
constexpr char kQuestionZhBegin[] = "\xD4\xDA ";
constexpr char kQuestionZhMiddle[] = " \xD6\xD0\xA3\xAC\xC3\xBB\xD3\xD0\xC5\xE4\xD6\xC3 ";
constexpr char kQuestionZhEnd[] =
    " \xB6\xD4\xD3\xA6\xB5\xC4\xD7\xAA\xBB\xBB\xCF\xEE\xA3\xA1\n"
    "\xCA\xC7\xB7\xF1\xBC\xCC\xD0\xF8\xD7\xAA\xBB\xBB?";

constexpr char kCase[] = "case";
constexpr char kDefault[] = "default";
constexpr char kCloseBrace[] = "}";
constexpr char kOpenBrace[] = "{";
constexpr char kWhile[] = "while";
constexpr char kSwitch[] = "switch";
constexpr const char* kBraceLessHeads[] = {"if", "for", "else", "else if"};

constexpr int kLastStatement = -1;
constexpr int kNotSet = -1;
constexpr char kTypeCode[] = "code";
// Deep enough for any hand-written code, far below what exhausts a stack.
constexpr unsigned kMaxCallNesting = 256;

// The element texts written with one blank on each side.
constexpr const char* kOperatorTexts[] = {"+",  "-",  "*",  "/",  "=",  "?",  ":",   "|",   "&",
                                          ">",  "<",  "==", "!=", "+=", "-=", "/=",  "%=",  "|=",
                                          "&=", "^=", ">=", "<=", "<<", ">>", "<<=", ">>=", ">>>"};

bool isOperator(const std::string& text) {
    for (const char* op : kOperatorTexts) {
        if (text == op) return true;
    }
    return false;
}

bool isLabel(const std::string& word) {
    return word == kCase || word == kDefault;
}

bool isBraceLessHead(const std::string& word) {
    for (const char* head : kBraceLessHeads) {
        if (word == head) return true;
    }
    return false;
}

bool sameLineAsNext(IStmt* stmt) {
    int line = stmt->getLine();
    return line >= 0 && stmt->getNextLine() == line;
}

bool startsOnPrevLine(IStmt* stmt) {
    int line = stmt->getLine();
    return line >= 0 && stmt->getPrevLine() == line;
}

// Characters of a dotted class name inside a string literal.
bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
}

// Shortens text by the length of the name last appended to it.
void dropLast(std::string& text, const std::string& name) {
    text.resize(text.size() >= name.size() ? text.size() - name.size() : 0);
}

}  // namespace

TalaStmt::TalaStmt(IConvertHost* host) : TalaImport(host) {}

// ---- statement driver ----------------------------------------------------

int TalaStmt::onStatement(IStmt* stmt) {
    std::string firstWord;
    if (outputActive()) {
        IToken* token = stmt->getFirstToken();
        if (token == nullptr) {
            writeLog(kLayer, "getFirseToken fail!", __LINE__);
            return -1;
        }
        firstWord = token->getText();
        stmt->releaseToken(token);
        if (closeBlocksBefore(stmt, firstWord) != 0) return -1;
        outputNote(stmt);
    }
    if (outputStatement(stmt, firstWord) != 0) return -1;
    if (!outputActive()) return 0;
    return finishStatement(stmt, firstWord);
}

// Before the statement: a label leaves its block, the blocks that the
// levels say have ended are closed, and the body of a brace-less "if",
// "for" or "else" is indented one level.
int TalaStmt::closeBlocksBefore(IStmt* stmt, const std::string& firstWord) {
    if (isLabel(firstWord) && lowerDepth() != 0) return -1;
    int64_t level = stmt->getLevel();
    int64_t prevLevel = stmt->getPrevLevel();
    if (prevLevel > level) {
        int64_t count = prevLevel - level;
        if (isLabel(firstWord) || firstWord == kCloseBrace) --count;
        if (caseBrace && count != 0 && firstWord == kCloseBrace) {
            --count;
            if (lowerDepth() != 0) return -1;
        }
        return writeClosingLines(count, firstWord == kWhile);
    }
    if (followsBraceLessHead(stmt)) ++depth;
    return 0;
}

// After the statement: undo the brace-less indentation, close the body's
// inner levels after its last statement, or open a block for deeper
// statements that follow.
int TalaStmt::finishStatement(IStmt* stmt, const std::string& firstWord) {
    if (followsBraceLessHead(stmt) && lowerDepth() != 0) return -1;
    int64_t level = stmt->getLevel();
    int64_t nextLevel = stmt->getNextLevel();
    if (nextLevel == kLastStatement) {
        if (writeClosingLines(level - 1, false) != 0) return -1;
        prevFirstWord.clear();
    } else {
        if (firstWord == kSwitch) {
            openBrace(stmt);
        } else if (nextLevel > level) {
            int64_t step = nextLevel - level;
            if (stmtBraces == 0) {
                if (isLabel(firstWord)) --step;
                if (step > 1) return blockError();
                if (step == 1) openBrace(stmt);
            } else if (step > 1 && isLabel(firstWord)) {
                caseBrace = true;
                ++depth;
            }
        }
        prevFirstWord = firstWord;
    }
    if (isLabel(firstWord)) ++depth;
    return 0;
}

bool TalaStmt::followsBraceLessHead(IStmt* stmt) const {
    return stmt->getPrevLevel() == stmt->getLevel() && isBraceLessHead(prevFirstWord);
}

// Writes count closing lines, each one level shallower; the last one stays
// open for a "while" that follows on the same line. A count below 1 writes
// nothing.
int TalaStmt::writeClosingLines(int64_t count, bool joinWhile) {
    for (int64_t i = 0; i < count; ++i) {
        if (lowerDepth() != 0) return -1;
        outputIndent();
        write(joinWhile && i == count - 1 ? "}" : "}\n");
    }
    return 0;
}

int TalaStmt::lowerDepth() {
    if (depth == 0) return blockError();
    --depth;
    return 0;
}

void TalaStmt::openBrace(IStmt* stmt) {
    if (sameLineAsNext(stmt)) {
        write(kOpenBrace);
    } else {
        outputIndent();
        write("{\n");
    }
    ++depth;
}

// A block error of the driver leaves the output file open.
int TalaStmt::blockError() {
    writeLog(kLayer, kFileMatchingError, __LINE__);
    return -1;
}

int TalaStmt::outputStatement(IStmt* stmt, const std::string& firstWord) {
    stmtBraces = 0;
    if (outputActive()) {
        if (firstWord == kCloseBrace) {
            if (depth == 0) {
                closeOutputFile();
                writeLog(kLayer, kFileMatchingError, __LINE__);
                return -1;
            }
            --depth;
        }
        bool followsClosingBrace = firstWord == kWhile && stmt->getPrevLevel() > stmt->getLevel();
        if (!followsClosingBrace && !startsOnPrevLine(stmt)) outputIndent();
    }
    int check = checkStmtNodes(stmt);
    if (check < 0) return -1;
    if (check == 0) return outputTokens(stmt);
    if (outputStmtCode(stmt) != 0) return -1;
    if (outputActive()) write(sameLineAsNext(stmt) ? " " : "\n");
    return 0;
}

// ---- node code rendering -------------------------------------------------

int TalaStmt::outputStmtCode(IStmt* stmt) {
    INode* node = stmt->getFirstNode();
    if (node == nullptr) {
        writeLog(kLayer, "First node is null!", kLineFirstNodeNull);
        return -1;
    }
    std::string line;
    int previousKind = 0;
    unsigned angleDepth = 0;
    do {
        std::string code = getNodeCode(stmt, node);
        if (code.empty()) {
            writeLog(kLayer, "getNodeCode is null!", kLineNodeCodeNull);
            stmt->releaseNode(node);
            return -1;
        }
        int kind = node->getType();
        if (kind == kNodeOperator && code == node->getText()) {
            if (appendPunctuation(stmt, node, code, line, angleDepth, previousKind) != 0) {
                closeOutputFile();
                writeLog(kLayer, "fail!", kLineBraceFail);
                stmt->releaseNode(node);
                return -1;
            }
        } else if (line.empty()) {
            line = code;
        } else {
            if (previousKind != kNodeOperator) line += " ";
            line += code;
        }
        previousKind = kind;
    } while (stmt->nextNode(node) == 0);

    ++changeCount;
    if (!outputActive()) {
        stmt->releaseNode(node);
        return 0;
    }
    write(line);
    // The closing ";" or ":" may be a token after the last node.
    std::string last = node->getText();
    if (last != ";" && last != kOpenBrace) {
        IToken* token = stmt->getLastToken();
        if (token != nullptr) {
            std::string text = token->getText();
            if (text == ";" || text == ":") write(text);
            stmt->releaseToken(token);
        }
    }
    stmt->releaseNode(node);
    return 0;
}

// Appends one punctuation element by the spacing rules. -1 when a counted
// "}" would take the depth below 0.
int TalaStmt::appendPunctuation(IStmt* stmt, INode* node, const std::string& code,
                                std::string& line, unsigned& angleDepth, int previousKind) {
    if (code == "<" &&
        (angleDepth > 0 || previousKind == kNodeClassRef || previousKind == kNodeClass)) {
        line += code;
        ++angleDepth;
    } else if (angleDepth > 0 && code == ">") {
        line += code;
        --angleDepth;
    } else if (isOperator(code)) {
        line += line.empty() ? code : " " + code + " ";
    } else if (code == "," || code == ";") {
        line += code + " ";
    } else if (code == kOpenBrace) {
        if (outputActive()) {
            ++depth;
            ++stmtBraces;
        }
        line += " {";
    } else if (code == kCloseBrace) {
        if (outputActive() && stmt->hasPrevNode(node) != 0) {
            if (depth == 0) return -1;
            --depth;
            --stmtBraces;
        }
        line += code;
    } else {
        line += code;
    }
    return 0;
}

std::string TalaStmt::getNodeCode(IStmt* stmt, INode* node) {
    std::string prefix;
    int kind = node->getType();
    // Gather a dotted name of plain and class names into the qualifier of
    // its last part.
    while (kind == kNodeName || kind == kNodeClassRef) {
        std::string text = node->getText();
        prefix += text;
        if (stmt->nextNode(node) != 0) {
            dropLast(prefix, text);
            break;
        }
        if (node->getType() == kNodeOperator && node->getText() == ".") {
            prefix += ".";
            if (stmt->nextNode(node) != 0) return std::string();
            kind = node->getType();
            continue;
        }
        if (stmt->prevNode(node) != 0) return std::string();
        dropLast(prefix, node->getText());
        break;
    }
    switch (checkNode(node)) {
    case kRuleMatch: {
        // Only a literal falls back to the word rules: a rebuilt call that
        // failed may have left the cursor on a literal of its arguments.
        bool literal = node->getType() == kNodeString;
        std::string text = convertNode(stmt, node, prefix);
        if (driverDeclined) {
            driverDeclined = false;
            return std::string();
        }
        if (text.empty() && literal) return replaceWords(node);
        return text;
    }
    case kWordMatch:
        return replaceWords(node);
    default:
        return prefix + node->getText();
    }
}

// ---- names, method calls and argument lists --------------------------------

std::string TalaStmt::convertNode(IStmt* stmt, INode* node, const std::string& prefix) {
    std::string name = node->getText();
    std::string key = prefix + name;
    switch (node->getType()) {
    case kNodeString:
        return convertDriverString(stmt, node);
    case kNodeClassRef:
        return convertName(&TalaStmt::findClassRule, key, name, prefix);
    case kNodeMember:
    case kNodeMemberAlt:
        return convertName(&TalaStmt::findMemberRule, key, name, prefix);
    case kNodeMethod:
        return convertMethodCall(stmt, node, key, name, prefix);
    case kNodeClass: {
        const std::string* rule = findClassRule(name);
        return rule != nullptr ? *rule : name;
    }
    default:
        return std::string();
    }
}

// The qualified key first, then, with a qualifier, the bare name.
std::string TalaStmt::convertName(RenameLookup find, const std::string& key,
                                  const std::string& name, const std::string& prefix) {
    const std::string* rule = (this->*find)(key);
    if (rule == nullptr && !prefix.empty()) rule = (this->*find)(name);
    if (rule == nullptr) {
        showNotConfigured(key);
        return std::string();
    }
    return *rule;
}

std::string TalaStmt::convertMethodCall(IStmt* stmt, INode* node, const std::string& key,
                                        const std::string& name, const std::string& prefix) {
    const MethodRule* rule = findMethodRule(key);
    if (rule == nullptr && !prefix.empty()) rule = findMethodRule(name);
    if (rule == nullptr) {
        showNotConfigured(key);
        return std::string();
    }
    // A plain renaming leaves the argument list to the caller's walk.
    if (rule->params == kNotSet) return rule->to;
    if (stmt->nextNode(node) != 0 || node->getText() != "(") return std::string();
    if (callNesting >= kMaxCallNesting) {
        writeLog(kLayer, "Call nesting is too deep!", __LINE__);
        return std::string();
    }
    std::vector<std::string> arguments;
    ++callNesting;
    int collected = collectArguments(stmt, node, arguments);
    --callNesting;
    if (collected != 0) return std::string();
    if (static_cast<int64_t>(arguments.size()) != rule->params) return std::string();
    return buildCall(*rule, arguments);
}

// Collects the arguments of the call whose "(" is under the cursor, each
// element converted by getNodeCode; leaves the cursor on the closing ")".
int TalaStmt::collectArguments(IStmt* stmt, INode* node, std::vector<std::string>& arguments) {
    unsigned parenDepth = 1;
    std::string current;
    int previousKind = kNodeOperator;
    if (stmt->nextNode(node) != 0) return -1;
    for (;;) {
        std::string code = getNodeCode(stmt, node);
        if (code.empty()) return -1;
        int kind = node->getType();
        if (kind != kNodeOperator || code != node->getText()) {
            if (!current.empty() && previousKind != kNodeOperator) current += " ";
            current += code;
        } else if (code == "(") {
            ++parenDepth;
            current += code;
        } else if (code == ")") {
            if (--parenDepth == 0) break;
            current += code;
        } else if (code == "," && parenDepth == 1) {
            if (current.empty()) return -1;
            arguments.push_back(current);
            current.clear();
        } else if (isOperator(code)) {
            current += " " + code + " ";
        } else if (code == "," || code == ";") {
            current += code + " ";
        } else {
            current += code;
        }
        previousKind = kind;
        if (stmt->nextNode(node) != 0) return -1;
    }
    if (!current.empty()) {
        arguments.push_back(current);
    } else if (!arguments.empty()) {
        return -1;  // a "," right before the closing ")"
    }
    return 0;
}

std::string TalaStmt::buildCall(const MethodRule& rule, const std::vector<std::string>& arguments) {
    std::string result = rule.to + "(";
    if (rule.paramRules.empty()) {
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (i > 0) result += ", ";
            result += arguments[i];
        }
        return result + ")";
    }
    for (size_t i = 0; i < rule.paramRules.size(); ++i) {
        const ParamRule& param = rule.paramRules[i];
        if (i > 0) result += ", ";
        if (param.old == kNotSet) {
            if (param.defaultValue.empty()) {
                showMessage(pick(kDefaultEmpty, kDefaultEmptyZh), kCaptionError, kBoxOk);
                return std::string();
            }
            result +=
                param.type == kTypeCode ? param.defaultValue : "\"" + param.defaultValue + "\"";
        } else if (param.old >= 1 && static_cast<size_t>(param.old) <= arguments.size()) {
            result += arguments[param.old - 1];
        } else {
            showMessage(pick(kParamConfigError, kParamConfigErrorZh), kCaptionError, kBoxOk);
            return std::string();
        }
    }
    return result + ")";
}

// Each rule rewrites the text in one pass into a new text: the bytes between
// replaced occurrences are copied once, so a literal of any length with any
// number of words costs time in proportion to its length for each rule.
// What one rule sees is what the rules before it left, and what it puts in
// is not searched again. The byte before an occurrence that follows a
// replacement directly is the last byte put in, so a replacement ending in
// a letter joins a word that comes right after it.
std::string TalaStmt::replaceWords(INode* node) {
    std::string text = node->getText();
    for (const auto& rule : wordRules) {
        // Rule keys are never empty: an empty one would be found everywhere.
        const std::string& src = rule.first;
        const std::string& to = rule.second;
        std::string replaced;
        size_t copied = 0;  // text before this is in replaced
        size_t pos = 0;
        for (size_t found = text.find(src, pos); found != std::string::npos;
             found = text.find(src, pos)) {
            bool joinedBefore = found > copied ? isWordChar(text[found - 1])
                                               : !replaced.empty() && isWordChar(replaced.back());
            if (joinedBefore) {
                pos = found + 1;
                continue;
            }
            size_t end = found + src.size();
            if (end < text.size() && isWordChar(text[end])) {
                pos = end;
                continue;
            }
            replaced.append(text, copied, found - copied);
            replaced += to;
            copied = pos = end;
        }
        if (copied == 0) continue;
        replaced.append(text, copied, std::string::npos);
        text.swap(replaced);
    }
    return text;
}

// ---- driver and connection strings -----------------------------------------

std::string TalaStmt::convertDriverString(IStmt* stmt, INode* node) {
    std::string text = node->getText();
    size_t start = 0;
    size_t end = 0;
    for (const std::string& keyword : packageKeywords) {
        size_t found = text.find(keyword);
        while (found != std::string::npos) {
            size_t matchEnd = found + keyword.size();
            bool dotBefore = found == 0 || text[found - 1] == '.';
            bool endsPart =
                (matchEnd < text.size() && text[matchEnd] == '.') || matchEnd + 1 >= text.size();
            if (dotBefore && endsPart) break;
            found = text.find(keyword, found + 1);
        }
        if (found == std::string::npos) continue;
        end = found + keyword.size();
        while (end < text.size() && isNameChar(text[end])) ++end;
        start = found + 1;
        while (start > 0 && isNameChar(text[start - 1])) --start;
        if (end > start) break;
        start = end = 0;
    }
    if (end <= start) return std::string();

    std::string className = text.substr(start, end - start);
    const std::string* rule = findClassRule(className);
    if (rule != nullptr && !rule->empty()) return text.replace(start, end - start, *rule);
    return askDriverQuestion(stmt, node, text, className);
}

// A literal whose class has no rule: when it is the argument of a driver or
// connection call, the user decides whether the conversion goes on. The
// cursor is always moved back onto the literal.
std::string TalaStmt::askDriverQuestion(IStmt* stmt, INode* node, const std::string& text,
                                        const std::string& className) {
    if (stmt->prevNode(node) != 0) return text;
    if (node->getText() != "(") return stmt->nextNode(node) == 0 ? text : std::string();
    if (stmt->prevNode(node) != 0) return stmt->nextNode(node) == 0 ? text : std::string();
    std::string callName = node->getText();
    bool driverCall =
        node->getType() == kNodeMethod && (callName == "forName" || callName == "getConnection");
    if (!driverCall) {
        bool back = stmt->nextNode(node) == 0 && stmt->nextNode(node) == 0;
        return back ? text : std::string();
    }
    std::string question =
        isChinese() ? kQuestionZhBegin + text + kQuestionZhMiddle + className + kQuestionZhEnd
                    : kQuestionBegin + className + kQuestionMiddle + text + kQuestionEnd;
    int answer = showMessage(question, kCaptionMessage, kBoxQuestion);
    bool back = stmt->nextNode(node) == 0 && stmt->nextNode(node) == 0;
    if (answer != kAnswerNo) return back ? text : std::string();
    driverDeclined = true;
    return std::string();
}

}  // namespace tala
