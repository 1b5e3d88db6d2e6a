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
    codeNames.assign(files, CodeNames());
    keep.assign(files, keepAll);
    keyedFile.assign(files, false);
    parsedFile.assign(files, false);
    tokenCounts.assign(files, 0);
}

// Each identifier interned once; the lists of where they stand follow
// from its places.
void TreeScan::internNames(const LightScan& scan, CodeNames& code) {
    code.identifiers.reserve(scan.identifiers.size());
    for (size_t i = 0; i < scan.identifiers.size(); ++i) {
        uint32_t id = names.intern(scan.identifiers[i]);
        code.identifiers.push_back(id);
        uint8_t places = i < scan.places.size() ? scan.places[i] : 0;
        if ((places & kDeclarationOnly) != 0) code.declarationOnly.push_back(id);
        if ((places & kCalledOnly) != 0) code.calledOnly.push_back(id);
        if ((places & kDotted) != 0) code.dotted.push_back(id);
        if ((places & kCallLike) != 0) code.callLike.push_back(id);
    }
    for (auto* list :
         {&code.identifiers, &code.declarationOnly, &code.calledOnly, &code.dotted, &code.callLike})
        std::sort(list->begin(), list->end());
}

void TreeScan::addBytes(size_t file, const FileBytes& bytes) {
    keyedFile[file] = !bytes.read || bytes.touched;
    if (keyedFile[file]) keep[file] = true;
    index.addNames(file, bytes.scan, bytes.textHash);
    const LightScan& scan = bytes.scan;
    CodeNames& code = codeNames[file];
    internNames(scan, code);
    code.arrows = scan.arrows;
    for (size_t type = 0; type < scan.types.size() && type < scan.headers.size(); ++type) {
        const std::string& nested = scan.types[type];
        uint32_t simple = names.intern(nested.substr(nested.rfind('.') + 1));
        for (const std::string& name : scan.headers[type])
            inHeaders[names.intern(name)].push_back(simple);
    }
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
    LeadNumbers leads = numbersOfLeads(namesLeadingToVendor(index.types(), keywords));
    std::vector<size_t> kept;
    for (size_t file = 0; file < keep.size(); ++file) {
        if (keep[file] || !namesLead(file, leads)) continue;
        keep[file] = true;
        kept.push_back(file);
    }
    return kept;
}

TreeScan::LeadNumbers TreeScan::numbersOfLeads(const LeadNames& leads) const {
    LeadNumbers numbers;
    numbers.types = numbersOf(leads.types, names);
    numbers.methods = numbersOf(leads.methods, names);
    numbers.takers = numbersOf(leads.takers, names);
    numbers.fields = numbersOf(leads.fields, names);
    for (const auto& field : leads.ownedFields) {
        OwnedField owned;
        if (!names.find(field.first, owned.name)) continue;
        owned.owners = withHeirs(field.second);
        numbers.ownedNames.push_back(owned.name);
        numbers.owned.push_back(std::move(owned));
    }
    std::sort(numbers.ownedNames.begin(), numbers.ownedNames.end());
    return numbers;
}

// The owners and every type whose header names one of them or one of
// these, again until none is new: each class that inherits a field from an
// owner is among them, whether its file is parsed or not.
std::vector<uint32_t> TreeScan::withHeirs(const std::set<std::string>& owners) const {
    std::vector<uint32_t> found = numbersOf(owners, names);
    std::set<uint32_t> seen(found.begin(), found.end());
    for (size_t next = 0; next < found.size(); ++next) {
        auto heirs = inHeaders.find(found[next]);
        if (heirs == inHeaders.end()) continue;
        for (uint32_t heir : heirs->second)
            if (seen.insert(heir).second) found.push_back(heir);
    }
    return std::vector<uint32_t>(seen.begin(), seen.end());
}

// Where each kind of name that leads touches a file (LeadNames).
bool TreeScan::namesLead(size_t file, const LeadNumbers& leads) const {
    const CodeNames& code = codeNames[file];
    const std::vector<uint32_t>& all = code.identifiers;
    if (namesAnyBut(all, leads.types, code.declarationOnly) ||
        namesAny(code.callLike, leads.methods) ||
        (code.arrows && namesAny(code.callLike, leads.takers)) ||
        namesAnyBut(all, leads.fields, code.calledOnly) || namesAny(code.dotted, leads.ownedNames))
        return true;
    // A file that names no owned field needs no look at each.
    if (!namesAny(all, leads.ownedNames)) return false;
    auto holds = [](const std::vector<uint32_t>& sorted, uint32_t name) {
        return std::binary_search(sorted.begin(), sorted.end(), name);
    };
    return std::any_of(leads.owned.begin(), leads.owned.end(), [&](const OwnedField& field) {
        return holds(all, field.name) && !holds(code.calledOnly, field.name) &&
               namesAnyBut(all, field.owners, code.declarationOnly);
    });
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
