// ExactNames: the compiler's records onto the leaves.
#include "names/ExactNames.h"

#include <algorithm>

#include "names/JdkNames.h"

namespace host {

namespace {

bool isNameLeaf(const Leaf& leaf) {
    switch (leaf.kind) {
    case kKindClassRef:
    case kKindMember:
    case kKindOwnMember:
    case kKindMethod:
    case kKindName:
    case kKindVariable:
    case kKindDeclared:
    case kKindOther:
    case kKindClass:
        return !leaf.comment;
    default:
        return false;
    }
}

bool underRules(const std::string& qualified, const RuleFacts& rules) {
    return containsAnyPackage(qualified, rules.packageKeywords);
}

// The leaf before or after index that is no comment; null at an end.
const Leaf* neighbour(const std::vector<Leaf>& leaves, size_t index, int step) {
    for (size_t at = index; step < 0 ? at > 0 : at + 1 < leaves.size();) {
        at = step < 0 ? at - 1 : at + 1;
        if (!leaves[at].comment) return &leaves[at];
    }
    return nullptr;
}

bool dotAt(const Leaf* leaf) {
    return leaf != nullptr && leaf->text == ".";
}

// An array's members (length) are the language's: as written, like a
// member of an anonymous class.
std::string qualifiedOf(const NameRecord& record, const Leaf& leaf) {
    bool array =
        record.owner.size() > 2 && record.owner.compare(record.owner.size() - 2, 2, "[]") == 0;
    return record.owner.empty() || array ? leaf.text : record.owner + "." + leaf.text;
}

int classKind(const std::string& qualified, const std::vector<Leaf>& leaves, size_t index,
              const RuleFacts& rules) {
    const Leaf& leaf = leaves[index];
    bool standsAlone = leaf.kind == kKindClass ||
                       (leaf.kind != kKindClassRef && !dotAt(neighbour(leaves, index, -1)) &&
                        !dotAt(neighbour(leaves, index, 1)));
    return standsAlone && underRules(qualified, rules) ? kKindClass : kKindClassRef;
}

// The kind a use record gives the leaf at index; 0 for none (the host's
// answer stands).
int useKind(const NameRecord& record, const std::vector<Leaf>& leaves, size_t index,
            const RuleFacts& rules) {
    const Leaf& leaf = leaves[index];
    switch (record.kind) {
    case NameKind::kPackage:
        return kKindName;
    case NameKind::kClass:
        return classKind(qualifiedOf(record, leaf), leaves, index, rules);
    case NameKind::kField:
        if (leaf.kind == kKindMember || leaf.kind == kKindOwnMember) return leaf.kind;
        return dotAt(neighbour(leaves, index, -1)) ? kKindMember : kKindOwnMember;
    case NameKind::kMethod:
        return kKindMethod;
    case NameKind::kLocal:
    case NameKind::kParameter:
        return kKindVariable;
    default:
        return 0;
    }
}

void applyDeclaration(const NameRecord& record, Leaf& leaf) {
    if (leaf.kind != kKindDeclared && leaf.kind != kKindMethod) return;
    bool overrides = record.kind == NameKind::kOverride && record.owner != "java.lang.Object";
    leaf.kind = overrides ? kKindMethod : kKindDeclared;
    leaf.qualified = overrides ? qualifiedOf(record, leaf) : leaf.text;
    leaf.unresolved = 0;
}

void applyRecord(const NameRecord& record, const RuleFacts& rules, std::vector<Leaf>& leaves,
                 size_t index) {
    Leaf& leaf = leaves[index];
    if (record.kind == NameKind::kOverride || record.kind == NameKind::kDeclared) {
        applyDeclaration(record, leaf);
        return;
    }
    // A declared name is no use: no record of a use applies to it.
    if (leaf.kind == kKindDeclared) return;
    int kind = useKind(record, leaves, index, rules);
    if (kind == 0) return;
    leaf.kind = kind;
    bool qualifiedKind = kind == kKindClassRef || kind == kKindClass || kind == kKindName ||
                         kind == kKindMember || kind == kKindOwnMember || kind == kKindMethod;
    leaf.qualified = qualifiedKind ? qualifiedOf(record, leaf) : leaf.text;
    leaf.unresolved = 0;
}

}  // namespace

void applyExactNames(const std::vector<NameRecord>& records, const RuleFacts& rules,
                     std::vector<Leaf>& leaves) {
    for (const NameRecord& record : records) {
        auto found =
            std::lower_bound(leaves.begin(), leaves.end(), record.start,
                             [](const Leaf& leaf, unsigned at) { return leaf.startByte < at; });
        if (found == leaves.end() || found->startByte != record.start ||
            found->endByte != record.end || found->text != record.name || !isNameLeaf(*found))
            continue;
        applyRecord(record, rules, leaves, static_cast<size_t>(found - leaves.begin()));
    }
}

}  // namespace host
