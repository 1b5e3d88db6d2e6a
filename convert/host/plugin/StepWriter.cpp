// StepWriter: the statements and steps a layout writes, and their
// neighbours.
#include "plugin/StepWriter.h"

#include <algorithm>

namespace host {

size_t StepWriter::leafAt(unsigned byte) const {
    auto found =
        std::lower_bound(leaves.begin(), leaves.end(), byte,
                         [](const Leaf& leaf, unsigned at) { return leaf.startByte < at; });
    return static_cast<size_t>(found - leaves.begin());
}

Statement* StepWriter::lastStatement() {
    if (body != nullptr && !body->empty()) return &body->back();
    if (!steps.empty() && steps.back().kind == StepKind::kStatement)
        return &steps.back().statements.back();
    return nullptr;
}

void StepWriter::addStatement(Statement statement) {
    if (body != nullptr) {
        body->push_back(statement);
    } else {
        Step step;
        step.kind = StepKind::kStatement;
        step.statements.push_back(statement);
        steps.push_back(step);
    }
}

void StepWriter::flush(size_t upto, int level) {
    while (cursor < upto) {
        size_t at = cursor++;
        Statement* previous = lastStatement();
        // An import is rewritten whole: a comment after it stands alone.
        bool joins = previous != nullptr && previous->last == at &&
                     previous->kind != kStmtImportDecl &&
                     (previous->braceLessHead || leaves[at].line == leaves[at - 1].endLine);
        if (joins && leaves[at].comment) {
            previous->last = at + 1;
            continue;
        }
        Statement statement;
        statement.kind = leaves[at].comment ? kStmtComment : kStmtCode;
        statement.first = at;
        statement.last = at + 1;
        statement.level = level;
        addStatement(statement);
    }
}

Statement& StepWriter::emit(size_t first, size_t last, int level, int kind) {
    flush(first, level);
    Statement statement;
    statement.kind = kind;
    statement.first = first;
    statement.last = std::max(first, last);
    statement.level = level;
    cursor = statement.last;
    addStatement(statement);
    return *lastStatement();
}

void StepWriter::pushStep(StepKind kind) {
    Step step;
    step.kind = kind;
    steps.push_back(step);
}

namespace {

int lineOf(const std::vector<Leaf>& leaves, const Statement& statement) {
    return leaves[statement.first].line;
}

int endLineOf(const std::vector<Leaf>& leaves, const Statement& statement) {
    return leaves[statement.last - 1].endLine;
}

// The plug-in writes a statement's separator as " " when its next line
// equals its own line: so a statement that ends on the line where the
// next one starts reports its own line as the next line, whatever line
// it started on.
int nextLineFor(const std::vector<Leaf>& leaves, const Statement& current, const Statement& next) {
    return lineOf(leaves, next) == endLineOf(leaves, current) ? lineOf(leaves, current)
                                                              : lineOf(leaves, next);
}

}  // namespace

void linkNeighbours(const std::vector<Leaf>& leaves, std::vector<Step>& steps) {
    for (size_t s = 0; s < steps.size(); ++s) {
        Step& step = steps[s];
        if (step.kind == StepKind::kBody) {
            auto& list = step.statements;
            for (size_t i = 0; i < list.size(); ++i) {
                Statement& current = list[i];
                current.prevLevel = i == 0 ? 0 : list[i - 1].level;
                current.nextLevel = i + 1 < list.size() ? list[i + 1].level : -1;
                // After the previous statement, not after a leaf that no
                // statement holds (the switch's "{").
                current.prevLine = i > 0               ? endLineOf(leaves, list[i - 1])
                                   : current.first > 0 ? leaves[current.first - 1].endLine
                                                       : -1;
                current.nextLine =
                    i + 1 < list.size() ? nextLineFor(leaves, current, list[i + 1]) : -1;
            }
        } else if (step.kind == StepKind::kStatement) {
            Statement& current = step.statements[0];
            current.level = 1;
            bool afterStatement = s > 0 && steps[s - 1].kind == StepKind::kStatement;
            current.prevLine = afterStatement ? endLineOf(leaves, steps[s - 1].statements[0]) : -1;
            current.nextLine = -1;
            if (s + 1 < steps.size()) {
                const Step& next = steps[s + 1];
                if ((next.kind == StepKind::kStatement || next.kind == StepKind::kBody) &&
                    !next.statements.empty())
                    current.nextLine = nextLineFor(leaves, current, next.statements[0]);
            }
        }
    }
}

}  // namespace host
