// NidusNames: the compiler's answers for nidus-convert's exact mode. Parses
// a whole source tree with the application's classpath through the JDK's
// compiler API (nothing is generated, no processor runs), attributes the
// files that can name the vendor (or all of them), and writes what every
// name of those files denotes.
//
// Usage: java -cp nidus-names.jar NidusNames ROOT < REQUEST
// REQUEST: the classpath on its first line; then "all", or "leads" and
// three lines of tab-separated fields: "keywords" and the package keywords,
// "texts" and the texts that touch a file wherever they stand, "names" and
// the code names that touch it; then one source file per line, relative to
// ROOT. With "all" every file is attributed, with "leads" those that can
// name the vendor (NidusLeads), and the others are only read for their
// declarations. Standard output, UTF-8, one block per attributed file in
// the order given (tab-separated fields):
//   #  ERRORS  LINE  MESSAGE  PATH     the file's compiler errors: how many,
//                                     and the line and text of the first
//                                     (0 and empty without)
//   KIND  START  END  OWNER  NAME  [PARAMETERS]
// one record per name use, START and END the name's bytes in the file
// (UTF-8 offsets; an invalid byte counts as one). OWNER is the qualified
// name of what declares the name, "-" where there is none (a local, a
// member of an anonymous class); OWNER "." NAME is then the name's
// qualified name. PARAMETERS (methods and constructors) are the declared
// parameter types, erased and qualified, separated by commas.
// KIND: P package (OWNER the enclosing package), C class, F field (of an
// array: OWNER is the array type), M method, N constructor, L local
// variable, A parameter, U unresolved (the compiler could not tell:
// OWNER is "-"), O and D the name of a method declaration that does (O)
// or does not (D) override a method declared outside the tree.
//
// A method's OWNER is where the method comes from, not merely the class
// that declares it: a method that overrides a JDK method is the JDK's
// (the nearest such declaration: superclass chain first, then interfaces);
// a method of the tree that overrides a method from the classpath is
// that method's (the nearest); a method of the tree that overrides one of
// a superclass in the tree is the topmost such superclass's (calls that
// reach an override are the overridden method's calls, as nidus-convert
// names them); any other method is its class's.
//
// Exit codes: 0 done (compile errors are part of the output), 2 bad
// request or no compiler in this Java, 3 the compiler itself failed.

import com.sun.source.tree.CompilationUnitTree;
import com.sun.source.tree.IdentifierTree;
import com.sun.source.tree.ImportTree;
import com.sun.source.tree.MemberReferenceTree;
import com.sun.source.tree.MemberSelectTree;
import com.sun.source.tree.MethodTree;
import com.sun.source.tree.NewClassTree;
import com.sun.source.tree.PackageTree;
import com.sun.source.tree.ParameterizedTypeTree;
import com.sun.source.tree.Tree;
import com.sun.source.util.JavacTask;
import com.sun.source.util.SourcePositions;
import com.sun.source.util.TreePath;
import com.sun.source.util.TreePathScanner;
import com.sun.source.util.Trees;

import java.io.BufferedReader;
import java.io.BufferedWriter;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayDeque;
import java.util.ArrayList;
import java.util.BitSet;
import java.util.Collection;
import java.util.Collections;
import java.util.HashMap;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;

import javax.lang.model.element.Element;
import javax.lang.model.element.ElementKind;
import javax.lang.model.element.ExecutableElement;
import javax.lang.model.element.ModuleElement;
import javax.lang.model.element.Modifier;
import javax.lang.model.element.PackageElement;
import javax.lang.model.element.TypeElement;
import javax.lang.model.element.VariableElement;
import javax.lang.model.type.TypeKind;
import javax.lang.model.type.TypeMirror;
import javax.lang.model.util.Elements;
import javax.lang.model.util.Types;
import javax.tools.Diagnostic;
import javax.tools.DiagnosticListener;
import javax.tools.JavaCompiler;
import javax.tools.JavaFileManager;
import javax.tools.JavaFileObject;
import javax.tools.SimpleJavaFileObject;
import javax.tools.StandardJavaFileManager;
import javax.tools.StandardLocation;
import javax.tools.ToolProvider;

