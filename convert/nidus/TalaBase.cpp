// TalaBase: host link, output workspace and message language.
#include "TalaBase.h"

#include "Platform.h"

namespace tala {

namespace {

constexpr char kLayer[] = "TalaBase";
constexpr char kChinese[] = "Chinese";
constexpr char kCaptionMessage[] = "Message";
constexpr char kCreateFail[] = "Create %s fail!";
constexpr size_t kMessageBufferSize = 300;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

TalaBase::TalaBase(IConvertHost* host) : host(host) {}

std::string TalaBase::getOutputRoot() {
    std::string root = host->getOutPath();
    if (root.empty()) root = host->getSrcPath();
    if (root == host->getSrcPath()) root += platform::kConvertDir;
    return root;
}

int TalaBase::copySourceFile() {
    std::string source = host->getSrcPath();
    if (source.empty()) return -1;
    std::string output = getOutputRoot();
    if (output.empty()) return -1;
    std::string relative = host->getRelPath();
    source += relative;
    output += relative;
    if (platform::pathAccess(output) != 0 && makeDirectories(output) != 0) return -1;
    std::string name = host->getFileName();
    return platform::copyFile(source + name, output + name);
}

int TalaBase::openOutputFile() {
    std::string path = getOutputRoot();
    if (path.empty()) {
        writeLog(kLayer, "Output root directory is empty!", __LINE__);
        return -1;
    }
    path += host->getRelPath();
    if (platform::pathAccess(path) != 0 && makeDirectories(path) != 0) return -1;
    closeOutputFile();
    path += host->getFileName();
    outputFile = platform::openTextFile(path);
    if (outputFile != nullptr) {
        outputPath = path;
        return 0;
    }
    // snprintf cuts a text longer than the buffer instead of overflowing it.
    char message[kMessageBufferSize];
    snprintf(message, sizeof message, kCreateFail, path.c_str());
    showMessage(message, kCaptionMessage, kBoxWarning);
    return -1;
}

int TalaBase::makeDirectories(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (!isSeparator(path[i])) continue;
        // The empty prefix of an absolute path is the root, which exists.
        if (i == 0) continue;
        std::string prefix = path.substr(0, i);
        if (platform::pathAccess(prefix) == 0) continue;
        if (platform::makeDirectory(prefix) != 0) {
            writeLog(kLayer, prefix, __LINE__);
            return -1;
        }
    }
    return 0;
}

bool TalaBase::isChinese() const {
    return language == kChinese;
}

const char* TalaBase::pick(const char* english, const char* chinese) const {
    return isChinese() ? chinese : english;
}

bool TalaBase::outputActive() const {
    return outputFile != nullptr && !keepOriginal;
}

int TalaBase::closeOutputFile() {
    if (outputFile == nullptr) return 0;
    int result = platform::closeTextFile(outputFile);
    outputFile = nullptr;
    return result;
}

int TalaBase::finishOutputFile() {
    if (closeOutputFile() == 0) return 0;
    writeLog(kLayer, "Write " + outputPath + " fail!", __LINE__);
    return -1;
}

void TalaBase::write(const std::string& text) {
    fwrite(text.data(), 1, text.size(), outputFile);
}

void TalaBase::writeLog(const char* layer, const std::string& message, int line) {
    host->writeLog(message, "", layer, line);
}

int TalaBase::showMessage(const std::string& text, const std::string& caption, unsigned flags) {
    return platform::messageBox(text, caption, flags);
}

}  // namespace tala
