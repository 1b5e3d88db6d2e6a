// Runner: one conversion run over a source tree. Walks the tree, scans the
// Java files for the types they declare, drives every file through the
// plug-in's two passes into the staging folder, checks what came out and
// moves it into place, keeps failed files unchanged, and sums up.
#pragma once

#include <string>
#include <vector>

#include "FileFindings.h"
#include "HostObjects.h"
#include "IConvert.h"
#include "JavaSource.h"
#include "OutputTree.h"
#include "RuleCoverage.h"
#include "SourceTree.h"

namespace host {

struct RunOptions {
    std::string sourceDir;  // absolute, ending in "/"
    std::string outputDir;  // absolute, ending in "/"; empty for SOURCE/Convert/
    RuleFacts rules;
    // The rules as the plug-in keys them, for the names no rule covers and
    // the reasons of failures; none: neither is looked for.
    const RuleSet* ruleSet = nullptr;
    bool progress = false;  // show a progress line on standard error
    // Converted files get the source's layout back; false keeps the
    // plug-in's own layout.
    bool sourceLayout = true;
    // Exact mode: the compiler's answers, the first source of names.
    const CompilerNames* compilerNames = nullptr;
};

// kRefused: the plug-in would not start the file (its rules did not load).
// kLink: a symbolic link, made again as a link with the same target.
enum class FileResult { kConverted, kCopied, kLink, kFailed, kNotParsed, kRefused };

struct FileReport {
    std::string path;  // relative to the source root
    FileResult result = FileResult::kCopied;
    std::string reason;
    std::string linkTarget;  // of a link
    std::vector<LogLine> log;
    std::vector<std::string> messages;
    // Of a converted file: names a rule renames, left as written because
    // the types of their receivers are not known.
    std::vector<std::string> leftAsWritten;
    // Of a converted file that keeps the plug-in's layout: why the
    // source's could not be restored.
    std::string layoutNote;
    // Of a failed Java file: the line and text of the statement that failed.
    int line = 0;
    std::string statement;
    // Of a Java file that parsed: its names under the rules.
    std::vector<NameUse> uses;
    // Of a file that the plug-in converted whose tokens stayed the same
    // (identity rules): it is the source itself, counted as copied.
    bool tokensKept = false;
    // Of a converted file: the keywords still in its text.
    std::vector<Leftover> leftovers;
};

struct RunReport {
    std::vector<FileReport> files;
    int converted = 0;
    int copied = 0;
    int links = 0;
    int failed = 0;        // files that failed, did not parse or could not be read or written
    bool refused = false;  // the plug-in refused to start a file
    std::string refusal;
    int interrupted = 0;  // the signal that ended the run early, or 0
    size_t total = 0;     // entries in the source tree
    double seconds = 0;
};

// The output root for these options: the output directory, or
// SOURCE/Convert/ without one.
std::string outputRoot(const RunOptions& options);

class Runner {
public:
    // The host serves output.staging() as its output root.
    Runner(const RunOptions& options, Host& host, tala::IConvert& convert,
           const OutputTree& output);

    RunReport run();

private:
    RunOptions options;
    Host& host;
    tala::IConvert& convert;
    const OutputTree& output;
    TreeTypes treeTypes;

    void scanTypes(const std::vector<SourceEntry>& entries);
    FileReport convertEntry(const SourceEntry& entry);
    FileReport convertFile(const std::string& rel);
    void convertThroughPlugin(const std::string& rel, FileReport& report);
    int playSteps(const JavaSource& source);
    int runPasses(const JavaSource* source, bool& converted, bool& refused);
    void finishPlugin(FileReport& report, int result, bool converted, const std::string& why);
    bool checkStaged(FileReport& report, const JavaSource* source, const std::string& sourceText);
    bool restoreStaged(FileReport& report, const JavaSource& source, const std::string& sourceText,
                       const std::string& convertedText, JavaSource& converted,
                       JavaSource& restored);
    void keepUnchanged(FileReport& report, const std::string& why);
    bool place(FileReport& report);
};

}  // namespace host
