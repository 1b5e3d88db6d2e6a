// FuzzSupport: private folders, input files and the quiet message desk.
#include "FuzzSupport.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace fuzz {

namespace {

namespace fs = std::filesystem;

std::vector<std::string>& privateDirs() {
    static std::vector<std::string> dirs;
    return dirs;
}

void removePrivateDirs() {
    std::error_code error;
    for (const std::string& dir : privateDirs()) fs::remove_all(dir, error);
}

}  // namespace

std::string makePrivateDir(const std::string& prefix) {
    const char* temp = getenv("TMPDIR");
    std::string pattern =
        std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) fail("cannot make a folder " + pattern);
    if (privateDirs().empty()) std::atexit(removePrivateDirs);
    privateDirs().push_back(pattern);
    return pattern + "/";
}

bool writeInput(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

bool readWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

void emptyDir(const std::string& dir) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        fs::remove_all(it->path(), error);
}

void restartAfterAlarm() {
    struct sigaction action {};
    if (sigaction(SIGALRM, nullptr, &action) != 0 || (action.sa_flags & SA_RESTART) != 0) return;
    action.sa_flags |= SA_RESTART;
    if (sigaction(SIGALRM, &action, nullptr) != 0) fail("cannot make the alarm restart calls");
}

void quietDesk(host::AnswerMode mode) {
    host::MessageDesk& desk = host::messageDesk();
    FILE* devNull = fopen("/dev/null", "w");
    if (devNull == nullptr) fail("cannot open /dev/null for the plug-in's messages");
    desk.out = devNull;
    desk.mode = mode;
}

void resetDesk() {
    host::MessageDesk& desk = host::messageDesk();
    desk.answers.clear();
    desk.fileMessages.clear();
    desk.questions = 0;
    desk.messages = 0;
}

void checkRun(const host::RunReport& report, const std::string& sourceDir,
              const std::string& outputDir) {
    for (const host::FileReport& file : report.files) {
        std::string output;
        if (!readWhole(outputDir + file.path, output))
            fail(file.path + " is missing from the output (" + file.reason + ")");
        if (file.result == host::FileResult::kConverted) continue;
        std::string input;
        if (!readWhole(sourceDir + file.path, input)) fail(file.path + " cannot be read back");
        if (output != input)
            fail(file.path + " was not converted but its output differs from its source (" +
                 file.reason + ")");
    }
}

host::RunReport runChecked(const host::RunOptions& options, host::Host& service,
                           tala::IConvert& convert, host::OutputTree& output) {
    std::string reason;
    if (!output.prepare(reason)) fail(reason);
    host::Runner runner(options, service, convert, output);
    host::RunReport report = runner.run();
    output.discard();
    if (!report.refused) checkRun(report, options.sourceDir, options.outputDir);
    if (service.outstanding() != 0)
        fail("the plug-in did not give back every node and token of a body");
    emptyDir(options.outputDir);
    return report;
}

void fail(const std::string& reason) {
    fprintf(stderr, "fuzz: %s\n", reason.c_str());
    fflush(stderr);
    abort();
}

}  // namespace fuzz