public final class NidusNames extends TreePathScanner<Void, Void> {
    // The attribution recurses as deep as the code nests; a thread of its
    // own gets a stack for the deepest generated code.
    private static final long STACK_BYTES = 1L << 28;

    private final Trees trees;
    private final Elements elements;
    private final Types types;
    // The top-level types of the tree, and each method's origin, once found.
    private final Set<Element> sourceTypes = Collections.newSetFromMap(new IdentityHashMap<>());
    private final Map<ExecutableElement, TypeElement> origins = new IdentityHashMap<>();
    // The files by their address: the compiler hands them back wrapped.
    private final Map<URI, Source> sources;

    // The file being scanned: its tree, text, and the records so far.
    private CompilationUnitTree unit;
    private String text;
    private final List<long[]> spans = new ArrayList<>();
    private final List<String> fields = new ArrayList<>();

    private NidusNames(JavacTask task, Map<URI, Source> sources) {
        this.sources = sources;
        trees = Trees.instance(task);
        elements = task.getElements();
        types = task.getTypes();
    }

    // One source file: its bytes as the compiler reads them, and its errors.
    private static final class Source extends SimpleJavaFileObject {
        final String path;
        final String content;
        final BitSet invalidBytes;  // chars that stand for a byte that is no UTF-8
        int errors;
        long errorLine;
        String errorMessage = "";

        Source(Path file, String path, byte[] bytes) {
            super(file.toUri(), JavaFileObject.Kind.SOURCE);
            this.path = path;
            this.invalidBytes = new BitSet();
            this.content = decode(bytes, invalidBytes);
        }

        @Override
        public CharSequence getCharContent(boolean ignoreEncodingErrors) {
            return content;
        }
    }

    public static void main(String[] args) throws Exception {
        if (args.length != 1) {
            System.err.println("usage: NidusNames ROOT < REQUEST (classpath, then one file per line)");
            System.exit(2);
        }
        int[] exit = {0};
        Thread worker = new Thread(null, () -> {
            try {
                exit[0] = run(Paths.get(args[0]));
            } catch (Throwable e) {
                System.err.println("failed: " + e);
                exit[0] = 3;
            }
        }, "nidus-names", STACK_BYTES);
        worker.start();
        worker.join();
        System.exit(exit[0]);
    }

    private static int run(Path root) {
        JavaCompiler compiler = ToolProvider.getSystemJavaCompiler();
        if (compiler == null) {
            System.err.println("this Java has no compiler (a JDK is needed, not a JRE)");
            return 2;
        }
        Request request = new Request();
        try {
            readRequest(root, request);
        } catch (IOException e) {
            System.err.println("cannot read the request: " + e.getMessage());
            return 2;
        }
        try (Writer out = new BufferedWriter(
                 new OutputStreamWriter(System.out, StandardCharsets.UTF_8), 1 << 16)) {
            return attribute(compiler, request, out);
        } catch (IOException e) {
            System.err.println("cannot write the names: " + e.getMessage());
            return 3;
        }
    }

    // What the request asks: the classpath, the keys that choose the files
    // to attribute (null: all of them), and the files.
    private static final class Request {
        String classpath;
        NidusLeads.Keys keys;
        final List<Source> sources = new ArrayList<>();
    }

    // The classpath line, the choice, then the files; a file that cannot be
    // read is left out (nidus-convert names it as it reads the file itself).
    private static void readRequest(Path root, Request request) throws IOException {
        BufferedReader in =
            new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
        request.classpath = in.readLine();
        String choice = in.readLine();
        if (request.classpath == null || choice == null) throw new IOException("it is empty");
        if (choice.equals("leads")) {
            request.keys = new NidusLeads.Keys();
            readFields(in, "keywords", request.keys.keywords);
            readFields(in, "texts", request.keys.texts);
            readFields(in, "names", request.keys.names);
        } else if (!choice.equals("all")) {
            throw new IOException("its second line is neither \"all\" nor \"leads\"");
        }
        for (String line = in.readLine(); line != null; line = in.readLine()) {
            if (line.isEmpty()) continue;
            Path file = root.resolve(line);
            try {
                request.sources.add(new Source(file, line, Files.readAllBytes(file)));
            } catch (IOException e) {
                System.err.println(line + ": cannot be read: " + e.getMessage());
            }
        }
    }

