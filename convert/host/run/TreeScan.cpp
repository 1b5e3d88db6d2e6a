// TreeScan: one parse of a Java file for the tree's index and the
// prefilter, merging the scans, and packing a scan for the wire.
#include "run/TreeScan.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "names/NameResolution.h"
#include "run/Wire.h"
#include "syntax/JavaSource.h"

namespace host {

namespace {

void putOverloads(Writer& out, const std::vector<MethodOverload>& overloads) {
    out.number(static_cast<long long>(overloads.size()));
    for (const MethodOverload& overload : overloads) {
        out.text(overload.result).texts(overload.parameters);
        out.number(overload.variableArity).number(overload.overrides);
    }
}

std::vector<MethodOverload> getOverloads(Reader& in) {
    std::vector<MethodOverload> overloads(static_cast<size_t>(std::max(0LL, in.number())));
    for (MethodOverload& overload : overloads) {
        if (!in.ok()) break;
        overload.result = in.text();
        overload.parameters = in.texts();
        overload.variableArity = in.number() != 0;
        overload.overrides = in.number() != 0;
    }
    return overloads;
}

void putMembers(Writer& out, const ClassMembers& members) {
    out.number(static_cast<long long>(members.fields.size()));
    for (const auto& field : members.fields) out.text(field.first).text(field.second);
    out.number(static_cast<long long>(members.overloads.size()));
    for (const auto& named : members.overloads) {
        out.text(named.first).text(members.methods.count(named.first) != 0
                                       ? members.methods.at(named.first)
                                       : std::string());
        putOverloads(out, named.second);
    }
    out.text(members.superclass).texts(members.interfaces);
    out.number(members.functional).texts(members.lambdaParameters);
}

ClassMembers getMembers(Reader& in) {
    ClassMembers members;
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        std::string name = in.text();
        members.fields[name] = in.text();
    }
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        std::string name = in.text();
        members.methods[name] = in.text();
        members.overloads[name] = getOverloads(in);
    }
    members.superclass = in.text();
    members.interfaces = in.texts();
    members.functional = in.number() != 0;
    members.lambdaParameters = in.texts();
    return members;
}

}  // namespace

FileScan scanJavaFile(const std::string& path, const RuleFacts& rules, const PrefilterKeys& keys) {
    FileScan scan;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    JavaSource source;
    if (!in || in.bad() || !source.parse(buffer.str())) return scan;
    collectDeclarations(source, scan.declared, rules);
    PrefilterFacts& facts = scan.prefilter;
    facts.parsed = true;
    facts.codeNames = source.codeNames();
    facts.touched = touchesKeys(buffer.str(), facts.codeNames, keys);
    return scan;
}

TreeTypes mergeScans(std::vector<FileScan>& scans, const RuleFacts& rules) {
    TreeTypes types;
    for (FileScan& scan : scans) {
        TreeTypes& declared = scan.declared;
        types.qualifiedNames.insert(declared.qualifiedNames.begin(), declared.qualifiedNames.end());
        for (auto& package : declared.byPackage)
            types.byPackage[package.first].insert(package.second.begin(), package.second.end());
        // A type that two files declare keeps the later file's members.
        for (auto& members : declared.members) types.members[members.first] = std::move(members.second);
        declared = TreeTypes();
    }
    resolveDeferredTypes(types, rules);
    return types;
}

std::string encodeScan(const FileScan& scan) {
    Writer out;
    const TreeTypes& declared = scan.declared;
    out.texts(std::vector<std::string>(declared.qualifiedNames.begin(),
                                       declared.qualifiedNames.end()));
    out.number(static_cast<long long>(declared.byPackage.size()));
    for (const auto& package : declared.byPackage)
        out.text(package.first).texts(std::vector<std::string>(package.second.begin(),
                                                               package.second.end()));
    out.number(static_cast<long long>(declared.members.size()));
    for (const auto& members : declared.members) {
        out.text(members.first);
        putMembers(out, members.second);
    }
    const PrefilterFacts& facts = scan.prefilter;
    out.number(facts.parsed).number(facts.touched).texts(facts.codeNames);
    return out.done();
}

bool decodeScan(const std::string& packed, FileScan& scan) {
    Reader in(packed);
    TreeTypes& declared = scan.declared;
    for (std::string& name : in.texts()) declared.qualifiedNames.insert(std::move(name));
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        std::string package = in.text();
        for (std::string& name : in.texts()) declared.byPackage[package].insert(std::move(name));
    }
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        std::string type = in.text();
        declared.members[type] = getMembers(in);
    }
    PrefilterFacts& facts = scan.prefilter;
    facts.parsed = in.number() != 0;
    facts.touched = in.number() != 0;
    facts.codeNames = in.texts();
    return in.atEnd();
}

}  // namespace host
