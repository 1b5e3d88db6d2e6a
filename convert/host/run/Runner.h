// Runner: one conversion run over a source tree. Walks the tree, scans the
// Java files for the types they declare, skips (and never parses) the
// files that the rules cannot touch, drives every other file through the plug-in's two passes
// into the staging folder, checks what came out and moves it into place,
// keeps failed files unchanged, and sums up; the files are dealt out to
// worker processes.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "IConvert.h"
#include "names/CompilerNames.h"
#include "names/SemanticModel.h"
#include "plugin/HostObjects.h"
#include "plugin/RuleCoverage.h"
#include "run/ExcludePatterns.h"
#include "run/FileReport.h"
#include "run/OutputTree.h"
#include "run/SourceTree.h"
#include "run/TreeScan.h"
#include "syntax/JavaSource.h"

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
    // Worker processes that convert the files; 1 converts them in the
    // run's own process.
    int workers = 1;
    // Java files that the rules cannot touch are copied without being
    // converted (Prefilter.h).
    bool prefilter = true;
    // For tests of a worker that dies: the worker that is given this file
    // (relative path) kills itself.
    std::string killWorkerAt;
    // The same for the worker that scans this file; a file scanned again
    // in the run's own process is not killed.
    std::string killScanAt;
    // Exact mode: the compiler's answers, the first source of names.
    const CompilerNames* compilerNames = nullptr;
    // What --exclude matches is copied unchanged, never parsed.
    ExcludePatterns exclude;
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
    RuleSet noRules;
    // By entry: a Java file that the prefilter lets through.
    std::vector<bool> toConvert;
    // The first file that asked each question, for their order.
    std::map<std::string, size_t> firstAsker;

    // The scan's Java files, and those it parsed (the rest are known by
    // their bytes).
    size_t javaFiles = 0;
    size_t parsedFiles = 0;

    // ScanTree.cpp: the scan.
    bool scanTree(const std::vector<SourceEntry>& entries, std::string& reason);
    void readTreeBytes(const std::vector<SourceEntry>& entries, const std::vector<size_t>& java,
                       const PrefilterKeys& keys, TreeScan& scan);
    bool parseKept(const std::vector<SourceEntry>& entries, const std::vector<size_t>& java,
                   TreeScan& scan, std::string& reason);

    // RunTree.cpp: the run over the tree.
    static void returnFreedMemory();
    bool convertTree(const std::vector<SourceEntry>& entries, RunReport& report,
                     std::string& reason);
    void makeStagingFolders(const std::vector<SourceEntry>& entries);
    void placeEmptyFolders(const std::vector<std::string>& folders, RunReport& report);
    std::string convertInWorker(
        const SourceEntry& entry, size_t index,
        const std::function<int(const std::string&, const std::string&, const std::string&)>&
            relay);
    int answer(size_t index, const std::string& place, const std::string& caption,
               const std::string& text);
    void orderQuestions();
    FileReport lostFile(const std::string& rel, const std::string& why);
    const RuleSet& ruleSet() const { return options.ruleSet != nullptr ? *options.ruleSet : noRules; }

    // Runner.cpp: one file.
    FileReport convertEntry(const SourceEntry& entry, bool convertJava);
    FileReport convertFile(const std::string& rel, bool convertJava);
    FileReport copyUnconverted(const std::string& rel);
    void convertThroughPlugin(const std::string& rel, FileReport& report);
    void noteLeftovers(const JavaSource& source, const std::string& text,
                       FileReport& report) const;
    bool readAndParse(const std::string& rel, std::string& text, JavaSource& source,
                      FileReport& report);
    void resolveAndLayOut(const std::string& rel, JavaSource& source, std::vector<Step>& steps,
                          FileReport& report);
    int runPlugin(const std::string& rel, const JavaSource* source, const std::vector<Step>& steps,
                  const std::string& text, FileReport& report, bool& converted, bool& refused,
                  std::string& why);
    int playSteps(const JavaSource& source, const std::vector<Step>& steps);
    int runPasses(const JavaSource* source, const std::vector<Step>& steps, bool& converted,
                  bool& refused);
    void finishPlugin(FileReport& report, int result, bool converted, const std::string& why);
    bool checkStaged(FileReport& report, const JavaSource* source, const std::string& sourceText);
    bool restoreStaged(FileReport& report, const JavaSource& source, const std::string& sourceText,
                       const std::string& convertedText, JavaSource& converted,
                       JavaSource& restored);
    void keepUnchanged(FileReport& report, const std::string& why);
    bool place(FileReport& report);
};

}  // namespace host
