// LightScan: what a Java file's bytes tell without a parse. A lexer that
// knows comments, strings, character literals and text blocks reads the
// file once and gives its package, the types it declares (a type declared
// inside another one as Outer.Inner, wherever it stands in it, as the
// parse names them), and the identifiers of its code. It is what the run
// knows of a file that it does not parse.
#pragma once

#include <string>
#include <vector>

namespace host {

struct LightScan {
    std::string package;  // empty: the default package
    // The declared types, in the order they start, each as written under
    // its enclosing types; a name declared twice is there twice.
    std::vector<std::string> types;
    // Every identifier outside comments and literals (keywords too),
    // sorted, each once.
    std::vector<std::string> identifiers;
};

LightScan lightScan(const std::string& text);

}  // namespace host
