// Runner: the tree walk, the two passes per file, failures and the summary.
#include "Runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>

#include "Plugin.h"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr char kConvertDir[] = "Convert/";
constexpr int kRunAgain = 1;
// The plug-in asks for one writing pass; more is a fault of the plug-in.
constexpr int kMaxPasses = 2;

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void splitPath(const std::string& rel, std::string& dir, std::string& name) {
    size_t slash = rel.rfind('/');
    dir = slash == std::string::npos ? std::string() : rel.substr(0, slash + 1);
    name = slash == std::string::npos ? rel : rel.substr(slash + 1);
}

}  // namespace

std::string outputRoot(const RunOptions& options) {
    // The plug-in's own rule: no output setting, or the source root itself,
    // means SOURCE/Convert/.
    if (options.outputDir.empty() || options.outputDir == options.sourceDir)
        return options.sourceDir + kConvertDir;
    return options.outputDir;
}

Runner::Runner(const RunOptions& runOptions, Host& runHost, tala::IConvert& converter)
    : options(runOptions), host(runHost), convert(converter) {}

// Every regular file below the source root in a stable order, without the
// output tree (when it lies inside the source tree) and without .git.
std::vector<std::string> Runner::listFiles() const {
    std::vector<std::string> files;
    std::error_code error;
    fs::path root(options.sourceDir);
    fs::path output = fs::weakly_canonical(outputRoot(options), error);
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error) break;
        const fs::directory_entry& entry = *it;
        if (entry.is_directory(error)) {
            fs::path canonical = fs::weakly_canonical(entry.path(), error);
            if (canonical == output || entry.path().filename() == ".git")
                it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file(error)) continue;
        files.push_back(fs::relative(entry.path(), root, error).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The types the tree declares, then their members: a member's type may be
// a type of any file.
void Runner::scanTypes(const std::vector<std::string>& files) {
    for (int step = 0; step < 2; ++step) {
        for (const std::string& rel : files) {
            if (!endsWith(rel, ".java")) continue;
            std::string text;
            JavaSource source;
            if (!readFile(options.sourceDir + rel, text) || !source.parse(text)) continue;
            if (step == 0) {
                source.collectTypes(treeTypes);
            } else {
                source.collectMembers(treeTypes, options.rules);
            }
        }
    }
}

RunReport Runner::run() {
    auto started = std::chrono::steady_clock::now();
    RunReport report;
    std::vector<std::string> files = listFiles();
    scanTypes(files);
    bool terminal = options.progress;
    for (size_t i = 0; i < files.size(); ++i) {
        if (terminal) {
            fprintf(stderr, "\r\033[K[%zu/%zu] %s", i + 1, files.size(), files[i].c_str());
            fflush(stderr);
        }
        FileReport file = convertFile(files[i]);
        if (file.result == FileResult::kRefused) {
            report.refused = true;
            report.refusal = "the plug-in refused to convert: its rules did not load";
            break;
        }
        switch (file.result) {
        case FileResult::kConverted:
            ++report.converted;
            break;
        case FileResult::kCopied:
            ++report.copied;
            break;
        case FileResult::kFailed:
        case FileResult::kNotParsed:
        case FileResult::kRefused:
            ++report.failed;
            break;
        }
        report.files.push_back(std::move(file));
    }
    if (terminal) fprintf(stderr, "\r\033[K");
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

FileReport Runner::convertFile(const std::string& rel) {
    FileReport report;
    report.path = rel;
    std::string dir;
    std::string name;
    splitPath(rel, dir, name);
    messageDesk().fileMessages.clear();

    std::unique_ptr<JavaSource> source;
    if (endsWith(name, ".java")) {
        std::string text;
        source = std::make_unique<JavaSource>();
        if (!readFile(options.sourceDir + rel, text)) {
            report.result = FileResult::kFailed;
            report.reason = "cannot be read";
            return report;
        }
        if (!source->parse(text)) {
            // Never handed to the plug-in half-understood.
            report.result = FileResult::kNotParsed;
            report.reason = "not parsed (" + source->reason() + "); copied unchanged";
            if (!copyUnchanged(rel)) report.reason += ", but the copy failed";
            return report;
        }
        source->build(treeTypes, options.rules);
    }
    host.setFile(dir, name, source ? &source->leaves() : nullptr);
    bool converted = false;
    bool refused = false;
    int result = runPasses(source.get(), converted, refused);
    report.log = host.takeLog();
    report.messages = messageDesk().fileMessages;
    host.setFile(std::string(), std::string(), nullptr);
    if (refused) {
        report.result = FileResult::kRefused;
        return report;
    }
    if (result != 0) {
        report.result = FileResult::kFailed;
        report.reason = "conversion failed; copied unchanged";
        if (!copyUnchanged(rel))
            report.reason = "conversion failed, and the unchanged copy failed too";
        return report;
    }
    report.result = converted ? FileResult::kConverted : FileResult::kCopied;
    if (converted) checkConverted(report);
    if (report.result == FileResult::kConverted)
        report.leftAsWritten = source->unresolvedRuleNames(options.rules);
    return report;
}

// A converted Java file must parse again (a rule's replacement text may not
// be Java); otherwise the unchanged source takes its place.
void Runner::checkConverted(FileReport& report) const {
    if (!endsWith(report.path, ".java")) return;
    std::string text;
    JavaSource converted;
    if (readFile(outputRoot(options) + report.path, text) && converted.parse(text)) return;
    report.result = FileResult::kFailed;
    report.reason =
        "the converted text does not parse (" +
        (converted.reason().empty() ? std::string("cannot be read") : converted.reason()) +
        "); copied unchanged";
    if (!copyUnchanged(report.path)) report.reason += ", but the copy failed";
}

// beginFile ... endFile, again while endFile asks for it. 0 when the file
// was converted or copied by the plug-in, -1 when it failed (no output file
// is left open then).
int Runner::runPasses(const JavaSource* source, bool& converted, bool& refused) {
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        if (convert.beginFile() != 0) {
            refused = true;
            return -1;
        }
        int played = source != nullptr ? playSteps(*source) : 0;
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
        return ended == 0 ? 0 : -1;
    }
    // Asked for a third pass: close what is open and give up.
    convert.endFile();
    return -1;
}

int Runner::playSteps(const JavaSource& source) {
    const std::vector<Leaf>& leaves = source.leaves();
    for (const Step& step : source.steps()) {
        int result = 0;
        switch (step.kind) {
        case StepKind::kStatement: {
            const Statement& statement = step.statements[0];
            if (leaves[statement.first].blankLine) convert.outputText("\n");
            HostStatement stmt(leaves, statement);
            result = convert.convertStmt(&stmt);
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

bool Runner::copyUnchanged(const std::string& rel) const {
    std::error_code error;
    fs::path target = fs::path(outputRoot(options)) / rel;
    fs::create_directories(target.parent_path(), error);
    fs::copy_file(options.sourceDir + rel, target, fs::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace host
