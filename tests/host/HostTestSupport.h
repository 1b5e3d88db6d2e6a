// Support for the conversion host's tests: corpus files, temporary trees,
// running nidus-convert and javac.
#pragma once

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace hosttest {

// One corpus case: "=====" header with the name (and :flags), the Java
// input, a "-----" line, the expected output; "(unchanged)" as expected
// output means the output must be the input byte for byte. Where exact
// mode (--classpath) converts otherwise, a "~~~~~" line and its expected
// output follow. In exact mode, exactcheck and exactfails stand for check
// and fails.
struct CorpusCase {
    std::string file;  // corpus file name without extension
    std::string name;
    // crlf, error, fails, check, nocompile, exactfails, exactcheck
    std::set<std::string> flags;
    std::string input;
    std::string expected;
    std::string exactExpected;  // empty: as expected
    bool unchanged = false;
    std::string testName;  // usable as a test name
    std::string relPath;   // where the case lies in the source tree
};

std::vector<CorpusCase> loadCorpus(const std::string& dir);

// GoogleTest names a failing case by its test name.
void PrintTo(const CorpusCase& corpusCase, std::ostream* out);

// Writes the expected outputs back into the corpus files (update mode).
void writeCorpus(const std::string& dir, const std::vector<CorpusCase>& cases);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
std::string makeTempDir();

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error
};

CommandResult runCommand(const std::string& command);
std::string quote(const std::string& text);

// javac over files, with sourcePath for the stubs. Empty text when
// everything compiled, else javac's messages.
std::string compileJava(const std::vector<std::string>& files, const std::string& sourcePath);
bool haveJavac();
// Whether nidus-convert was built with exact mode (its helper needs a JDK
// at build time) and a JDK is here to run it.
bool haveExactMode();

// What makes output, a converted file, differ from its source in layout
// and not in content: a line count other than the source's (import lines
// aside), a changed line that differs only in white space, a line comment
// that is no longer one where it was, a line that gains a trailing blank.
// One text per fault, with its line; empty when there is none.
std::vector<std::string> layoutFaults(const std::string& source, const std::string& output);

// Every regular file below dir, relative, sorted.
std::vector<std::string> listTree(const std::string& dir);

}  // namespace hosttest

namespace hosttest {

// The golden dump of name resolution: for every corpus file, the text of
// its .names file beside it, which lists per case every leaf that is a name
// or has a qualified name: its line, text, kind, qualified name and, when
// left unresolved, the kind it stands for. The cases are one tree, resolved
// against the rules of rulesPath; empty map when the rules cannot be read.
std::map<std::string, std::string> nameDumps(const std::vector<CorpusCase>& cases,
                                             const std::string& rulesPath);

// Where exact mode's names differ from the host's own, per case: one line
// per leaf, "LINE TEXT: KIND QUALIFIED -> KIND QUALIFIED" (with ?KIND for
// an unresolved name), under "== FILE: CASE" for each case with any. The
// cases are one tree below sourceDir, attributed with classpath; unresolved
// counts the leaves exact mode leaves unresolved in cases that compile.
// Empty text and reason set when the compiler cannot run.
std::string exactNameDifferences(const std::vector<CorpusCase>& cases, const std::string& rulesPath,
                                 const std::string& sourceDir, const std::string& classpath,
                                 int& unresolved, std::string& reason);

// The classes of every Java file below dir, compiled into a new temporary
// folder; empty when javac fails.
std::string compileClasses(const std::string& dir);

}  // namespace hosttest
