// ExcludePatterns: the --exclude patterns, gitignore-style, relative to the
// source root. An entry they match (or that lies in a folder they match) is
// copied unchanged: never parsed, never converted, never given to the
// compiler.
#pragma once

#include <string>
#include <vector>

namespace host {

class ExcludePatterns {
public:
    // A pattern: "*" and "?" within one name, "**" for any number of
    // folders, a leading "/" anchors it at the source root, a trailing "/"
    // matches folders only, and a pattern without "/" matches a name at
    // any depth.
    void add(const std::string& pattern);
    bool empty() const { return patterns.empty(); }

    // Whether the entry rel (relative to the source root, "/" between its
    // names), or a folder it lies in, is matched. folder: rel is a folder.
    bool excludes(const std::string& rel, bool folder = false) const;

private:
    struct Pattern {
        std::vector<std::string> names;  // split at "/"; "**" stands alone
        bool anchored = false;
        bool foldersOnly = false;
    };
    std::vector<Pattern> patterns;

    static bool matches(const Pattern& pattern, const std::vector<std::string>& names,
                        size_t count);
};

}  // namespace host
