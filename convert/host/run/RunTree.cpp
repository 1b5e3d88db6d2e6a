// RunTree: the run over the whole tree. The scan (ScanTree.cpp) learns the
// tree's types and which Java files to convert, then every entry is
// converted; both are dealt out to the worker processes in tree order, and
// their results are kept in tree order, so that the output, the report and
// the summary do not depend on the number of workers.
#include <malloc.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "plugin/Plugin.h"
#include "run/Interrupt.h"
#include "run/Runner.h"
#include "run/Workers.h"

namespace host {

namespace {

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
    scanTree(entries);
    returnFreedMemory();
    // A run interrupted during the scan converts nothing.
    if (!interrupted() && !convertTree(entries, report, reason)) {
        report.refused = true;
        report.refusal = reason;
    }
    report.javaFiles = javaEntries.size();
    report.parsedJava = scan.parsedFiles();
    report.interrupted = interruptSignal();
    if (!report.refused && report.interrupted == 0) placeEmptyFolders(emptyFolders, report);
    if (options.progress) fprintf(stderr, "\r\033[K");
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

// The scan's data is freed by now; giving its memory back keeps the
// conversion (and the workers forked for it, which start with the run's
// pages) small.
void Runner::returnFreedMemory() {
    malloc_trim(0);
}

// The entries in rounds (ScanTree.cpp), dealt out in tree order as they
// are found, in one run of the workers; the reports are kept by entry, so
// that the order of the rounds shows nowhere. A task is an entry's index,
// or past the entries one of the Java files copied last: a worker forked
// before a file was kept could not tell the two apart.
bool Runner::convertTree(const std::vector<SourceEntry>& entries, RunReport& report,
                         std::string& reason) {
    if (options.workers > 1) makeStagingFolders(entries);
    std::vector<FileReport> files(entries.size());
    std::vector<bool> done(entries.size(), false);
    size_t finished = 0;
    bool refused = false;
    const size_t entryCount = entries.size();
    WorkerPool pool(
        options.workers,
        [&](size_t task, const WorkerPool::Relay& relay) {
            size_t index = task % entryCount;
            bool convertJava = task < entryCount;
            if (options.workers > 1)
                return convertInWorker(entries[index], index, convertJava, relay);
            FileScan declared = scanToFill(index);
            files[index] = convertEntry(entries[index], convertJava, &declared);
            takeDeclarations(entries[index], index, declared);
            return std::string();
        },
        [this](size_t, const std::string& place, const std::string& caption,
               const std::string& text) { return answer(place, caption, text); },
        [this](const std::string& news) { hearNews(news); });
    auto take = [&](size_t task, const std::string& result, bool lost) {
        size_t index = task % entryCount;
        FileScan declared;
        std::string reads;
        if (lost) {
            files[index] = lostFile(entries[index].rel, result);
        } else if (options.workers > 1 && !unpackResult(result, files[index], declared, reads)) {
            files[index] = lostFile(entries[index].rel, "sent a report that does not read");
        }
        if (options.workers > 1) {
            pool.tell(takeDeclarations(entries[index], index, declared));
            pool.tell(readNews(reads));
        }
        for (const std::string& question : files[index].questions) {
            auto first = firstAsker.emplace(question, index);
            if (index < first.first->second) first.first->second = index;
        }
        done[index] = true;
        refused = refused || files[index].result == FileResult::kRefused;
        if (options.progress) {
            fprintf(stderr, "\r\033[K[%zu/%zu] %s", ++finished, entries.size(),
                    entries[index].rel.c_str());
            fflush(stderr);
        }
    };
    bool copying = false;
    if (!pool.run(firstRound(entries), take, [&] { return refused || interrupted(); }, reason,
                  [&](bool idle) { return nextTasks(idle, copying, entryCount); }))
        return false;
    orderQuestions();
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

FileScan Runner::scanToFill(size_t index) const {
    FileScan declared;
    if (javaSlot[index] == kNotJava) return declared;
    declared.lexedTokens = scan.lexedTokens(javaSlot[index]);
    declared.forLeadsOnly = prefiltering && !scan.keyed(javaSlot[index]);
    return declared;
}

// One entry converted in a worker, its report and the types it declares
// packed; the plug-in's questions go to the parent. The worker keeps the
// types for its later files.
std::string Runner::convertInWorker(const SourceEntry& entry, size_t index, bool convertJava,
                                    const WorkerPool::Relay& relay) {
    messageDesk().relay = relay;
    if (entry.rel == options.killWorkerAt) raise(SIGKILL);
    FileScan declared = scanToFill(index);
    FileReport file = convertEntry(entry, convertJava, &declared);
    std::string packed = packResult(file, declared);
    if (declared.parsed) learnDeclarations(index, declared);
    return packed;
}

// A question of a worker, asked once per run by the parent.
int Runner::answer(const std::string& place, const std::string& caption,
                   const std::string& text) {
    MessageDesk& desk = messageDesk();
    auto known = desk.answers.find(text);
    if (known != desk.answers.end()) return known->second;
    return askQuestion(desk, place, caption, text);
}

// The questions in the order of the files that asked them first, as one
// process working through the files in tree order asks them.
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
