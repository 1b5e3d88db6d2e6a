// DeclarationReader: the types of a file's plain declarations resolved as
// the collection from a parse resolves them: each type's with its own type
// parameters alone (a method's with its own too), once every type of the
// file is known; a type variable as its bound, an array type as its
// element's with one "[]", a primitive type as unknown (TypeResolver's
// names of simple and dotted types).
#include "names/DeclarationReader.h"

#include <vector>

#include "names/TypeResolver.h"
#include "syntax/PlainDeclarations.h"

namespace host {

namespace {

class Resolver : public TypeResolver {
public:
    Resolver(const MembersText& members, const PlainDeclarations& plain,
             std::vector<Leaf>& noLeaves, const TreeTypes& none, const RuleFacts& rules)
        : TypeResolver(members.text, noLeaves, none, rules), plain(plain) {
        deferTreeNames = true;
        package = plain.package;
        for (const LightImport& import : members.imports)
            addImport(import.name, import.isStatic, import.onDemand);
        for (const WrittenDeclaration& declaration : plain.declarations)
            ownTypes.emplace(declaration.name, declaration.nested);
    }

    void resolve(std::map<std::string, ClassMembers>& declared) {
        for (const WrittenDeclaration& declaration : plain.declarations)
            declared[qualify(declaration.nested)] = membersOf(declaration);
    }

private:
    const PlainDeclarations& plain;

    ClassMembers membersOf(const WrittenDeclaration& declaration) {
        ClassMembers members;
        push();
        declare(declaration.typeParameters);
        if (declaration.extends) members.superclass = typeNameOf(declaration.superclass);
        for (const WrittenType& type : declaration.interfaces)
            members.interfaces.push_back(typeNameOf(type));
        std::string enumType = declaration.kind == 'e' ? qualify(declaration.nested) : "";
        int abstractMethods = 0;
        for (const WrittenMember& member : declaration.members) {
            if (member.kind == WrittenMember::kConstant) {
                members.fields[member.names[0]] = enumType;
            } else if (member.kind == WrittenMember::kField) {
                std::string type = typeNameOf(member.type);
                for (const std::string& name : member.names) members.fields[name] = type;
            } else if (addMethod(member, members)) {
                ++abstractMethods;
            }
        }
        members.functional = declaration.kind == 'i' && abstractMethods == 1;
        if (!members.functional) members.lambdaParameters.clear();
        pop();
        return members;
    }

    void declare(const std::vector<WrittenTypeParameter>& parameters) {
        for (const WrittenTypeParameter& parameter : parameters) {
            std::string bound = parameter.bounded ? typeNameOf(parameter.bound) : "";
            scopes.back().typeVariables[parameter.name] = bound;
        }
    }

    // Whether the method is abstract.
    bool addMethod(const WrittenMember& method, ClassMembers& members) {
        const std::string& name = method.names[0];
        push();
        declare(method.typeParameters);
        std::string result = typeNameOf(method.type);
        auto known = members.methods.emplace(name, result);
        if (!known.second && known.first->second != result) known.first->second = "";
        MethodOverload overload;
        overload.overrides = method.overrides;
        for (const WrittenParameter& parameter : method.parameters) {
            if (parameter.receiver) continue;
            overload.parameters.push_back(parameter.spread ? "" : typeNameOf(parameter.type));
            overload.variableArity = overload.variableArity || parameter.spread;
        }
        overload.result = result;
        members.overloads[name].push_back(overload);
        bool abstract = !method.body && !method.isStatic && !method.isDefault;
        if (abstract) members.lambdaParameters = overload.parameters;
        pop();
        return abstract;
    }

    std::string typeNameOf(const WrittenType& written) {
        const std::vector<std::string>& parts = written.parts;
        std::string type = parts.size() == 1 ? simpleTypeName(parts[0]) : dottedTypeName(parts);
        return written.array && !type.empty() ? type + kArraySuffix : type;
    }
};

}  // namespace

bool readDeclarations(const MembersText& members, const RuleFacts& rules,
                      std::map<std::string, ClassMembers>& declared) {
    PlainDeclarations plain;
    if (!readPlainDeclarations(members, plain)) return false;
    std::vector<Leaf> noLeaves;
    TreeTypes none;
    Resolver(members, plain, noLeaves, none, rules).resolve(declared);
    return true;
}

}  // namespace host
