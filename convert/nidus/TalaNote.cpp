// TalaNote: statement notes as comment lines.
#include "TalaNote.h"

#include <utility>
#include <vector>

namespace tala {

namespace {

constexpr int kHasNote = 1;
// A keyword node of this sub-kind carries its note in its operand.
constexpr int kSubTypeNoteOperand = 124;
constexpr size_t kMaxOperandChain = 256;
constexpr char kCommentEnd[] = "*/";
constexpr char kCommentEndEscaped[] = "* /";

// A "*/" inside the note would end the comment early and turn the rest of
// the note into code; it is broken up so that the note stays one comment.
std::string escapeCommentEnd(std::string text) {
    for (size_t found = text.find(kCommentEnd); found != std::string::npos;
         found = text.find(kCommentEnd, found + 1)) {
        text.replace(found, 2, kCommentEndEscaped);
    }
    return text;
}

}  // namespace

TalaNote::TalaNote(IConvertHost* host) : TalaFile(host) {}

void TalaNote::outputNote(IStmt* stmt) {
    stmt->prepareNote();
    if (stmt->getNoteType() != kHasNote) return;
    INode* node = stmt->getFirstNode();
    if (node == nullptr) return;
    std::string text = getNoteText(node, false);
    stmt->releaseNode(node);
    if (text.empty()) return;
    outputIndent();
    fprintf(outputFile, "/* %s */\n", escapeCommentEnd(text).c_str());
}

// A note may sit behind a chain of keyword operands. The chain is walked
// without recursion, each operand given back to its parent afterwards, and a
// chain longer than any real note is cut off, so that hostile host input
// yields no note instead of exhausting the stack.
std::string TalaNote::getNoteText(INode* node, bool logical) {
    (void)logical;
    std::vector<std::pair<INode*, INode*>> taken;  // parent and its operand
    std::string text;
    for (INode* current = node; current != nullptr;) {
        int type = current->getType();
        if (type == kNodeNote || type == kNodeOperator) {
            text = current->getFullText();
            break;
        }
        if (type != kNodeKeyword || current->getSubType() != kSubTypeNoteOperand ||
            taken.size() >= kMaxOperandChain)
            break;
        current->prepareOperand();
        INode* operand = current->getOperand();
        if (operand != nullptr) taken.emplace_back(current, operand);
        current = operand;
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) it->first->releaseNode(it->second);
    return text;
}

}  // namespace tala
