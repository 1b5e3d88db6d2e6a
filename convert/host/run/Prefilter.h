// Prefilter: which Java files can be copied without being converted,
// because nothing in them can be a name that the rules or the vendor check
// act on.
//
// The argument. The plug-in changes a statement only where a node matches
// a rule: a string literal whose text holds a package keyword or a word of
// the word rules; a name equal to a package keyword; a class name standing
// alone equal to a class rule's name; or a class, member or method name
// whose qualified name holds a package keyword. The vendor check (names no
// rule covers, names to check, keywords left in the code) looks only at the
// same names. The first three are in the file's text: a keyword or a word
// anywhere in it, a class rule's name among its code names. A qualified
// name is its owner's name and its own. Its own name is one of the file's
// code names; a keyword that ends in it has its last part there. An
// owner's name that holds a keyword (the vendor's class, a class of the
// tree in a vendor's package) comes from the file's text (an import, its
// package, a qualified name: the keyword is there), or is the type of a
// member of the tree's types that the file names (a field, or a method's
// result), or belongs to a class of the tree that extends or implements a
// vendor's class, directly or through others, and that the file names, or
// whose member it names (as above), or whose name it writes as its
// superclass. The JDK's own names are known to the host; a keyword that
// stands in one of them would make every file suspect, and no file is
// skipped. So a file is converted when its text holds a keyword or a word,
// or its code names hold a class rule's name, the last part of a keyword,
// or a name that leads to the vendor: a class of the tree that extends or
// implements a vendor's class, a member of a class of the tree whose type
// is such a class or the vendor's, a functional interface of the tree whose
// lambdas get one, or a method that takes either (a lambda it takes has
// such parameters though the interface's name is not written). Every other file
// can only resolve names whose qualified names hold no keyword: the plug-in
// would copy it byte for byte, and it has nothing to report. In exact mode
// the compiler names the owner of every name, whatever declares it (a jar
// of the classpath, too): a file is converted as well when one of its
// records holds a keyword; where the compiler gives no answer, the host's
// own resolution stands, and the above holds for it.
//
// Without a parse. A file's code names are read from its bytes by a lexer
// that skips comments and literals (LightScan); a key that only a comment
// or a string holds makes a file converted that the plug-in then copies: a
// superset is safe. Where a name stands tells what it can be. The words of
// the package declaration and of the imports of types name packages and
// types only, and a type that the code uses is named in the code again: for
// the names that lead they count for nothing. A class's name that leads
// touches a file wherever else it stands. A method's name stands right
// before a "(" (a call or a declaration), right after a "::" (a reference)
// or, as an annotation's element, before a "=" that follows a "(" or a ",";
// a name that leads as a method touches only the files where it stands so
// (not those with a variable of that name). A method that leads only by
// what it takes (no result of it leads) gives a call nothing but the types
// of the lambdas passed to it: its own qualified name holds no keyword, and
// what the call gives leads nowhere; such a name touches only a file that
// holds a "->" as well. A field is never named right before a "(": there
// the host resolves a method or a constructor. And the host reaches a field
// of a class of the tree in two ways only: on a receiver or through a
// static import, right after a "."; or bare, in the code of a class that
// declares or inherits it, which names that class or one on the way to it,
// in its own declaration or its header (an anonymous class where it is
// created). Every type's header is in the bytes, and every type whose
// header names an owner of the field, or one of those again, counts as
// inheriting it: a superset. So a name that leads only as a field (a field
// of the vendor's type called log, say) touches the files where it stands
// somewhere else than before a "(" (not those that only call a log method)
// and either after a "." or in a file that names one of those classes (not
// those with a local variable of that name alone). An enum's constant is
// named bare in a switch over the enum too, which needs no name of the
// enum: a name that leads as one touches a file wherever it stands but
// before a "(". A class of the tree in a vendor's package (its qualified
// name holds a keyword) and its members lead nowhere that the keys and the
// other names do not: a file names such a class only where its text holds
// the keyword (an import, a qualified name, its own package), and reaches a
// member of it only on a receiver of that class or of a class of the tree
// that extends it, or from inside one of these, which a name that leads or
// the keyword gives already. The names that lead to the vendor come from
// the members of the tree's other types, and only the files found so far
// are parsed for them. That is enough: a member whose type leads is
// declared in a file whose text holds a keyword (an import, its package or
// a qualified name: the host resolves a simple type name in no other way
// that could reach the vendor), or names a class of the tree that leads, by
// its simple name or its last part, and that class's file is found first.
// So the files the keys find, then those that name what their members give,
// again until no file is new, are the files that the argument above
// converts. Every other file is copied and never parsed; where a converted
// file's names need the members of its types, they are read from it then
// (TreeTypes::unread), and so a lookup answers as if every file were
// parsed. A file that does not parse is found only as any other file is:
// one that is not found is copied like any other.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "names/CompilerNames.h"
#include "names/SemanticModel.h"
#include "plugin/RuleFile.h"

namespace host {

struct PrefilterKeys {
    // Texts that touch a file wherever they stand in it: the package
    // keywords and the words of the word rules.
    std::vector<std::string> texts;
    // Code names that touch a file: the last part of each keyword, and the
    // names of the class rules that are one name.
    std::set<std::string> names;
    // Why no file may be skipped with these rules; empty when files may be.
    std::string off;
};

PrefilterKeys prefilterKeys(const RuleSet& rules, const RuleFacts& facts);

// Whether a file's text or its code names hold a key.
bool touchesKeys(const std::string& text, const std::vector<std::string>& codeNames,
                 const PrefilterKeys& keys);

// Whether one of the compiler's records of a file (exact mode) names a
// name whose qualified name holds a keyword; false when the compiler did
// not attribute the file.
bool recordsHoldKeyword(const CompilerNames& names, const std::string& rel,
                        const std::vector<std::string>& keywords);
// The same for the records' text, as CompilerNames::recordsTextOf gives it.
bool recordsTextHoldsKeyword(const std::string& text, const std::vector<std::string>& keywords);

// The code names of the tree's files, each name once, by number: a tree's
// files share most of their names.
class NameTable {
public:
    uint32_t intern(const std::string& name);
    // The name's number; false when no file has the name.
    bool find(const std::string& name, uint32_t& id) const;

private:
    std::unordered_map<std::string, uint32_t> ids;
};

// The names that lead to the vendor's names through the tree's types (see
// above), by where they touch a file: a class's anywhere in its code; a
// method's where a method's name stands, in a file that holds a lambda
// too for a method that leads only by what it takes (takers); an enum
// constant's where it is not called; any other field's where it is not
// called and either stands after a "." or the file names one of the
// field's owners (simple names: the types of the tree that declare it;
// TreeScan adds those that inherit it).
struct LeadNames {
    std::set<std::string> types;
    std::set<std::string> methods;
    std::set<std::string> takers;
    std::set<std::string> fields;
    std::map<std::string, std::set<std::string>> ownedFields;
};

LeadNames namesLeadingToVendor(const TreeTypes& types, const std::vector<std::string>& keywords);

// Whether a file's identifiers (by number, sorted) hold one of the names.
bool namesAny(const std::vector<uint32_t>& identifiers, const std::vector<uint32_t>& names);

// Whether they hold one of the names that is not among except (sorted).
bool namesAnyBut(const std::vector<uint32_t>& identifiers, const std::vector<uint32_t>& names,
                 const std::vector<uint32_t>& except);

// The numbers of those of names that the table holds, sorted.
std::vector<uint32_t> numbersOf(const std::set<std::string>& names, const NameTable& table);

}  // namespace host
