// The bundled example: converting examples/jdbc-migration/src with its
// config.xml gives the golden tree in expected/ (in the source's layout;
// expected-plugin-layout/ with --layout plugin), which compiles against
// the new vendor's stubs as the source compiles against the old one's.
#include <gtest/gtest.h>

#include <filesystem>

#include "HostTestSupport.h"

namespace hosttest {
namespace {

namespace fs = std::filesystem;

const std::string kSource = NIDUS_EXAMPLE_DIR "/src";
const std::string kExpected = NIDUS_EXAMPLE_DIR "/expected";
const std::string kExpectedPluginLayout = NIDUS_EXAMPLE_DIR "/expected-plugin-layout";
const std::string kRules = NIDUS_EXAMPLE_DIR "/config.xml";

std::vector<std::string> javaFiles(const std::string& root) {
    std::vector<std::string> files;
    for (const std::string& rel : listTree(root)) {
        if (fs::path(rel).extension() == ".java") files.push_back(root + "/" + rel);
    }
    return files;
}

class ExampleTest : public ::testing::Test {
protected:
    static std::string output;
    static CommandResult result;

    static void SetUpTestSuite() {
        output = makeTempDir() + "/out";
        result = convert("", output);
    }
    static CommandResult convert(const std::string& options, const std::string& into) {
        return runCommand(std::string(NIDUS_CONVERT) + " " + options + " --rules " +
                          quote(kRules) + " -o " + quote(into) + " " + quote(kSource));
    }
    static void expectSameTree(const std::string& expectedDir, const std::string& outputDir) {
        std::vector<std::string> expected = listTree(expectedDir);
        ASSERT_EQ(expected, listTree(outputDir));
        for (const std::string& rel : expected)
            EXPECT_EQ(readFile(expectedDir + "/" + rel), readFile(outputDir + "/" + rel)) << rel;
    }
};

std::string ExampleTest::output;
CommandResult ExampleTest::result;

TEST_F(ExampleTest, ConvertsWithoutFailures) {
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("5 converted, 2 copied unchanged, 0 failed"))
        << result.output;
}

TEST_F(ExampleTest, OutputIsTheGoldenTreeByteForByte) {
    expectSameTree(kExpected, output);
}

TEST_F(ExampleTest, ConvertedFilesKeepTheSourcesLayout) {
    for (const std::string& rel : listTree(kSource))
        EXPECT_EQ(std::vector<std::string>(),
                  layoutFaults(readFile(kSource + "/" + rel), readFile(output + "/" + rel)))
            << rel;
}

TEST_F(ExampleTest, ThePluginsOwnLayoutIsItsGoldenTree) {
    std::string plugin = makeTempDir() + "/out";
    CommandResult run = convert("--layout plugin", plugin);
    EXPECT_EQ(0, run.exitCode) << run.output;
    expectSameTree(kExpectedPluginLayout, plugin);
    // The layout check above tells the two layouts apart.
    std::string rel = "/com/example/inventory/db/Database.java";
    EXPECT_NE(std::vector<std::string>(),
              layoutFaults(readFile(kSource + rel), readFile(plugin + rel)));
}

TEST_F(ExampleTest, SourceCompilesAgainstTheOldVendor) {
    if (!haveJavac()) GTEST_SKIP() << "no javac";
    EXPECT_EQ("", compileJava(javaFiles(kSource), NIDUS_STUBS_DIR "/olddb"));
}

TEST_F(ExampleTest, ConvertedTreeCompilesAgainstTheNewVendor) {
    if (!haveJavac()) GTEST_SKIP() << "no javac";
    EXPECT_EQ("", compileJava(javaFiles(output), NIDUS_STUBS_DIR "/newdb"));
}

TEST(ExampleDefaultOutputTest, WritesIntoConvertAndLeavesTheSourcesAlone) {
    std::string copy = makeTempDir() + "/src";
    fs::copy(kSource, copy, fs::copy_options::recursive);
    CommandResult run =
        runCommand(std::string(NIDUS_CONVERT) + " --rules " + quote(kRules) + " " + quote(copy));
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("output: " + copy + "/Convert/")) << run.output;
    std::vector<std::string> after;
    for (const std::string& rel : listTree(copy)) {
        if (rel.rfind("Convert/", 0) != 0) after.push_back(rel);
    }
    ASSERT_EQ(listTree(kSource), after);
    for (const std::string& rel : after)
        EXPECT_EQ(readFile(kSource + "/" + rel), readFile(copy + "/" + rel)) << rel;
    EXPECT_EQ(listTree(kExpected), listTree(copy + "/Convert"));

    // A second run does not convert its own output.
    CommandResult again =
        runCommand(std::string(NIDUS_CONVERT) + " --rules " + quote(kRules) + " " + quote(copy));
    EXPECT_NE(std::string::npos, again.output.find("nidus-convert: 7 files")) << again.output;
}

// The namespace move of examples/servlet-move: --map and --init-rules
// without a rule file write rules with which one run is clean, and its
// output compiles against the new API's stubs.
TEST(ServletMoveExampleTest, MapAndInitRulesGiveACleanRunInOne) {
    const std::string source = NIDUS_EXAMPLE_DIR "/../servlet-move/src";
    std::string root = makeTempDir();
    std::string rules = root + "/rules.xml";
    CommandResult draft = runCommand(std::string(NIDUS_CONVERT) +
                                     " --map javax.servlet=jakarta.servlet --dry-run --init-rules " +
                                     quote(rules) + " " + quote(source));
    EXPECT_EQ(1, draft.exitCode) << draft.output;
    std::string written = readFile(rules);
    for (const char* rule :
         {"<Key kind=\"package\" code=\"javax.servlet\"/>",
          "<item code=\"javax.servlet.http.HttpServlet\"><change "
          "code=\"jakarta.servlet.http.HttpServlet\"/></item>",
          "<class src=\"HttpServletResponse\" to=\"HttpServletResponse\"/>",
          "<word src=\"javax.servlet.include.request_uri\" "
          "to=\"jakarta.servlet.include.request_uri\"/>",
          "<word src=\"javax.servlet.http.HttpServlet\" to=\"jakarta.servlet.http.HttpServlet\"/>",
          "<word src=\"javax.servlet.\" to=\"jakarta.servlet.\"/>"})
        EXPECT_NE(std::string::npos, written.find(rule)) << rule << "\n" << written;

    std::string output = root + "/out";
    CommandResult run = runCommand(std::string(NIDUS_CONVERT) + " --rules " + quote(rules) +
                                   " -o " + quote(output) + " " + quote(source) + " 2>&1");
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("3 converted, 1 copied unchanged, 0 failed"))
        << run.output;
    for (const char* noise : {"to check", "warning", "never fired", "have no rule"})
        EXPECT_EQ(std::string::npos, run.output.find(noise)) << noise << "\n" << run.output;
    for (const std::string& file : javaFiles(output))
        EXPECT_EQ(std::string::npos, readFile(file).find("javax.servlet")) << file;
    if (!haveJavac()) GTEST_SKIP() << "no javac";
    EXPECT_EQ("", compileJava(javaFiles(source), NIDUS_STUBS_DIR "/javax"));
    EXPECT_EQ("", compileJava(javaFiles(output), NIDUS_STUBS_DIR "/jakarta"));
}

}  // namespace
}  // namespace hosttest
