// TreeScan: what the run learns of the tree's Java files before any file is
// converted. The bytes of every file give its package, the names of the
// types it declares and its identifiers (for the index of the tree's types
// and the prefilter); one parse of a file gives its types' members. A
// worker process sends its files' parses to the run's parent, which keeps
// each type's members from the file that declares it last in tree order.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "names/SemanticModel.h"
#include "run/Prefilter.h"
#include "syntax/LightScan.h"

namespace host {

// What the bytes of one Java file tell.
struct FileBytes {
    bool read = false;     // false: it cannot be read (converted, to fail as such)
    bool touched = false;  // touchesKeys
    LightScan scan;
    size_t textHash = 0;
};

FileBytes readJavaBytes(const std::string& path, const PrefilterKeys& keys);

// What one parse of a Java file tells: its types and their members, the
// members' lookups in the tree deferred. Nothing for a file that cannot be
// read or does not parse.
struct FileScan {
    TreeTypes declared;
    bool parsed = false;  // the file was read and parsed, or tried to be
    // Going in: the lexer's count of the file's tokens as the pass over the
    // bytes saw them, the measure of its leaves; 0 when not known.
    size_t lexedTokens = 0;
    // Going in: the prefilter keeps the file only for a name that leads to
    // the vendor, not for a key: once its names are resolved, the plug-in
    // would copy it unless one of them holds a package keyword.
    bool forLeadsOnly = false;
};

FileScan scanJavaFile(const std::string& path, const RuleFacts& rules);

std::string encodeScan(const FileScan& scan);
bool decodeScan(const std::string& packed, FileScan& scan);

// The tree's types: the names of every file's types, from its bytes, and
// the members of those whose files are parsed; the others' are left to be
// read when a lookup needs them.
class TreeIndex {
public:
    // Every file's, in tree order, before any members.
    void addNames(size_t file, const LightScan& scan, size_t textHash);
    // After the names: every type's members are to be read from its file.
    void leaveUnread(const std::vector<std::string>& paths);
    // The members of the types that this file is the file of, their
    // lookups settled against the names.
    void addMembers(size_t file, FileScan& scan, const RuleFacts& rules);
    TreeTypes& types() { return tree; }

private:
    TreeTypes tree;
    std::map<std::string, size_t> fileOf;
    std::vector<std::vector<std::string>> typesOf;  // by file, qualified
    std::vector<UnreadShape> shapes;                // by file, until leaveUnread
};

// What the run knows of the tree's Java files, by their number in tree
// order: each one's bytes first, then the parses of the files kept as they
// are converted, round by round, until no file is new (Prefilter.h).
class TreeScan {
public:
    // keepAll: every file is kept (no prefilter).
    void start(size_t files, bool keepAll);
    // Every file's, in tree order, before any parse.
    void addBytes(size_t file, const FileBytes& bytes);
    // After the bytes: the paths of the files, to read the members of
    // their types from when a lookup needs them.
    void leaveUnread(const std::vector<std::string>& paths) { index.leaveUnread(paths); }
    void addParse(size_t file, FileScan& scan, const RuleFacts& rules);
    // Keeps the files that name a name leading to the vendor through the
    // members parsed so far; the ones newly kept.
    std::vector<size_t> keepFilesNamingLeads(const std::vector<std::string>& keywords);
    bool kept(size_t file) const { return keep[file]; }
    // Kept for a key of its bytes (or because they cannot be read), not
    // for a name that leads.
    bool keyed(size_t file) const { return keyedFile[file]; }
    size_t lexedTokens(size_t file) const { return tokenCounts[file]; }
    bool parsed(size_t file) const { return parsedFile[file]; }
    size_t parsedFiles() const;
    TreeTypes& types() { return index.types(); }
    // The members that lookups read from the files of types since the
    // last call (TreeTypes::readOrder), packed for another process; empty
    // when there are none.
    std::string takeReadMembers();
    // Members packed so by another process, for the types whose files this
    // one has not read; false when they do not read.
    bool addReadMembers(const std::string& packed);

private:
    TreeIndex index;
    NameTable names;
    // A file's names as LightScan gives them, by number, each list sorted.
    struct CodeNames {
        std::vector<uint32_t> identifiers;
        std::vector<uint32_t> declarationOnly;
        std::vector<uint32_t> calledOnly;
        std::vector<uint32_t> dotted;
        std::vector<uint32_t> callLike;
        bool arrows = false;
    };
    std::vector<CodeNames> codeNames;  // by file
    void internNames(const LightScan& scan, CodeNames& code);
    // For each name in a header (LightScan::headers), the simple names of
    // the types whose header holds it: a superset of each type's subtypes.
    std::unordered_map<uint32_t, std::vector<uint32_t>> inHeaders;
    std::vector<bool> keep;
    std::vector<bool> keyedFile;
    std::vector<bool> parsedFile;
    std::vector<size_t> tokenCounts;  // LightScan::lexedTokens
    bool grown = true;  // parses added since the last keepFilesNamingLeads
    size_t readsTaken = 0;  // of TreeTypes::readOrder, by takeReadMembers

    // LeadNames by number. An owned field comes with the simple names of
    // its owners and of every type whose header leads to one of them,
    // sorted.
    struct OwnedField {
        uint32_t name = 0;
        std::vector<uint32_t> owners;
    };
    struct LeadNumbers {
        std::vector<uint32_t> types;
        std::vector<uint32_t> methods;
        std::vector<uint32_t> takers;
        std::vector<uint32_t> fields;
        std::vector<uint32_t> ownedNames;  // of owned, sorted
        std::vector<OwnedField> owned;
    };
    LeadNumbers numbersOfLeads(const LeadNames& leads) const;
    std::vector<uint32_t> withHeirs(const std::set<std::string>& owners) const;
    bool namesLead(size_t file, const LeadNumbers& leads) const;
};

}  // namespace host
