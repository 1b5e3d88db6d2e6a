// TalaBase: the lowest layer of the converter. It holds the link to the host,
// the output file of the current source file and the host's language, owns
// the output workspace (where converted and copied files go) and the choice
// of message language. Uses only the platform layer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "IConvert.h"

namespace tala {

class TalaBase {
public:
    explicit TalaBase(IConvertHost* host);
    TalaBase(const TalaBase&) = delete;
    TalaBase& operator=(const TalaBase&) = delete;

protected:
    ~TalaBase() = default;

    // The output root: the host's output directory, or the source root; a
    // root equal to the source root gets the Convert subdirectory.
    std::string getOutputRoot();
    // Copies the current source file unchanged into the output tree.
    int copySourceFile();
    // Opens the current file's output file, closing one still open.
    int openOutputFile();
    // Creates the missing directories of a path, from the root down; only
    // prefixes that end before a separator are created.
    int makeDirectories(const std::string& path);

    bool isChinese() const;
    // The text for the current language.
    const char* pick(const char* english, const char* chinese) const;
    // True when text is written: a file is open and the file is converted.
    bool outputActive() const;
    // Closes the output file; -1 when a write to it or the close failed.
    int closeOutputFile();
    // Closes the output file at the end of the writing pass; a failed write
    // fails the file and is logged with the output path.
    int finishOutputFile();
    // Writes text to the output file, which the caller knows to be open.
    void write(const std::string& text);
    // Sends an internal error to the host's log, as the named layer.
    void writeLog(const char* layer, const std::string& message, int line);
    int showMessage(const std::string& text, const std::string& caption, unsigned flags);

    IConvertHost* host;
    FILE* outputFile = nullptr;
    std::string outputPath;
    std::string language;
    bool keepOriginal = false;
    uint32_t changeCount = 0;
};

}  // namespace tala
