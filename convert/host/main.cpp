// nidus-convert: converts a Java source tree with the nidus plug-in.
// Options, the plug-in's rule file, the run and its summary; exit codes
// 0 (nothing failed), 1 (some files failed), 2 (the run did not start),
// 130 and 143 (interrupted).
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "HostObjects.h"
#include "Interrupt.h"
#include "OutputTree.h"
#include "Plugin.h"
#include "Runner.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "usage: nidus-convert [options] SOURCE_DIR\n"
    "Converts the Java source tree SOURCE_DIR with the nidus plug-in and its rules;\n"
    "every file comes out converted or unchanged.\n"
    "\n"
    "  -o DIR              output root (default: SOURCE_DIR/Convert/)\n"
    "  --rules FILE        rule file to use (default: config.xml beside the plug-in)\n"
    "  --language English|Chinese\n"
    "                      language of the plug-in's messages (default: English)\n"
    "  --answer ask|yes|no how the plug-in's questions are answered (default: ask\n"
    "                      when standard input is a terminal, else no)\n"
    "  --layout source|plugin\n"
    "                      layout of converted files: the source's, changed only\n"
    "                      where the rules changed it (default), or the plug-in's own\n"
    "  --plugin FILE       the plug-in library (default: libnidus.so beside this\n"
    "                      program, else the one it was built with)\n"
    "  -h, --help          this text\n"
    "  --version           the version\n"
    "\n"
    "Exit codes: 0 every file in the output as it should be, 1 some files failed\n"
    "(listed with their reasons), 2 the run did not start (bad options, output root\n"
    "that is or holds the source, rules that do not read, plug-in not loadable),\n"
    "130 or 143 interrupted by SIGINT or SIGTERM.\n";

struct Options {
    std::string source;
    std::string output;
    std::string rules;
    std::string language = "English";
    std::string answer;
    std::string plugin;
    std::string layout = "source";
};

int usageError(const std::string& reason) {
    fprintf(stderr, "nidus-convert: %s\n", reason.c_str());
    return kExitUsage;
}

std::string asDirectory(const fs::path& path) {
    std::string text = path.generic_string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

std::string defaultPlugin() {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        fs::path beside = self.parent_path() / "libnidus.so";
        if (fs::is_regular_file(beside, error)) return beside.string();
    }
    return NIDUS_PLUGIN_DEFAULT;
}

// 0 when parsed, else the exit code to end with (help and version give 0
// through done).
int parseOptions(int argc, char** argv, Options& options, bool& done) {
    done = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            fputs(kUsage, stdout);
            done = true;
            return kExitOk;
        }
        if (arg == "--version") {
            printf("nidus-convert %s\n", NIDUS_VERSION);
            done = true;
            return kExitOk;
        }
        bool ok = true;
        if (arg == "-o") {
            ok = value(options.output);
        } else if (arg == "--rules") {
            ok = value(options.rules);
        } else if (arg == "--language") {
            ok = value(options.language);
        } else if (arg == "--answer") {
            ok = value(options.answer);
        } else if (arg == "--plugin") {
            ok = value(options.plugin);
        } else if (arg == "--layout") {
            ok = value(options.layout);
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg + " (see --help)");
        } else if (options.source.empty()) {
            options.source = arg;
        } else {
            return usageError("more than one source directory: " + arg);
        }
        if (!ok) return usageError("option " + arg + " needs a value");
    }
    if (options.source.empty()) return usageError("no source directory given (see --help)");
    if (options.language != "English" && options.language != "Chinese")
        return usageError("--language must be English or Chinese");
    if (options.layout != "source" && options.layout != "plugin")
        return usageError("--layout must be source or plugin");
    if (!options.answer.empty() && options.answer != "ask" && options.answer != "yes" &&
        options.answer != "no")
        return usageError("--answer must be ask, yes or no");
    return kExitOk;
}

// Converted files that hold a name a rule changes elsewhere, left as
// written here: the type of its receiver is not known, or it is a method
// of a vendor subclass that may override the vendor's.
void printLeftAsWritten(const host::RunReport& report) {
    bool any = false;
    for (const host::FileReport& file : report.files) {
        if (file.leftAsWritten.empty()) continue;
        if (!any)
            printf(
                "to check (converted; a name that a rule changes is left as written: its "
                "receiver's type is not known, or the method may override a vendor's):\n");
        any = true;
        printf("  %s:", file.path.c_str());
        for (const std::string& place : file.leftAsWritten) printf(" %s;", place.c_str());
        printf("\n");
    }
}

