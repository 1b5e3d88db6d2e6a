// NameResolution: the names layer's entry points for one file, over the
// classifier walk, exact mode's records and the declarations.
#include "names/NameResolution.h"

#include "names/Classifier.h"
#include "names/DeclarationReader.h"
#include "names/ExactNames.h"
#include "syntax/FileText.h"
#include "syntax/LightScan.h"
#include "syntax/MembersText.h"

namespace host {

void collectDeclarations(const JavaSource& source, TreeTypes& types, const RuleFacts& rules) {
    TSNode root = source.root();
    if (!ts_node_is_null(root)) collectDeclarations(source.text(), root, types, rules);
}

namespace {

// The types that the file at path declares and the bodies to leave out of
// its text: as the pass over the bytes saw them while the text is the same,
// else from a scan of the text.
std::vector<std::string> shapeOf(const std::string& path, const std::string& raw,
                                 const TreeTypes& types, LightScan& scan) {
    auto known = types.unreadShapes.find(path);
    if (known != types.unreadShapes.end() &&
        known->second.textHash == std::hash<std::string>{}(raw)) {
        scan.bodies = std::move(known->second.bodies);
        scan.balanced = known->second.balanced;
        std::vector<std::string> declared = std::move(known->second.types);
        types.unreadShapes.erase(known);
        return declared;
    }
    scan = lightScan(raw);
    std::vector<std::string> declared;
    for (const std::string& type : scan.types)
        declared.push_back(scan.package.empty() ? type : scan.package + "." + type);
    return declared;
}

// The members of the types that the file at path declares, for the tree
// types that it is the file of; its entries leave unread either way.
void readUnreadFile(const std::string& path, const TreeTypes& types, const RuleFacts& rules) {
    std::string raw;
    bool read = readFileText(path, raw);
    LightScan scan;
    std::vector<std::string> declaredTypes = shapeOf(path, raw, types, scan);
    TreeTypes declared;
    // Only the declarations are read: the bodies need not be parsed, nor
    // what the members never ask for (MembersText); most texts need no
    // parse at all (DeclarationReader).
    MembersText members = membersText(raw, scan);
    if (read && readDeclarations(members, rules, declared.members)) {
        resolveDeferredTypes(declared.members, types, rules);
    } else if (read) {
        JavaSource source;
        if (source.parse(members.text)) {
            collectDeclarations(source.text(), source.root(), declared, rules, &members);
            resolveDeferredTypes(declared.members, types, rules);
        }
    }
    for (const std::string& type : declaredTypes) {
        auto entry = types.unread.find(type);
        if (entry == types.unread.end() || entry->second != path) continue;
        auto members = declared.members.find(entry->first);
        if (members != declared.members.end())
            types.readLater[entry->first] = std::move(members->second);
        types.readOrder.push_back(entry->first);
        types.unread.erase(entry);
    }
}

}  // namespace

const ClassMembers* treeMembers(const TreeTypes& types, const std::string& type,
                                const RuleFacts& rules) {
    auto read = types.members.find(type);
    if (read != types.members.end()) return &read->second;
    auto unread = types.unread.find(type);
    if (unread != types.unread.end()) {
        readUnreadFile(std::string(unread->second), types, rules);
        // Read once, even where the file's bytes and its parse disagree.
        types.unread.erase(type);
    }
    auto later = types.readLater.find(type);
    return later != types.readLater.end() ? &later->second : nullptr;
}

void resolveNames(JavaSource& source, const TreeTypes& types, const RuleFacts& rules,
                  const std::vector<NameRecord>* exact, TreeTypes* declared) {
    source.cutLeaves();
    TSNode root = source.root();
    if (ts_node_is_null(root)) return;
    classifyNames(source.text(), root, source.leaves(), types, rules, declared);
    if (exact != nullptr) applyExactNames(*exact, rules, source.leaves());
}

std::vector<std::string> unresolvedRuleNames(const std::vector<Leaf>& leaves,
                                             const RuleFacts& rules) {
    std::vector<std::string> names;
    for (const Leaf& leaf : leaves) {
        if (leaf.unresolved == 0) continue;
        const std::set<std::string>& named =
            leaf.unresolved == kKindMethod ? rules.methodNames : rules.memberNames;
        if (named.count(leaf.text) != 0)
            names.push_back("line " + std::to_string(leaf.line) + ": " + leaf.text);
    }
    return names;
}

}  // namespace host
