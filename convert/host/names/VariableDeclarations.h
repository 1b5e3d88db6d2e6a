// VariableDeclarations: the locals, parameters, lambda parameters and
// fields the walk meets, declared in the innermost scope with their types
// (var takes its initializer's type), their names marked as variables.
#pragma once

#include <string>

#include "names/ExpressionTypes.h"

namespace host {

class VariableDeclarations : public ExpressionTypes {
public:
    using ExpressionTypes::ExpressionTypes;

protected:
    // A declared variable whose type, when written as var, is inferred.
    void visitVariable(TSNode typeNode, TSNode name, const std::string& inferred);
    void visitParameter(TSNode node);
    // Parameters without types take those the lambda's target gives them
    // (typeLambda), else they have no known type.
    void visitLambdaParameters(TSNode lambda, TSNode parameters);
    // Each declarator in turn, so that a later initializer sees the
    // variables declared before it.
    void visitDeclaration(TSNode node, bool local);
    void visitDeclarator(TSNode declaration, TSNode declarator, bool local);
};

}  // namespace host
