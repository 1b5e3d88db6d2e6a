// NidusLeads: which files of the tree the compiler must attribute when
// nidus-convert converts only the files that can name the vendor.
//
// The argument. nidus-convert converts a file in exact mode when its text
// holds a package keyword or a word of the word rules, when its code names
// hold a name that the rules act on, or when one of its records names a
// name whose qualified name holds a keyword (NidusNames writes one record
// per name of the file's code, imports aside). Such a name is a class
// whose qualified name holds a keyword (a vendor's class), a member of one,
// a method of the tree that overrides one of its methods, or a package of
// such a name. The file writes each of these names; how it can resolve one
// to the vendor:
// - a class by its simple name: through an import, the file's package or a
//   qualified name, where its text holds the keyword; or as a member type
//   of a supertype of a class of the file, which the file names in its
//   extends or implements clause (that supertype leads, below);
// - a member: on a receiver whose type is the vendor's class or a type that
//   leads to it; or unqualified inside a class that extends one. The
//   receiver's type is written in the file (the keyword, or the name of a
//   type that leads), or comes from a member whose declared type mentions
//   such a type (its name is in the file), or is a lambda's parameter,
//   whose type comes from the method that takes the lambda (its parameter
//   is an interface that mentions one), or comes from an expression of one
//   of these kinds (a call of a generic method on it, a var, a loop);
// - a method declaration that overrides the vendor's: its class has the
//   vendor's class among its supertypes, written in the file.
// So a file that none of these reach is copied whatever the compiler would
// say of it. A type leads when its qualified name holds a keyword, when one
// of its supertypes mentions a type that leads (as itself or as a type
// argument, as List<Conn> does), or when it is an interface that a lambda
// can implement, one of whose abstract methods takes such a type. A type
// mentions one when it, a type argument, an array's element or a type
// variable's bound is one. The names that lead are the simple names of the
// types that lead (but the vendor's own: the keyword is written where they
// are) and the names of the members (not private: those are reached only
// from their own file) whose field type or result mentions one, or that
// take one (a constructor: an interface or a type variable, which a lambda
// can be), of the tree's types and of the classpath's; the vendor's
// classes' members are reached only through the names above. The
// classpath's classes that can hold such members are those whose class
// files hold a keyword or the name of a type that leads, in the form a
// class file writes names in (net/vendor/Conn): a class's supertypes and
// its members' types are all among those names. A file is attributed when
// its text holds a keyword or a word, or a name of its code is a name that
// the rules act on or a name that leads (a field's only where it is not
// called: a name right before a "(" is a method's).
//
// What the compiler cannot resolve (a class of a jar missing from the
// classpath, and what is reached through it) is a name without an answer
// in its records, which keeps nidus-convert's own answer; in a file that is
// not attributed every name keeps it. So such a type leads nowhere: a file
// that names only it converts alike whether it is attributed or not.
import com.sun.source.tree.CompilationUnitTree;

import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Collections;
import java.util.EnumSet;
import java.util.HashSet;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;

import javax.lang.model.element.Element;
import javax.lang.model.element.ElementKind;
import javax.lang.model.element.ExecutableElement;
import javax.lang.model.element.Modifier;
import javax.lang.model.element.TypeElement;
import javax.lang.model.element.VariableElement;
import javax.lang.model.type.ArrayType;
import javax.lang.model.type.DeclaredType;
import javax.lang.model.type.IntersectionType;
import javax.lang.model.type.TypeKind;
import javax.lang.model.type.TypeMirror;
import javax.lang.model.type.TypeVariable;
import javax.lang.model.type.UnionType;
import javax.lang.model.type.WildcardType;
import javax.lang.model.util.Elements;
import javax.lang.model.util.Types;
import javax.tools.JavaFileManager;
import javax.tools.JavaFileObject;
import javax.tools.StandardLocation;

final class NidusLeads {
    // What the request gives: the package keywords, the texts that touch a
    // file wherever they stand, and the code names that touch it.
    static final class Keys {
        final List<String> keywords = new ArrayList<>();
        final List<String> texts = new ArrayList<>();
        final Set<String> names = new HashSet<>();
    }

