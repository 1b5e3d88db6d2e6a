// How the host lays a Java file out for the plug-in (statements and their
// levels in a body) and how it classifies names (node kinds and resolved
// qualified names).
#include <gtest/gtest.h>

#include "layout/LayoutRestore.h"
#include "names/NameResolution.h"
#include "plugin/HostObjects.h"
#include "plugin/StatementLayout.h"
#include "syntax/JavaSource.h"
#include "syntax/LightScan.h"
#include "syntax/MembersText.h"
#include "syntax/SyntaxNodes.h"
#include "syntax/TreeMemory.h"

namespace hosttest {
namespace {

using host::JavaSource;
using host::Leaf;
using host::StepKind;

// A method body wrapped into a class, for the layout tests.
std::string inMethod(const std::string& body) {
    return "class T {\n    void m() {\n" + body + "\n    }\n}\n";
}

class JavaSourceTest : public ::testing::Test {
protected:
    JavaSource source;
    std::vector<host::Step> steps;
    host::TreeTypes types;
    host::RuleFacts rules{{"olddb"}, {}, {}};

    void build(const std::string& text) {
        ASSERT_TRUE(source.parse(text)) << source.reason();
        host::resolveNames(source, types, rules);
        steps = host::layOutSteps(source);
    }

    // The first body as "level: tokens" lines.
    std::vector<std::string> body() {
        std::vector<std::string> lines;
        for (const host::Step& step : steps) {
            if (step.kind != StepKind::kBody) continue;
            for (const host::Statement& statement : step.statements) {
                std::string line = std::to_string(statement.level) + ":";
                for (size_t i = statement.first; i < statement.last; ++i)
                    line += " " + source.leaves()[i].text;
                lines.push_back(line);
            }
            break;
        }
        return lines;
    }

