// CompilerNames: the compiler's answers for exact mode (--classpath). Runs
// the Java helper (NidusNames, in nidus-names.jar) once over the tree's
// Java files, keeps its output in an unlinked temporary file with an index
// per file, and reads one file's records when asked, so that a run over
// thousands of files never holds more than one file's records. The file
// stays open for the process and the processes it forks; reads never move
// a shared offset.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "names/CompilerSetup.h"

namespace host {

// What a name use denotes, as the helper's records say (one letter each
// in its output: see NidusNames.java).
enum class NameKind {
    kPackage,      // P
    kClass,        // C
    kField,        // F
    kMethod,       // M
    kConstructor,  // N
    kLocal,        // L
    kParameter,    // A
    kOverride,     // O: a method declaration that overrides one from outside the tree
    kDeclared,     // D: a method declaration that overrides none from outside it
    kUnresolved,   // U: the compiler could not tell
};

// One name of a file: its bytes [start, end), its kind, the qualified name
// of what declares it (empty for none: a local, a member of an anonymous
// class), its name, and a method's or constructor's declared parameter
// types (erased, qualified).
struct NameRecord {
    NameKind kind = NameKind::kUnresolved;
    unsigned start = 0;
    unsigned end = 0;
    std::string owner;
    std::string name;
    std::vector<std::string> parameters;
};

// A record line of the helper's output; false when it is none.
bool parseNameRecord(const std::string& line, NameRecord& record);

// The records of recordsTextOf's text, in the order of their bytes.
std::vector<NameRecord> parseNameRecords(const std::string& text);

// The compiler's errors in one file: how many, the first one's line and text.
struct CompilerErrors {
    int count = 0;
    int line = 0;
    std::string message;
};

// Which files the helper attributes: all of them, or (leads) those that can
// name the vendor (the argument is in NidusLeads.java), told by the package
// keywords, the texts that touch a file wherever they stand and the code
// names that touch it. The others are read for their declarations only.
struct CompilerChoice {
    bool leads = false;
    std::vector<std::string> keywords;
    std::vector<std::string> texts;
    std::vector<std::string> names;
};

class CompilerNames {
public:
    CompilerNames() = default;
    ~CompilerNames();
    CompilerNames(const CompilerNames&) = delete;
    CompilerNames& operator=(const CompilerNames&) = delete;

    // Runs the helper over files (relative to sourceDir, which ends in "/"),
    // attributing those that choice gives. false with a reason when it could
    // not run or failed; the compiler's errors in the files are no failure.
    // The helper runs in a process group of its own, which is killed at
    // once when interrupted (checked while it runs) says the run is to end;
    // false then too.
    bool run(const CompilerSetup& setup, const std::string& sourceDir,
             const std::vector<std::string>& files, const CompilerChoice& choice,
             const std::function<bool()>& interrupted, std::string& reason);

    // The records of a file, in the order of their bytes; false when the
    // compiler gave none for it (it was not attributed).
    bool recordsOf(const std::string& rel, std::vector<NameRecord>& records) const;
    // The bytes of a file's records, as the helper wrote them (one line
    // each); false when it was not attributed.
    bool recordsTextOf(const std::string& rel, std::string& text) const;
    // The compiler's errors in a file; null when it was not attributed.
    const CompilerErrors* errorsOf(const std::string& rel) const;
    size_t attributedFiles() const { return index.size(); }
    // What the helper wrote on standard error besides its answers.
    const std::vector<std::string>& notes() const { return helperNotes; }

private:
    struct Entry {
        off_t offset = 0;  // the first record after the file's header
        size_t size = 0;
        CompilerErrors errors;
    };
    int output = -1;  // the helper's output, unlinked
    std::map<std::string, Entry> index;
    std::vector<std::string> helperNotes;

    bool spawn(const CompilerSetup& setup, const std::string& sourceDir, bool leads, int request,
               int errors, const std::function<bool()>& interrupted, std::string& reason);
    bool indexOutput(std::string& reason);
    void addHeader(const std::string& line, off_t next, std::string& current);
};

// Exact mode's start: the classpath (--classpath's value), the JDK, and one
// run of the helper over javaFiles (the Java files below sourceDir, paths
// relative to it; a module declaration among them is left out) that
// attributes those that choice gives; the helper's notes become warnings.
// false with a reason for the user, or when interrupted ended the helper.
bool startExactMode(const std::string& classpathOption, const std::string& sourceDir,
                    const std::vector<std::string>& javaFiles, const CompilerChoice& choice,
                    bool progress, const std::function<bool()>& interrupted, CompilerNames& names,
                    std::string& reason);

// A one-line note for the summary when the compiler found errors in those of
// files (in the order of their paths) that it attributed: how many, and the
// first error; empty when there were none.
std::string compilerErrorNote(const CompilerNames& names, const std::vector<std::string>& files);

}  // namespace host
