// Deeply nested input: a file that nests deeper than the host's guard fails
// to parse with its line, a file at the guard parses and builds, and
// neither crashes the host nor the run; a lone CR ends a line comment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "HostTestSupport.h"
#include "names/NameResolution.h"
#include "plugin/StatementLayout.h"
#include "syntax/JavaSource.h"

namespace hosttest {
namespace {

using host::JavaSource;

constexpr int kGuard = static_cast<int>(JavaSource::kMaxNesting);

constexpr char kRules[] =
    "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
    "<Imports><item code=\"net.olddb.Session\"><change "
    "code=\"org.newdb.Handle\"/></item></Imports>\n"
    "<Classes><class src=\"Session\" to=\"Handle\"/></Classes>\n"
    "<Methods><method src=\"run\" to=\"execute\"/></Methods>\n";

std::string repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

// The generated statement starts on line 3, one nesting level a line. The
// method body is the tree's fifth level (program, class, class body,
// method, body).
std::string inMethod(const std::string& statement) {
    return "class Deep {\n    void f() {\n" + statement + "\n    }\n}\n";
}

// terms - 1 binary expressions below the declarator (level 7); the first
// term's quote lies 8 levels below the last of them. All start on line 3.
std::string concatenation(int terms) {
    return inMethod("String s = \"a\"\n" + repeat("+ \"a\"\n", terms - 1) + ";");
}

// Block k lies at level 5 + k, its "{" (on line 2 + k) one deeper.
std::string blocks(int count) {
    return inMethod(repeat("{\n", count) + repeat("}\n", count));
}

// Parenthesis k lies at level 7 + k, its "(" (on line 3 + k) one deeper.
std::string parentheses(int count) {
    return inMethod("int x =\n" + repeat("(\n", count) + "1\n" + repeat(")\n", count) + ";");
}

// Lambda k lies at level 7 + k, the "(" of its parameters (on line 3 + k)
// two deeper.
std::string lambdas(int count) {
    return inMethod("Runnable r =\n" + repeat("() ->\n", count) + "null;");
}

// Call k lies at level 5 + 2k, the "(" of its arguments (on line 2 + k)
// two deeper.
std::string calls(int count) {
    return inMethod(repeat("f(\n", count) + "1\n" + repeat(")\n", count) + ";");
}

struct DeepCase {
    const char* name;
    std::string text;
    std::string reason;  // empty when it parses
    int deepestLevel;    // of the statements laid out, when it parses
};

std::vector<DeepCase> deepCases() {
    return {
        {"100,000 terms", concatenation(100000), "nested too deeply at line 3", 0},
        {"10,000 blocks", blocks(10000), "nested too deeply at line " + std::to_string(kGuard - 3),
         0},
        {"10,000 parentheses", parentheses(10000),
         "nested too deeply at line " + std::to_string(kGuard - 4), 0},
        {"10,000 lambdas", lambdas(10000),
         "nested too deeply at line " + std::to_string(kGuard - 5), 0},
        {"10,000 calls", calls(10000),
         "nested too deeply at line " + std::to_string((kGuard - 2) / 2), 0},
        // Exactly as deep as the guard allows (the calls one level less).
        {"terms at the guard", concatenation(kGuard - 8), "", 1},
        {"blocks at the guard", blocks(kGuard - 6), "", kGuard - 6},
        {"parentheses at the guard", parentheses(kGuard - 8), "", 1},
        {"lambdas at the guard", lambdas(kGuard - 9), "", 1},
        {"calls below the guard", calls((kGuard - 8) / 2), "", 1},
        // One more level than the guard allows.
        {"blocks over the guard", blocks(kGuard - 5),
         "nested too deeply at line " + std::to_string(kGuard - 3), 0},
        {"terms over the guard", concatenation(kGuard - 7), "nested too deeply at line 3", 0},
    };
}

std::string withoutBlanks(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (!isspace(static_cast<unsigned char>(c))) result += c;
    }
    return result;
}

int deepestLevel(const std::vector<host::Step>& steps) {
    int deepest = 0;
    for (const host::Step& step : steps) {
        for (const host::Statement& statement : step.statements)
            deepest = std::max(deepest, statement.level);
    }
    return deepest;
}

TEST(DeepInputTest, TooDeepFilesFailWithTheirLineAndFilesAtTheGuardBuild) {
    for (const DeepCase& deep : deepCases()) {
        SCOPED_TRACE(deep.name);
        JavaSource source;
        host::TreeTypes types;
        host::RuleFacts rules{{"olddb"}, {}, {"run"}};
        bool parsed = source.parse(deep.text);
        EXPECT_EQ(deep.reason.empty(), parsed);
        EXPECT_EQ(deep.reason, source.reason());
        EXPECT_EQ(!deep.reason.empty(), source.tooDeep());
        host::collectDeclarations(source, types, rules);
        host::resolveDeferredTypes(types, rules);
        host::resolveNames(source, types, rules);
        std::vector<host::Step> steps = host::layOutSteps(source);
        if (!parsed) {
            EXPECT_TRUE(types.qualifiedNames.empty());
            EXPECT_TRUE(source.leaves().empty());
            continue;
        }
        EXPECT_EQ(1u, types.qualifiedNames.count("Deep"));
        std::string leaves;
        for (const host::Leaf& leaf : source.leaves()) leaves += leaf.text;
        EXPECT_EQ(withoutBlanks(deep.text), leaves);
        EXPECT_EQ(deep.deepestLevel, deepestLevel(steps));
    }
}

TEST(DeepInputTest, SyntaxErrorsInDeepFilesAreNoNestingFailure) {
    JavaSource source;
    EXPECT_FALSE(source.parse(inMethod(repeat("{\n", 10000) + repeat("}\n", 9999))));
    EXPECT_FALSE(source.tooDeep());
    EXPECT_EQ(0u, source.reason().find("line ")) << source.reason();
    EXPECT_EQ(std::string::npos, source.reason().find("nested")) << source.reason();
}

// Runs nidus-convert with kRules over the files (name, text) of package a.
CommandResult convertFiles(const std::string& root,
                           const std::vector<std::pair<std::string, std::string>>& files) {
    writeFile(root + "/rules.xml", kRules);
    for (const auto& file : files) writeFile(root + "/src/a/" + file.first, file.second);
    return runCommand(std::string(NIDUS_CONVERT) + " --answer yes --rules " +
                      quote(root + "/rules.xml") + " -o " + quote(root + "/out") + " " +
                      quote(root + "/src"));
}

std::string vendorFile(const std::string& name, const std::string& body) {
    return "package a;\n\nimport net.olddb.Session;\n\nclass " + name +
           " {\n    void f(Session s) {\n" + body + "\n    }\n}\n";
}

TEST(DeepInputTest, ARunWithATooDeepFileConvertsTheOthersAndCopiesItUnchanged) {
    std::string root = makeTempDir();
    std::string deep = vendorFile("Deep", "s.run(\"x\");\n" + blocks(10000));
    CommandResult result = convertFiles(
        root, {{"Deep.java", deep}, {"A.java", vendorFile("A", "        s.run(\"x\");")}});
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find(root + "/src/a/Deep.java:5000: nested too deeply at line 5000; copied "
                                        "unchanged\n"))
        << result.output;
    EXPECT_EQ(deep, readFile(root + "/out/a/Deep.java"));
    std::string converted = readFile(root + "/out/a/A.java");
    EXPECT_NE(std::string::npos, converted.find("s.execute(\"x\");")) << converted;
    EXPECT_EQ((std::vector<std::string>{"a/A.java", "a/Deep.java"}), listTree(root + "/out"));
}

TEST(DeepInputTest, ACallAfterALoneCarriageReturnEndingALineCommentIsConverted) {
    std::string root = makeTempDir();
    CommandResult result =
        convertFiles(root, {{"A.java", vendorFile("A", "        // c\rs.run(\"x\");")}});
    EXPECT_EQ(0, result.exitCode) << result.output;
    std::string converted = readFile(root + "/out/a/A.java");
    EXPECT_NE(std::string::npos, converted.find("s.execute(\"x\");")) << converted;
    EXPECT_EQ(std::string::npos, converted.find("run")) << converted;
}

}  // namespace
}  // namespace hosttest
