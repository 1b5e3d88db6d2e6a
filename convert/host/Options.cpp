// Options: the command line.
#include "Options.h"

#include <cstdio>

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
    "  --answers FILE      the answers to the plug-in's questions, kept and replayed\n"
    "  --verbose           show the plug-in's log lines of failed files\n"
    "  --plugin FILE       the plug-in library (default: libnidus.so beside this\n"
    "                      program, else the one it was built with)\n"
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

int parseOptions(int argc, char** argv, const char* version, Options& options, bool& done) {
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
            printf("nidus-convert %s\n", version);
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
        } else if (arg == "--report") {
            ok = value(options.report);
        } else if (arg == "--init-rules") {
            ok = value(options.initRules);
        } else if (arg == "--diff") {
            ok = value(options.diff);
        } else if (arg == "--answers") {
            ok = value(options.answers);
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
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

}  // namespace host
