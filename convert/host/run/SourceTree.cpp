// SourceTree: the walk over the source folders, with an explicit stack.
#include "run/SourceTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace host {

namespace {

std::string linkTarget(const std::string& path) {
    std::string target(4096, '\0');
    ssize_t length = readlink(path.c_str(), &target[0], target.size());
    target.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return target;
}

// Lists one folder (rel empty or ending in "/"): files and links go to
// entries, subfolders to pending, .git folders to leftOut when given.
// false when the folder holds nothing.
bool listFolder(const std::string& root, const std::string& rel, const std::string& skip,
                std::vector<SourceEntry>& entries, std::vector<std::string>& pending,
                std::vector<std::string>* leftOut) {
    DIR* folder = opendir((root + rel).c_str());
    if (folder == nullptr) {
        entries.push_back({rel.empty() ? "." : rel.substr(0, rel.size() - 1),
                           EntryKind::kUnreadable, std::string(),
                           std::string("the folder cannot be read: ") + strerror(errno)});
        return true;
    }
    bool holds = false;
    while (dirent* item = readdir(folder)) {
        std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        holds = true;
        std::string path = rel + name;
        // The folder's listing tells most file systems' kinds of entry
        // itself; the others are asked, by name within the folder.
        unsigned char kind = item->d_type;
        struct stat status {};
        if (kind == DT_UNKNOWN) {
            if (fstatat(dirfd(folder), item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                entries.push_back({path, EntryKind::kUnreadable, std::string(),
                                   std::string("cannot be read: ") + strerror(errno)});
                continue;
            }
            kind = IFTODT(status.st_mode);
        }
        if (kind == DT_DIR) {
            if (name == ".git") {
                if (leftOut != nullptr) leftOut->push_back(path + "/");
            } else if (root + path + "/" != skip) {
                pending.push_back(path + "/");
            }
        } else if (kind == DT_LNK) {
            entries.push_back({path, EntryKind::kLink, linkTarget(root + path), std::string()});
        } else if (kind == DT_REG) {
            entries.push_back({path, EntryKind::kFile, std::string(), std::string()});
        } else {
            entries.push_back({path, EntryKind::kOther, std::string(),
                               "neither a file nor a folder (a pipe, socket or device)"});
        }
    }
    closedir(folder);
    return holds;
}

}  // namespace

std::vector<SourceEntry> listSourceTree(const std::string& root, const std::string& skip,
                                        std::vector<std::string>* emptyFolders,
                                        std::vector<std::string>* leftOut) {
    std::vector<SourceEntry> entries;
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        std::string rel = pending.back();
        pending.pop_back();
        bool holds = listFolder(root, rel, skip, entries, pending, leftOut);
        if (!holds && !rel.empty() && emptyFolders != nullptr)
            emptyFolders->push_back(rel.substr(0, rel.size() - 1));
    }
    if (emptyFolders != nullptr) std::sort(emptyFolders->begin(), emptyFolders->end());
    if (leftOut != nullptr) std::sort(leftOut->begin(), leftOut->end());
    std::sort(entries.begin(), entries.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.rel < b.rel; });
    return entries;
}

std::vector<std::string> listJavaFiles(const std::string& root, const std::string& skip,
                                       const ExcludePatterns& exclude) {
    std::vector<std::string> files;
    for (const SourceEntry& entry : listSourceTree(root, skip)) {
        bool java =
            entry.rel.size() > 5 && entry.rel.compare(entry.rel.size() - 5, 5, ".java") == 0;
        if (entry.kind == EntryKind::kFile && java && !exclude.excludes(entry.rel))
            files.push_back(entry.rel);
    }
    return files;
}

}  // namespace host
