// SourceTree: what lies below the source root, in a stable order. Regular
// files, symbolic links (never followed) and what cannot be read, each with
// its path relative to the root.
#pragma once

#include <string>
#include <vector>

#include "run/ExcludePatterns.h"

namespace host {

enum class EntryKind {
    kFile,        // a regular file
    kLink,        // a symbolic link, to a file or a folder; target holds its text
    kUnreadable,  // a folder that cannot be listed; reason says why
    kOther,       // a socket, pipe or device: not a file to convert or copy
};

struct SourceEntry {
    std::string rel;
    EntryKind kind = EntryKind::kFile;
    std::string target;
    std::string reason;
};

// Every entry below root (absolute, ending in "/"), sorted by path, without
// the folder skip (an absolute path ending in "/", or empty) and without
// .git folders, whose paths (ending in "/") go to leftOut when given. The
// walk keeps its own stack, so no depth of folders can overflow the
// program's. emptyFolders (when given) receives the folders that hold
// nothing at all, sorted.
std::vector<SourceEntry> listSourceTree(const std::string& root, const std::string& skip,
                                        std::vector<std::string>* emptyFolders = nullptr,
                                        std::vector<std::string>* leftOut = nullptr);

// The regular files among them whose names end in ".java", in that order,
// without those that exclude matches.
std::vector<std::string> listJavaFiles(const std::string& root, const std::string& skip,
                                       const ExcludePatterns& exclude = ExcludePatterns());

}  // namespace host
