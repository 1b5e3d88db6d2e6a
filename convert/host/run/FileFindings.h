// FileFindings: what a run tells about one Java file besides its result:
// the statement that failed, with its line and the reason in plain words,
// and the vendor keywords still standing in its text.
#pragma once

#include <string>
#include <vector>

#include "plugin/HostObjects.h"
#include "plugin/RuleCoverage.h"
#include "plugin/Steps.h"
#include "syntax/JavaSource.h"

namespace host {

struct FailedStatement {
    int line = 0;           // 1-based; 0 when no statement is known
    std::string statement;  // its source lines
    std::string reason;     // in plain words; empty when nothing explains it
};

// Why the plug-in failed the file: a question answered No (declined holds
// its text), or the first statement that failed, from the names under the
// rules in it.
FailedStatement explainFailure(const JavaSource& source, const std::string& text,
                               const std::vector<NameUse>& uses, const Host& host,
                               const std::string& declined);

// The statement of the file's steps that holds the leaf at, with its line;
// the reason is left empty.
FailedStatement statementAt(const JavaSource& source, const std::vector<Step>& steps,
                            const std::string& text, size_t at);

// A keyword of the rules left in a converted text, outside comments.
struct Leftover {
    int line = 0;
    std::string text;  // the token that holds it
};

// Where leftovers are looked for: the code's names as well, or only what
// no rule of the code reaches (the text of a file that failed, whose
// names its failure stands for).
enum class LeftoverPlaces { kCodeToo, kStringsAndJavadoc };

// In the tokens of a converted text: in its code's names (a keyword of
// more than one part in a whole dotted name) and strings, and in the
// references of its javadoc comments ({@link NAME}, @see NAME).
std::vector<Leftover> findLeftovers(const std::vector<TextToken>& tokens,
                                    const std::vector<std::string>& keywords,
                                    LeftoverPlaces places = LeftoverPlaces::kCodeToo);

// The same in an unchanged source text, cut by the lexer; none without a
// keyword in its bytes.
std::vector<Leftover> findLeftovers(const std::string& text,
                                    const std::vector<std::string>& keywords,
                                    LeftoverPlaces places = LeftoverPlaces::kCodeToo);

}  // namespace host