    // One line of the keys: its label, then the fields.
    private static void readFields(BufferedReader in, String label, Collection<String> fields)
        throws IOException {
        String line = in.readLine();
        String[] parts = line == null ? new String[0] : line.split("\t", -1);
        if (parts.length == 0 || !parts[0].equals(label))
            throw new IOException("its line of " + label + " is missing");
        for (int i = 1; i < parts.length; ++i) {
            if (!parts[i].isEmpty()) fields.add(parts[i]);
        }
    }

    private static int attribute(JavaCompiler compiler, Request request, Writer out)
        throws IOException {
        Map<URI, Source> byUri = new HashMap<>();
        for (Source source : request.sources) byUri.put(source.toUri(), source);
        DiagnosticListener<JavaFileObject> listener = diagnostic -> noteDiagnostic(diagnostic, byUri);
        StandardJavaFileManager files =
            compiler.getStandardFileManager(listener, Locale.ENGLISH, StandardCharsets.UTF_8);
        // No source path: only the files given are compiled, never sources
        // that lie on the classpath.
        files.setLocation(StandardLocation.SOURCE_PATH, List.of());
        // An empty classpath is the JDK's classes alone, not the current folder.
        String classpath = request.classpath;
        if (classpath.isEmpty()) files.setLocation(StandardLocation.CLASS_PATH, List.of());
        List<String> options = new ArrayList<>(List.of(
            "-proc:none", "-implicit:none", "-nowarn", "-Xlint:none",
            "-Xmaxerrs", String.valueOf(Integer.MAX_VALUE),
            // Errors do not end the attribution: every file is attributed;
            // and it ends there: the checks of flow (definite assignment,
            // exceptions, unreachable code) name nothing.
            "-XDshould-stop.ifError=ATTR", "-XDshould-stop.ifNoError=ATTR"));
        if (!classpath.isEmpty()) options.addAll(List.of("-classpath", classpath));
        JavacTask task =
            (JavacTask) compiler.getTask(null, files, listener, options, null, request.sources);
        List<CompilationUnitTree> units = new ArrayList<>();
        List<CompilationUnitTree> chosen;
        try {
            task.parse().forEach(units::add);
            chosen = analyze(task, units, request.keys, files, byUri);
        } catch (Throwable e) {
            System.err.println("the compiler failed: " + e);
            return 3;
        }
        NidusNames scanner = new NidusNames(task, byUri);
        for (CompilationUnitTree unit : units) scanner.noteSourceTypes(unit);
        for (CompilationUnitTree unit : chosen) scanner.write(unit, out);
        return 0;
    }

    // Attributes the files that keys choose (all without keys) and gives
    // them, in their order. Every file is entered: a chosen file's names
    // resolve against the whole tree's declarations, as when all are
    // attributed. The choice needs the compiler's own task (entering and
    // attributing some classes is no public interface); where this Java's
    // compiler does not give it, every file is attributed.
    private static List<CompilationUnitTree> analyze(JavacTask task, List<CompilationUnitTree> units,
                                                     NidusLeads.Keys keys, JavaFileManager files,
                                                     Map<URI, Source> sources) throws Exception {
        Method analyzeSome = null;
        try {
            if (keys != null) {
                Method enter = task.getClass().getMethod("enter");
                analyzeSome = task.getClass().getMethod("analyze", Iterable.class);
                enter.invoke(task);
            }
        } catch (NoSuchMethodException | IllegalAccessException e) {
            analyzeSome = null;
        } catch (InvocationTargetException e) {
            throw e.getCause() instanceof Exception ? (Exception) e.getCause() : e;
        }
        if (analyzeSome == null) {
            task.analyze();
            return units;
        }
        Trees trees = Trees.instance(task);
        List<TypeElement> treeTypes = new ArrayList<>();
        for (CompilationUnitTree unit : units) {
            for (Element type : declaredTypes(trees, unit)) {
                if (type instanceof TypeElement) treeTypes.add((TypeElement) type);
            }
        }
        NidusLeads leads = new NidusLeads(keys, task.getElements(), task.getTypes(), files);
        try {
            leads.noteTypes(treeTypes);
        } catch (IOException e) {
            System.err.println("the classpath's classes cannot be read (" + e.getMessage()
                               + "): every file is attributed");
            task.analyze();
            return units;
        }
        List<CompilationUnitTree> chosen = new ArrayList<>();
        List<Element> classes = new ArrayList<>();
        for (CompilationUnitTree unit : units) {
            Source source = sources.get(unit.getSourceFile().toUri());
            if (source == null || !leads.attributes(source.content)) continue;
            chosen.add(unit);
            if (unit.getPackage() != null) {
                Element pack = trees.getElement(new TreePath(new TreePath(unit), unit.getPackage()));
                if (pack != null) classes.add(pack);
            }
            classes.addAll(declaredTypes(trees, unit));
        }
        try {
            analyzeSome.invoke(task, classes);
        } catch (InvocationTargetException e) {
            throw e.getCause() instanceof Exception ? (Exception) e.getCause() : e;
        }
        return chosen;
    }

