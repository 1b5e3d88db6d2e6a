// StatementLayout: lays a Java file out as the steps in which the host hands
// it to the plug-in: statements, bodies of statements with levels and
// neighbours, type-body braces.
//
// How a Java file reaches the plug-in. Steps. Package and import
// declarations, type headers, fields and method headers are single
// statements (convertStmt; imports as kind 11). A type
// body lies between beginBlock and endBlock. A method, constructor or
// initializer body is one convertBody(0): its header statement ends with the
// body's "{" (so the token writer keeps the source's brace style), and
// convertBody writes the closing "}". Comments between members are
// statements of their own; a comment that follows a statement on its line
// stays with that statement, but not with an import, which the plug-in
// rebuilds from its names: a comment after or inside an import is a
// statement of its own after it (the import's nodes and tokens leave an
// inner comment out). An empty line before a statement or member is
// written with outputText("\n").
//
// Levels inside a body. The body's statements are at level 1. A statement
// whose body is a block (if, else, for, while, do, try, catch, finally,
// synchronized, a bare block) ends with that block's "{", its statements are
// one level deeper, and the block's "}" is a statement of the outer level
// that begins with "}"; the clause that continues it (else, catch, finally,
// the while of a do) joins that "}" statement: "} else {". So the plug-in
// never has to close a level itself, and every "}" it writes is the
// source's. "else if" is one first token. A body without braces stays at the
// level of its head (the plug-in indents it after if, for, else and else
// if). An empty block stays inside its statement: "if (a) {} else {".
// switch: the switch statement leaves out its "{" (the plug-in writes it),
// case and default labels and the statements under them are one level
// deeper, and the switch's "}" is a statement at the switch's level. A case
// block or an arrow rule's block is a block statement under its label. A
// labeled statement is its label ("outer:") followed by the statement at the
// same level. The block body of a lambda and the body of an anonymous
// class in a statement without a body of its own (an expression,
// declaration, return) are laid out like a block: the statement through
// the body's "{", its statements (or members) one level deeper, and the
// rest of the statement from the "}" on at the outer level, which may open
// the next body ("}, b -> {"). A local class is its header through "{",
// its members one level deeper, and its "}". A member with a block body (a
// method, a constructor, an initializer) is laid out like a block
// statement, any other member is one statement. Lambdas and anonymous
// classes in heads (if, for, ...) and in field initialisers, and switch
// expressions, stay inside the statement that holds them: written
// unchanged their lines keep their breaks and brace depth; rebuilt by the
// plug-in they become one line, which is still the same code.
#pragma once

#include <tree_sitter/api.h>

#include <vector>

#include "plugin/Steps.h"
#include "syntax/JavaSource.h"

namespace host {

void layOutSteps(TSNode root, const std::vector<Leaf>& leaves, std::vector<Step>& steps);
// The steps of source, whose leaves are cut; none without its tree.
std::vector<Step> layOutSteps(const JavaSource& source);

}  // namespace host