    private final Keys keys;
    private final Elements elements;
    private final Types types;
    private final JavaFileManager files;
    // Whether a type leads, once known; false while it is being found.
    private final Map<TypeElement, Boolean> leading = new IdentityHashMap<>();
    private final Set<Element> visiting = Collections.newSetFromMap(new IdentityHashMap<>());
    private final Set<TypeElement> noted = Collections.newSetFromMap(new IdentityHashMap<>());
    // The names that lead wherever they stand, and those that lead only as
    // a field's (none of the first).
    private final Set<String> leadNames = new HashSet<>();
    private final Set<String> fieldNames = new HashSet<>();
    // Class-file names of the types that lead, and the keywords in that form.
    private final List<byte[]> patterns = new ArrayList<>();

    NidusLeads(Keys keys, Elements elements, Types types, JavaFileManager files) {
        this.keys = keys;
        this.elements = elements;
        this.types = types;
        this.files = files;
        for (String keyword : keys.keywords) addPattern(keyword);
    }

    // The names that lead, from the tree's types (the top-level types of
    // the files, entered) and the classpath's.
    void noteTypes(List<TypeElement> treeTypes) throws IOException {
        for (TypeElement type : treeTypes) note(type);
        readClasspath();
        fieldNames.removeAll(leadNames);
    }

    // Whether the file whose content is text is to be attributed. Its words
    // are those of its code: comments and literals are passed over, and a name
    // that leads only as a field counts where it is not called (right before
    // a "(" it is a method's). A unicode escape can spell a name that such a
    // reading misses: then every word of the text counts, wherever it stands.
    boolean attributes(String text) {
        for (String key : keys.texts) {
            if (!key.isEmpty() && text.contains(key)) return true;
        }
        boolean plain = text.indexOf("\\u") < 0;
        int length = text.length();
        for (int at = 0; at < length;) {
            char c = text.charAt(at);
            if (plain && (c == '/' || c == '"' || c == '\'')) {
                at = pastCommentOrLiteral(text, at);
                continue;
            }
            int point = text.codePointAt(at);
            if (!Character.isJavaIdentifierStart(point)) {
                at += Character.charCount(point);
                continue;
            }
            int end = at + Character.charCount(point);
            while (end < length && Character.isJavaIdentifierPart(text.codePointAt(end)))
                end += Character.charCount(text.codePointAt(end));
            String word = text.substring(at, end);
            if (plain && declaresNames(text, word, end)) {
                at = pastDeclaration(text, end);
                continue;
            }
            if (keys.names.contains(word) || leadNames.contains(word)
                || (fieldNames.contains(word) && !(plain && calledAt(text, end))))
                return true;
            at = end;
        }
        return false;
    }

    // Whether the word that ends at end starts a package declaration or an
    // import of a type: the names in it are a package's and a type's, which
    // the file's code names again where it uses them. A static import names
    // members, and counts.
    private static boolean declaresNames(String text, String word, int end) {
        if (word.equals("package")) return true;
        if (!word.equals("import")) return false;
        int at = end;
        while (at < text.length() && Character.isWhitespace(text.charAt(at))) ++at;
        return !text.startsWith("static", at)
            || (at + 6 < text.length() && Character.isJavaIdentifierPart(text.charAt(at + 6)));
    }

    // Past the ";" that ends the declaration, comments passed over.
    private static int pastDeclaration(String text, int at) {
        int length = text.length();
        while (at < length && text.charAt(at) != ';') {
            char c = text.charAt(at);
            at = c == '/' || c == '"' || c == '\'' ? pastCommentOrLiteral(text, at) : at + 1;
        }
        return at;
    }

    // Where the comment or literal that starts at at ends (at + 1 for a
    // lone slash); an unterminated one ends with its line, or the text.
    private static int pastCommentOrLiteral(String text, int at) {
        int length = text.length();
        if (text.startsWith("//", at)) {
            int end = text.indexOf('\n', at);
            return end < 0 ? length : end;
        }
        if (text.startsWith("/*", at)) {
            int end = text.indexOf("*/", at + 2);
            return end < 0 ? length : end + 2;
        }
        if (text.charAt(at) == '/') return at + 1;
        if (text.startsWith("\"\"\"", at)) {
            for (int i = at + 3; i < length; ++i) {
                if (text.charAt(i) == '\\') ++i;
                else if (text.startsWith("\"\"\"", i)) return i + 3;
            }
            return length;
        }
        char quote = text.charAt(at);
        for (int i = at + 1; i < length; ++i) {
            char c = text.charAt(i);
            if (c == '\\') ++i;
            else if (c == quote || c == '\n') return i + 1;
        }
        return length;
    }

