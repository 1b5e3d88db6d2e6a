// TalaFile: token writer and brace depth.
#include "TalaFile.h"

#include <functional>

namespace tala {

namespace {

constexpr char kLayer[] = "TalaFile";
constexpr char kIndentStep[] = "    ";
constexpr char kOpenBrace[] = "{";
constexpr char kCloseBrace[] = "}";

}  // namespace

TalaFile::TalaFile(IConvertHost* host) : TalaConfig(host) {}

int TalaFile::outputTokens(IStmt* stmt) {
    if (!outputActive()) return 0;
    std::function<int(IToken*)> callback =
        std::bind(&TalaFile::outputToken, this, std::placeholders::_1);
    if (stmt->traverseToken(callback) != 0) {
        writeLog(kLayer, "Output token fail!", __LINE__);
        return -1;
    }
    // A failed "}" may have closed the file inside the traversal.
    if (outputFile == nullptr) return 0;
    int line = stmt->getLine();
    write(line >= 0 && stmt->getNextLine() == line ? " " : "\n");
    return 0;
}

int TalaFile::outputToken(IToken* token) {
    // The file may have been closed by a failed "}" earlier in the statement.
    if (outputFile == nullptr) return -1;
    bool first = token->hasPrev() == 0;
    if (!first) {
        if (token->hasNewLine()) {
            write("\n");
            outputIndent();
        } else if (token->hasBlank()) {
            write(" ");
        }
    }
    std::string text = token->getText();
    write(text);
    if (!token->isBracket()) return 0;
    if (text == kOpenBrace) {
        ++depth;
        ++stmtBraces;
        return 0;
    }
    if (text == kCloseBrace && !first) {
        if (depth == 0) {
            closeOutputFile();
            writeLog(kLayer, "fail!", __LINE__);
            return -1;
        }
        --depth;
        --stmtBraces;
    }
    return 0;
}

void TalaFile::outputIndent() {
    for (uint32_t i = 0; i < depth; ++i) write(kIndentStep);
}

}  // namespace tala