    private static void noteDiagnostic(Diagnostic<? extends JavaFileObject> diagnostic,
                                       Map<URI, Source> sources) {
        if (diagnostic.getKind() != Diagnostic.Kind.ERROR) return;
        Source source = diagnostic.getSource() == null ? null
                      : sources.get(diagnostic.getSource().toUri());
        if (source == null) {
            System.err.println("compiler: " + diagnostic.getMessage(Locale.ENGLISH));
            return;
        }
        if (source.errors++ > 0) return;
        source.errorLine = Math.max(0, diagnostic.getLineNumber());
        // Its lines in one ("cannot find symbol; symbol: class Codec; ..."),
        // which names what is missing.
        StringBuilder message = new StringBuilder();
        for (String line : diagnostic.getMessage(Locale.ENGLISH).split("\r?\n|\r")) {
            String words = line.trim().replaceAll("\\s+", " ");
            if (words.isEmpty()) continue;
            message.append(message.length() == 0 ? "" : "; ").append(words);
        }
        source.errorMessage = message.toString();
    }

    // UTF-8 bytes to chars; a byte that starts no valid sequence becomes
    // U+FFFD, noted in invalid so that it counts as the one byte it is.
    static String decode(byte[] bytes, BitSet invalid) {
        StringBuilder chars = new StringBuilder(bytes.length);
        int at = 0;
        while (at < bytes.length) {
            int lead = bytes[at] & 0xff;
            int length = lead < 0x80 ? 1 : lead < 0xc2 ? 0 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3
                       : lead < 0xf5 ? 4 : 0;
            int code = length == 1 ? lead : lead & (0x7f >> length);
            for (int i = 1; i < length; ++i) {
                int next = at + i < bytes.length ? bytes[at + i] & 0xff : 0;
                if ((next & 0xc0) != 0x80) length = 0;
                code = (code << 6) | (next & 0x3f);
            }
            boolean valid = length == 1 || (length == 2 && code >= 0x80)
                         || (length == 3 && code >= 0x800 && (code < 0xd800 || code > 0xdfff))
                         || (length == 4 && code >= 0x10000 && code <= 0x10ffff);
            if (!valid) {
                invalid.set(chars.length());
                chars.append('\ufffd');
                at += 1;
                continue;
            }
            chars.appendCodePoint(code);
            at += length;
        }
        return chars.toString();
    }

    // Where each char of the source begins in its bytes, and the end.
    private static long[] byteOffsets(Source source) {
        String content = source.content;
        long[] offsets = new long[content.length() + 1];
        long at = 0;
        for (int i = 0; i < content.length(); ++i) {
            offsets[i] = at;
            char c = content.charAt(i);
            if (source.invalidBytes.get(i) || c < 0x80) {
                at += 1;
            } else if (c < 0x800) {
                at += 2;
            } else if (Character.isHighSurrogate(c)) {
                at += 4;
                offsets[++i] = at;  // the pair's second half starts nothing
            } else {
                at += 3;
            }
        }
        offsets[content.length()] = at;
        return offsets;
    }

    private void noteSourceTypes(CompilationUnitTree unit) {
        sourceTypes.addAll(declaredTypes(trees, unit));
    }