    // The n-th leaf (from 0) whose text is text.
    const Leaf& leaf(const std::string& text, int n = 0) {
        for (const Leaf& candidate : source.leaves()) {
            if (candidate.text == text && n-- == 0) return candidate;
        }
        ADD_FAILURE() << "no leaf " << text;
        return source.leaves().front();
    }
};

using Lines = std::vector<std::string>;

TEST_F(JavaSourceTest, BlockBodiesAreOneLevelDeeperAndTheirBraceJoinsTheElse) {
    build(inMethod("if (a) { x(); } else if (b) { y(); } else { z(); }\nw();"));
    EXPECT_EQ((Lines{"1: if ( a ) {", "2: x ( ) ;", "1: } else if ( b ) {", "2: y ( ) ;",
                     "1: } else {", "2: z ( ) ;", "1: }", "1: w ( ) ;"}),
              body());
}

TEST_F(JavaSourceTest, BraceLessBodiesStayAtTheLevelOfTheirHead) {
    build(inMethod("if (a) x(); else if (b) y(); else z();\nfor (;;) f();\nwhile (c) g();"));
    EXPECT_EQ((Lines{"1: if ( a )", "1: x ( ) ;", "1: else if ( b )", "1: y ( ) ;", "1: else",
                     "1: z ( ) ;", "1: for ( ; ; )", "1: f ( ) ;", "1: while ( c )", "1: g ( ) ;"}),
              body());
}

TEST_F(JavaSourceTest, BraceStandsAloneBeforeABraceLessElse) {
    build(inMethod("if (a) { x(); } else y();"));
    EXPECT_EQ((Lines{"1: if ( a ) {", "2: x ( ) ;", "1: }", "1: else", "1: y ( ) ;"}), body());
}

TEST_F(JavaSourceTest, EmptyBlocksStayInsideTheirStatement) {
    build(inMethod("if (a) {} else { b(); }\ntry {} finally {}"));
    EXPECT_EQ((Lines{"1: if ( a ) { } else {", "2: b ( ) ;", "1: }", "1: try { } finally { }"}),
              body());
}

TEST_F(JavaSourceTest, DoWhileTryAndLabelsCloseWithTheirOwnClause) {
    build(
        inMethod("do { a(); } while (b);\nouter: for (;;) { break outer; }\n"
                 "try { c(); } catch (E e) { d(); } finally { f(); }"));
    EXPECT_EQ((Lines{"1: do {", "2: a ( ) ;", "1: } while ( b ) ;", "1: outer :",
                     "1: for ( ; ; ) {", "2: break outer ;", "1: }", "1: try {", "2: c ( ) ;",
                     "1: } catch ( E e ) {", "2: d ( ) ;", "1: } finally {", "2: f ( ) ;", "1: }"}),
              body());
}

TEST_F(JavaSourceTest, SwitchLeavesItsOpeningBraceToThePluginAndLabelsAreOneLevelDeeper) {
    build(inMethod("switch (k) {\ncase 1:\ncase 2: { a(); break; }\ndefault: b();\n}\nc();"));
    EXPECT_EQ((Lines{"1: switch ( k )", "2: case 1 :", "2: case 2 :", "2: {", "3: a ( ) ;",
                     "3: break ;", "2: }", "2: default :", "2: b ( ) ;", "1: }", "1: c ( ) ;"}),
              body());
}

TEST_F(JavaSourceTest, ArrowRulesAreOneStatementOrALabelWithABlock) {
    build(inMethod("switch (k) {\ncase 1 -> a();\ndefault -> { b(); }\n}"));
    EXPECT_EQ((Lines{"1: switch ( k )", "2: case 1 -> a ( ) ;", "2: default ->", "2: {",
                     "3: b ( ) ;", "2: }", "1: }"}),
              body());
}

TEST_F(JavaSourceTest, LambdaBlocksAndAnonymousAndLocalClassBodiesOpenALevel) {
    build(
        inMethod("run(() -> {\n a();\n}, () -> {\n b(() -> {\n c();\n });\n}, () -> {});\n"
                 "Object o = new Object() {\n int x;\n void f() {\n g();\n }\n};\n"
                 "class L {\n L() {\n super();\n }\n}\ninterface I {\n void h();\n}\n"
                 "int y = switch (z) { default -> { yield 1; } };"));
    EXPECT_EQ((Lines{"1: run ( ( ) -> {",
                     "2: a ( ) ;",
                     "1: } , ( ) -> {",
                     "2: b ( ( ) -> {",
                     "3: c ( ) ;",
                     "2: } ) ;",
                     "1: } , ( ) -> { } ) ;",
                     "1: Object o = new Object ( ) {",
                     "2: int x ;",
                     "2: void f ( ) {",
                     "3: g ( ) ;",
                     "2: }",
                     "1: } ;",
                     "1: class L {",
                     "2: L ( ) {",
                     "3: super ( ) ;",
                     "2: }",
                     "1: }",
                     "1: interface I {",
                     "2: void h ( ) ;",
                     "1: }",
                     "1: int y = switch ( z ) { default -> { yield 1 ; } } ;"}),
              body());
}

TEST_F(JavaSourceTest, CommentsJoinTheStatementOnTheirLineOrStandAlone) {
    build(inMethod("a(); // after a\n// own line\nif (x) // why\n    b();"));
    EXPECT_EQ(
        (Lines{"1: a ( ) ; // after a", "1: // own line", "1: if ( x ) // why", "1: b ( ) ;"}),
        body());
    EXPECT_EQ("/* after a */", host::nodeTextOf(leaf("// after a")));
    EXPECT_EQ(host::kKindNote, leaf("// own line").kind);
}

TEST_F(JavaSourceTest, NeighboursGiveLevelsAndLines) {
    build(inMethod("if (a) {\n    x();\n}"));
    // The class header, its block, the method header, the method body.
    ASSERT_EQ(StepKind::kBody, steps[3].kind);
    const auto& list = steps[3].statements;
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(0, list[0].prevLevel);
    EXPECT_EQ(2, list[0].nextLevel);
    EXPECT_EQ(1, list[1].prevLevel);
    EXPECT_EQ(-1, list[2].nextLevel);
    EXPECT_EQ(-1, list[2].nextLine);
    EXPECT_EQ(5, list[1].nextLine);
    EXPECT_EQ(3, list[1].prevLine);
    EXPECT_EQ(2, list[0].prevLine);
    // The method header ends on line 2 and the body starts on line 3.
    EXPECT_EQ(3, steps[2].statements[0].nextLine);
}

TEST_F(JavaSourceTest, ElseIfIsOneFirstToken) {
    build(inMethod("if (a) x(); else if (b) y();"));
    const host::Statement& elseIf = steps[3].statements[2];
    host::HostStatement stmt(source.leaves(), elseIf);
    tala::IToken* first = stmt.getFirstToken();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ("else if", first->getText());
    stmt.releaseToken(first);
    std::vector<std::string> texts;
    stmt.traverseToken([&](tala::IToken* token) {
        texts.push_back(token->getText());
        return 0;
    });
    EXPECT_EQ((Lines{"else if", "(", "b", ")"}), texts);
    EXPECT_EQ(0, stmt.outstanding());
}

TEST_F(JavaSourceTest, TypedReceiversGiveTheirTypeToTheMethodAndStayVariables) {
    build(
        "import net.olddb.Session;\nclass T {\n  Session field;\n"
        "  void m(Session param, Object raw) {\n    Session local = null;\n    var made = new "
        "Session();\n"
        "    local.a(); param.b(); field.c(); this.field.d(); ((Session) raw).e(); made.f();\n  "
        "}\n}\n");
    for (const char* method : {"a", "b", "c", "d", "e", "f"}) {
        EXPECT_EQ(host::kKindMethod, leaf(method).kind) << method;
        EXPECT_EQ(std::string("net.olddb.Session.") + method, leaf(method).qualified) << method;
    }
    EXPECT_EQ(host::kKindVariable, leaf("local", 1).kind);
    EXPECT_EQ(host::kKindVariable, leaf("param", 1).kind);
    EXPECT_EQ(host::kKindOwnMember, leaf("field", 1).kind);
    EXPECT_EQ(host::kKindMember, leaf("field", 2).kind);
    EXPECT_EQ(host::kKindClass, leaf("Session", 1).kind);
}

TEST_F(JavaSourceTest, ConstantsAfterAClassAreMembersAndNestedTypesAreClasses) {
    build(
        "import net.olddb.Session;\nclass T {\n  int x = Session.DEFAULT_TIMEOUT;\n"
        "  Object y = Session.Kind.READ;\n  Object z = Session.open(\"u\");\n}\n");
    EXPECT_EQ(host::kKindClassRef, leaf("Session", 1).kind);
    EXPECT_EQ("net.olddb.Session", leaf("Session", 1).qualified);
    EXPECT_EQ(host::kKindMember, leaf("DEFAULT_TIMEOUT").kind);
    EXPECT_EQ("net.olddb.Session.DEFAULT_TIMEOUT", leaf("DEFAULT_TIMEOUT").qualified);
    EXPECT_EQ(host::kKindClassRef, leaf("Kind").kind);
    EXPECT_EQ(host::kKindMember, leaf("READ").kind);
    EXPECT_EQ("net.olddb.Session.Kind.READ", leaf("READ").qualified);
    EXPECT_EQ("net.olddb.Session.open", leaf("open").qualified);
}

TEST_F(JavaSourceTest, DottedNamesSplitIntoPackagePartsAndAClass) {
    build("class T {\n  net.olddb.Session s;\n  Object o = net.olddb.Util.make();\n}\n");
    EXPECT_EQ(host::kKindName, leaf("net").kind);
    EXPECT_EQ(host::kKindName, leaf("olddb").kind);
    EXPECT_EQ(host::kKindClassRef, leaf("Session").kind);
    EXPECT_EQ("net.olddb.Session", leaf("Session").qualified);
    EXPECT_EQ(host::kKindName, leaf("net", 1).kind);
    EXPECT_EQ(host::kKindClassRef, leaf("Util").kind);
    EXPECT_EQ("net.olddb.Util.make", leaf("make").qualified);
}

TEST_F(JavaSourceTest, OnDemandImportsResolveThroughTheTreeTheJdkAndThenTheRules) {
    types.byPackage["app"].insert("Result");
    types.qualifiedNames.insert("app.Result");
    build(
        "package app;\nimport java.util.*;\nimport net.olddb.*;\nclass T {\n"
        "  List<Session> a;\n  Result b;\n  Unknown c;\n  String d;\n}\n");
    EXPECT_EQ("java.util.List", leaf("List").qualified);
    EXPECT_EQ("net.olddb.Session", leaf("Session").qualified);
    EXPECT_EQ("app.Result", leaf("Result").qualified);
    EXPECT_EQ("net.olddb.Unknown", leaf("Unknown").qualified);
    EXPECT_EQ("java.lang.String", leaf("String").qualified);
}

TEST_F(JavaSourceTest, OnDemandImportOutsideTheRulesSuppliesNothing) {
    rules.packageKeywords = {"otherdb"};
    build("import net.olddb.*;\nclass T { Session s; }\n");
    EXPECT_EQ("Session", leaf("Session").qualified);
}

TEST_F(JavaSourceTest, UnknownReceiversAndStaticImportsAndOwnMethods) {
    build(
        "import static net.olddb.Util.connect;\nimport net.olddb.Session;\nclass T {\n"
        "  Session own() { return null; }\n  void m() {\n    connect();\n    open().run();\n"
        "    own().close();\n    helper();\n  }\n}\n");
    EXPECT_EQ("net.olddb.Util.connect", leaf("connect", 1).qualified);
    EXPECT_EQ("run", leaf("run").qualified);
    EXPECT_EQ("net.olddb.Session.close", leaf("close").qualified);
    EXPECT_EQ("T.helper", leaf("helper").qualified);
}

TEST_F(JavaSourceTest, ImportsCarryTheWholeNameOnTheirLastPart) {
    build("import net.olddb.Session;\nimport net.olddb.*;\nclass T {}\n");
    EXPECT_EQ(host::kKindName, leaf("net").kind);
    EXPECT_EQ(host::kKindClassRef, leaf("Session").kind);
    EXPECT_EQ("net.olddb.Session", leaf("Session").qualified);
    EXPECT_EQ(host::kKindClassRef, leaf("olddb", 1).kind);
    EXPECT_EQ("net.olddb", leaf("olddb", 1).qualified);
    EXPECT_EQ(host::kStmtImportDecl, steps[0].statements[0].kind);
}

TEST_F(JavaSourceTest, TheFilesOwnPackageIsNeverAPlainName) {
    // A plain name equal to a keyword would be vendor code without a rule.
    build("package com.acme.olddb;\nclass T {}\n");
    EXPECT_EQ(host::kKindOther, leaf("olddb").kind);
    EXPECT_EQ(host::kKindOther, leaf("com").kind);
}

TEST_F(JavaSourceTest, SyntaxErrorsAreReportedWithTheirLine) {
    EXPECT_FALSE(source.parse("class T {\n  void m( {\n}\n"));
    EXPECT_EQ(0u, source.reason().find("line 2: "));
}

// The grammar reads "@interfaceM" as "@interface M"; Java reads one name
// there, and the text is no Java.
TEST_F(JavaSourceTest, NamesThatTheGrammarCutsDifferentlyFromJavaAreNamed) {
    const struct {
        const char* text;
        const char* why;  // empty: every name is one token
    } cases[] = {
        {"class T {\n  public @interfaceM {}\n}\n",
         "line 2: a keyword runs into the name \"interfaceM\""},
        {"class T {\n  public @interface M {}\n  sealed interface I permits J {}\n"
         "  non-sealed class J implements I {}\n"
         "  List<List<String>> m() { return null; } // x.y\n"
         "  double d = .5 + 1e3; String s = \"@interfaceM\";\n}\n",
         ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        ASSERT_TRUE(source.parse(text)) << text;
        std::string why;
        EXPECT_EQ(*c.why == '\0', source.namesAsLexed(why)) << text;
        EXPECT_EQ(c.why, why) << text;
    }
    // The layout step holds the plug-in's tokens to the same, where they
    // stand in the restored text.
    std::string original = "class T {\n  @Old\n  public @interface M {}\n}\n";
    ASSERT_TRUE(source.parse(original));
    std::string restored;
    std::string reason;
    EXPECT_EQ(host::Restored::kFailed,
              host::restoreFile(original, source, "class T {\n@New public @interfaceM {}\n}\n",
                                restored, reason));
    EXPECT_EQ("the restored text does not parse (line 3: a keyword runs into the name "
              "\"interfaceM\")",
              reason);
}

TEST_F(JavaSourceTest, TokensKeepTheirSpacingAndCarriageReturnsLeaveComments) {
    build("class T {\r\n  int a =  1; // c\r\n\r\n  int b;\r\n}\r\n");
    EXPECT_TRUE(leaf("=").blank);
    EXPECT_FALSE(leaf("=").newLine);
    EXPECT_TRUE(leaf("int", 1).newLine);
    EXPECT_TRUE(leaf("int", 1).blankLine);
    EXPECT_FALSE(leaf("int").blankLine);
    EXPECT_EQ("// c", leaf("// c").text);
    EXPECT_TRUE(leaf("{").bracket);
}

TEST_F(JavaSourceTest, EveryJavaLineEndEndsALineComment) {
    struct LineEnd {
        const char* name;
        const char* text;
        int callLine;
    };
    const LineEnd lineEnds[] = {
        {"LF", "\n", 2},           {"CR LF", "\r\n", 2}, {"lone CR", "\r", 2},
        {"CR CR LF", "\r\r\n", 3}, {"LF CR", "\n\r", 3},
    };
    for (const LineEnd& end : lineEnds) {
        SCOPED_TRACE(end.name);
        build(std::string("class T { void m() { // c") + end.text + "g(); } }");
        EXPECT_EQ("// c", leaf("// c").text);
        EXPECT_FALSE(leaf("g").comment);
        EXPECT_EQ(host::kKindMethod, leaf("g").kind);
        EXPECT_EQ(end.callLine, leaf("g").line);
    }
}

// Every field of the grammar is found by its name, and nothing else is.
TEST(SyntaxNodesTest, EveryFieldIsFoundByItsName) {
    const TSLanguage* language = tree_sitter_java();
    uint32_t count = ts_language_field_count(language);
    ASSERT_GT(count, 30u);
    for (uint32_t id = 1; id <= count; ++id) {
        const char* name = ts_language_field_name_for_id(language, static_cast<TSFieldId>(id));
        EXPECT_EQ(id, host::fieldIdOf(name)) << name;
        EXPECT_EQ(0, host::fieldIdOf(std::string(name) + "?")) << name;
    }
    EXPECT_EQ(0, host::fieldIdOf(""));
}

// Every node of a parse as "symbol start end", in order.
std::string shapeOf(const JavaSource& parsed) {
    std::string shape;
    TSTreeCursor cursor = ts_tree_cursor_new(parsed.root());
    for (bool walking = true; walking;) {
        TSNode node = ts_tree_cursor_current_node(&cursor);
        shape += std::string(ts_node_type(node)) + " " + std::to_string(ts_node_start_byte(node)) +
                 " " + std::to_string(ts_node_end_byte(node)) + "\n";
        if (ts_tree_cursor_goto_first_child(&cursor)) continue;
        while (walking && !ts_tree_cursor_goto_next_sibling(&cursor))
            walking = ts_tree_cursor_goto_parent(&cursor);
    }
    ts_tree_cursor_delete(&cursor);
    return shape;
}

// Parses from the memory of a file's scope are the parses without it: with
// a scope inside (a file read for its members), an edited parse that shares
// the first one's tree, and blocks freed and handed out again; and so are
// those of the next scope, from the same chunks.
TEST(TreeMemoryTest, ParsesAreTheSameFromAScopesMemory) {
    std::string text = "class T {\n";
    for (int i = 0; i < 3000; ++i)
        text += "  int f" + std::to_string(i) + "(int a) { return g(a, new int[] {" +
                std::to_string(i) + "}) + (a > 1 ? h(a - 1) : 0); }\n";
    text += "}\n";
    // The first call's g becomes gg: the same bytes in both texts, one more.
    unsigned at = static_cast<unsigned>(text.find("g(a"));
    std::string edited = text;
    edited.replace(at, 1, "gg");
    std::vector<host::TextEdit> edits = {{at, at + 1, at, at + 2}};
    const std::string small = "class U { int x; }";
    JavaSource plain, plainEdited, plainSmall;
    ASSERT_TRUE(plain.parse(text));
    ASSERT_TRUE(plainEdited.parse(edited));
    ASSERT_TRUE(plainSmall.parse(small));
    for (int scope = 0; scope < 2; ++scope) {
        host::TreeMemoryScope memory;
        JavaSource source, restored;
        ASSERT_TRUE(source.parse(text));
        {
            host::TreeMemoryScope inner;
            JavaSource members;
            ASSERT_TRUE(members.parse(small));
            EXPECT_EQ(shapeOf(plainSmall), shapeOf(members));
        }
        ASSERT_TRUE(restored.parseEdited(source, edited, edits));
        EXPECT_EQ(shapeOf(plain), shapeOf(source));
        EXPECT_EQ(shapeOf(plainEdited), shapeOf(restored));
    }
}

}  // namespace
}  // namespace hosttest

namespace hosttest {
namespace {

// One name of a small file and what resolution makes of it: its kind, its
// qualified name, and the kind it stands for when left unresolved (0 when
// resolved). In exact mode, the compiler's record of the name: its kind
// letter and owner (and a name other than the text), as the helper writes
// them.
struct NameCase {
    const char* what;
    const char* source;
    const char* text;
    int occurrence;
    int kind;
    const char* qualified;
    int unresolved;
    const char* record = nullptr;
};

void PrintTo(const NameCase& named, std::ostream* out) {
    *out << named.what;
}

class NameResolutionTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameResolutionTest, ResolvesTheName) {
    const NameCase& named = GetParam();
    host::JavaSource source;
    host::TreeTypes types;
    host::RuleFacts rules{{"olddb"}, {}, {}};
    ASSERT_TRUE(source.parse(named.source)) << source.reason();
    host::resolveNames(source, types, rules);
    int left = named.occurrence;
    const host::Leaf* found = nullptr;
    for (const host::Leaf& leaf : source.leaves()) {
        if (leaf.text == named.text && left-- == 0) found = &leaf;
    }
    ASSERT_NE(nullptr, found) << named.text;
    if (named.record != nullptr) {
        std::string record = named.record;
        size_t tab = record.find('\t', 2);
        std::string line = record.substr(0, 1) + "\t" + std::to_string(found->startByte) + "\t" +
                           std::to_string(found->endByte) + "\t" + record.substr(2, tab - 2) +
                           "\t" + (tab == std::string::npos ? found->text : record.substr(tab + 1));
        std::vector<host::NameRecord> records(1);
        ASSERT_TRUE(host::parseNameRecord(line, records[0])) << line;
        size_t index = static_cast<size_t>(found - source.leaves().data());
        host::resolveNames(source, types, rules, &records);
        found = &source.leaves()[index];
    }
    EXPECT_EQ(named.kind, found->kind);
    EXPECT_EQ(named.qualified, found->qualified);
    EXPECT_EQ(named.unresolved, found->unresolved);
}

const NameCase kNameCases[] = {
    // TypeResolver: a package part is no class of a vendor package imported
    // on demand; a capitalised name is.
    {"PackageBesideOnDemandImport",
     "import net.olddb.*;\nclass T { void m() { net.olddb.Tools.shutdown(); } }\n", "shutdown", 0,
     host::kKindMethod, "net.olddb.Tools.shutdown", 0},
    {"ClassFromOnDemandImport", "import net.olddb.*;\nclass T { Session s; }\n", "Session", 0,
     host::kKindClass, "net.olddb.Session", 0},
    // A static on-demand import imports members, not types.
    {"NoTypeFromStaticOnDemandImport",
     "import static net.olddb.OldTypes.*;\nclass T { void m(Codec c) { c.encode(); } }\n", "encode",
     0, host::kKindMethod, "encode", host::kKindMethod},
    // MemberLookup: static on-demand imports after the enclosing classes.
    {"BareCallFromStaticOnDemandImport",
     "import static net.olddb.Tools.*;\nclass T { void m() { shutdown(); } }\n", "shutdown", 0,
     host::kKindMethod, "net.olddb.Tools.shutdown", 0},
    {"OwnMethodBeforeStaticOnDemandImport",
     "import static net.olddb.Tools.*;\nclass T { void m() { shutdown(); } void shutdown() {} }\n",
     "shutdown", 0, host::kKindMethod, "T.shutdown", 0},
    {"BareConstantFromStaticOnDemandImport",
     "import static net.olddb.OldTypes.*;\nclass T { int k = VARCHAR2; }\n", "VARCHAR2", 0,
     host::kKindOwnMember, "net.olddb.OldTypes.VARCHAR2", 0},
    {"VendorSuperclassAndStaticImportIsUnknown",
     "import static net.olddb.Tools.*;\nimport net.olddb.Base;\n"
     "class T extends Base { void m() { shutdown(); } }\n",
     "shutdown", 0, host::kKindMethod, "shutdown", host::kKindMethod},
    // The JDK declares some members of vendor classes.
    {"ObjectMethodOnVendorType",
     "import net.olddb.Session;\nclass T { String m(Session s) { return s.toString(); } }\n",
     "toString", 0, host::kKindMethod, "java.lang.Object.toString", 0},
    {"ThrowableMethodOnCaughtVendorType",
     "import net.olddb.OldError;\n"
     "class T { void m() { try { n(); } catch (OldError e) { e.getMessage(); } } void n() {} }\n",
     "getMessage", 0, host::kKindMethod, "java.lang.Throwable.getMessage", 0},
    {"ThrowableMethodOnVendorTypeNotCaught",
     "import net.olddb.OldError;\nclass T { void m(OldError e) { e.getMessage(); } }\n",
     "getMessage", 0, host::kKindMethod, "net.olddb.OldError.getMessage", 0},
    {"IterableMethodOnIteratedVendorType",
     "import net.olddb.Batch;\n"
     "class T { void m(Batch b) { for (String s : b) {} b.iterator(); } }\n",
     "iterator", 0, host::kKindMethod, "java.lang.Iterable.iterator", 0},
    // ExpressionTypes: a value of a type nothing resolves has no owner.
    {"MemberOfUnresolvedType", "class T { void m(Codec c) { c.encode(); } }\n", "encode", 0,
     host::kKindMethod, "encode", host::kKindMethod},
    // Classifier: an annotation's element is a method of its type.
    {"AnnotationElement", "import net.olddb.Audited;\n@Audited(level = 2)\nclass T {}\n", "level",
     0, host::kKindMethod, "net.olddb.Audited.level", 0},
    {"QualifiedAnnotationElement", "@net.olddb.Audited(level = 2)\nclass T {}\n", "level", 0,
     host::kKindMethod, "net.olddb.Audited.level", 0},
    // ExactNames: the compiler's records, with the host's kinds.
    {"ExactChainedCall",
     "import net.olddb.Session;\nclass T { String m(Session s) { return s.run(\"q\").text(1); } "
     "}\n",
     "text", 0, host::kKindMethod, "net.olddb.Result.text", 0, "M\tnet.olddb.Result"},
    {"ExactRecordOfAnotherNameIsLeftOut",
     "import net.olddb.Session;\nclass T { String m(Session s) { return s.run(\"q\").text(1); } "
     "}\n",
     "text", 0, host::kKindMethod, "text", host::kKindMethod, "M\tnet.olddb.Result\ttexts"},
    {"ExactUnresolvedKeepsTheHostsAnswer", "class T { void m(Codec c) { c.encode(); } }\n",
     "encode", 0, host::kKindMethod, "encode", host::kKindMethod, "U\t-"},
    {"ExactVendorClassStandingAlone", "class T { Session s; }\n", "Session", 0, host::kKindClass,
     "net.olddb.Session", 0, "C\tnet.olddb"},
    {"ExactOtherClassStandingAloneIsAReference", "class T { Session s; }\n", "Session", 0,
     host::kKindClassRef, "corpus.own.Session", 0, "C\tcorpus.own"},
    {"ExactFieldWithoutReceiver", "class T { int m() { return limit; } }\n", "limit", 0,
     host::kKindOwnMember, "net.olddb.Base.limit", 0, "F\tnet.olddb.Base"},
    {"ExactFieldAfterReceiver", "class T { int m(Codec c) { return c.limit; } }\n", "limit", 0,
     host::kKindMember, "net.olddb.Codec.limit", 0, "F\tnet.olddb.Codec"},
    {"ExactArrayLengthIsTheLanguages", "class T { int m(Session[] a) { return a.length; } }\n",
     "length", 0, host::kKindMember, "length", 0, "F\tnet.olddb.Session[]"},
    {"ExactLocalIsAVariable", "class T { int limit; int m() { return limit; } }\n", "limit", 1,
     host::kKindVariable, "limit", 0, "L\t-"},
    {"ExactOverrideWithoutAnnotation",
     "import net.olddb.*;\nclass T extends Session { public Result run(String q) { return null; } "
     "}\n",
     "run", 0, host::kKindMethod, "net.olddb.Session.run", 0, "O\tnet.olddb.Session"},
    {"ExactMethodThatOverridesNothing",
     "import net.olddb.*;\nclass T extends Session { public Result run(Object q) { return null; } "
     "}\n",
     "run", 0, host::kKindDeclared, "run", 0, "D\tT"},
    {"ExactObjectsMethodStaysDeclared", "class T { public String toString() { return \"\"; } }\n",
     "toString", 0, host::kKindDeclared, "toString", 0, "O\tjava.lang.Object"},
    {"ExactUseRecordOnADeclarationIsLeftOut", "class T { void limit() {} }\n", "limit", 0,
     host::kKindDeclared, "limit", 0, "F\tT"},
};

INSTANTIATE_TEST_SUITE_P(Names, NameResolutionTest, ::testing::ValuesIn(kNameCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             return std::string(info.param.what);
                         });

// The types a file's bytes declare, as the parse names them: what the
// lexer must not take for a declaration (a class literal, a record that is
// a name, words in comments and literals) and what it must nest.
struct LightCase {
    const char* what;
    const char* text;
    const char* package;
    std::vector<std::string> types;
};

const LightCase kLightCases[] = {
    {"NestedLocalAndAnonymous",
     "package a.b;\nclass A { interface I {} void m() { class L {} new Object() { class N {} }; } }\n"
     "enum E { X { void f() {} }; record R(int r) { } }\n",
     "a.b", {"A", "A.I", "A.L", "A.N", "E", "E.R"}},
    {"NotDeclarations",
     "package p; /* class C1 { */ class A { // class C2\n"
     "  String s = \"class C3 {\"; char c = '{'; String t = \"\"\"\n class C4 { \\\"\"\" }\n\"\"\";\n"
     "  Class<?> k = A.class; Object record = null; void record(int x) { record = x; }\n"
     "  @interface Tag { int[] v() default {1}; } }\n",
     "p", {"A", "A.Tag"}},
    {"HeadersWithBracesInAnnotations",
     "@Ann({1, 2}) class A<T extends Comparable<T>> extends @Ann({3}) B implements C { class D {} }\n"
     "sealed interface S permits A {} record P<T>(T t) implements S { static class Q {} }\n",
     "", {"A", "A.D", "S", "P", "P.Q"}},
};

void PrintTo(const LightCase& lightCase, std::ostream* out) {
    *out << lightCase.what;
}

class LightScanTest : public ::testing::TestWithParam<LightCase> {};

TEST_P(LightScanTest, FindsTheDeclaredTypes) {
    host::LightScan scan = host::lightScan(GetParam().text);
    EXPECT_EQ(GetParam().package, scan.package);
    EXPECT_EQ(GetParam().types, scan.types);
    // Its tokens counted as the layout step's lexer counts them, comments too.
    EXPECT_EQ(host::lexedTokenCount(GetParam().text), scan.lexedTokens);
    // And as the parse does.
    JavaSource source;
    ASSERT_TRUE(source.parse(GetParam().text)) << source.reason();
    host::TreeTypes declared;
    host::collectDeclarations(source, declared, host::RuleFacts{});
    std::set<std::string> types;
    for (const std::string& type : scan.types)
        types.insert(scan.package.empty() ? type : scan.package + "." + type);
    EXPECT_EQ(declared.qualifiedNames, types);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LightScanTest, ::testing::ValuesIn(kLightCases),
                         [](const ::testing::TestParamInfo<LightCase>& info) {
                             return std::string(info.param.what);
                         });

// An operator of more than one character is one token, the longest that
// fits; ">" always stands alone.
TEST(LightScanTest, OperatorsAreTheLongestThatFit) {
    const std::pair<const char*, const char*> cases[] = {
        {"a<<=b<<c<=d<e", "a <<= b << c <= d < e"},
        {"a>>=b>=c", "a > > = b > = c"},
        {"a...b.c", "a ... b . c"},
        {"a==b!=c=!d", "a == b != c = ! d"},
        {"a&&b&=c&d||e|=f|g", "a && b &= c & d || e |= f | g"},
        {"a++b+=c+d--e->f-=g-h", "a ++ b += c + d -- e -> f -= g - h"},
        {"a::b:c*=d*e/=f/g%=h%i^=j^k-", "a :: b : c *= d * e /= f / g %= h % i ^= j ^ k -"},
    };
    for (const auto& [text, tokens] : cases) {
        std::string cut;
        host::forEachLexedToken(text, [&](const host::TextToken& token) {
            cut += (cut.empty() ? "" : " ") + std::string(token.text);
        });
        EXPECT_EQ(tokens, cut) << text;
    }
}

// The declarations' text keeps every token outside the bodies as it is
// (a shift stays one, a comment in a string stays), and makes what lies
// between two tokens one blank, or one line break where it held one.
TEST(LightScanTest, TheDeclarationsTextKeepsTheTokensOutsideTheBodies) {
    const std::pair<std::string, std::string> cases[] = {
        {"class A { int x = 1 >> 2; /* c */ String s = \"/*\";\n\n  void f() { g(); } // e\n"
         "  int[] y = {1}; char q = '\\''; }\n",
         "class A { int x = 1 >> 2; String s = \"/*\";\nvoid f() { }\nint[] y = { }; char q = "
         "'\\''; }"},
        {"class B{void f(){}}/**/class C{String t = \"\"\"\n  a\n  \"\"\";}",
         "class B{void f(){}} class C{String t = \"\"\"\n  a\n  \"\"\";}"},
        // Braces that do not close: the text as it is.
        {"class D { void f() {", "class D { void f() {"},
    };
    for (const auto& [text, declarations] : cases)
        EXPECT_EQ(declarations, host::withoutBodies(text, host::lightScan(text))) << text;
}

// The members text leaves out the imports in their plainest form, for a
// list in order, named as that text would write them; the throws clauses
// but one of more than names; and the modifiers but static and default.
// It marks where its type declarations and throws clauses start.
TEST(LightScanTest, TheMembersTextLeavesOutImportsThrowsAndModifiers) {
    std::string text =
        "package p;\nimport a.B;\nimport static a.C.d;\nimport a.b.*;\nimport static a.D.*;\n"
        "import a . /* c */\n E;\nimport a.record.F;\nimport a.;\n"
        "public class G { private static final int x; void f() throws A, b.C { } void g() "
        "throws @Q E; enum H {} }\n";
    host::MembersText members = host::membersText(text, host::lightScan(text));
    EXPECT_EQ("package p;\nimport a.record.F;\nimport a.;\nclass G { static int x; void f() { } "
              "void g() throws @Q E; enum H {} }",
              members.text);
    std::string listed;
    for (const host::LightImport& import : members.imports)
        listed += import.name + (import.isStatic ? " static" : "") +
                  (import.onDemand ? " *" : "") + ";";
    EXPECT_EQ("a.B;a.C.d static;a.b *;a.D static *;a .\nE;", listed);
    std::string marked;
    for (unsigned mark : members.typeMarks)
        marked += members.text.substr(mark, members.text.find_first_of(" .", mark) - mark) + ";";
    EXPECT_EQ("record;class;throws;enum;", marked);
}

}  // namespace
}  // namespace hosttest
