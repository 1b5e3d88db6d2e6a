// The bundled example: converting examples/jdbc-migration/src with its
// config.xml gives the golden tree in expected/, which compiles against
// the new vendor's stubs as the source compiles against the old one's.
#include <gtest/gtest.h>

#include <filesystem>

#include "HostTestSupport.h"

namespace hosttest {
namespace {

namespace fs = std::filesystem;

const std::string kSource = NIDUS_EXAMPLE_DIR "/src";
const std::string kExpected = NIDUS_EXAMPLE_DIR "/expected";
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
        result = runCommand(std::string(NIDUS_CONVERT) + " --rules " + quote(kRules) + " -o " +
                            quote(output) + " " + quote(kSource));
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
    std::vector<std::string> expected = listTree(kExpected);
    ASSERT_EQ(expected, listTree(output));
    for (const std::string& rel : expected)
        EXPECT_EQ(readFile(kExpected + "/" + rel), readFile(output + "/" + rel)) << rel;
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

}  // namespace
}  // namespace hosttest
