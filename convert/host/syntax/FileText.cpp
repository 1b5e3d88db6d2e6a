// FileText: reading a file whole.
#include "syntax/FileText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace host {

namespace {

// Reads fd to its end into text; false (errno set) when a read fails. A
// regular file's size (expected) is known: one read of a byte more than it
// gets it all, and falls short to show the end. Anything else (or a file
// that grew) is read until a read gives nothing.
bool readToEnd(int fd, std::string& text, size_t expected, bool regular) {
    size_t chunk = expected + 1;
    for (;;) {
        size_t at = text.size();
        text.resize(at + chunk);
        ssize_t got = read(fd, &text[at], chunk);
        text.resize(at + (got > 0 ? static_cast<size_t>(got) : 0));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0;
        if (regular && static_cast<size_t>(got) < chunk) return true;
        chunk = 64 * 1024;
    }
}

}  // namespace

bool readFileText(const std::string& path, std::string& text) {
    text.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    bool read = readToEnd(fd, text, regular ? static_cast<size_t>(status.st_size) : 0, regular);
    int saved = errno;
    close(fd);
    errno = saved;
    return read;
}

}  // namespace host
