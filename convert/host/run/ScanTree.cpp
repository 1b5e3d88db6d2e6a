// ScanTree: what the run learns of the tree's Java files, and the rounds
// of conversion it leads to. The bytes of every Java file give the names of
// the tree's types and the files that the rules' keys reach; those are
// converted first, and their parse gives the members of their types. The
// names that lead to the vendor through those members find the files that
// are converted next, and so on until no file is new (Prefilter.h); the
// Java files left are copied, never parsed. Without the prefilter every
// Java file is converted in the first round.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>

#include "run/Interrupt.h"
#include "run/Runner.h"
#include "run/Wire.h"

namespace host {

namespace {

bool isJavaFile(const SourceEntry& entry) {
    return entry.kind == EntryKind::kFile && entry.rel.size() > 5 &&
           entry.rel.compare(entry.rel.size() - 5, 5, ".java") == 0;
}

// Files read and lexed at a time: their bytes are held until the tree's
// index takes them in tree order.
constexpr size_t kBytesChunk = 256;

// The reading of the files [from, to): helper threads start on it at once
// and this thread joins them in take(). Each thread takes the next file not
// taken yet, so that none waits for another that drew the larger files.
class ChunkRead {
public:
    ChunkRead(const std::vector<std::string>& paths, size_t from, size_t to,
              const PrefilterKeys& keys, size_t helpers)
        : paths(paths), keys(keys), from(from), to(to), bytes(to - from), next(from) {
        for (size_t started = 0; started < helpers; ++started) {
            try {
                threads.emplace_back([this] { readNext(); });
            } catch (const std::system_error&) {
                break;  // no more threads: a limit of the machine or the user
            }
        }
    }
    ChunkRead(const ChunkRead&) = delete;
    ChunkRead& operator=(const ChunkRead&) = delete;
    ~ChunkRead() { join(); }

    // Reads the files no helper has taken, waits for the helpers, and gives
    // the bytes of every file of the chunk, in order.
    std::vector<FileBytes> take() {
        readNext();
        join();
        return std::move(bytes);
    }

private:
    void readNext() {
        for (size_t at = next++; at < to && interruptSignal() == 0; at = next++)
            bytes[at - from] = readJavaBytes(paths[at], keys);
    }
    void join() {
        for (std::thread& thread : threads)
            if (thread.joinable()) thread.join();
    }

    const std::vector<std::string>& paths;
    const PrefilterKeys& keys;
    size_t from;
    size_t to;
    std::vector<FileBytes> bytes;
    std::atomic<size_t> next;
    std::vector<std::thread> threads;
};

std::unique_ptr<ChunkRead> startChunk(const std::vector<std::string>& paths, size_t from,
                                      const PrefilterKeys& keys, size_t helpers) {
    if (from >= paths.size()) return nullptr;
    size_t to = std::min(paths.size(), from + kBytesChunk);
    return std::make_unique<ChunkRead>(paths, from, to, keys, helpers);
}

}  // namespace

// Every Java file's bytes, in the run's own process, on as many threads as
// the run has workers (which start once the index is whole): reading and
// lexing them costs less than sending their names from a worker would.
void Runner::scanTree(const std::vector<SourceEntry>& entries) {
    javaEntries.clear();
    javaSlot.assign(entries.size(), kNotJava);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!isJavaFile(entries[i]) || options.exclude.excludes(entries[i].rel)) continue;
        javaSlot[i] = javaEntries.size();
        javaEntries.push_back(i);
    }
    PrefilterKeys keys = prefilterKeys(ruleSet(), options.rules);
    prefiltering = options.prefilter && keys.off.empty();
    scan.start(javaEntries.size(), !prefiltering);
    std::vector<std::string> paths;
    for (size_t entry : javaEntries) paths.push_back(options.sourceDir + entries[entry].rel);
    size_t helpers = static_cast<size_t>(std::max(1, options.workers)) - 1;
    std::unique_ptr<ChunkRead> reading = startChunk(paths, 0, keys, helpers);
    for (size_t from = 0; reading != nullptr; from += kBytesChunk) {
        std::vector<FileBytes> chunk = reading->take();
        size_t to = from + chunk.size();
        // The helpers go on to the next chunk while this thread takes this
        // one into the index.
        reading = startChunk(paths, to, keys, helpers);
        for (size_t at = from; at < to; ++at) {
            FileBytes& bytes = chunk[at - from];
            const std::string& rel = entries[javaEntries[at]].rel;
            if (options.compilerNames != nullptr &&
                recordsHoldKeyword(*options.compilerNames, rel, options.rules.packageKeywords))
                bytes.touched = true;
            scan.addBytes(at, bytes);
        }
    }
    scan.leaveUnread(paths);
    toConvert.assign(entries.size(), true);
    for (size_t at = 0; at < javaEntries.size(); ++at) toConvert[javaEntries[at]] = scan.kept(at);
}