    // The elements of a file's top-level types, once the file is entered.
    private static List<Element> declaredTypes(Trees trees, CompilationUnitTree unit) {
        List<Element> types = new ArrayList<>();
        for (Tree declaration : unit.getTypeDecls()) {
            Element type = trees.getElement(TreePath.getPath(unit, declaration));
            if (type != null) types.add(type);
        }
        return types;
    }

    // The file's header and records.
    private void write(CompilationUnitTree tree, Writer out) throws IOException {
        Source source = sources.get(tree.getSourceFile().toUri());
        unit = tree;
        text = source.content;
        spans.clear();
        fields.clear();
        try {
            scan(tree, null);
        } catch (RuntimeException | StackOverflowError e) {
            // What was found before stands; the rest keeps nidus-convert's answers.
            System.err.println(source.path + ": names not complete: " + e);
        }
        out.write("#\t" + source.errors + "\t" + source.errorLine + "\t" + source.errorMessage
                  + "\t" + source.path + "\n");
        long[] offsets = byteOffsets(source);
        for (int i = 0; i < spans.size(); ++i) {
            long[] span = spans.get(i);
            String[] parts = fields.get(i).split("\t", 2);
            out.write(parts[0] + "\t" + offsets[(int) span[0]] + "\t" + offsets[(int) span[1]]
                      + "\t" + parts[1] + "\n");
        }
    }

    private void record(long start, long end, String kind, String owner, String name,
                        String parameters) {
        if (start < 0 || end <= start || end > text.length()) return;
        spans.add(new long[] {start, end});
        fields.add(kind + "\t" + owner + "\t" + name + (parameters == null ? "" : "\t" + parameters));
    }

    private SourcePositions positions() {
        return trees.getSourcePositions();
    }

    // Imports are the host's own concern: it names them as written.
    @Override
    public Void visitImport(ImportTree node, Void nothing) {
        return null;
    }

    // The file's own package declaration names nothing to convert.
    @Override
    public Void visitPackage(PackageTree node, Void nothing) {
        return scan(node.getAnnotations(), null);
    }

    @Override
    public Void visitIdentifier(IdentifierTree node, Void nothing) {
        long start = positions().getStartPosition(unit, node);
        long end = positions().getEndPosition(unit, node);
        recordElement(start, end, node.getName().toString(), getCurrentPath(), null);
        return null;
    }

    @Override
    public Void visitMemberSelect(MemberSelectTree node, Void nothing) {
        super.visitMemberSelect(node, null);
        String name = node.getIdentifier().toString();
        if (name.equals("class") || name.equals("this") || name.equals("super")) return null;
        long end = positions().getEndPosition(unit, node);
        TypeMirror receiver = trees.getTypeMirror(new TreePath(getCurrentPath(), node.getExpression()));
        recordElement(end - name.length(), end, name, getCurrentPath(), receiver);
        return null;
    }

    @Override
    public Void visitMemberReference(MemberReferenceTree node, Void nothing) {
        super.visitMemberReference(node, null);
        String name = node.getName().toString();
        if (name.equals("<init>")) return null;
        long end = positions().getEndPosition(unit, node);
        recordElement(end - name.length(), end, name, getCurrentPath(), null);
        return null;
    }

    // new T(...): the constructor, at the class's name.
    @Override
    public Void visitNewClass(NewClassTree node, Void nothing) {
        super.visitNewClass(node, null);
        Tree type = node.getIdentifier();
        if (type instanceof ParameterizedTypeTree) type = ((ParameterizedTypeTree) type).getType();
        Element constructor = trees.getElement(getCurrentPath());
        if (constructor == null || constructor.getKind() != ElementKind.CONSTRUCTOR) return null;
        String name = constructor.getEnclosingElement().getSimpleName().toString();
        long end = positions().getEndPosition(unit, type);
        record(end - name.length(), end, "N", ownerOf(constructor), name,
               parameters((ExecutableElement) constructor));
        return null;
    }

