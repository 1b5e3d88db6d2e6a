// OutputTree: the staging folder, checked copies, and the rename into place.
#include "run/OutputTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>

namespace host {

const char kStagingName[] = ".nidus-convert-staging";

namespace {

namespace fs = std::filesystem;

constexpr size_t kCopyBuffer = 1 << 16;
// How much one copy_file_range call is asked for; it may copy less.
constexpr size_t kCopyChunk = size_t(1) << 30;

std::string systemReason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + strerror(errno);
}

// Writes all of count bytes, across short writes and interruptions.
bool writeAll(int fd, const char* data, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, data, count);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;
        if (written <= 0) return false;
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

// Copies the rest of in to out through a buffer; false with errno set by
// the call that failed.
bool copyThroughBuffer(int in, int out) {
    char buffer[kCopyBuffer];
    for (;;) {
        ssize_t count = read(in, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        if (!writeAll(out, buffer, static_cast<size_t>(count))) {
            if (errno == 0) errno = ENOSPC;
            return false;
        }
    }
}

// Whether copy_file_range failed because it cannot copy between these two
// files at all (another file system, a kernel or file system without it),
// so that a plain copy is to be made instead.
bool copyInKernelUnsupported(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// Copies in to out, inside the kernel where it can (which clones the data on
// file systems that share extents) and through a buffer where it cannot.
// Both calls move the files' offsets, so the buffer goes on from where the
// kernel stopped. Copies until the input ends, whatever size it had when it
// was opened; false with errno set by the call that failed.
//
// Some file systems make up their files' contents as they are read and
// answer copy_file_range with an end at once; an end before any byte is
// therefore confirmed by reading.
bool copyContent(int in, int out) {
    bool copied = false;
    for (;;) {
        ssize_t count = copy_file_range(in, nullptr, out, nullptr, kCopyChunk, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && copyInKernelUnsupported(errno)) return copyThroughBuffer(in, out);
        if (count < 0) return false;
        if (count == 0) return copied || copyThroughBuffer(in, out);
        copied = true;
    }
}

}  // namespace

OutputTree::OutputTree(std::string root)
    : outputRoot(std::move(root)), stagingRoot(outputRoot + kStagingName + "/"), owner(getpid()) {}

bool OutputTree::prepare(std::string& reason) {
    discard();
    std::string folder = stagingRoot.substr(0, stagingRoot.size() - 1);
    if (!makeFolders(std::string(), outputRoot, false, reason)) return false;
    if (mkdir(folder.c_str(), 0777) != 0) {
        reason = systemReason("cannot make the staging folder", folder);
        return false;
    }
    return true;
}

void OutputTree::discard() {
    madeFolders.clear();
    // remove_all removes a link itself, never what it points to.
    std::error_code error;
    fs::remove_all(stagingRoot.substr(0, stagingRoot.size() - 1), error);
}

bool OutputTree::stageCopy(const std::string& sourcePath, const std::string& rel,
                           std::string& reason) const {
    int in = open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (in < 0 || fstat(in, &status) != 0) {
        reason = systemReason("cannot read", sourcePath);
        if (in >= 0) close(in);
        return false;
    }
    bool ok = stage(rel, reason, [&](int out) {
        return copyContent(in, out) && fchmod(out, status.st_mode & 0777) == 0;
    });
    close(in);
    return ok;
}

bool OutputTree::stageText(const std::string& text, const std::string& rel,
                           std::string& reason) const {
    return stage(rel, reason, [&](int out) { return writeAll(out, text.data(), text.size()); });
}

// Creates the staged file for rel (never through a link), lets fill write
// it, and checks the close. false with reason.
bool OutputTree::stage(const std::string& rel, std::string& reason,
                       const std::function<bool(int)>& fill) const {
    if (!makeFolders(stagingRoot, rel, true, reason)) return false;
    std::string target = stagedPath(rel);
    int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    faults.slowWrite();
    bool ok = out >= 0 && !faults.fails(FaultKind::kWrite) && fill(out);
    if (!ok) reason = systemReason("cannot write", target);
    if (out >= 0 && close(out) != 0 && ok) {
        reason = systemReason("cannot write", target);
        ok = false;
    }
    return ok;
}

bool OutputTree::stageLink(const std::string& target, const std::string& rel,
                           std::string& reason) const {
    if (!makeFolders(stagingRoot, rel, true, reason)) return false;
    if (symlink(target.c_str(), stagedPath(rel).c_str()) == 0) return true;
    reason = systemReason("cannot make the link", stagedPath(rel));
    return false;
}

bool OutputTree::keepMode(const std::string& sourcePath, const std::string& rel,
                          std::string& reason) const {
    struct stat status {};
    if (stat(sourcePath.c_str(), &status) != 0) {
        reason = systemReason("cannot read", sourcePath);
        return false;
    }
    if (chmod(stagedPath(rel).c_str(), status.st_mode & 0777) == 0) return true;
    reason = systemReason("cannot set the permissions of", stagedPath(rel));
    return false;
}

bool OutputTree::commit(const std::string& rel, std::string& reason) const {
    // A worker whose run is gone (killed) puts nothing into the output.
    if (getpid() != owner && getppid() != owner) {
        reason = "the run it belongs to has ended";
        return false;
    }
    if (!makeFolders(outputRoot, rel, true, reason)) return false;
    std::string target = outputRoot + rel;
    // rename replaces a link at the target itself, never what it points to.
    if (!faults.fails(FaultKind::kRename) && rename(stagedPath(rel).c_str(), target.c_str()) == 0)
        return true;
    reason = systemReason("cannot move the output into place at", target);
    return false;
}

bool OutputTree::placeFolder(const std::string& sourcePath, const std::string& rel,
                             std::string& reason) const {
    struct stat status {};
    if (lstat((outputRoot + rel).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
    if (stat(sourcePath.c_str(), &status) != 0) {
        reason = systemReason("cannot read", sourcePath);
        return false;
    }
    if (!stageFolders(rel, reason)) return false;
    if (faults.fails(FaultKind::kMkdir) || mkdir(stagedPath(rel).c_str(), 0700) != 0 ||
        chmod(stagedPath(rel).c_str(), status.st_mode & 0777) != 0) {
        reason = systemReason("cannot make the folder", stagedPath(rel));
        return false;
    }
    return commit(rel, reason);
}

void OutputTree::drop(const std::string& rel) const {
    unlink(stagedPath(rel).c_str());
}

void OutputTree::removePlaced(const std::string& rel) const {
    // Only through folders of the output itself, never through a link.
    for (size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', slash + 1)) {
        struct stat status {};
        if (lstat((outputRoot + rel.substr(0, slash)).c_str(), &status) != 0 ||
            !S_ISDIR(status.st_mode))
            return;
    }
    unlink((outputRoot + rel).c_str());
}

// Makes the folders of base + rel up to rel's last "/" (all of rel when it
// ends in one), component by component. With refuseLinks a component that
// is a symbolic link fails instead of being followed.
bool OutputTree::makeFolders(const std::string& base, const std::string& rel, bool refuseLinks,
                             std::string& reason) const {
    // A folder found or made once is one for the rest of the run: the
    // folders of most files were checked for the files before them.
    size_t last = rel.rfind('/');
    if (last == std::string::npos || last == 0 || madeFolders.count(base + rel.substr(0, last)) != 0)
        return true;
    for (size_t slash = rel.find('/', 1); slash != std::string::npos;
         slash = rel.find('/', slash + 1)) {
        std::string folder = base + rel.substr(0, slash);
        if (madeFolders.count(folder) != 0) continue;
        struct stat status {};
        if (lstat(folder.c_str(), &status) == 0) {
            if (S_ISDIR(status.st_mode)) {
                madeFolders.insert(folder);
                continue;
            }
            if (S_ISLNK(status.st_mode) && !refuseLinks) continue;
            reason = S_ISLNK(status.st_mode)
                         ? "the output path goes through a symbolic link: " + folder
                         : "the output path goes through a file that is no folder: " + folder;
            return false;
        }
        if (faults.fails(FaultKind::kMkdir) || (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)) {
            reason = systemReason("cannot make the folder", folder);
            return false;
        }
        madeFolders.insert(folder);
    }
    return true;
}

}  // namespace host
