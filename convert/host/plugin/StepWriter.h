// StepWriter: the statements and steps a layout writes, in source order:
// a statement takes the leaves from where the last one ended, and the
// comments in between join the statement before them on its line or stand
// as statements of their own.
#pragma once

#include <tree_sitter/api.h>

#include <vector>

#include "plugin/Steps.h"
#include "syntax/JavaSource.h"

namespace host {

class StepWriter {
public:
    StepWriter(const std::vector<Leaf>& leaves, std::vector<Step>& steps)
        : leaves(leaves), steps(steps) {}

protected:
    const std::vector<Leaf>& leaves;
    std::vector<Step>& steps;
    std::vector<Statement>* body = nullptr;  // the body being laid out, if any
    std::vector<Statement> bodyStatements;   // a method's body, while it is laid out
    size_t cursor = 0;                       // first leaf not yet placed

    // Index of the first leaf that starts at or after byte.
    size_t leafAt(unsigned byte) const;
    size_t startOf(TSNode node) const { return leafAt(ts_node_start_byte(node)); }
    size_t endOf(TSNode node) const { return leafAt(ts_node_end_byte(node)); }
    Statement* lastStatement();
    void addStatement(Statement statement);
    // Places the comments before leaf upto: one that follows a statement on
    // its line (or the head of a brace-less body) joins it, others become
    // statements at level.
    void flush(size_t upto, int level);
    void flushTop(size_t upto) { flush(upto, 1); }
    Statement& emit(size_t first, size_t last, int level, int kind = kStmtCode);
    void pushStep(StepKind kind);
};

// Fills in the levels and lines of every statement's neighbours, once the
// steps are laid out.
void linkNeighbours(const std::vector<Leaf>& leaves, std::vector<Step>& steps);

}  // namespace host
