// OutputRoot: the checks of the roots and result files, the lock and mark
// of the output root, and the removal of an earlier run's stale output.
#include "run/OutputRoot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "run/OutputTree.h"

namespace host {

const char kRootMarkName[] = ".nidus-convert";

namespace {

namespace fs = std::filesystem;

constexpr char kConvertDir[] = "Convert/";

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
};

Identity identityOf(const std::string& path) {
    struct stat status {};
    Identity identity;
    if (stat(path.c_str(), &status) != 0) return identity;
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.known = true;
    return identity;
}

bool same(const Identity& a, const Identity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}

// The folder itself and every folder above it, up to "/".
std::vector<Identity> lineage(const std::string& folder) {
    std::vector<Identity> chain;
    fs::path path = fs::path(folder).lexically_normal();
    if (path.filename().empty()) path = path.parent_path();
    for (;;) {
        chain.push_back(identityOf(path.string()));
        fs::path parent = path.parent_path();
        if (parent == path || parent.empty()) break;
        path = parent;
    }
    return chain;
}

bool holds(const std::vector<Identity>& chain, const Identity& folder) {
    for (const Identity& identity : chain)
        if (same(identity, folder)) return true;
    return false;
}

// The deepest folder of path that exists: path itself, or one above it.
std::string existingPart(std::string path) {
    std::error_code error;
    while (!path.empty() && path != "/" && !fs::exists(path, error))
        path = fs::path(path).lexically_normal().parent_path().string();
    return path.empty() ? std::string("/") : path;
}

std::string refuseInside(const std::string& outputRoot, const std::string& sourceRoot) {
    return "the output root " + outputRoot + " lies inside the source directory " + sourceRoot +
           "; give a folder outside it (without -o the output goes to " + sourceRoot +
           kConvertDir + ")";
}

std::string refuseSame(const std::string& outputRoot) {
    return "the output root " + outputRoot +
           " is the source directory; give a folder outside it (without -o the output "
           "goes to SOURCE_DIR/Convert/)";
}

std::string refuseHolding(const std::string& outputRoot, const std::string& sourceRoot) {
    return "the output root " + outputRoot + " holds the source directory " + sourceRoot +
           "; give a folder outside it";
}

// The default root: a folder of its own below the source, never a link.
std::string checkDefaultRoot(const std::string& sourceRoot, const std::string& outputRoot) {
    std::string folder = outputRoot.substr(0, outputRoot.size() - 1);
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0) return std::string();
    if (S_ISLNK(status.st_mode))
        return "the output root " + outputRoot +
               " is a symbolic link; remove it, or give an output folder outside the source "
               "with -o";
    if (!S_ISDIR(status.st_mode))
        return "the output root " + outputRoot + " is not a directory; remove it, or give an "
               "output folder with -o";
    Identity root = identityOf(folder);
    if (holds(lineage(sourceRoot), root)) return refuseSame(outputRoot);
    return std::string();
}

}  // namespace

std::string checkOutputRoot(const std::string& sourceRoot, const std::string& outputRoot,
                            bool isDefault) {
    if (isDefault) return checkDefaultRoot(sourceRoot, outputRoot);
    if (outputRoot == sourceRoot) return refuseSame(outputRoot);
    if (startsWith(outputRoot, sourceRoot)) return refuseInside(outputRoot, sourceRoot);
    if (startsWith(sourceRoot, outputRoot)) return refuseHolding(outputRoot, sourceRoot);
    // The same folders by device and inode: a bind mount, or a link that
    // the resolved paths did not show.
    Identity source = identityOf(sourceRoot);
    std::vector<Identity> above = lineage(existingPart(outputRoot));
    if (holds(above, source))
        return same(above.front(), source) && fs::exists(outputRoot)
                   ? refuseSame(outputRoot)
                   : refuseInside(outputRoot, sourceRoot);
    Identity output = identityOf(outputRoot);
    if (output.known && holds(lineage(sourceRoot), output))
        return refuseHolding(outputRoot, sourceRoot);
    return std::string();
}

