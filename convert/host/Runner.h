// Runner: one conversion run over a source tree. Walks the tree, scans the
// Java files for the types they declare, drives every file through the
// plug-in's two passes, keeps failed files unchanged, and sums up.
#pragma once

#include <string>
#include <vector>

#include "HostObjects.h"
#include "IConvert.h"
#include "JavaSource.h"

namespace host {

struct RunOptions {
    std::string sourceDir;  // absolute, ending in "/"
    std::string outputDir;  // absolute, ending in "/"; empty for SOURCE/Convert/
    RuleFacts rules;
    bool progress = false;  // show a progress line on standard error
};

// kRefused: the plug-in would not start the file (its rules did not load).
enum class FileResult { kConverted, kCopied, kFailed, kNotParsed, kRefused };

struct FileReport {
    std::string path;  // relative to the source root
    FileResult result = FileResult::kCopied;
    std::string reason;
    std::vector<LogLine> log;
    std::vector<std::string> messages;
    // Of a converted file: names a rule renames, left as written because
    // the types of their receivers are not known.
    std::vector<std::string> leftAsWritten;
};

struct RunReport {
    std::vector<FileReport> files;
    int converted = 0;
    int copied = 0;
    int failed = 0;        // conversions that failed, and files that did not parse
    bool refused = false;  // the plug-in refused to start a file
    std::string refusal;
    double seconds = 0;
};

// The output root the plug-in uses for these options.
std::string outputRoot(const RunOptions& options);

class Runner {
public:
    Runner(const RunOptions& options, Host& host, tala::IConvert& convert);

    RunReport run();

    // Converts one Java text (the tree scan given); the file at relative
    // path rel. Used by run() and by tests.
    FileReport convertFile(const std::string& rel);

private:
    RunOptions options;
    Host& host;
    tala::IConvert& convert;
    TreeTypes treeTypes;

    std::vector<std::string> listFiles() const;
    void scanTypes(const std::vector<std::string>& files);
    int playSteps(const JavaSource& source);
    int runPasses(const JavaSource* source, bool& converted, bool& refused);
    bool copyUnchanged(const std::string& rel) const;
    void checkConverted(FileReport& report) const;
};

}  // namespace host
