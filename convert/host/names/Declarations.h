// Declarations: what one Java file declares (its package, imports and
// types, with their names nested in the file), and its text and leaves,
// which the layers above mark with node kinds and qualified names.
#pragma once

#include <tree_sitter/api.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "names/SemanticModel.h"
#include "syntax/JavaSource.h"
#include "syntax/SyntaxNodes.h"

namespace host {

constexpr char kArraySuffix[] = "[]";

inline bool isArrayType(const std::string& type) {
    return type.size() > 2 && type.compare(type.size() - 2, 2, kArraySuffix) == 0;
}

inline bool isCapitalised(const std::string& name) {
    return !name.empty() && name[0] >= 'A' && name[0] <= 'Z';
}

// A constant name such as MAX_SIZE: no lower-case letter at all.
inline bool isConstantName(const std::string& name) {
    return std::none_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

class Declarations {
public:
    Declarations(const std::string& source, std::vector<Leaf>& leaves, const TreeTypes& types,
                 const RuleFacts& rules)
        : src(source), leaves(leaves), types(types), rules(rules) {}

protected:
    const std::string& src;
    std::vector<Leaf>& leaves;
    const TreeTypes& types;
    const RuleFacts& rules;

    std::string package;
    std::map<std::string, std::string> singleImports;  // simple -> qualified
    std::vector<std::string> onDemand;                 // packages (or types) imported with *
    std::vector<std::string> staticOnDemand;           // types of import static T.*
    std::map<std::string, std::string> staticMembers;  // member -> owner type
    std::map<std::string, std::string> ownTypes;       // simple -> qualified, every nesting
    // The types as written that the file catches, throws or names in
    // throws, met by the walk that finds its type declarations.
    std::vector<TSNode> thrownTypes;
    // For a text without leaves, where the words that walk acts on start
    // (MembersText::typeMarks), when known.
    const std::vector<unsigned>* typeMarks = nullptr;

    template <typename Function>
    void forDeclarators(TSNode declaration, Function function) {
        uint32_t count = ts_node_named_child_count(declaration);
        for (uint32_t i = 0; i < count; ++i) {
            TSNode child = ts_node_named_child(declaration, i);
            if (!isType(child, "variable_declarator")) continue;
            TSNode name = fieldOf(child, "name");
            if (!ts_node_is_null(name)) function(name, fieldOf(child, "value"));
        }
    }
    std::string text(TSNode node) const;
    Leaf* leafOf(TSNode node);
    // A member or method name after a receiver of unknown type.
    void markUntyped(TSNode node, int kind);
    void markUnresolved(TSNode node, int kind);
    void mark(TSNode node, int kind, const std::string& qualified = std::string());
    // The package, the imports, and the file's type declarations with their
    // names nested in the file (Outer.Inner).
    void collectNames(TSNode root, std::vector<std::pair<TSNode, std::string>>& declarations);
    void collectImport(TSNode node);
    // One import: its name as written, and whether it is static and on demand.
    void addImport(const std::string& name, bool isStatic, bool onDemand);
    // The type declarations below root in source order, with their names
    // nested in the file; and the thrown types on the way.
    void collectOwnTypes(TSNode root, std::vector<std::pair<TSNode, std::string>>& declarations);
    std::string qualify(const std::string& name) const;
    // Own classes keep their fields under the name without the package.
    std::string ownKey(const std::string& qualified) const;
    static bool hasModifier(TSNode declaration, const char* keyword);
    bool hasAnnotation(TSNode declaration, const std::string& annotation) const;
};

}  // namespace host
