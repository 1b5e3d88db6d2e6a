// StatementLayout: lays a Java file out as the steps in which the host hands
// it to the plug-in (see the design note in JavaSource.cpp): statements,
// bodies of statements with levels and neighbours, type-body braces.
#pragma once

#include <tree_sitter/api.h>

#include <vector>

#include "JavaSource.h"

namespace host {

void layOutSteps(TSNode root, const std::vector<Leaf>& leaves, std::vector<Step>& steps);

}  // namespace host
