// ExcludePatterns: gitignore-style matching of paths, name by name with
// fnmatch, "**" by a table over the names (no recursion).
#include "run/ExcludePatterns.h"

#include <fnmatch.h>

namespace host {

namespace {

std::vector<std::string> splitNames(const std::string& path) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) names.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

}  // namespace

void ExcludePatterns::add(const std::string& text) {
    Pattern pattern;
    std::string body = text;
    if (!body.empty() && body.back() == '/') {
        pattern.foldersOnly = true;
        while (!body.empty() && body.back() == '/') body.pop_back();
    }
    // A "/" at the start or inside anchors the pattern at the root.
    pattern.anchored = body.find('/') != std::string::npos;
    pattern.names = splitNames(body);
    if (pattern.names.empty()) return;
    patterns.push_back(pattern);
}

bool ExcludePatterns::excludes(const std::string& rel, bool folder) const {
    std::vector<std::string> names = splitNames(rel);
    for (size_t count = 1; count <= names.size(); ++count) {
        // Every name but the last is a folder the entry lies in.
        bool isFolder = count < names.size() || folder;
        for (const Pattern& pattern : patterns) {
            if (pattern.foldersOnly && !isFolder) continue;
            if (matches(pattern, names, count)) return true;
        }
    }
    return false;
}

// Whether the first count names of a path match the pattern: an anchored
// one from the root, any other as the last name.
bool ExcludePatterns::matches(const Pattern& pattern, const std::vector<std::string>& names,
                              size_t count) {
    if (!pattern.anchored)
        return fnmatch(pattern.names[0].c_str(), names[count - 1].c_str(), 0) == 0;
    const std::vector<std::string>& parts = pattern.names;
    // reach[j]: the first i pattern names match the first j path names.
    std::vector<bool> reach(count + 1, false);
    reach[0] = true;
    for (const std::string& part : parts) {
        std::vector<bool> next(count + 1, false);
        for (size_t j = 0; j <= count; ++j) {
            if (part == "**") {
                // Any number of names, none included.
                next[j] = reach[j] || (j > 0 && next[j - 1]);
            } else {
                next[j] = j > 0 && reach[j - 1] &&
                          fnmatch(part.c_str(), names[j - 1].c_str(), 0) == 0;
            }
        }
        reach.swap(next);
    }
    return reach[count];
}

}  // namespace host
