// Runner: one file's pipeline, up to the plug-in's passes and what they
// leave.
#include "run/Runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "names/JdkNames.h"
#include "names/NameResolution.h"
#include "plugin/Plugin.h"
#include "plugin/StatementLayout.h"
#include "run/CompilerOnly.h"
#include "run/OutputRoot.h"
#include "syntax/FileText.h"
#include "syntax/TreeMemory.h"

namespace host {

namespace {

constexpr char kConvertDir[] = "Convert/";
constexpr int kRunAgain = 1;
// The plug-in asks for one writing pass; more is a fault of the plug-in.
constexpr int kMaxPasses = 2;
// runPasses: the plug-in could not copy or open the output file.
constexpr int kOutputFailed = -2;

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void splitPath(const std::string& rel, std::string& dir, std::string& name) {
    size_t slash = rel.rfind('/');
    dir = slash == std::string::npos ? std::string() : rel.substr(0, slash + 1);
    name = slash == std::string::npos ? rel : rel.substr(slash + 1);
}

// Empty when the file can be opened for reading, else why not.
std::string unreadable(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string("cannot be read: ") + strerror(errno);
    close(fd);
    return std::string();
}

// A file's size (-1 when it cannot be read) and permission bits.
struct FileShape {
    long long size = -1;
    mode_t mode = 0;
};

FileShape fileShape(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return FileShape{};
    return FileShape{static_cast<long long>(status.st_size), status.st_mode & 0777};
}

// The line a parse failure names ("line 12: ...", "... at line 12").
int lineOfReason(const std::string& reason) {
    size_t at = reason.rfind("line ");
    return at == std::string::npos ? 0 : atoi(reason.c_str() + at + 5);
}

}  // namespace

std::string outputRoot(const RunOptions& options) {
    return options.outputDir.empty() ? options.sourceDir + kConvertDir : options.outputDir;
}

Runner::Runner(const RunOptions& runOptions, Host& runHost, tala::IConvert& converter,
               const OutputTree& outputTree)
    : options(runOptions), host(runHost), convert(converter), output(outputTree) {}

FileReport Runner::convertEntry(const SourceEntry& entry, bool convertJava, FileScan* declared) {
    FileReport report;
    report.path = entry.rel;
    std::string staging = std::string(kStagingName) + "/";
    if (entry.rel.compare(0, staging.size(), staging) == 0 || entry.rel == kStagingName ||
        entry.rel == kRootMarkName) {
        report.result = FileResult::kFailed;
        report.reason = "its name is one that nidus-convert keeps for itself in the output root (" +
                        entry.rel.substr(0, entry.rel.find('/')) +
                        "), so it cannot be written to the output";
        return report;
    }
    switch (entry.kind) {
    case EntryKind::kFile:
        return convertFile(entry.rel, convertJava, declared);
    case EntryKind::kLink:
        // Never followed: made again as a link with the same target text.
        report.result = FileResult::kLink;
        report.linkTarget = entry.target;
        if (!output.stageLink(entry.target, entry.rel, report.reason)) {
            report.result = FileResult::kFailed;
            return report;
        }
        place(report);
        return report;
    case EntryKind::kUnreadable:
    case EntryKind::kOther:
        report.result = FileResult::kFailed;
        report.reason = entry.reason;
        return report;
    }
    return report;
}

FileReport Runner::convertFile(const std::string& rel, bool convertJava, FileScan* declared) {
    if (options.exclude.excludes(rel)) {
        FileReport copied = copyUnconverted(rel);
        copied.excluded = copied.result == FileResult::kCopied;
        return copied;
    }
    // The plug-in converts Java files only: any other file it would copy.
    if (!convertJava || !endsWith(rel, ".java")) return copyUnconverted(rel);
    FileReport report;
    report.path = rel;
    TreeMemoryScope memory;
    convertThroughPlugin(rel, report, declared);
    return report;
}

// A file that the plug-in would copy unchanged: a file other than Java, or
// a Java file that the rules cannot touch. The copy keeps the source's
// permission bits.
FileReport Runner::copyUnconverted(const std::string& rel) {
    FileReport report;
    report.path = rel;
    report.result = FileResult::kCopied;
    if (!output.stageCopy(options.sourceDir + rel, rel, report.reason)) {
        std::string unread = unreadable(options.sourceDir + rel);
        if (!unread.empty()) report.reason = unread;
        output.drop(rel);
        report.result = FileResult::kFailed;
        return report;
    }
    place(report);
    return report;
}

// One Java file's pipeline: it is read, parsed, its names resolved and its
// statements laid out (one that does not parse never reaches the plug-in),
// then it goes through the plug-in's passes; a converted file gets its
// source's layout back and is checked before it takes its place. The parse
// gives the types the file declares too (declared).
void Runner::convertThroughPlugin(const std::string& rel, FileReport& report,
                                  FileScan* declared) {
    JavaSource source;
    std::vector<Step> steps;
    std::string text;
    bool parsed =
        readAndParse(rel, text, source, report, declared != nullptr ? declared->lexedTokens : 0);
    if (declared != nullptr) declared->parsed = true;
    if (!parsed) return;
    if (!resolveAndLayOut(rel, source, steps, report, declared)) {
        report = copyUnconverted(rel);
        return;
    }
    if (options.compilerNames != nullptr && options.ruleSet != nullptr)
        markCompilerOnly(text, scan.types(), options.rules, *options.ruleSet, report.uses);
    // The plug-in would convert the file and leave this name behind.
    if (const NameUse* left = classLeftUnconverted(report.uses, source.leaves())) {
        FailedStatement failed = statementAt(source, steps, text, left->leaf);
        report.result = FileResult::kFailed;
        report.line = failed.line;
        report.statement = failed.statement;
        keepUnchanged(report, "no rule for class " + left->name);
        noteLeftovers(text, report);
        return;
    }
    bool converted = false;
    bool refused = false;
    std::string why;
    int result = runPlugin(rel, source, steps, text, report, converted, refused, why);
    if (refused) {
        report.result = FileResult::kRefused;
        return;
    }
    finishPlugin(report, result, converted, why);
    if (report.result == FileResult::kConverted) {
        // The plug-in is done with the steps and the leaves; the check
        // needs the memory.
        std::vector<Step>().swap(steps);
        std::vector<std::string> leftAsWritten =
            unresolvedRuleNames(source.leaves(), options.rules);
        source.releaseLeaves();
        if (!checkStaged(report, source, text) || !place(report)) return;
        if (report.result == FileResult::kConverted) {
            report.leftAsWritten = std::move(leftAsWritten);
            return;
        }
    }
    noteLeftovers(text, report);
}

// An unchanged Java file may hold vendor names too (a name in its code
// that no rule reached, a class name in a string, a javadoc reference),
// and so may one that failed when its copy is in the output
// (keepUnchanged says so in its reason): there, its failure stands for
// the names of its code.
void Runner::noteLeftovers(const std::string& text, FileReport& report) const {
    if (options.ruleSet == nullptr || report.result == FileResult::kConverted) return;
    bool failed = report.result == FileResult::kFailed;
    if (failed && !endsWith(report.reason, "; copied unchanged")) return;
    report.leftovers =
        findLeftovers(text, options.ruleSet->keywords,
                      failed ? LeftoverPlaces::kStringsAndJavadoc : LeftoverPlaces::kCodeToo);
}

// false when the file cannot be read or does not parse: the report says
// why, and the source is kept unchanged.
bool Runner::readAndParse(const std::string& rel, std::string& text, JavaSource& source,
                          FileReport& report, size_t lexedTokens) {
    if (!readFileText(options.sourceDir + rel, text)) {
        report.result = FileResult::kFailed;
        report.reason = std::string("cannot be read: ") + strerror(errno);
        return false;
    }
    if (source.parse(text, lexedTokens)) return true;
    report.result = source.tooDeep() ? FileResult::kFailed : FileResult::kNotParsed;
    report.line = lineOfReason(source.reason());
    keepUnchanged(report, source.tooDeep() ? source.reason()
                                           : "not parsed (" + source.reason() + ")");
    return false;
}

// The names of a parsed file (with the compiler's records in exact mode),
// its steps, and the uses of the rules' names in it; declared: the types
// it declares. false when the file is to be copied as it is.
bool Runner::resolveAndLayOut(const std::string& rel, JavaSource& source, std::vector<Step>& steps,
                              FileReport& report, FileScan* declared) {
    std::vector<NameRecord> exact;
    bool attributed =
        options.compilerNames != nullptr && options.compilerNames->recordsOf(rel, exact);
    resolveNames(source, scan.types(), options.rules, attributed ? &exact : nullptr,
                 declared != nullptr ? &declared->declared : nullptr);
    // A file kept for the names that lead to the vendor, none of whose
    // names turns out to hold a keyword, is one the plug-in would copy:
    // the argument of the prefilter (Prefilter.h) holds for it as for the
    // files never parsed.
    if (declared != nullptr && declared->forLeadsOnly && !namesHoldKeyword(source.leaves()))
        return false;
    steps = layOutSteps(source);
    if (options.ruleSet != nullptr) report.uses = findRuleUses(source, steps, *options.ruleSet);
    return true;
}

bool Runner::namesHoldKeyword(const std::vector<Leaf>& leaves) const {
    return std::any_of(leaves.begin(), leaves.end(), [&](const Leaf& leaf) {
        return containsAnyPackage(leaf.qualified, options.rules.packageKeywords);
    });
}

// The plug-in's passes over the file, with the host serving it; why: the
// failed statement's reason when the passes failed.
int Runner::runPlugin(const std::string& rel, const JavaSource& source,
                      const std::vector<Step>& steps, const std::string& text,
                      FileReport& report, bool& converted, bool& refused, std::string& why) {
    MessageDesk& desk = messageDesk();
    desk.fileMessages.clear();
    desk.fileQuestions.clear();
    desk.declined.clear();
    std::string dir;
    std::string name;
    splitPath(rel, dir, name);
    host.setFile(dir, name, &source.leaves());
    desk.place = [this, rel] {
        int line = host.lineInHand();
        return line > 0 ? rel + ":" + std::to_string(line) : rel;
    };
    int result = runPasses(source, steps, converted, refused);
    desk.place = nullptr;
    report.log = host.takeLog();
    report.messages = desk.fileMessages;
    report.questions = desk.fileQuestions;
    if (result != 0) {
        FailedStatement failed = explainFailure(source, text, report.uses, host, desk.declined);
        report.line = failed.line;
        report.statement = failed.statement;
        why = failed.reason;
    }
    host.setFile(std::string(), std::string(), nullptr);
    return result;
}

// What the plug-in's passes left: a failure keeps the source unchanged; a
// converted file waits for its check, a copy is checked here.
void Runner::finishPlugin(FileReport& report, int result, bool converted, const std::string& why) {
    if (result != 0) {
        output.drop(report.path);
        report.result = FileResult::kFailed;
        if (result == kOutputFailed) {
            keepUnchanged(report, "the plug-in could not write its output file");
        } else {
            keepUnchanged(report, why.empty() ? "conversion failed" : why);
        }
        return;
    }
    report.result = converted ? FileResult::kConverted : FileResult::kCopied;
    if (converted) return;
    std::string source = options.sourceDir + report.path;
    FileShape from = fileShape(source);
    FileShape staged = fileShape(output.stagedPath(report.path));
    // A copy that is missing or short is made again by the host, which
    // names the reason when it fails as well.
    bool whole = staged.size == from.size;
    if (!whole && !output.stageCopy(source, report.path, report.reason)) {
        report.result = FileResult::kFailed;
        return;
    }
    // The host's copy takes the source's bits itself; the plug-in's gets
    // them only where its own differ.
    bool modeKept = !whole || (from.size >= 0 && staged.mode == from.mode);
    if (!modeKept && !output.keepMode(source, report.path, report.reason)) {
        report.result = FileResult::kFailed;
        return;
    }
    place(report);
}

// beginFile ... endFile, again while endFile asks for it. 0 when the file
// was converted or copied by the plug-in, -1 when it failed, kOutputFailed
// when the plug-in could not copy or open its output (no output file is
// left open then).
int Runner::runPasses(const JavaSource& source, const std::vector<Step>& steps, bool& converted,
                      bool& refused) {
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        if (convert.beginFile() != 0) {
            refused = true;
            return -1;
        }
        int played = playSteps(source, steps);
        if (played != 0) {
            // A writing pass may have left the output file open, or the
            // plug-in may open it anew: close it either way.
            if (pass > 0 && convert.endFile() == kRunAgain) convert.endFile();
            return -1;
        }
        int ended = convert.endFile();
        if (ended == kRunAgain) {
            converted = true;
            continue;
        }
        return ended == 0 ? 0 : kOutputFailed;
    }
    // Asked for a third pass: close what is open and give up.
    convert.endFile();
    return -1;
}

int Runner::playSteps(const JavaSource& source, const std::vector<Step>& steps) {
    const std::vector<Leaf>& leaves = source.leaves();
    for (const Step& step : steps) {
        int result = 0;
        switch (step.kind) {
        case StepKind::kStatement: {
            const Statement& statement = step.statements[0];
            if (leaves[statement.first].blankLine) convert.outputText("\n");
            HostStatement stmt(leaves, statement);
            host.enterStatement(statement);
            result = convert.convertStmt(&stmt);
            if (result != 0) host.noteFailure(statement);
            break;
        }
        case StepKind::kBody:
            host.setBody(&step.statements);
            result = convert.convertBody(tala::kBodyClosed);
            host.setBody(nullptr);
            break;
        case StepKind::kBeginBlock:
            result = convert.beginBlock();
            break;
        case StepKind::kEndBlock:
            result = convert.endBlock();
            break;
        }
        if (result != 0) return -1;
    }
    return 0;
}

}  // namespace host