    // A method declaration's name: whether the method overrides one from
    // outside the tree, and whose.
    @Override
    public Void visitMethod(MethodTree node, Void nothing) {
        Element element = trees.getElement(getCurrentPath());
        if (element instanceof ExecutableElement && element.getKind() == ElementKind.METHOD
            && node.getReturnType() != null
            && elements.getOrigin(element) == Elements.Origin.EXPLICIT) {
            String name = node.getName().toString();
            long start = skipBlanks(positions().getEndPosition(unit, node.getReturnType()));
            if (start >= 0 && text.startsWith(name, (int) start)) {
                TypeElement origin = originOf((ExecutableElement) element);
                String kind = isSourceType(origin) ? "D" : "O";
                record(start, start + name.length(), kind, nameOrDash(origin), name,
                       parameters((ExecutableElement) element));
            }
        }
        return super.visitMethod(node, null);
    }

    // The position after blanks and comments from at; -1 at the end.
    private long skipBlanks(long at) {
        int i = (int) at;
        while (i >= 0 && i < text.length()) {
            if (Character.isWhitespace(text.charAt(i))) {
                ++i;
            } else if (text.startsWith("//", i)) {
                int end = text.indexOf('\n', i);
                i = end < 0 ? -1 : end + 1;
            } else if (text.startsWith("/*", i)) {
                int end = text.indexOf("*/", i + 2);
                i = end < 0 ? -1 : end + 2;
            } else {
                return i;
            }
        }
        return -1;
    }

    // The record of a name at [start, end) that the tree at path resolves
    // to; receiver is the type of what stands before a member's dot.
    private void recordElement(long start, long end, String name, TreePath path,
                               TypeMirror receiver) {
        if (name.equals("this") || name.equals("super")) {
            Element constructor = trees.getElement(path);
            if (constructor instanceof ExecutableElement
                && constructor.getKind() == ElementKind.CONSTRUCTOR)
                record(start, end, "N", ownerOf(constructor), name,
                       parameters((ExecutableElement) constructor));
            return;
        }
        Element element = trees.getElement(path);
        String kind = kindOf(element);
        if (kind == null) return;
        switch (kind) {
        case "U":
        case "L":
        case "A":
            record(start, end, kind, "-", name, null);
            break;
        case "P":
            String qualified = ((PackageElement) element).getQualifiedName().toString();
            int dot = qualified.lastIndexOf('.');
            record(start, end, kind, dot < 0 ? "-" : qualified.substring(0, dot), name, null);
            break;
        case "C":
            String owner = nameOf((TypeElement) element);
            int last = owner == null ? -1 : owner.lastIndexOf('.');
            record(start, end, kind, last < 0 ? "-" : owner.substring(0, last), name, null);
            break;
        case "F":
            boolean array = receiver != null && receiver.getKind() == TypeKind.ARRAY;
            record(start, end, kind, array ? types.erasure(receiver).toString() : ownerOf(element),
                   name, null);
            break;
        case "M":
            TypeElement origin = originOf((ExecutableElement) element);
            record(start, end, kind, nameOrDash(origin), name,
                   parameters((ExecutableElement) element));
            break;
        default:
            record(start, end, kind, ownerOf(element), name,
                   parameters((ExecutableElement) element));
        }
    }

    // The record kind of what a name resolves to; null for what needs no
    // record (a type variable).
    private String kindOf(Element element) {
        if (element == null) return "U";
        // By name: RECORD and BINDING_VARIABLE are younger than Java 11.
        switch (element.getKind().name()) {
        case "PACKAGE":
            String name = ((PackageElement) element).getQualifiedName().toString();
            return elements.getPackageElement(name) == null ? "U" : "P";
        case "CLASS":
        case "INTERFACE":
        case "ENUM":
        case "ANNOTATION_TYPE":
        case "RECORD":
            return element.asType().getKind() == TypeKind.ERROR ? "U" : "C";
        case "FIELD":
        case "ENUM_CONSTANT":
            return "F";
        case "METHOD":
            // A method the compiler could not place (a member reference in an
            // expression of a missing type) belongs to no type.
            return element.getEnclosingElement() instanceof TypeElement ? "M" : "U";
        case "CONSTRUCTOR":
            return "N";
        case "PARAMETER":
            return "A";
        case "LOCAL_VARIABLE":
        case "EXCEPTION_PARAMETER":
        case "RESOURCE_VARIABLE":
        case "BINDING_VARIABLE":
            return "L";
        case "TYPE_PARAMETER":
            return null;
        default:
            return "U";
        }
    }

