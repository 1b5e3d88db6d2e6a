// TreeScan: a Java file's bytes and its parse for the tree's index, the
// index itself, and packing a parse for the wire.
#include "run/TreeScan.h"

#include <algorithm>

#include "names/NameResolution.h"
#include "run/Wire.h"
#include "syntax/FileText.h"
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

FileBytes readJavaBytes(const std::string& path, const PrefilterKeys& keys) {
    FileBytes bytes;
    std::string text;
    if (!readFileText(path, text)) return bytes;
    bytes.read = true;
    bytes.scan = lightScan(text);
    bytes.touched = touchesKeys(text, bytes.scan.identifiers, keys);
    bytes.textHash = std::hash<std::string>{}(text);
    return bytes;
}

FileScan scanJavaFile(const std::string& path, const RuleFacts& rules) {
    FileScan scan;
    std::string text;
    JavaSource source;
    scan.parsed = true;
    if (readFileText(path, text) && source.parse(text)) collectDeclarations(source, scan.declared, rules);
    return scan;
}

void TreeIndex::addNames(size_t file, const LightScan& scan, size_t textHash) {
    if (typesOf.size() <= file) typesOf.resize(file + 1);
    if (shapes.size() <= file) shapes.resize(file + 1);
    shapes[file].textHash = textHash;
    shapes[file].bodies = scan.bodies;
    shapes[file].balanced = scan.balanced;
    for (const std::string& type : scan.types) {
        std::string qualified = scan.package.empty() ? type : scan.package + "." + type;
        tree.qualifiedNames.insert(qualified);
        if (type.find('.') == std::string::npos) tree.byPackage[scan.package].insert(type);
        // A type that two files declare is the later file's.
        auto known = fileOf.find(qualified);
        if (known != fileOf.end()) {
            std::vector<std::string>& earlier = typesOf[known->second];
            earlier.erase(std::remove(earlier.begin(), earlier.end(), qualified), earlier.end());
        }
        fileOf[qualified] = file;
        typesOf[file].push_back(qualified);
    }
}

void TreeIndex::leaveUnread(const std::vector<std::string>& paths) {
    for (const auto& type : fileOf) tree.unread[type.first] = paths[type.second];
    for (size_t file = 0; file < shapes.size() && file < paths.size(); ++file) {
        if (typesOf[file].empty()) continue;
        shapes[file].types = typesOf[file];
        tree.unreadShapes[paths[file]] = std::move(shapes[file]);
    }
    std::vector<UnreadShape>().swap(shapes);
}

void TreeIndex::addMembers(size_t file, FileScan& scan, const RuleFacts& rules) {
    std::map<std::string, ClassMembers> own;
    for (auto& members : scan.declared.members) {
        auto declared = fileOf.find(members.first);
        if (declared != fileOf.end() && declared->second == file)
            own[members.first] = std::move(members.second);
    }
    scan.declared = TreeTypes();
    resolveDeferredTypes(own, tree, rules);
    for (auto& members : own) tree.members[members.first] = std::move(members.second);
    if (file < typesOf.size()) {
        for (const std::string& type : typesOf[file]) {
            tree.unread.erase(type);
            tree.readLater.erase(type);
        }
    }
}

void TreeScan::start(size_t files, bool keepAll) {
    identifiers.assign(files, std::vector<uint32_t>());
    calledOnly.assign(files, std::vector<uint32_t>());
    keep.assign(files, keepAll);
    parsedFile.assign(files, false);
    tokenCounts.assign(files, 0);
}

void TreeScan::addBytes(size_t file, const FileBytes& bytes) {
    if (!bytes.read || bytes.touched) keep[file] = true;
    index.addNames(file, bytes.scan, bytes.textHash);
    identifiers[file] = internNames(bytes.scan.identifiers, names);
    calledOnly[file] = internNames(bytes.scan.calledOnly, names);
    tokenCounts[file] = bytes.scan.lexedTokens;
}

void TreeScan::addParse(size_t file, FileScan& scan, const RuleFacts& rules) {
    index.addMembers(file, scan, rules);
    parsedFile[file] = true;
    grown = true;
}

std::vector<size_t> TreeScan::keepFilesNamingLeads(const std::vector<std::string>& keywords) {
    // Nothing new since the last time: no new names.
    if (!grown) return std::vector<size_t>();
    grown = false;
    LeadNames leads = namesLeadingToVendor(index.types(), keywords);
    std::vector<uint32_t> anywhere = numbersOf(leads.anywhere, names);
    std::vector<uint32_t> fields = numbersOf(leads.fields, names);
    std::vector<size_t> kept;
    for (size_t file = 0; file < keep.size(); ++file) {
        if (keep[file]) continue;
        if (!namesAny(identifiers[file], anywhere) &&
            !namesAnyBut(identifiers[file], fields, calledOnly[file]))
            continue;
        keep[file] = true;
        kept.push_back(file);
    }
    return kept;
}

size_t TreeScan::parsedFiles() const {
    return static_cast<size_t>(std::count(parsedFile.begin(), parsedFile.end(), true));
}

std::string TreeScan::takeReadMembers() {
    const TreeTypes& tree = index.types();
    if (readsTaken == tree.readOrder.size()) return std::string();
    Writer out;
    out.number(static_cast<long long>(tree.readOrder.size() - readsTaken));
    for (; readsTaken < tree.readOrder.size(); ++readsTaken) {
        const std::string& type = tree.readOrder[readsTaken];
        // A type whose file this process parsed since has its members from
        // that parse: the same.
        auto read = tree.readLater.find(type);
        auto parsed = tree.members.find(type);
        const ClassMembers* found = read != tree.readLater.end() ? &read->second
                                    : parsed != tree.members.end() ? &parsed->second
                                                                   : nullptr;
        out.text(type).number(found != nullptr);
        if (found == nullptr) continue;
        Writer members;
        putMembers(members, *found);
        out.text(members.done());
    }
    return out.done();
}

bool TreeScan::addReadMembers(const std::string& packed) {
    Reader in(packed);
    TreeTypes& tree = index.types();
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        std::string type = in.text();
        bool found = in.number() != 0;
        std::string members = found ? in.text() : std::string();
        // Read here already, or parsed since: what this process has stays.
        auto unread = tree.unread.find(type);
        if (!in.ok() || unread == tree.unread.end()) continue;
        if (found) {
            Reader read(members);
            ClassMembers got = getMembers(read);
            if (!read.atEnd()) return false;
            tree.readLater[type] = std::move(got);
        }
        tree.unread.erase(unread);
    }
    return in.atEnd();
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
    return in.atEnd();
}

}  // namespace host
