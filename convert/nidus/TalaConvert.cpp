// TalaConvert: the IConvert operations, the file cycle and the library's
// exported entry registConvert.
#include "TalaConvert.h"

#include <functional>
#include <new>

#include "Platform.h"

namespace tala {

namespace {

constexpr char kLayer[] = "TalaConvert";
constexpr char kNoRules[] = "Configuration not initialized or initialization error!";
constexpr char kNoRulesZh[] =
    "\xC3\xBB\xD3\xD0\xB3\xF5\xCA\xBC\xBB\xAF\xC5\xE4\xD6\xC3\xBB\xF2"
    "\xB3\xF5\xCA\xBC\xBB\xAF\xB4\xED\xCE\xF3\xA3\xA1";
constexpr char kCaptionError[] = "Error";
constexpr char kCaptionErrorZh[] = "\xB4\xED\xCE\xF3";

constexpr int kRunAgain = 1;

}  // namespace

TalaConvert::TalaConvert(IConvertHost* host) : TalaStmt(host) {
    language = host->getLanguage();
    // A converter whose rules failed to load is still handed out: it
    // refuses every file at beginFile.
    loadRules();
}

int TalaConvert::convertBody(int mode) {
    if (mode != kBodyClosed && mode != kBodyOpen) return 0;
    stmtBraces = 0;
    caseBrace = false;
    // A body that failed part-way never reached its last statement, which
    // empties the first word; the next body must not take it for its own.
    prevFirstWord.clear();
    if (host->hasStmt() != 0) {
        std::function<int(IStmt*)> callback =
            std::bind(&TalaConvert::onStatement, this, std::placeholders::_1);
        if (host->traverseStmt(callback) != 0) return -1;
    }
    if (outputActive() && mode == kBodyClosed) return closeBlock();
    return 0;
}

int TalaConvert::convertStmt(IStmt* stmt) {
    switch (stmt->getType()) {
    case kStmtUnchanged:
        return outputFile != nullptr ? outputTokens(stmt) : 0;
    case kStmtKeepFile:
        keepOriginal = true;
        return 0;
    case kStmtImport:
        return convertImportStmt(stmt);
    default: {
        IToken* token = stmt->getFirstToken();
        if (token == nullptr) {
            writeLog(kLayer, "getFirseToken fail!", __LINE__);
            return -1;
        }
        std::string firstWord = token->getText();
        stmt->releaseToken(token);
        return outputStatement(stmt, firstWord);
    }
    }
}

int TalaConvert::outputText(const std::string& text) {
    if (outputActive()) {
        write(text);
        if (!text.empty() && text.back() != '\n') write("\n");
    }
    return 0;
}

int TalaConvert::beginFile() {
    if (packageKeywords.empty()) {
        showMessage(pick(kNoRules, kNoRulesZh), pick(kCaptionError, kCaptionErrorZh), kBoxWarning);
        return -1;
    }
    resetFileState();
    return 0;
}

int TalaConvert::reserved1() {
    return -1;
}

int TalaConvert::reserved2() {
    return -1;
}

int TalaConvert::reserved3(int, int) {
    return -1;
}

int TalaConvert::endFile() {
    if (outputFile != nullptr) return finishOutputFile();
    if (!keepOriginal && changeCount != 0) {
        resetFileState();
        return openOutputFile() == 0 ? kRunAgain : -1;
    }
    return copySourceFile();
}

int TalaConvert::beginBlock() {
    if (outputActive()) {
        outputIndent();
        write("{\n");
        ++depth;
    }
    return 0;
}

int TalaConvert::endBlock() {
    if (!outputActive()) return 0;
    return closeBlock();
}

void TalaConvert::resetFileState() {
    depth = 0;
    keepOriginal = false;
    changeCount = 0;
    emittedImports.clear();
}

int TalaConvert::closeBlock() {
    if (depth == 0) {
        closeOutputFile();
        writeLog(kLayer, "File matching error!", __LINE__);
        return -1;
    }
    --depth;
    outputIndent();
    write("}\n");
    return 0;
}

}  // namespace tala

// The converter lives as long as the host keeps it: nothing frees it.
NIDUS_EXPORT tala::IConvert* registConvert(tala::IConvertHost* host) {
    if (host == nullptr) return nullptr;
    return new (std::nothrow) tala::TalaConvert(host);
}
