// Classifier: walks a file once and gives every name its node kind and
// qualified name; collects what the file declares for the scan of the
// tree.
//
// Node kinds. Operators and punctuation 4; string literals and text blocks
// 5 (with their quotes); other literals 6; keywords 7; comments 27 (a line
// comment's node text is its block-comment form, so a rebuilt line keeps
// it). A class name standing alone (a declared type, new, a cast, a class
// literal) is 24, which the plug-in's class rules match by its text; but a
// name that resolves to a type outside the rules' packages (the file's own,
// the tree's, the JDK's) is 11, so that a rule for a vendor class's short
// name never renames another class of that name. The parts of a dotted type
// or a class used as a receiver (Session.open, net.olddb.Session) are 11
// for classes and 16 for package parts. A capitalised part is a class only
// where a type can stand or where a receiver is not a variable; in
// Type.NAME the name is a member (12): constants are members. The member
// after a receiver is 12, and so is a bare name in a case label of a switch
// over an enum; a field named without receiver (own or inherited) is 13; a
// called or referenced (Type::name) method is 14. Locals and parameters are
// variables (17): never 16 or 11, so the plug-in keeps "s." in front of a
// renamed call. In an import the parts are 16 and the last name is 11
// carrying the whole imported name; the file's own package declaration is
// 19 throughout. Declared names are 18, labels 28, anything else 19; but
// the name of an @Override method that overrides the method of one type
// outside the file and the tree (the first such class of the superclass
// chain, or the one such interface the class implements) is that type's
// method (14), and calls that reach the override are that method's calls:
// a rule renames the override with its calls. Methods are told apart by
// name and number of arguments.
#pragma once

#include <tree_sitter/api.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "names/VariableDeclarations.h"
#include "syntax/MembersText.h"

namespace host {

class Classifier final : public VariableDeclarations {
public:
    using VariableDeclarations::VariableDeclarations;

    // Marks the names of the file; declared (unless null) gets the types
    // of the file and their members, resolved against the tree's names
    // (which must be complete).
    void run(TSNode root, TreeTypes* declared = nullptr);
    // The types of the file and their members, for the other files of the
    // tree; the members' lookups in the tree deferred (resolveDeferredTypes).
    // members: what the text was made of, when it is a MembersText's.
    void exportDeclarations(TSNode root, TreeTypes& tree, const MembersText* members = nullptr);

private:
    void exportOwnClasses(TreeTypes& tree) const;

private:
    // The enum type of each switch being walked whose selector is of a
    // known enum type, else empty: a bare name in its case labels is one
    // of that enum's constants.
    std::vector<std::string> switchEnums;

    using Handler = void (Classifier::*)(TSNode);
    using Handlers = std::unordered_map<TSSymbol, Handler>;
    static const Handlers& handlers();

    void visit(TSNode node) override;
    void visitPackage(TSNode node);
    void visitMethod(TSNode node);
    void visitBlock(TSNode node);
    void visitEnhancedFor(TSNode node);
    void visitLambda(TSNode node);
    void visitLocalDeclaration(TSNode node);
    void visitFieldDeclaration(TSNode node);
    void visitChain(TSNode node);
    void visitName(TSNode node);
    void visitTypeIdentifier(TSNode node);
    void visitScopedType(TSNode node);
    void visitAnnotation(TSNode node);
    void visitElementValuePair(TSNode node);
    void visitLabels(TSNode node);
    void visitEnumConstant(TSNode node);
    void visitInstanceof(TSNode node);
    void visitTypePattern(TSNode node);
    void visitSwitchLabel(TSNode node);
    // A switch whose selector has a known type that is neither the JDK's
    // (String, a boxed number) nor an array switches over an enum.
    void visitSwitch(TSNode node);
    void markAnnotationElement(TSNode pair);
    // The annotations and the type arguments inside a dotted type, whose
    // names scopedTypeName marks (Outer<Session>.Inner).
    void visitAnnotationsAndTypeArguments(TSNode node);
    // Visits the children of node, but marks its own identifiers as kind,
    // qualified by owner when there is one.
    void visitNamingChildren(TSNode node, int kind, const std::string& owner);
    void markIdentifiers(TSNode node, int kind);
    // Import parts are plain names; the last name is a class reference
    // that carries the whole imported name, so that the plug-in sees the
    // vendor package in it.
    void visitImport(TSNode node);
    void visitTypeDeclaration(TSNode node);
    // The name of a method that overrides (@Override) a method that no
    // class of the file or the tree declares names the method it overrides,
    // where that can only be one type's: the first class of the superclass
    // chain that the file and the tree do not declare, or else the one
    // interface from outside them that the class implements. A call's rule
    // renames the override with it. Not Object's methods. A method that
    // may override a vendor's but is not marked, or whose origin is not
    // clear, is unresolved (listed to check).
    void markDeclaredMethod(TSNode node);
    void visitCreation(TSNode node);
    void visitAnonymousClass(TSNode creation, TSNode body);
    static bool isTypeNode(TSNode node);
    // Type::method and value::method name a method the way a call does.
    void visitMethodReference(TSNode node);
    void visitClassLiteral(TSNode node);
};

// Sets kind and qualified name of the leaves that are names; declared:
// as Classifier::run.
void classifyNames(const std::string& source, TSNode root, std::vector<Leaf>& leaves,
                   const TreeTypes& types, const RuleFacts& rules, TreeTypes* declared);

// The types the file declares and their members, with the lookups of the
// members' types in the whole tree deferred until its types are all known
// (resolveDeferredTypes).
void collectDeclarations(const std::string& source, TSNode root, TreeTypes& types,
                         const RuleFacts& rules, const MembersText* members = nullptr);

}  // namespace host
