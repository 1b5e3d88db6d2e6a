// TreeScan: what one parse of each Java file tells the run before any file
// is converted: the types it declares and their members (for the index of
// the tree's types) and what the prefilter needs. A worker process sends
// its files' scans to the run's parent, which merges them in tree order.
#pragma once

#include <string>
#include <vector>

#include "names/SemanticModel.h"
#include "run/Prefilter.h"

namespace host {

struct FileScan {
    // Its types and their members, the members' tree lookups deferred.
    TreeTypes declared;
    PrefilterFacts prefilter;
};

// Reads and parses the file at path (a Java file that cannot be read or
// does not parse has no types, and parsed false).
FileScan scanJavaFile(const std::string& path, const RuleFacts& rules, const PrefilterKeys& keys);

// The tree's types from every file's scan, in tree order, their deferred
// lookups resolved; each scan's types are moved out.
TreeTypes mergeScans(std::vector<FileScan>& scans, const RuleFacts& rules);

std::string encodeScan(const FileScan& scan);
bool decodeScan(const std::string& packed, FileScan& scan);

}  // namespace host
