// ExactNames: the compiler's answers (CompilerNames) applied to one file's
// leaves after the host's own classification, which they correct where
// they differ. A leaf takes the node kind and qualified name that the
// host's resolution gives a name when it resolves it right (see
// Classifier.h), so the plug-in sees no other difference:
//   package          16, the package's name
//   class            11, or 24 where it stands alone and lies under the
//                    rules (a name the plug-in's class rules match by text)
//   field            12 after a receiver (and where the host had it so: a
//                    case label), else 13; owner "." name
//   method           14, owner "." name (where the method comes from: a
//                    JDK method's override is the JDK's)
//   local, parameter 17
//   method declared  14 with the name of the method it overrides outside
//                    the tree (not Object's, as the host does), else 18
// A leaf the compiler could not resolve keeps the host's answer and stays
// listed to check; any leaf it resolved is no longer unresolved. Records
// whose name is not the leaf's text (a generated declaration of the
// compiler's, a name spelled with escapes) are left out.
#pragma once

#include <vector>

#include "names/CompilerNames.h"
#include "names/SemanticModel.h"
#include "syntax/Tokens.h"

namespace host {

// records in the order of their bytes.
void applyExactNames(const std::vector<NameRecord>& records, const RuleFacts& rules,
                     std::vector<Leaf>& leaves);

}  // namespace host