    // Whether a "(" follows, past blanks and comments.
    private static boolean calledAt(String text, int at) {
        int length = text.length();
        while (at < length) {
            char c = text.charAt(at);
            if (Character.isWhitespace(c)) {
                ++at;
            } else if (text.startsWith("//", at) || text.startsWith("/*", at)) {
                at = pastCommentOrLiteral(text, at);
            } else {
                return c == '(';
            }
        }
        return false;
    }

    // A type of the tree or the classpath, and the types it declares.
    private void note(TypeElement type) {
        if (!noted.add(type)) return;
        boolean vendor = isVendor(type);
        // A vendor's class is named only where the text holds its keyword.
        if (!vendor && leads(type)) {
            leadNames.add(type.getSimpleName().toString());
            addPattern(elements.getBinaryName(type).toString());
        }
        for (Element member : type.getEnclosedElements()) {
            if (member instanceof TypeElement) {
                note((TypeElement) member);
                continue;
            }
            if (vendor || member.getModifiers().contains(Modifier.PRIVATE)) continue;
            if (member.getKind() == ElementKind.FIELD || member.getKind() == ElementKind.ENUM_CONSTANT) {
                if (mentions(member.asType())) fieldNames.add(member.getSimpleName().toString());
            } else if (member.getKind() == ElementKind.METHOD) {
                if (mentions(((ExecutableElement) member).getReturnType())
                    || takesOne((ExecutableElement) member, false))
                    leadNames.add(member.getSimpleName().toString());
            } else if (member.getKind() == ElementKind.CONSTRUCTOR
                       && takesOne((ExecutableElement) member, true)) {
                leadNames.add(type.getSimpleName().toString());
            }
        }
    }

    // Whether a method takes a value of a type that mentions one that leads;
    // for a constructor, only a lambda (an interface or a type variable):
    // nidus-convert's own leads hold the first (a method that takes the
    // vendor's class), and a caller names a value of that class only through
    // names of its own otherwise.
    private boolean takesOne(ExecutableElement method, boolean lambdasOnly) {
        for (VariableElement parameter : method.getParameters()) {
            TypeMirror type = parameter.asType();
            if ((!lambdasOnly || takesLambda(type)) && mentions(type)) return true;
        }
        return false;
    }

    // Whether a value of the type can be a lambda or a method reference: an
    // interface, or a type variable (bound by one at the call).
    private boolean takesLambda(TypeMirror type) {
        if (type.getKind() == TypeKind.TYPEVAR) return true;
        return type.getKind() == TypeKind.DECLARED
            && ((DeclaredType) type).asElement().getKind() == ElementKind.INTERFACE;
    }

    private boolean isVendor(TypeElement type) {
        String name = type.getQualifiedName().toString();
        for (String keyword : keys.keywords) {
            if (containsPackage(name, keyword)) return true;
        }
        return false;
    }

    // A keyword in a dotted name, standing for whole parts of it.
    static boolean containsPackage(String name, String keyword) {
        if (keyword.isEmpty()) return false;
        for (int found = name.indexOf(keyword); found >= 0; found = name.indexOf(keyword, found + 1)) {
            int end = found + keyword.length();
            if ((found == 0 || name.charAt(found - 1) == '.')
                && (end == name.length() || name.charAt(end) == '.'))
                return true;
        }
        return false;
    }

    private boolean leads(TypeElement type) {
        Boolean known = leading.get(type);
        if (known != null) return known;
        leading.put(type, false);
        boolean leads = isVendor(type);
        for (TypeMirror supertype : types.directSupertypes(type.asType()))
            leads = leads || mentions(supertype);
        if (!leads && type.getKind() == ElementKind.INTERFACE) {
            List<? extends Element> members = elements.getAllMembers(type);
            if (mayBeFunctional(members)) {
                for (Element member : members) {
                    if (member.getKind() == ElementKind.METHOD
                        && member.getModifiers().contains(Modifier.ABSTRACT))
                        leads = leads || takesOne((ExecutableElement) member, false);
                }
            }
        }
        leading.put(type, leads);
        return leads;
    }

