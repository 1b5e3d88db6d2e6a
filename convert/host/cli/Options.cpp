// Options: the command line.
#include "cli/Options.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace host {

namespace {

const char kUsage[] =
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
    "  --report FILE       write the run's result as JSON to FILE\n"
    "  --init-rules FILE   write the rules read, with a rule that keeps the name for\n"
    "                      every vendor name no rule covers, to FILE\n"
    "  --dry-run           run everything, write nothing under the output root\n"
    "  --diff FILE         write a unified diff of the converted files to FILE (- for\n"
    "                      standard output)\n"
    "  --map OLD=NEW       a package move (repeatable): --init-rules gives every\n"
    "                      name, import and string under OLD its name under NEW\n"
    "  --answers FILE      the answers to the plug-in's questions, kept and replayed\n"
    "  --classpath CP      exact mode: names resolved by the Java compiler against\n"
    "                      the application's compile classpath CP (@FILE reads it\n"
    "                      from FILE); needs a JDK\n"
    "  --exclude GLOB      copy what GLOB matches unchanged, never parsed nor given\n"
    "                      to the compiler (gitignore-style, relative to SOURCE_DIR;\n"
    "                      repeatable): --exclude .pc, --exclude target\n"
    "  --verbose           show the plug-in's log lines of failed files\n"
    "  -j N                convert with N worker processes (default: one per core)\n"
    "  --no-prefilter      convert every Java file, also those the rules cannot touch\n"
    "                      (the output is the same; for checking the prefilter)\n"
    "  --plugin FILE       the plug-in library (default: libnidus.so beside this\n"
    "                      program, else in ../lib/nidus/ beside its folder)\n"
    "  -h, --help          this text\n"
    "  --version           the version\n"
    "\n"
    "Exit codes: 0 every file in the output as it should be, 1 some files failed\n"
    "(listed with their reasons), 2 the run did not start (bad options, output root\n"
    "that is or holds the source, rules that do not read, plug-in not loadable),\n"
    "130 or 143 interrupted by SIGINT or SIGTERM.\n";

}  // namespace

int usageError(const std::string& reason) {
    fprintf(stderr, "nidus-convert: %s\n", reason.c_str());
    return kExitUsage;
}

namespace {

// The option that takes a value, and where it goes; null when arg is none.
std::string* valueOf(const std::string& arg, Options& options) {
    const std::pair<const char*, std::string*> table[] = {
        {"-o", &options.output},           {"--rules", &options.rules},
        {"--language", &options.language}, {"--answer", &options.answer},
        {"--plugin", &options.plugin},     {"--layout", &options.layout},
        {"--report", &options.report},     {"--init-rules", &options.initRules},
        {"--diff", &options.diff},         {"--answers", &options.answers},
        {"-j", &options.jobs},
        {"--classpath", &options.classpath},
    };
    for (const auto& entry : table) {
        if (arg == entry.first) return entry.second;
    }
    return nullptr;
}

// The flag that arg names; null when arg is none.
bool* flagOf(const std::string& arg, Options& options) {
    if (arg == "--dry-run") return &options.dryRun;
    if (arg == "--verbose") return &options.verbose;
    if (arg == "--no-prefilter") return &options.noPrefilter;
    return nullptr;
}

int checkValues(const Options& options) {
    if (options.source.empty()) return usageError("no source directory given (see --help)");
    if (options.language != "English" && options.language != "Chinese")
        return usageError("--language must be English or Chinese");
    if (options.layout != "source" && options.layout != "plugin")
        return usageError("--layout must be source or plugin");
    if (!options.answer.empty() && options.answer != "ask" && options.answer != "yes" &&
        options.answer != "no")
        return usageError("--answer must be ask, yes or no");
    if (!options.jobs.empty() &&
        (options.jobs.find_first_not_of("0123456789") != std::string::npos ||
         options.jobs.size() > 3 || atoi(options.jobs.c_str()) < 1))
        return usageError("-j must be a number of worker processes from 1 to 999");
    return kExitOk;
}

}  // namespace

int workerCount(const Options& options) {
    if (!options.jobs.empty()) return atoi(options.jobs.c_str());
    // The cores this process may run on, as nproc counts them: a machine
    // may have more online than it lets the run use.
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0) return std::max(1, CPU_COUNT(&usable));
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    return cores < 1 ? 1 : static_cast<int>(cores);
}

int parseOptions(int argc, char** argv, const char* version, Options& options, bool& done) {
    done = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help" || arg == "--version") {
            if (arg == "--version") {
                printf("nidus-convert %s\n", version);
            } else {
                fputs(kUsage, stdout);
            }
            done = true;
            return kExitOk;
        }
        if (arg == "--exclude") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return usageError("option --exclude needs a pattern");
            options.exclude.push_back(argv[++i]);
        } else if (arg == "--map") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return usageError("option --map needs a value, OLD=NEW");
            options.maps.push_back(argv[++i]);
        } else if (std::string* into = valueOf(arg, options)) {
            if (i + 1 >= argc) return usageError("option " + arg + " needs a value");
            *into = argv[++i];
            // An empty value would read as the option not given at all.
            if (into->empty()) return usageError("option " + arg + " needs a value, not an empty one");
        } else if (bool* flag = flagOf(arg, options)) {
            *flag = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg + " (see --help)");
        } else if (options.source.empty()) {
            options.source = arg;
        } else {
            return usageError("more than one source directory: " + arg);
        }
    }
    return checkValues(options);
}

}  // namespace host