// Every entry but the Java files that are not kept yet, in tree order.
std::vector<size_t> Runner::firstRound(const std::vector<SourceEntry>& entries) const {
    std::vector<size_t> round;
    for (size_t i = 0; i < entries.size(); ++i)
        if (javaSlot[i] == kNotJava || toConvert[i]) round.push_back(i);
    return round;
}

// Once every task so far is dealt: the Java files that the types of the
// files converted so far lead to; when there are none and no task still
// runs (idle), the Java files left, to be copied (copying: the last ones),
// as tasks past entryCount.
std::vector<size_t> Runner::nextTasks(bool idle, bool& copying, size_t entryCount) {
    std::vector<size_t> tasks;
    if (copying) return tasks;
    if (prefiltering) {
        for (size_t at : scan.keepFilesNamingLeads(options.rules.packageKeywords)) {
            tasks.push_back(javaEntries[at]);
            toConvert[javaEntries[at]] = true;
        }
        if (!tasks.empty()) return tasks;
    }
    if (!idle) return tasks;
    copying = true;
    for (size_t at = 0; at < javaEntries.size(); ++at)
        if (!scan.kept(at)) tasks.push_back(entryCount + javaEntries[at]);
    return tasks;
}

// What a worker passes on to the others through the parent: the types a
// file declares, from its parse, or the members that lookups read from
// files that are not parsed.
constexpr char kParsedNews[] = "parsed";
constexpr char kReadNews[] = "read";

// The types a converted Java file declares, from its conversion's parse;
// parsed here when the conversion gave none (its worker died, or the file
// never reached the parse). With workers, the news of them for the
// workers that did not convert it (empty: nothing new).
std::string Runner::takeDeclarations(const SourceEntry& entry, size_t index, FileScan& declared) {
    if (!toConvert[index] || hasDeclarations(index)) return std::string();
    if (!declared.parsed)
        declared = scanJavaFile(options.sourceDir + entry.rel, options.rules);
    std::string news;
    if (options.workers > 1)
        news = Writer()
                   .text(kParsedNews)
                   .number(static_cast<long long>(index))
                   .text(encodeScan(declared))
                   .done();
    learnDeclarations(index, declared);
    return news;
}

// The members a worker's lookups read, as news for the others. The parent
// does not keep them: they only spare a worker reading the files, and one
// forked later reads what it needs itself.
std::string Runner::readNews(const std::string& reads) {
    return reads.empty() ? std::string() : Writer().text(kReadNews).text(reads).done();
}

// In a worker: what another worker learned, so that this one does not
// read it again from the files.
void Runner::hearNews(const std::string& news) {
    Reader in(news);
    std::string kind = in.text();
    if (kind == kReadNews) {
        scan.addReadMembers(in.text());
        return;
    }
    long long index = in.number();
    FileScan declared;
    if (kind != kParsedNews || !in.ok() || index < 0 ||
        static_cast<size_t>(index) >= javaSlot.size() || !decodeScan(in.text(), declared))
        return;
    declared.parsed = true;
    learnDeclarations(static_cast<size_t>(index), declared);
}

// Whether the scan has the types of entry index already (or it is no
// Java file, and has none).
bool Runner::hasDeclarations(size_t index) const {
    return javaSlot[index] == kNotJava || scan.parsed(javaSlot[index]);
}

// The types a file declares, where the scan does not have them yet.
void Runner::learnDeclarations(size_t index, FileScan& declared) {
    if (!hasDeclarations(index)) scan.addParse(javaSlot[index], declared, options.rules);
}

// A worker's result: the file's report, the types it declares (when it
// was parsed) and the members its lookups read.
std::string Runner::packResult(const FileReport& file, const FileScan& declared) {
    Writer out;
    out.text(encodeReport(file, ruleSet())).number(declared.parsed);
    if (declared.parsed) out.text(encodeScan(declared));
    out.text(scan.takeReadMembers());
    return out.done();
}

bool Runner::unpackResult(const std::string& packed, FileReport& file, FileScan& declared,
                          std::string& reads) const {
    Reader in(packed);
    if (!decodeReport(in.text(), ruleSet(), file)) return false;
    if (in.number() != 0) {
        if (!decodeScan(in.text(), declared)) return false;
        declared.parsed = true;
    }
    reads = in.text();
    return in.atEnd();
}

}  // namespace host
