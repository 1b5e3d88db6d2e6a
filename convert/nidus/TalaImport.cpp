// TalaImport: replacement of import statements.
#include "TalaImport.h"

#include <algorithm>

namespace tala {

namespace {

constexpr char kLayer[] = "TalaImport";
constexpr char kUnknown[] = "Unknown statement";
constexpr char kUnknownZh[] = "\xCE\xB4\xD6\xAA\xD3\xEF\xBE\xE4";
constexpr char kNotConfigured[] = "No corresponding conversion item is configured!";
constexpr char kNotConfiguredZh[] =
    "\xC3\xBB\xD3\xD0\xC5\xE4\xD6\xC3\xB6\xD4\xD3\xA6\xB5\xC4\xD7\xAA\xBB\xBB\xCF\xEE";
constexpr char kSemicolon[] = ";";

}  // namespace

TalaImport::TalaImport(IConvertHost* host) : TalaNode(host) {}

int TalaImport::convertImportStmt(IStmt* stmt) {
    int check = checkStmtNodes(stmt);
    if (check == 0) return outputTokens(stmt);
    if (check < 0) return -1;
    return convertImport(stmt);
}

int TalaImport::convertImport(IStmt* stmt) {
    INode* node = stmt->getFirstNode();
    if (node == nullptr) {
        writeLog(kLayer, "First node is null!", __LINE__);
        return -1;
    }
    std::string keywords;
    std::string name;
    do {
        int kind = node->getType();
        std::string text = node->getText();
        if (!name.empty()) {
            if (kind == kNodeOperator && text == kSemicolon) break;
            name += text;
        } else if (kind == kNodeKeyword) {
            keywords += keywords.empty() ? text : " " + text;
        } else if (kind == kNodeName) {
            name = text;
        } else {
            keywords += " " + text;
            showMessage(keywords, pick(kUnknown, kUnknownZh), kBoxOk);
            stmt->releaseNode(node);
            return -1;
        }
    } while (stmt->nextNode(node) == 0);
    stmt->releaseNode(node);
    ++changeCount;
    return outputImport(keywords, name);
}

int TalaImport::outputImport(std::string keywords, std::string name) {
    const std::vector<std::string>* changes = findImportRule(name);
    if (changes == nullptr || changes->empty()) {
        showNotConfigured(name);
        return -1;
    }
    for (const std::string& code : *changes) {
        if (std::find(emittedImports.begin(), emittedImports.end(), code) != emittedImports.end())
            continue;
        if (outputActive()) fprintf(outputFile, "%s %s;\n", keywords.c_str(), code.c_str());
        emittedImports.push_back(code);
    }
    return 0;
}

void TalaImport::showNotConfigured(const std::string& name) {
    showMessage(name, pick(kNotConfigured, kNotConfiguredZh), kBoxOk);
}

}  // namespace tala
