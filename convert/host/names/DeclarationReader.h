// DeclarationReader: the members of a file's types from its members text
// (MembersText) without a parse: its plain declarations as the tokens give
// them (PlainDeclarations), their types resolved as the collection from a
// parse resolves them: for a text that parses, the members its parse
// gives. A text that holds anything else is left to the parse.
#pragma once

#include <map>
#include <string>

#include "names/SemanticModel.h"
#include "syntax/MembersText.h"

namespace host {

// The members of the types that members declares, by qualified name, with
// the lookups of their types in the tree deferred, as collectDeclarations
// gives them; false, and declared untouched, when the text holds what the
// reader does not read.
bool readDeclarations(const MembersText& members, const RuleFacts& rules,
                      std::map<std::string, ClassMembers>& declared);

}  // namespace host
