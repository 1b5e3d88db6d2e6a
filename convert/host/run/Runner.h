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
#include "run/Workers.h"
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
    RuleSet noRules;
    // The tree's Java files: their bytes, the types they declare, and
    // which are converted (TreeScan.h).
    TreeScan scan;
    std::vector<size_t> javaEntries;  // by the scan's number: the entry
    std::vector<size_t> javaSlot;     // by entry: the scan's number, or kNotJava
    static constexpr size_t kNotJava = static_cast<size_t>(-1);
    bool prefiltering = false;  // Java files the rules cannot touch are copied
    // By entry: a Java file that the prefilter lets through.
    std::vector<bool> toConvert;
    // The first file that asked each question, for their order.
    std::map<std::string, size_t> firstAsker;

    // ScanTree.cpp: the bytes of the Java files, the rounds of conversion
    // they lead to, and the types that converted files declare.
    void scanTree(const std::vector<SourceEntry>& entries);
    std::vector<size_t> firstRound(const std::vector<SourceEntry>& entries) const;
    std::vector<size_t> nextTasks(bool idle, bool& copying, size_t entryCount);
    std::string takeDeclarations(const SourceEntry& entry, size_t index, FileScan& declared);
    std::string readNews(const std::string& reads);
    void hearNews(const std::string& news);
    bool hasDeclarations(size_t index) const;
    void learnDeclarations(size_t index, FileScan& declared);
    std::string packResult(const FileReport& file, const FileScan& declared);
    bool unpackResult(const std::string& packed, FileReport& file, FileScan& declared,
                      std::string& reads) const;

    // RunTree.cpp: the run over the tree.
    static void returnFreedMemory();
    bool convertTree(const std::vector<SourceEntry>& entries, RunReport& report,
                     std::string& reason);
    void makeStagingFolders(const std::vector<SourceEntry>& entries);
    void placeEmptyFolders(const std::vector<std::string>& folders, RunReport& report);
    std::string convertInWorker(const SourceEntry& entry, size_t index, bool convertJava,
                                const WorkerPool::Relay& relay);
    int answer(const std::string& place, const std::string& caption, const std::string& text);
    void orderQuestions();
    FileReport lostFile(const std::string& rel, const std::string& why);
    const RuleSet& ruleSet() const { return options.ruleSet != nullptr ? *options.ruleSet : noRules; }

    // Runner.cpp: one file, up to the plug-in's passes.
    FileReport convertEntry(const SourceEntry& entry, bool convertJava, FileScan* declared);
    // The scan for the entry at index to fill, with what the pass over its
    // bytes measured.
    FileScan scanToFill(size_t index) const;
    FileReport convertFile(const std::string& rel, bool convertJava, FileScan* declared);
    FileReport copyUnconverted(const std::string& rel);
    void convertThroughPlugin(const std::string& rel, FileReport& report, FileScan* declared);
    void noteLeftovers(const std::string& text, FileReport& report) const;
    bool readAndParse(const std::string& rel, std::string& text, JavaSource& source,
                      FileReport& report, size_t lexedTokens);
    bool resolveAndLayOut(const std::string& rel, JavaSource& source, std::vector<Step>& steps,
                          FileReport& report, FileScan* declared);
    bool namesHoldKeyword(const std::vector<Leaf>& leaves) const;
    int runPlugin(const std::string& rel, const JavaSource& source, const std::vector<Step>& steps,
                  const std::string& text, FileReport& report, bool& converted, bool& refused,
                  std::string& why);
    int playSteps(const JavaSource& source, const std::vector<Step>& steps);
    int runPasses(const JavaSource& source, const std::vector<Step>& steps, bool& converted,
                  bool& refused);
    void finishPlugin(FileReport& report, int result, bool converted, const std::string& why);

    // StagedFiles.cpp: the checks of what the plug-in staged.
    bool checkStaged(FileReport& report, const JavaSource& source, const std::string& sourceText);
    void noteStagedLeftovers(FileReport& report, const std::string& text,
                             JavaSource* parsed) const;
    bool restoreStaged(FileReport& report, const JavaSource& source, const std::string& sourceText,
                       const std::string& convertedText, std::string& text);
    void keepUnchanged(FileReport& report, const std::string& why);
    bool place(FileReport& report);
};

}  // namespace host