    // A member's declaring type, "-" for an anonymous class's.
    private String ownerOf(Element member) {
        Element owner = member.getEnclosingElement();
        return owner instanceof TypeElement ? nameOrDash((TypeElement) owner) : "-";
    }

    private String nameOrDash(TypeElement type) {
        String name = nameOf(type);
        return name == null ? "-" : name;
    }

    // The qualified name of a type, a local class's made from the class
    // around it (Outer.Local); null for an anonymous class and its members.
    private String nameOf(TypeElement type) {
        switch (type.getNestingKind()) {
        case TOP_LEVEL:
            return type.getQualifiedName().toString();
        case ANONYMOUS:
            return null;
        default:
            Element outer = type.getEnclosingElement();
            while (outer != null && !(outer instanceof TypeElement)) outer = outer.getEnclosingElement();
            String outerName = outer == null ? null : nameOf((TypeElement) outer);
            return outerName == null ? null : outerName + "." + type.getSimpleName();
        }
    }

    private String parameters(ExecutableElement method) {
        StringBuilder list = new StringBuilder();
        for (VariableElement parameter : method.getParameters()) {
            if (list.length() > 0) list.append(',');
            list.append(types.erasure(parameter.asType()));
        }
        return list.toString();
    }

    private boolean isJdkType(TypeElement type) {
        ModuleElement module = elements.getModuleOf(type);
        return module != null && !module.isUnnamed();
    }

    private boolean isSourceType(TypeElement type) {
        Element outermost = type;
        while (outermost.getEnclosingElement() != null
               && outermost.getEnclosingElement().getKind() != ElementKind.PACKAGE)
            outermost = outermost.getEnclosingElement();
        return sourceTypes.contains(outermost);
    }

    // Where a method comes from (see the note at the top).
    private TypeElement originOf(ExecutableElement method) {
        TypeElement found = origins.get(method);
        if (found == null) {
            found = findOrigin(method);
            origins.put(method, found);
        }
        return found;
    }

    private TypeElement findOrigin(ExecutableElement method) {
        TypeElement declaring = (TypeElement) method.getEnclosingElement();
        if (isJdkType(declaring) || method.getModifiers().contains(Modifier.STATIC)) return declaring;
        TypeElement classpath = null;
        ArrayDeque<TypeMirror> open = new ArrayDeque<>(types.directSupertypes(declaring.asType()));
        Set<Element> seen = Collections.newSetFromMap(new IdentityHashMap<>());
        while (!open.isEmpty()) {
            Element element = types.asElement(open.removeFirst());
            if (!(element instanceof TypeElement) || !seen.add(element)) continue;
            TypeElement type = (TypeElement) element;
            if (declaresOverridden(type, method, declaring)) {
                if (isJdkType(type)) return type;
                if (classpath == null && !isSourceType(type)) classpath = type;
            }
            open.addAll(types.directSupertypes(type.asType()));
        }
        if (!isSourceType(declaring)) return declaring;
        return classpath != null ? classpath : topmostInTree(method, declaring);
    }

    // The topmost class of the superclass chain in the tree that declares a
    // method that method overrides; declaring when there is none.
    private TypeElement topmostInTree(ExecutableElement method, TypeElement declaring) {
        TypeElement topmost = declaring;
        Set<Element> seen = Collections.newSetFromMap(new IdentityHashMap<>());
        for (Element type = types.asElement(declaring.getSuperclass());
             type instanceof TypeElement && seen.add(type);
             type = types.asElement(((TypeElement) type).getSuperclass())) {
            if (isSourceType((TypeElement) type)
                && declaresOverridden((TypeElement) type, method, declaring))
                topmost = (TypeElement) type;
        }
        return topmost;
    }

    private boolean declaresOverridden(TypeElement type, ExecutableElement method,
                                       TypeElement declaring) {
        for (Element member : type.getEnclosedElements()) {
            if (member.getKind() == ElementKind.METHOD
                && member.getSimpleName().equals(method.getSimpleName())
                && elements.overrides(method, (ExecutableElement) member, declaring))
                return true;
        }
        return false;
    }
}
