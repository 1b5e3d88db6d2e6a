// MembersText: a Java file's text without its bodies and comments, each
// run of blanks between two tokens made one (what the run parses a file's
// declarations from), and the leaner text that the members of a file read
// on demand come from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "syntax/LightScan.h"

namespace host {

// An import declaration: the name it imports as MembersText's text would
// write it (without a ".*"), whether it is static, and whether it imports
// on demand.
struct LightImport {
    std::string name;
    bool isStatic = false;
    bool onDemand = false;
};

// text (scan: its scan) without the insides of its bodies (LightScan::
// bodies) and without its comments, each run of blanks between two tokens made one: the
// members it declares parse the same, and much faster. text itself when
// its braces do not balance.
std::string withoutBodies(const std::string& text, const LightScan& scan);

// What the members of a file's types are read from: withoutBodies's text
// without what that read never asks for (the imports in their plainest
// form, which go to imports, in order: their parse is a fifth of the
// text's; the throws clauses of plain names; the modifiers but static and
// default), and where in it each word that opens a type declaration or a
// throws clause starts (typeMarks, in order). text itself, and no marks,
// when its braces do not balance.
struct MembersText {
    std::string text;
    std::vector<LightImport> imports;
    std::vector<unsigned> typeMarks;
    bool marked = false;  // typeMarks holds every such word of text
};

MembersText membersText(const std::string& text, const LightScan& scan);

// Java's reserved words and the words the grammar may read as keywords in
// a name: an import that holds one is left to the parse.
bool isKeywordLike(std::string_view word);

// Whether a word (a token's text, a leaf's) opens a type declaration, a
// throws clause or a throw: what the walk for a file's own types acts on.
bool opensTypeOrThrows(std::string_view word);

}  // namespace host
