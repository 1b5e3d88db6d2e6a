// nidus-convert: converts a Java source tree with the nidus plug-in.
// Options, the plug-in's rule file, the run and its summary; exit codes
// 0 (nothing failed), 1 (some files failed), 2 (the run did not start),
// 130 and 143 (interrupted).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "cli/InitRules.h"
#include "cli/Options.h"
#include "cli/PackageMap.h"
#include "cli/RuleChecks.h"
#include "cli/Report.h"
#include "cli/Summary.h"
#include "cli/UnifiedDiff.h"
#include "names/CompilerNames.h"
#include "names/ProgramFiles.h"
#include "plugin/HostObjects.h"
#include "plugin/Plugin.h"
#include "run/Interrupt.h"
#include "run/OutputRoot.h"
#include "run/OutputTree.h"
#include "run/Prefilter.h"
#include "run/Runner.h"
#include "run/SourceTree.h"
#include "syntax/FileText.h"

namespace {

namespace fs = std::filesystem;

// The file's bytes; what was read of a file that cannot be read.
std::string readText(const std::string& path) {
    std::string text;
    host::readFileText(path, text);
    return text;
}

std::string asDirectory(const fs::path& path) {
    std::string text = path.generic_string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

// The plug-in beside this program, else in its installed tree's lib/nidus/,
// else (for the program in its build folder) the one it was built with.
std::string defaultPlugin() {
    return host::programFile("libnidus.so", NIDUS_PLUGIN_DEFAULT);
}

// Where a dry run writes: a temporary folder (in TMPDIR, else /tmp),
// removed at the end.
std::string dryRunRoot() {
    const char* folder = getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                          "/nidus-dry-run-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return std::string();
    return pattern + "/";
}

// The unified diff of every converted file, source against output.
std::string diffConverted(const host::RunReport& report, const std::string& sourceRoot,
                          const std::string& outputRoot) {
    std::string diff;
    for (const host::FileReport& file : report.files) {
        if (file.result != host::FileResult::kConverted) continue;
        diff += host::unifiedDiff(readText(sourceRoot + file.path),
                                  readText(outputRoot + file.path), file.path);
    }
    return diff;
}

// Writes one result file whole or not at all; standard output for "-".
bool writeResult(const std::string& path, std::string& reason,
                 const std::function<bool(const std::string&, std::string&)>& write) {
    if (path == "-") return write(path, reason);
    return host::replaceFile(path, write, reason);
}

// --diff, --report and --init-rules after the run; 0, or exit code 1 when
// one of them cannot be written (the run itself is done by then).
int writeResults(const host::Options& options, const host::RunReport& report,
                 const host::RuleSet& ruleSet, const std::string& rulesText,
                 const host::PackageMap& map,
                 const std::string& sourceRoot, const std::string& outputRoot,
                 const host::CompilerNames* compiler) {
    std::string reason;
    bool ok = true;
    if (!options.diff.empty())
        ok = writeResult(options.diff, reason, [&](const std::string& path, std::string& why) {
            return host::writeTextFile(path, diffConverted(report, sourceRoot, outputRoot), why);
        });
    if (ok && !options.report.empty())
        ok = writeResult(options.report, reason, [&](const std::string& path, std::string& why) {
            return host::writeReport(path, report, ruleSet, why, compiler);
        });
    if (ok && !options.initRules.empty())
        ok = writeResult(options.initRules, reason, [&](const std::string& path, std::string& why) {
            return host::writeTextFile(
                path,
                host::completeRules(rulesText, host::collectMissing(report), map,
                                    map.dottedStrings(report)),
                why);
        });
    if (ok) return host::kExitOk;
    fprintf(stderr, "nidus-convert: %s\n", reason.c_str());
    return host::kExitFailed;
}

// The files written besides the output tree, checked before the run;
// 0, or the exit code.
int checkResultPaths(const host::Options& options, const host::RunOptions& run,
                     const std::string& rulesPath) {
    const std::pair<const char*, const std::string*> results[] = {
        {"--diff", &options.diff}, {"--report", &options.report}, {"--init-rules", &options.initRules}};
    for (const auto& result : results) {
        if (result.second->empty() || *result.second == "-") continue;
        std::string reason = host::checkResultPath(result.first, *result.second, run.sourceDir,
                                                   host::outputRoot(run), rulesPath);
        if (!reason.empty()) return host::usageError(reason);
    }
    return host::kExitOk;
}

// The canonical source root and the output root; 0, or the exit code.
int resolveRoots(const host::Options& options, host::RunOptions& run) {
    std::error_code error;
    if (!fs::is_directory(options.source, error))
        return host::usageError("source directory not found: " + options.source);
    run.sourceDir = asDirectory(fs::canonical(options.source, error));
    if (!options.output.empty()) {
        if (fs::exists(options.output, error) && !fs::is_directory(options.output, error))
            return host::usageError("output root is not a directory: " + options.output);
        // Links and dots resolved, so that no spelling of the source tree
        // passes for another folder.
        run.outputDir = asDirectory(fs::weakly_canonical(fs::absolute(options.output), error));
    }
    // SOURCE/Convert/ is the default root whether given or not.
    bool isDefault = host::outputRoot(run) == run.sourceDir + "Convert/";
    std::string reason = host::checkOutputRoot(run.sourceDir, host::outputRoot(run), isDefault);
    return reason.empty() ? host::kExitOk : host::usageError(reason);
}

// The rule file (given, or beside the plug-in), checked strictly and read;
// 0, or the exit code. rules receives its path.
int readRules(const host::Options& options, const std::string& plugin, host::RunOptions& run,
              std::string& rules, std::string& text, host::RuleSet& ruleSet) {
    std::error_code error;
    rules = options.rules;
    if (!rules.empty()) {
        if (!fs::exists(rules, error)) return host::usageError("rule file not found: " + rules);
        if (!fs::is_regular_file(rules, error))
            return host::usageError("the rule file " + rules +
                                    " is not a file (a folder, a pipe or a device)");
    } else {
        rules = (fs::path(plugin).parent_path() / "config.xml").string();
        if (!fs::is_regular_file(rules, error))
            return host::usageError("no config.xml beside the plug-in (" + rules +
                                    "); give one with --rules");
    }
    std::string reason;
    if (!host::checkRuleFile(rules, reason, &text)) return host::usageError(reason);
    ruleSet = host::readRuleSet(text);
    run.ruleSet = &ruleSet;
    for (const std::string& warning : ruleSet.warnings(rules))
        fprintf(stderr, "nidus-convert: warning: %s\n", warning.c_str());
    for (const std::string& warning :
         host::ruleWarnings(rules, ruleSet, run.sourceDir, host::outputRoot(run)))
        fprintf(stderr, "nidus-convert: warning: %s\n", warning.c_str());
    if (!host::readRuleFacts(rules, run.rules, reason)) return host::usageError(reason);
    if (run.rules.packageKeywords.empty())
        return host::usageError("the rule file " + rules +
                                " names no package keyword (KeyWords/Key kind=\"package\")");
    return host::kExitOk;
}

// How questions are answered; 0, or the exit code of an answers file that
// does not read.
int setUpAnswers(const host::Options& options, host::MessageDesk& desk) {
    desk.chinese = options.language == "Chinese";
    desk.waitToRead = host::waitToRead;
    std::string reason;
    std::error_code error;
    if (!options.answers.empty() && fs::exists(options.answers, error) &&
        !fs::is_regular_file(options.answers, error))
        return host::usageError("the answers file " + options.answers +
                                " is not a file (a folder, a pipe or a device)");
    if (!options.answers.empty() && !host::loadAnswers(options.answers, desk, reason))
        return host::usageError(reason);
    if (options.answer == "ask" || (options.answer.empty() && isatty(STDIN_FILENO))) {
        desk.mode = host::AnswerMode::kAsk;
    } else if (options.answer == "yes") {
        desk.mode = host::AnswerMode::kYes;
    } else {
        // --answer no, or nobody to ask: a question declines, and its file
        // fails.
        desk.mode = host::AnswerMode::kNo;
    }
    return host::kExitOk;
}

void printEnd(const host::Options& options, const host::RunReport& report,
              const std::string& outputRoot, const std::string& compilerNote,
              std::vector<std::string> unfired) {
    host::SummaryOptions summary;
    summary.outputShown =
        options.dryRun ? std::string("none (a dry run writes nothing)") : outputRoot;
    summary.sourceShown = asDirectory(options.source);
    if (summary.sourceShown == "./") summary.sourceShown.clear();
    summary.verbose = options.verbose;
    std::vector<host::MissingRule> missing = host::collectMissing(report);
    summary.missingRules = static_cast<int>(missing.size());
    for (const host::MissingRule& rule : missing) summary.compilerOnlyRules += rule.compilerOnly;
    summary.compilerNote = compilerNote;
    summary.unfired = std::move(unfired);
    // A diff on standard output stays clean for patch.
    summary.out = options.diff == "-" ? stderr : stdout;
    host::printSummary(report, summary);
    fflush(stdout);
}

// The paths this run put into the output, or kept out of it on purpose.
std::set<std::string> keptPaths(const host::RunReport& report) {
    std::set<std::string> kept;
    for (const host::FileReport& file : report.files) kept.insert(file.path);
    return kept;
}

int exitCode(const host::RunReport& report) {
    if (report.interrupted != 0) {
        fprintf(stderr,
                "nidus-convert: interrupted by %s after %zu of %zu files; the others are not "
                "in the output\n",
                host::interruptName(), report.files.size(), report.total);
        return host::interruptExitCode();
    }
    return report.failed == 0 ? host::kExitOk : host::kExitFailed;
}

// A run interrupted before its first file: the summary of none, the exit
// code of the signal.
int endBeforeFiles(const host::Options& options, const host::RunOptions& run,
                   const std::string& outputRoot) {
    host::RunReport report;
    report.interrupted = host::interruptSignal();
    report.total = host::listSourceTree(run.sourceDir, outputRoot).size();
    std::error_code error;
    if (options.dryRun) fs::remove_all(outputRoot, error);
    printEnd(options, report, outputRoot, std::string(), {});
    return exitCode(report);
}

// What the compiler attributes in exact mode: where the prefilter may skip
// files, only those that can name the vendor; every file otherwise, since
// each is converted.
host::CompilerChoice compilerChoice(const host::RunOptions& run, const host::RuleSet& rules) {
    host::CompilerChoice choice;
    host::PrefilterKeys keys = host::prefilterKeys(rules, run.rules);
    choice.leads = run.prefilter && keys.off.empty();
    choice.keywords = run.rules.packageKeywords;
    choice.texts = keys.texts;
    choice.names.assign(keys.names.begin(), keys.names.end());
    return choice;
}

}  // namespace

int main(int argc, char** argv) {
    host::Options options;
    bool done = false;
    int parsed = parseOptions(argc, argv, NIDUS_VERSION, options, done);
    if (done || parsed != host::kExitOk) return parsed;
    host::RunOptions run;
    static host::RuleSet ruleSet;
    std::string rulesText;
    std::string rulesPath;
    std::string plugin = options.plugin.empty() ? defaultPlugin() : options.plugin;
    if (plugin.empty())
        return host::usageError(
            "cannot tell where this program lies (/proc/self/exe); "
            "give the plug-in with --plugin");
    int setUp = resolveRoots(options, run);
    // A package move needs no rule file: the keyword it implies is enough
    // to start from.
    host::PackageMap map;
    std::string reason;
    if (setUp == host::kExitOk && !map.parse(options.maps, reason)) setUp = host::usageError(reason);
    std::string draft;
    if (setUp == host::kExitOk && !map.empty())
        setUp = host::draftWithKeywords(map, options.rules, draft);
    // The draft is removed however the run ends, once it is read.
    struct RemovedAtEnd {
        const std::string& path;
        ~RemovedAtEnd() {
            std::error_code ignored;
            if (!path.empty()) fs::remove_all(path, ignored);
        }
    } removeDraft{draft};
    if (setUp == host::kExitOk) setUp = readRules(options, plugin, run, rulesPath, rulesText, ruleSet);
    if (setUp == host::kExitOk) setUp = checkResultPaths(options, run, rulesPath);
    if (setUp == host::kExitOk) setUp = setUpAnswers(options, host::messageDesk());
    if (setUp != host::kExitOk) return setUp;

    // Everything is written into a staging folder first; the plug-in's
    // output root is that folder.
    std::string outputRoot = options.dryRun ? dryRunRoot() : host::outputRoot(run);
    if (outputRoot.empty()) return host::usageError("cannot make a folder for the dry run");
    static host::OutputTree tree(outputRoot);
    // Tests script a failing disk through the output tree.
    if (const char* faults = getenv("NIDUS_CONVERT_FAULTS")) {
        host::FaultPlan plan;
        std::string why;
        if (!plan.parse(faults, why)) return host::usageError(why);
        tree.injectFaults(plan);
    }
    // The host and the converter live as long as the process: the plug-in
    // never frees its converter, which keeps a pointer to the host.
    static host::Host service(run.sourceDir, tree.staging(), options.language);
    static host::LoadedPlugin loaded;
    std::error_code error;
    bool pluginLoaded = host::loadPlugin(
        plugin, options.rules.empty() ? std::string() : options.rules, &service, loaded, reason);
    // The plug-in has read its rules.
    if (!draft.empty()) fs::remove_all(draft, error);
    if (!pluginLoaded) {
        if (options.dryRun) fs::remove_all(tree.root(), error);
        return host::usageError(reason);
    }
    // One run at a time writes into an output root; the lock lasts as long
    // as the process.
    static host::RootOwner owner;
    if (!options.dryRun && !owner.claim(tree.root(), reason)) return host::usageError(reason);
    service.setConverter(loaded.convert);

    run.progress = isatty(STDERR_FILENO) != 0;
    run.sourceLayout = options.layout == "source";
    run.workers = host::workerCount(options);
    run.prefilter = !options.noPrefilter;
    for (const std::string& pattern : options.exclude) run.exclude.add(pattern);
    // Tests make a worker die at this file.
    const char* killAt = getenv("NIDUS_CONVERT_KILL_WORKER_AT");
    if (killAt != nullptr) run.killWorkerAt = killAt;
    // Exact mode: the compiler reads the whole tree once, before any file,
    // and attributes the files that can name the vendor. The run's time
    // counts the compiler's part too.
    auto started = std::chrono::steady_clock::now();
    host::CompilerNames compilerNames;
    bool exact = !options.classpath.empty();
    // A signal while the compiler runs ends the run as one between files.
    host::catchInterrupts();
    if (exact && !host::startExactMode(options.classpath, run.sourceDir,
                                       host::listJavaFiles(run.sourceDir, tree.root(), run.exclude),
                                       compilerChoice(run, ruleSet), run.progress,
                                       host::interruptSignal, compilerNames, reason))
        return host::interruptSignal() != 0 ? endBeforeFiles(options, run, tree.root())
                                            : host::usageError(reason);
    if (exact) run.compilerNames = &compilerNames;
    if (!tree.prepare(reason)) return host::usageError(reason);
    host::Runner runner(run, service, *loaded.convert, tree);
    host::RunReport report = runner.run();
    host::disarmBound();
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    tree.discard();
    // The bench reads how much of the tree the scan parsed.
    if (getenv("NIDUS_CONVERT_SCAN_STATS") != nullptr)
        fprintf(stderr, "nidus-convert: scan: %zu Java files parsed of %zu\n", report.parsedJava,
                report.javaFiles);
    if (exact && getenv("NIDUS_CONVERT_SCAN_STATS") != nullptr)
        fprintf(stderr, "nidus-convert: exact mode: %zu Java files attributed\n",
                compilerNames.attributedFiles());
    if (report.refused) return host::usageError(report.refusal);
    // The output mirrors the source: what an earlier run wrote and this one
    // did not goes.
    if (!options.dryRun) owner.removeStale(keptPaths(report), run.sourceDir);
    int written = writeResults(options, report, ruleSet, rulesText, map, run.sourceDir,
                               tree.root(), run.compilerNames);
    if (options.dryRun) fs::remove_all(tree.root(), error);
    printEnd(options, report, tree.root(),
             exact ? host::compilerErrorNote(compilerNames,
                                             host::filesWithCompilerErrorsTold(report))
                   : std::string(),
             host::unfiredRules(rulesPath, report, ruleSet));
    int code = written != host::kExitOk ? written : exitCode(report);
    // The run's tables of names and members and its reports are millions of
    // small blocks, and freeing them one by one takes longer than converting
    // some files (with workers, each page they shared faults as it is
    // freed). The process ends here instead of unwinding this frame; exit
    // still runs what static objects and the C library do at the end (the
    // output root's lock, the plug-in's copy, the streams). The rules draft
    // is gone already: it was removed once the plug-in had read it.
    std::exit(code);
}