// Links in the source tree, made again as links in the output.
void printLinks(const host::RunReport& report) {
    if (report.links == 0) return;
    printf("links (made again as links with the same target, not followed):\n");
    for (const host::FileReport& file : report.files) {
        if (file.result == host::FileResult::kLink)
            printf("  %s -> %s\n", file.path.c_str(), file.linkTarget.c_str());
    }
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// Converted files whose source layout could not be restored.
void printLayoutNotes(const host::RunReport& report) {
    bool any = false;
    for (const host::FileReport& file : report.files) {
        if (file.layoutNote.empty()) continue;
        if (!any) printf("converted in the plug-in's own layout:\n");
        any = true;
        printf("  %s: %s\n", file.path.c_str(), file.layoutNote.c_str());
    }
}

void printSummary(const host::RunReport& report, const std::string& output) {
    size_t total = report.files.size();
    printf(
        "nidus-convert: %zu files: %d converted, %d copied unchanged, %d failed; "
        "%d questions asked; %.2f s\n",
        total, report.converted, report.copied + report.links, report.failed,
        host::messageDesk().questions, report.seconds);
    printf("output: %s\n", output.c_str());
    printLinks(report);
    printLayoutNotes(report);
    printLeftAsWritten(report);
    if (report.failed == 0) return;
    printf("failed files (kept unchanged in the output where they could be read and written):\n");
    for (const host::FileReport& file : report.files) {
        if (file.result != host::FileResult::kFailed && file.result != host::FileResult::kNotParsed)
            continue;
        printf("  %s: %s\n", file.path.c_str(), oneLine(file.reason).c_str());
        for (const std::string& message : file.messages)
            printf("      message: %s\n", oneLine(message).c_str());
        for (const host::LogLine& line : file.log)
            printf("      log: %s:%d: %s\n", line.file.c_str(), line.line, line.message.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool done = false;
    int parsed = parseOptions(argc, argv, options, done);
    if (done || parsed != kExitOk) return parsed;

    std::error_code error;
    if (!fs::is_directory(options.source, error))
        return usageError("source directory not found: " + options.source);
    host::RunOptions run;
    run.sourceDir = asDirectory(fs::canonical(options.source, error));
    if (!options.output.empty()) {
        if (fs::exists(options.output, error) && !fs::is_directory(options.output, error))
            return usageError("output root is not a directory: " + options.output);
        // Links and dots resolved, so that no spelling of the source tree
        // passes for another folder.
        run.outputDir = asDirectory(fs::weakly_canonical(fs::absolute(options.output), error));
    }
    std::string reason = host::checkOutputRoot(run.sourceDir, host::outputRoot(run));
    if (!reason.empty()) return usageError(reason);

    std::string plugin = options.plugin.empty() ? defaultPlugin() : options.plugin;
    std::string rules = options.rules;
    if (!rules.empty()) {
        if (!fs::is_regular_file(rules, error)) return usageError("rule file not found: " + rules);
    } else {
        rules = (fs::path(plugin).parent_path() / "config.xml").string();
        if (!fs::is_regular_file(rules, error))
            return usageError("no config.xml beside the plug-in (" + rules +
                              "); give one with --rules");
    }
    if (!host::checkRuleFile(rules, reason)) return usageError(reason);
    if (!host::readRuleFacts(rules, run.rules, reason)) return usageError(reason);
    if (run.rules.packageKeywords.empty())
        return usageError("the rule file " + rules +
                          " names no package keyword (KeyWords/Key kind=\"package\")");

    host::MessageDesk& desk = host::messageDesk();
    desk.chinese = options.language == "Chinese";
    if (options.answer == "no") {
        desk.mode = host::AnswerMode::kNo;
    } else if (options.answer == "ask" || (options.answer.empty() && isatty(STDIN_FILENO))) {
        desk.mode = host::AnswerMode::kAsk;
    } else if (options.answer == "yes") {
        desk.mode = host::AnswerMode::kYes;
    } else {
        // Nobody to ask: a question declines, and its file fails.
        desk.mode = host::AnswerMode::kNo;
    }

    // Everything is written into a staging folder first; the plug-in's
    // output root is that folder.
    static host::OutputTree tree(host::outputRoot(run));
    // The host and the converter live as long as the process: the plug-in
    // never frees its converter, which keeps a pointer to the host.
    static host::Host service(run.sourceDir, tree.staging(), options.language);
    static host::LoadedPlugin loaded;
    if (!host::loadPlugin(plugin, options.rules.empty() ? std::string() : options.rules, &service,
                          loaded, reason))
        return usageError(reason);
    service.setConverter(loaded.convert);
    // What the plug-in logged while it read its rules: a rule file that it
    // read only in part still converts, so the user is told.
    std::string loadLog;
    for (const host::LogLine& line : service.takeLog()) {
        std::string place = line.file + ":" + std::to_string(line.line) + ": " + line.message;
        fprintf(stderr, "nidus-convert: while reading its rules the plug-in logged %s\n",
                place.c_str());
        loadLog += (loadLog.empty() ? " (" : "; ") + place;
    }
    if (!loadLog.empty()) loadLog += ")";

    run.progress = isatty(STDERR_FILENO) != 0;
    run.sourceLayout = options.layout == "source";
    if (!tree.prepare(reason)) return usageError(reason);
    host::catchInterrupts();
    host::Runner runner(run, service, *loaded.convert, tree);
    host::RunReport report = runner.run();
    tree.discard();
    if (report.refused) return usageError(report.refusal + loadLog);
    printSummary(report, tree.root());
    fflush(stdout);
    if (report.interrupted != 0) {
        fprintf(stderr,
                "nidus-convert: interrupted by %s after %zu of %zu files; the others are not "
                "in the output\n",
                host::interruptName(), report.files.size(), report.total);
        return host::interruptExitCode();
    }
    return report.failed == 0 ? kExitOk : kExitFailed;
}
