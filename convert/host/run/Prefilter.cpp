// Prefilter: the keys of the rules, and the files they reach through the
// types the tree declares.
#include "run/Prefilter.h"

#include <algorithm>

#include "names/JdkNames.h"

namespace host {

namespace {

std::string lastPart(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

}  // namespace

PrefilterKeys prefilterKeys(const RuleSet& rules, const RuleFacts& facts) {
    PrefilterKeys keys;
    for (const std::string& keyword : facts.packageKeywords) {
        keys.texts.push_back(keyword);
        keys.names.insert(lastPart(keyword));
        if (keys.off.empty() && jdkNameHolds(keyword))
            keys.off = "the package keyword " + keyword + " is part of a JDK name";
    }
    for (const RuleEntry& entry : rules.entries) {
        if (entry.section == "Words") keys.texts.push_back(entry.src);
        if (entry.section == "Classes" && entry.src.find('.') == std::string::npos)
            keys.names.insert(entry.src);
    }
    return keys;
}

bool touchesKeys(const std::string& text, const std::vector<std::string>& codeNames,
                 const PrefilterKeys& keys) {
    for (const std::string& key : keys.texts) {
        if (!key.empty() && text.find(key) != std::string::npos) return true;
    }
    return std::any_of(codeNames.begin(), codeNames.end(),
                       [&](const std::string& name) { return keys.names.count(name) != 0; });
}

namespace {

bool isArray(const std::string& type) {
    return type.size() > 2 && type.compare(type.size() - 2, 2, "[]") == 0;
}

std::string withoutArray(std::string type) {
    while (isArray(type)) type.resize(type.size() - 2);
    return type;
}

// Whether test holds for type's element type: most types are no array,
// and need no copy.
template <typename Test>
bool elementIs(const std::string& type, Test test) {
    return isArray(type) ? test(withoutArray(type)) : test(type);
}

// The classes of the tree that extend or implement a vendor's class,
// directly or through each other.
std::set<std::string> vendorSubclasses(const TreeTypes& types,
                                       const std::vector<std::string>& keywords) {
    std::set<std::string> found;
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& type : types.members) {
            const ClassMembers& members = type.second;
            auto leads = [&](const std::string& supertype) {
                return !supertype.empty() &&
                       (found.count(supertype) != 0 || containsAnyPackage(supertype, keywords));
            };
            if (found.count(type.first) != 0 ||
                (!leads(members.superclass) &&
                 std::none_of(members.interfaces.begin(), members.interfaces.end(), leads)))
                continue;
            found.insert(type.first);
            grew = true;
        }
    }
    return found;
}

}  // namespace

// A keyword's first part (up to its first dot) has no dot, so where the
// keyword stands in a record's owner "." name, that part lies whole in the
// owner or in the name, as the record's line writes them: records whose
// text holds no keyword's first part need not be read one by one. Most
// files' records hold none.
bool recordsTextHoldsKeyword(const std::string& text, const std::vector<std::string>& keywords) {
    bool maybe = std::any_of(keywords.begin(), keywords.end(), [&](const std::string& keyword) {
        return !keyword.empty() &&
               text.find(keyword.substr(0, keyword.find('.'))) != std::string::npos;
    });
    if (!maybe) return false;
    std::vector<NameRecord> records = parseNameRecords(text);
    return std::any_of(records.begin(), records.end(), [&](const NameRecord& record) {
        return containsAnyPackage(
            record.owner.empty() ? record.name : record.owner + "." + record.name, keywords);
    });
}

bool recordsHoldKeyword(const CompilerNames& names, const std::string& rel,
                        const std::vector<std::string>& keywords) {
    std::string text;
    return names.recordsTextOf(rel, text) && recordsTextHoldsKeyword(text, keywords);
}

LeadNames namesLeadingToVendor(const TreeTypes& types, const std::vector<std::string>& keywords) {
    std::set<std::string> subclasses = vendorSubclasses(types, keywords);
    auto leads = [&](const std::string& type) {
        return !type.empty() && elementIs(type, [&](const std::string& element) {
            return containsAnyPackage(element, keywords) || subclasses.count(element) != 0;
        });
    };
    // A class in a vendor's package, and its members, are reached only
    // through names that already touch a file (Prefilter.h).
    auto vendors = [&](const std::string& type) { return containsAnyPackage(type, keywords); };
    // The functional interfaces whose lambdas get one: a method that takes
    // one gets such a lambda without the interface's name being written.
    std::set<std::string> lambdaTypes;
    for (const auto& type : types.members) {
        const std::vector<std::string>& parameters = type.second.lambdaParameters;
        if (!vendors(type.first) && std::any_of(parameters.begin(), parameters.end(), leads))
            lambdaTypes.insert(type.first);
    }
    auto takes = [&](const std::string& type) {
        return leads(type) || elementIs(type, [&](const std::string& element) {
                   return lambdaTypes.count(element) != 0;
               });
    };
    LeadNames names;
    for (const std::string& subclass : subclasses)
        if (!vendors(subclass)) names.types.insert(lastPart(subclass));
    for (const std::string& type : lambdaTypes) names.types.insert(lastPart(type));
    for (const auto& type : types.members) {
        if (vendors(type.first)) continue;
        const ClassMembers& members = type.second;
        for (const auto& field : members.fields) {
            if (!leads(field.second)) continue;
            // An enum's constant (of the enum's own type) is named bare in
            // a switch over the enum, which needs no name of it.
            if (field.second == type.first)
                names.fields.insert(field.first);
            else
                names.ownedFields[field.first].insert(lastPart(type.first));
        }
        for (const auto& method : members.overloads) {
            for (const MethodOverload& overload : method.second) {
                if (leads(overload.result))
                    names.methods.insert(method.first);
                else if (std::any_of(overload.parameters.begin(), overload.parameters.end(), takes))
                    names.takers.insert(method.first);
            }
        }
    }
    return names;
}

uint32_t NameTable::intern(const std::string& name) {
    return ids.try_emplace(name, static_cast<uint32_t>(ids.size())).first->second;
}

bool NameTable::find(const std::string& name, uint32_t& id) const {
    auto found = ids.find(name);
    if (found == ids.end()) return false;
    id = found->second;
    return true;
}

std::vector<uint32_t> numbersOf(const std::set<std::string>& names, const NameTable& table) {
    std::vector<uint32_t> ids;
    for (const std::string& name : names) {
        uint32_t id = 0;
        if (table.find(name, id)) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

namespace {

// Whether found holds for a number that both sorted lists hold. The
// shorter one is walked and the longer searched from where the last
// search ended: a file has a few hundred names, and a tree may have
// thousands that lead.
template <typename Found>
bool anyCommon(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, Found found) {
    const std::vector<uint32_t>& shorter = a.size() <= b.size() ? a : b;
    const std::vector<uint32_t>& longer = a.size() <= b.size() ? b : a;
    auto at = longer.begin();
    for (uint32_t name : shorter) {
        at = std::lower_bound(at, longer.end(), name);
        if (at == longer.end()) return false;
        if (*at == name && found(name)) return true;
    }
    return false;
}

}  // namespace

bool namesAnyBut(const std::vector<uint32_t>& identifiers, const std::vector<uint32_t>& names,
                 const std::vector<uint32_t>& except) {
    return anyCommon(identifiers, names, [&](uint32_t name) {
        return !std::binary_search(except.begin(), except.end(), name);
    });
}

bool namesAny(const std::vector<uint32_t>& identifiers, const std::vector<uint32_t>& names) {
    return anyCommon(identifiers, names, [](uint32_t) { return true; });
}

}  // namespace host