    // Whether a lambda can implement the interface of these members (its own
    // and its supertypes'): false only when it has two abstract methods of
    // another name or arity (Object's aside) that no default method of it
    // implements. An interface of many methods that take a vendor's type
    // leads nowhere by itself: a class implements them with their
    // parameters' types written.
    private static boolean mayBeFunctional(List<? extends Element> members) {
        Set<String> implemented = new HashSet<>();
        Set<String> open = new HashSet<>();
        for (Element member : members) {
            if (member.getKind() != ElementKind.METHOD) continue;
            ExecutableElement method = (ExecutableElement) member;
            String key = method.getSimpleName() + "/" + method.getParameters().size();
            if (!method.getModifiers().contains(Modifier.ABSTRACT)) {
                implemented.add(key);
            } else if (!key.equals("equals/1") && !key.equals("hashCode/0")
                       && !key.equals("toString/0")) {
                open.add(key);
            }
        }
        open.removeAll(implemented);
        return open.size() < 2;
    }

    private boolean mentions(TypeMirror type) {
        switch (type.getKind()) {
        case DECLARED:
            DeclaredType declared = (DeclaredType) type;
            if (leads((TypeElement) declared.asElement())) return true;
            for (TypeMirror argument : declared.getTypeArguments()) {
                if (mentions(argument)) return true;
            }
            return false;
        case ARRAY:
            return mentions(((ArrayType) type).getComponentType());
        case TYPEVAR:
            TypeVariable variable = (TypeVariable) type;
            if (!visiting.add(variable.asElement())) return false;
            boolean bound = mentions(variable.getUpperBound()) || mentions(variable.getLowerBound());
            visiting.remove(variable.asElement());
            return bound;
        case WILDCARD:
            WildcardType wildcard = (WildcardType) type;
            return (wildcard.getExtendsBound() != null && mentions(wildcard.getExtendsBound()))
                || (wildcard.getSuperBound() != null && mentions(wildcard.getSuperBound()));
        case INTERSECTION:
            for (TypeMirror bound2 : ((IntersectionType) type).getBounds()) {
                if (mentions(bound2)) return true;
            }
            return false;
        case UNION:
            for (TypeMirror alternative : ((UnionType) type).getAlternatives()) {
                if (mentions(alternative)) return true;
            }
            return false;
        default:
            return false;
        }
    }

    private void addPattern(String name) {
        patterns.add(name.replace('.', '/').getBytes(StandardCharsets.UTF_8));
    }

    // The classpath's classes whose class files hold a pattern, noted as
    // the tree's types are, until no new type leads. A nested class's file
    // brings in its top-level class, which notes it.
    private void readClasspath() throws IOException {
        List<JavaFileObject> classes = new ArrayList<>();
        for (JavaFileObject file : files.list(StandardLocation.CLASS_PATH, "",
                                              EnumSet.of(JavaFileObject.Kind.CLASS), true))
            classes.add(file);
        Set<String> read = new HashSet<>();
        for (int known = 0; known < patterns.size();) {
            List<byte[]> fresh = new ArrayList<>(patterns.subList(known, patterns.size()));
            known = patterns.size();
            for (JavaFileObject file : classes) {
                String binary = files.inferBinaryName(StandardLocation.CLASS_PATH, file);
                if (binary == null || read.contains(binary) || !holdsAny(bytesOf(file), fresh))
                    continue;
                read.add(binary);
                int nested = binary.indexOf('$');
                TypeElement type =
                    elements.getTypeElement(nested < 0 ? binary : binary.substring(0, nested));
                if (type != null) note(type);
            }
        }
    }

    private static byte[] bytesOf(JavaFileObject file) throws IOException {
        try (InputStream in = file.openInputStream()) {
            return in.readAllBytes();
        }
    }

    private static boolean holdsAny(byte[] bytes, List<byte[]> patterns) {
        for (byte[] pattern : patterns) {
            if (pattern.length > 0 && indexOf(bytes, pattern) >= 0) return true;
        }
        return false;
    }

    private static int indexOf(byte[] bytes, byte[] pattern) {
        byte first = pattern[0];
        for (int at = 0; at + pattern.length <= bytes.length; ++at) {
            if (bytes[at] != first) continue;
            int i = 1;
            while (i < pattern.length && bytes[at + i] == pattern[i]) ++i;
            if (i == pattern.length) return at;
        }
        return -1;
    }
}
