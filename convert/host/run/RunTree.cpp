// RunTree: the run over the whole tree. One parse of every Java file scans
// the tree's types (and what the prefilter needs), then every entry is
// converted; both steps are dealt out to the worker processes in tree
// order, and their results are taken back in tree order, so that the
// output, the report and the summary do not depend on the number of
// workers.
#include <malloc.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <numeric>

#include "plugin/Plugin.h"
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

void count(RunReport& report, FileResult result) {
    switch (result) {
    case FileResult::kConverted:
        ++report.converted;
        break;
    case FileResult::kCopied:
        ++report.copied;
        break;
    case FileResult::kLink:
        ++report.links;
        break;
    case FileResult::kFailed:
    case FileResult::kNotParsed:
    case FileResult::kRefused:
        ++report.failed;
        break;
    }
}

bool interrupted() {
    return interruptSignal() != 0;
}

}  // namespace

RunReport Runner::run() {
    auto started = std::chrono::steady_clock::now();
    RunReport report;
    std::vector<std::string> emptyFolders;
    std::vector<SourceEntry> entries =
        listSourceTree(options.sourceDir, output.root(), &emptyFolders, &report.leftOut);
    report.total = entries.size();
    std::string reason;
    bool scanned = scanTree(entries, reason);
    returnFreedMemory();
    // A run interrupted during the scan converts nothing.
    if (!scanned || (!interrupted() && !convertTree(entries, report, reason))) {
        report.refused = true;
        report.refusal = reason;
    }
    report.interrupted = interruptSignal();
    if (!report.refused && report.interrupted == 0) placeEmptyFolders(emptyFolders, report);
    if (options.progress) fprintf(stderr, "\r\033[K");
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

// The tree's types from one parse of each Java file, and which Java files
// are to be converted.
bool Runner::scanTree(const std::vector<SourceEntry>& entries, std::string& reason) {
    std::vector<size_t> java;
    for (size_t i = 0; i < entries.size(); ++i)
        if (isJavaFile(entries[i]) && !options.exclude.excludes(entries[i].rel)) java.push_back(i);
    std::vector<size_t> slot(entries.size(), 0);
    for (size_t i = 0; i < java.size(); ++i) slot[java[i]] = i;
    PrefilterKeys keys = prefilterKeys(ruleSet(), options.rules);
    std::vector<FileScan> scans(java.size());
    std::vector<PrefilterFacts> facts(java.size());
    NameTable names;
    // Each scan's code names go into the table as the scan comes in.
    auto keep = [&](size_t index, FileScan&& scan) {
        size_t at = slot[index];
        facts[at] = std::move(scan.prefilter);
        internCodeNames(facts[at], names);
        scans[at] = std::move(scan);
    };
    auto scanOne = [&](size_t index) {
        FileScan scan = scanJavaFile(options.sourceDir + entries[index].rel, options.rules, keys);
        std::vector<NameRecord> records;
        if (options.compilerNames != nullptr &&
            options.compilerNames->recordsOf(entries[index].rel, records) &&
            recordsHoldKeyword(records, options.rules.packageKeywords))
            scan.prefilter.touched = true;
        return scan;
    };
    WorkerPool pool(
        options.workers,
        [&](size_t index, const WorkerPool::Relay&) {
            // The run's own process keeps the scan as it is.
            if (options.workers == 1) {
                keep(index, scanOne(index));
                return std::string();
            }
            if (entries[index].rel == options.killScanAt) raise(SIGKILL);
            return encodeScan(scanOne(index));
        },
        [](size_t, const std::string&, const std::string&, const std::string&) { return -1; });
    // A scan whose worker died (or whose result does not read) is done
    // again here: the names of one file can lead other files to the vendor.
    auto done = [&](size_t index, const std::string& result, bool lost) {
        if (options.workers == 1) return;
        FileScan scan;
        if (!lost && decodeScan(result, scan)) {
            keep(index, std::move(scan));
            return;
        }
        fprintf(stderr, "nidus-convert: the worker scanning %s %s; scanned again\n",
                entries[index].rel.c_str(), lost ? result.c_str() : "sent a scan that does not read");
        keep(index, scanOne(index));
    };
    if (!pool.run(java, done, interrupted, reason)) return false;
    treeTypes = mergeScans(scans, options.rules);
    std::vector<bool> converted = filesToConvert(
        facts, names, namesLeadingToVendor(treeTypes, options.rules.packageKeywords));
    toConvert.assign(entries.size(), true);
    bool skip = options.prefilter && keys.off.empty();
    for (size_t i = 0; skip && i < java.size(); ++i) toConvert[java[i]] = converted[i];
    return true;
}

// The scan's data is freed by now; giving its memory back keeps the
// conversion (and the workers forked for it, which start with the run's
// pages) small.
void Runner::returnFreedMemory() {
    malloc_trim(0);
}

bool Runner::convertTree(const std::vector<SourceEntry>& entries, RunReport& report,
                         std::string& reason) {
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    if (options.workers > 1) makeStagingFolders(entries);
    std::vector<FileReport> files(entries.size());
    std::vector<bool> done(entries.size(), false);
    size_t finished = 0;
    bool refused = false;
    WorkerPool pool(
        options.workers,
        [&](size_t index, const WorkerPool::Relay& relay) {
            if (options.workers > 1) return convertInWorker(entries[index], index, relay);
            files[index] = convertEntry(entries[index], toConvert[index]);
            return std::string();
        },
        [this](size_t index, const std::string& place, const std::string& caption,
               const std::string& text) { return answer(index, place, caption, text); });
    auto take = [&](size_t index, const std::string& result, bool lost) {
        if (lost) {
            files[index] = lostFile(entries[index].rel, result);
        } else if (options.workers > 1 && !decodeReport(result, ruleSet(), files[index])) {
            files[index] = lostFile(entries[index].rel, "sent a report that does not read");
        }
        done[index] = true;
        refused = refused || files[index].result == FileResult::kRefused;
        if (options.progress) {
            fprintf(stderr, "\r\033[K[%zu/%zu] %s", ++finished, entries.size(),
                    entries[index].rel.c_str());
            fflush(stderr);
        }
    };
    if (!pool.run(order, take, [&] { return refused || interrupted(); }, reason)) return false;
    if (options.workers > 1) orderQuestions();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!done[i]) continue;
        if (files[i].result == FileResult::kRefused) {
            report.refused = true;
            report.refusal = "the plug-in refused to convert: its rules did not load";
            break;
        }
        count(report, files[i].result);
        if (files[i].excluded) ++report.excluded;
        report.files.push_back(std::move(files[i]));
    }
    return true;
}