std::string checkResultPath(const std::string& what, const std::string& path,
                            const std::string& sourceRoot, const std::string& outputRoot,
                            const std::string& rulesPath) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    fs::path folder = absolute.parent_path();
    if (!fs::is_directory(folder, error))
        return what + " " + path + ": its folder " + folder.string() + " does not exist";
    if (fs::is_directory(absolute, error)) return what + " " + path + " is a directory";
    std::string resolved =
        (fs::canonical(folder, error) / absolute.filename()).lexically_normal().string();
    Identity identity = identityOf(resolved);
    if (!rulesPath.empty() && (same(identity, identityOf(rulesPath)) ||
                               resolved == fs::weakly_canonical(rulesPath, error).string()))
        return what + " " + path + " is the rule file";
    std::vector<Identity> above = lineage(resolved);
    above.erase(above.begin());
    std::string outputFolder = outputRoot.substr(0, outputRoot.size() - 1);
    if (startsWith(resolved, outputRoot) || holds(above, identityOf(outputFolder)))
        return what + " " + path + " lies in the output root " + outputRoot +
               "; write it outside the source and the output";
    if (startsWith(resolved, sourceRoot) || holds(above, identityOf(sourceRoot)))
        return what + " " + path + " lies in the source directory " + sourceRoot +
               "; write it outside the source and the output";
    return std::string();
}

bool replaceFile(const std::string& path,
                 const std::function<bool(const std::string& temporary, std::string& reason)>& write,
                 std::string& reason) {
    std::string temporary = path + ".nidus-convert-" + std::to_string(getpid()) + ".tmp";
    if (write(temporary, reason) && rename(temporary.c_str(), path.c_str()) == 0) return true;
    if (reason.empty()) reason = "cannot write " + path + ": " + strerror(errno);
    unlink(temporary.c_str());
    return false;
}

RootOwner::~RootOwner() {
    if (lock >= 0) close(lock);
}

bool RootOwner::claim(const std::string& outputRoot, std::string& reason) {
    root = outputRoot;
    std::error_code error;
    fs::create_directories(root, error);
    std::string mark = root + kRootMarkName;
    struct stat status {};
    bool marked = lstat(mark.c_str(), &status) == 0;
    earlier = marked;
    if (marked && !S_ISREG(status.st_mode)) {
        reason = "the output root's mark " + mark + " is not a file; remove it";
        return false;
    }
    if (!marked) {
        for (const auto& entry : fs::directory_iterator(root, error)) {
            if (entry.path().filename() == kStagingName) continue;
            reason = "the output root " + root + " holds files that no run of nidus-convert " +
                     "wrote (it has no " + kRootMarkName + "); give an empty or new folder, " +
                     "or empty this one";
            return false;
        }
    }
    lock = open(mark.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (lock < 0) {
        reason = "cannot make " + mark + ": " + strerror(errno);
        return false;
    }
    // A lock of the process itself (fcntl), not of the open file (flock):
    // the workers forked later do not hold it, so it ends with the run's own
    // process even while a killed run's workers are still dying.
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (fcntl(lock, F_SETLK, &whole) != 0) {
        struct flock holder = whole;
        long pid = fcntl(lock, F_GETLK, &holder) == 0 && holder.l_type != F_UNLCK ? holder.l_pid : 0;
        char owner[32] = {0};
        if (pid <= 0 && pread(lock, owner, sizeof owner - 1, 0) > 0) pid = strtol(owner, nullptr, 10);
        reason = "another run of nidus-convert" +
                 (pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string()) +
                 " is writing into " + root + "; wait until it ends";
        return false;
    }
    std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(lock, 0) != 0 || pwrite(lock, pid.data(), pid.size(), 0) < 0) {
        reason = "cannot write " + mark + ": " + strerror(errno);
        return false;
    }
    return true;
}

void RootOwner::removeStale(const std::set<std::string>& kept, const std::string& sourceRoot) const {
    // A root without an earlier run's mark held nothing: all it holds now
    // is this run's.
    if (root.empty() || !earlier) return;
    // Folders in the order they were met: removed deepest first.
    std::vector<std::string> folders;
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        std::string rel = pending.back();
        pending.pop_back();
        DIR* folder = opendir((root + rel).c_str());
        if (folder == nullptr) continue;
        while (dirent* item = readdir(folder)) {
            std::string name = item->d_name;
            if (name == "." || name == "..") continue;
            if (rel.empty() && (name == kRootMarkName || name == kStagingName)) continue;
            std::string path = rel + name;
            struct stat status {};
            if (lstat((root + path).c_str(), &status) != 0) continue;
            if (S_ISDIR(status.st_mode)) {
                pending.push_back(path + "/");
                folders.push_back(path);
            } else if (kept.count(path) == 0) {
                unlink((root + path).c_str());
            }
        }
        closedir(folder);
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        struct stat status {};
        if (lstat((sourceRoot + *folder).c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            continue;
        rmdir((root + *folder).c_str());  // fails, as it should, when not empty
    }
}

}  // namespace host
