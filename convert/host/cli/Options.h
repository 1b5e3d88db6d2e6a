// Options: nidus-convert's command line, its usage text and its usage
// errors.
#pragma once

#include <string>
#include <vector>

namespace host {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string source;
    std::string output;
    std::string rules;
    std::string language = "English";
    std::string answer;
    std::string plugin;
    std::string layout = "source";
    std::string report;
    std::string initRules;
    std::string diff;
    std::string answers;
    std::string jobs;  // -j: worker processes; empty for one per core
    std::string classpath;  // exact mode: CP or @FILE; empty without
    std::vector<std::string> exclude;  // --exclude GLOB, each one given
    std::vector<std::string> maps;  // --map OLD=NEW, as given
    bool dryRun = false;
    bool verbose = false;
    bool noPrefilter = false;
};

// The worker processes of -j (checked by parseOptions): its number, or the
// number of cores without it.
int workerCount(const Options& options);

// Prints "nidus-convert: REASON" to standard error; returns kExitUsage.
int usageError(const std::string& reason);

// 0 when parsed, else the exit code to end with (help and version give 0
// through done).
int parseOptions(int argc, char** argv, const char* version, Options& options, bool& done);

}  // namespace host
