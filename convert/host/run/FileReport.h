// FileReport: what the run found for one entry of the source tree, and for
// the whole run; a worker process sends its files' reports to the parent
// packed (encodeReport).
#pragma once

#include <string>
#include <vector>

#include "plugin/HostObjects.h"
#include "plugin/RuleCoverage.h"
#include "run/FileFindings.h"

namespace host {

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
    // The questions it asked (each time), for their order in the summary.
    std::vector<std::string> questions;
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
    // Of a copied file: --exclude matched it (or a folder it lies in).
    bool excluded = false;
    // Of a converted file: the keywords still in its text.
    std::vector<Leftover> leftovers;
};

struct RunReport {
    std::vector<FileReport> files;
    int converted = 0;
    int copied = 0;
    int links = 0;
    int excluded = 0;      // of the copied ones: files that --exclude matched
    int failed = 0;        // files that failed, did not parse or could not be read or written
    bool refused = false;  // the plug-in refused to start a file
    std::string refusal;
    int interrupted = 0;  // the signal that ended the run early, or 0
    size_t total = 0;     // entries in the source tree
    // Folders of the source left out of the output on purpose (.git), each
    // ending in "/".
    std::vector<std::string> leftOut;
    double seconds = 0;
    size_t javaFiles = 0;   // Java files the scan saw
    size_t parsedJava = 0;  // of them: parsed by the scan
};

std::string encodeReport(const FileReport& report, const RuleSet& rules);
// false when packed is not a packed report.
bool decodeReport(const std::string& packed, const RuleSet& rules, FileReport& report);

}  // namespace host
