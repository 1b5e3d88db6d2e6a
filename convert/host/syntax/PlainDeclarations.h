// PlainDeclarations: the declarations of a members text (MembersText) read
// from its tokens instead of a parse: its package, its types in the order
// they start, and their members and supertypes as written. Only the plain
// declarations that nearly every file holds are read, as the grammar
// reads them; a text that holds anything else (a record, a word that the
// grammar may read as a keyword, a value whose "," the tokens cannot
// place) is left to the parse. Values (a field's, an annotation's
// arguments, an enum constant's) are passed over to their end unchecked:
// where the parse would find no expression there, and give no members at
// all, the reader still reads the declarations.
#pragma once

#include <string>
#include <vector>

#include "syntax/MembersText.h"

namespace host {

// A type as written: the names of its parts (a.b.C<T>.D gives a, b, C,
// D), none for a primitive type or void; and whether it is an array.
struct WrittenType {
    std::vector<std::string> parts;
    bool array = false;
};

struct WrittenTypeParameter {
    std::string name;
    bool bounded = false;
    WrittenType bound;  // the first of its bounds
};

struct WrittenParameter {
    WrittenType type;
    bool spread = false;    // T... name
    bool receiver = false;  // T this
};

// A field declaration (its names), an enum constant, or a method.
struct WrittenMember {
    enum Kind { kField, kConstant, kMethod } kind = kField;
    std::vector<std::string> names;
    WrittenType type;  // a field's, a method's result
    std::vector<WrittenTypeParameter> typeParameters;
    std::vector<WrittenParameter> parameters;
    bool body = false;
    bool isStatic = false;
    bool isDefault = false;
    bool overrides = false;  // annotated @Override
};

// A type declaration; interfaces are those a class or an enum implements
// and those an interface extends. Its members leave out constructors,
// initializers, nested types (declarations of their own) and an
// annotation type's elements.
struct WrittenDeclaration {
    std::string name;
    std::string nested;  // Outer.Inner
    char kind = 'c';     // class, interface, enum, annotation type ('a')
    std::vector<WrittenTypeParameter> typeParameters;
    bool extends = false;
    WrittenType superclass;
    std::vector<WrittenType> interfaces;
    std::vector<WrittenMember> members;
};

struct PlainDeclarations {
    std::string package;  // as written
    std::vector<WrittenDeclaration> declarations;
};

// false when members holds what the reader leaves to the parse.
bool readPlainDeclarations(const MembersText& members, PlainDeclarations& read);

}  // namespace host
