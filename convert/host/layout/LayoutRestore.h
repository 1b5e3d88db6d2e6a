// LayoutRestore: gives a converted Java text the layout of its source. The
// plug-in writes every converted file in its own layout; here the tokens of
// its text are aligned with the source's, every run of equal tokens is
// taken from the source as it stands (white space, comments, line ends),
// and only the runs that the rules changed come from the plug-in.
#pragma once

#include <string>
#include <vector>

#include "syntax/JavaSource.h"

namespace host {

enum class Restored {
    kChanged,    // text holds the plug-in's tokens in the source's layout
    kUnchanged,  // the tokens are the source's: text is the source itself
    kFailed,     // reason says why; keep the plug-in's layout
};

// The plug-in's text in the source's layout. source and converted are the
// two texts with their tokens (comments included, in order); edits says
// which bytes of the source the text replaced.
Restored restoreLayout(const std::string& source, const std::vector<TextToken>& sourceTokens,
                       const std::string& converted, const std::vector<TextToken>& convertedTokens,
                       std::string& text, std::vector<TextEdit>& edits, std::string& reason);

// The layout step for one converted file: source is the source's text
// (as read, lone CRs and all) and its parsed JavaSource; converted the
// plug-in's text as written. The restored text must parse (its parse
// starts from the source's tree, edited), hold exactly the plug-in's
// tokens (comments aside) and exactly the source's comments; otherwise
// kFailed, with the reason.
Restored restoreFile(const std::string& sourceText, const JavaSource& source,
                     const std::string& convertedText, std::string& text, std::string& reason);

// The same tokens apart from comments.
bool sameCode(const std::vector<TextToken>& a, const std::vector<TextToken>& b);

}  // namespace host
