// ScanTree: what the run learns of the tree before it converts a file.
// The bytes of every Java file give the names of the tree's types and the
// files that the rules' keys reach; those files are parsed for their
// types' members, which give the names that lead to the vendor; the files
// that name one of those are parsed in turn, until no file is new
// (Prefilter.h). Without the prefilter every Java file is parsed.
#include <csignal>
#include <cstdio>

#include "run/Interrupt.h"
#include "run/Runner.h"
#include "run/TreeScan.h"
#include "run/Workers.h"

namespace host {

namespace {

bool isJavaFile(const SourceEntry& entry) {
    return entry.kind == EntryKind::kFile && entry.rel.size() > 5 &&
           entry.rel.compare(entry.rel.size() - 5, 5, ".java") == 0;
}

bool interrupted() {
    return interruptSignal() != 0;
}

}  // namespace

bool Runner::scanTree(const std::vector<SourceEntry>& entries, std::string& reason) {
    std::vector<size_t> java;
    for (size_t i = 0; i < entries.size(); ++i)
        if (isJavaFile(entries[i]) && !options.exclude.excludes(entries[i].rel)) java.push_back(i);
    PrefilterKeys keys = prefilterKeys(ruleSet(), options.rules);
    bool skip = options.prefilter && keys.off.empty();
    TreeScan scan(java.size(), !skip);
    readTreeBytes(entries, java, keys, scan);
    for (bool grew = true; grew && !interrupted();) {
        if (!parseKept(entries, java, scan, reason)) return false;
        grew = skip && scan.keepFilesNamingLeads(options.rules.packageKeywords);
    }
    std::vector<std::string> paths;
    for (size_t index : java) paths.push_back(options.sourceDir + entries[index].rel);
    treeTypes = scan.takeTypes(paths);
    toConvert.assign(entries.size(), true);
    for (size_t at = 0; at < java.size(); ++at) toConvert[java[at]] = scan.kept(at);
    javaFiles = java.size();
    parsedFiles = scan.parsedFiles();
    return true;
}

// Every Java file's bytes, in the run's own process: reading and lexing
// them costs less than sending their names from a worker would.
void Runner::readTreeBytes(const std::vector<SourceEntry>& entries,
                           const std::vector<size_t>& java, const PrefilterKeys& keys,
                           TreeScan& scan) {
    for (size_t at = 0; at < java.size() && !interrupted(); ++at) {
        const std::string& rel = entries[java[at]].rel;
        FileBytes bytes = readJavaBytes(options.sourceDir + rel, keys);
        std::vector<NameRecord> records;
        if (options.compilerNames != nullptr && options.compilerNames->recordsOf(rel, records) &&
            recordsHoldKeyword(records, options.rules.packageKeywords))
            bytes.touched = true;
        scan.addBytes(at, bytes);
    }
}

// The kept files that are not parsed yet, parsed for their types' members;
// a parse whose worker died (or whose result does not read) is done again
// here: the names of one file can lead other files to the vendor.
bool Runner::parseKept(const std::vector<SourceEntry>& entries, const std::vector<size_t>& java,
                       TreeScan& scan, std::string& reason) {
    std::vector<size_t> round = scan.toParse();
    auto parse = [&](size_t at) {
        return scanJavaFile(options.sourceDir + entries[java[at]].rel, options.rules);
    };
    auto keep = [&](size_t at, FileScan&& parsed) { scan.addParse(at, parsed, options.rules); };
    WorkerPool pool(
        options.workers,
        [&](size_t at, const WorkerPool::Relay&) {
            // The run's own process keeps the parse as it is.
            if (options.workers == 1) {
                keep(at, parse(at));
                return std::string();
            }
            if (entries[java[at]].rel == options.killScanAt) raise(SIGKILL);
            return encodeScan(parse(at));
        },
        [](size_t, const std::string&, const std::string&, const std::string&) { return -1; });
    auto done = [&](size_t at, const std::string& result, bool lost) {
        if (options.workers == 1) return;
        FileScan parsed;
        if (!lost && decodeScan(result, parsed)) {
            keep(at, std::move(parsed));
            return;
        }
        fprintf(stderr, "nidus-convert: the worker scanning %s %s; scanned again\n",
                entries[java[at]].rel.c_str(),
                lost ? result.c_str() : "sent a scan that does not read");
        keep(at, parse(at));
    };
    return round.empty() || pool.run(round, done, interrupted, reason);
}

}  // namespace host
