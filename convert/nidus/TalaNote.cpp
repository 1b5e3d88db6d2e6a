// TalaNote: statement notes as comment lines.
#include "TalaNote.h"

namespace tala {

namespace {

constexpr int kHasNote = 1;
// A keyword node of this sub-kind carries its note in its operand.
constexpr int kSubTypeNoteOperand = 124;
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

std::string TalaNote::getNoteText(INode* node, bool logical) {
    (void)logical;
    switch (node->getType()) {
    case kNodeNote:
    case kNodeOperator:
        return node->getFullText();
    case kNodeKeyword: {
        if (node->getSubType() != kSubTypeNoteOperand) return std::string();
        node->prepareOperand();
        INode* operand = node->getOperand();
        if (operand == nullptr) return std::string();
        std::string text = getNoteText(operand, true);
        node->releaseNode(operand);
        return text;
    }
    default:
        return std::string();
    }
}

}  // namespace tala