// The folders of the source that hold nothing: made in the output as
// well. One that cannot be made fails as a file does.
void Runner::placeEmptyFolders(const std::vector<std::string>& folders, RunReport& report) {
    for (const std::string& rel : folders) {
        FileReport folder;
        folder.path = rel;
        if (output.placeFolder(options.sourceDir + rel, rel, folder.reason)) continue;
        folder.result = FileResult::kFailed;
        folder.reason = "the empty folder is not in the output: " + folder.reason;
        count(report, folder.result);
        report.files.push_back(folder);
    }
}

// The folders of every entry, made once by the parent: a failure is left
// to the entry's own conversion to report.
void Runner::makeStagingFolders(const std::vector<SourceEntry>& entries) {
    std::string made;
    for (const SourceEntry& entry : entries) {
        std::string folder = entry.rel.substr(0, entry.rel.rfind('/') + 1);
        if (folder.empty() || folder == made) continue;
        std::string reason;
        if (output.stageFolders(entry.rel, reason)) made = folder;
    }
}

// One entry converted in a worker, its report packed; the plug-in's
// questions go to the parent.
std::string Runner::convertInWorker(
    const SourceEntry& entry, size_t index,
    const WorkerPool::Relay& relay) {
    messageDesk().relay = relay;
    if (entry.rel == options.killWorkerAt) raise(SIGKILL);
    FileReport file = convertEntry(entry, toConvert[index]);
    return encodeReport(file, ruleSet());
}

// A question of a worker, asked once per run by the parent.
int Runner::answer(size_t index, const std::string& place, const std::string& caption,
                   const std::string& text) {
    MessageDesk& desk = messageDesk();
    auto first = firstAsker.emplace(text, index);
    if (!first.second && index < first.first->second) first.first->second = index;
    auto known = desk.answers.find(text);
    if (known != desk.answers.end()) return known->second;
    return askQuestion(desk, place, caption, text);
}

// The questions in the order of the files that asked them first, as one
// process working through the files in order asks them.
void Runner::orderQuestions() {
    std::vector<std::pair<std::string, bool>>& asked = messageDesk().asked;
    std::stable_sort(asked.begin(), asked.end(), [this](const auto& left, const auto& right) {
        return firstAsker[left.first] < firstAsker[right.first];
    });
}

// A file whose worker died while converting it: the source stays.
FileReport Runner::lostFile(const std::string& rel, const std::string& why) {
    FileReport report;
    report.path = rel;
    report.result = FileResult::kFailed;
    output.drop(rel);
    keepUnchanged(report, "the worker process converting it " + why);
    return report;
}

}  // namespace host
