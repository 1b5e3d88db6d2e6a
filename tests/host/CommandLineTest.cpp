// nidus-convert's command line: usage errors with their one-line reasons
// and exit code 2, failed files kept unchanged and listed with exit code 1,
// the plug-in's questions and messages.
#include <gtest/gtest.h>

#include <algorithm>

#include "HostTestSupport.h"

namespace hosttest {
namespace {

constexpr char kRules[] =
    "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
    "<Imports><item code=\"net.olddb.Session\"><change "
    "code=\"org.newdb.Handle\"/></item></Imports>\n"
    "<Classes><class src=\"Session\" to=\"Handle\"/></Classes>\n"
    "<Methods><method src=\"run\" to=\"execute\"/></Methods>\n";

constexpr char kConverts[] =
    "package a;\n\nimport net.olddb.Session;\n\nclass A {\n    void f(Session s) {\n"
    "        s.run(\"x\");\n    }\n}\n";

// A method of the vendor's that no rule names: the plug-in refuses it.
constexpr char kUnconfigured[] =
    "package a;\n\nimport net.olddb.Session;\n\nclass B {\n    void f(Session s) {\n"
    "        s.flush();\n    }\n}\n";

// A driver class that no class rule names, in a forName call.
constexpr char kDriver[] =
    "package a;\n\nclass C {\n    void f() throws Exception {\n"
    "        Class.forName(\"net.olddb.jdbc.Driver\");\n    }\n}\n";

class CommandLineTest : public ::testing::Test {
protected:
    std::string root = makeTempDir();
    std::string source = root + "/src";
    std::string output = root + "/out";
    std::string rules = root + "/rules.xml";

    void SetUp() override { writeFile(rules, kRules); }

    CommandResult convert(const std::string& options) {
        return runCommand(std::string(NIDUS_CONVERT) + " " + options);
    }
    CommandResult convertTree(const std::string& options = "--answer yes") {
        return convert(options + " --rules " + quote(rules) + " -o " + quote(output) + " " +
                       quote(source));
    }
    static int lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(CommandLineTest, MissingSourceDirectoryIsAUsageError) {
    CommandResult result = convert("--rules " + quote(rules) + " " + quote(root + "/nowhere"));
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ("nidus-convert: source directory not found: " + root + "/nowhere\n", result.output);
}

TEST_F(CommandLineTest, RuleFileThatIsNotXmlIsAUsageError) {
    writeFile(source + "/A.java", kConverts);
    writeFile(rules, "<KeyWords><Key kind=\"package\" code=\"olddb\"/>");
    CommandResult result = convertTree();
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ(1, lines(result.output)) << result.output;
    EXPECT_EQ(0u, result.output.find("nidus-convert: cannot read the rule file " + rules));
    EXPECT_TRUE(listTree(output).empty());
}

TEST_F(CommandLineTest, MissingRuleFileAndRulesWithoutKeywordsAreUsageErrors) {
    writeFile(source + "/A.java", kConverts);
    CommandResult missing = convert("--rules " + quote(root + "/none.xml") + " " + quote(source));
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ("nidus-convert: rule file not found: " + root + "/none.xml\n", missing.output);

    writeFile(rules, "<Classes><class src=\"A\" to=\"B\"/></Classes>");
    CommandResult empty = convertTree();
    EXPECT_EQ(2, empty.exitCode);
    EXPECT_EQ(1, lines(empty.output)) << empty.output;
}

TEST_F(CommandLineTest, RulesThePluginCannotLoadAreAUsageErrorWithItsLog) {
    // The plug-in stops at the method without attributes, before it reaches
    // the keywords.
    writeFile(source + "/A.java", kConverts);
    writeFile(rules,
              "<Methods><method/></Methods>\n"
              "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n");
    CommandResult result = convertTree();
    EXPECT_EQ(2, result.exitCode);
    std::string last =
        result.output.substr(result.output.rfind('\n', result.output.size() - 2) + 1);
    EXPECT_EQ(
        "nidus-convert: the plug-in refused to convert: its rules did not load "
        "(TalaConfig:196: Attribute is null!)\n",
        last)
        << result.output;
    EXPECT_TRUE(listTree(output).empty());
}

TEST_F(CommandLineTest, WithoutRulesTheConfigBesideThePluginIsUsed) {
    writeFile(source + "/A.java", kConverts);
    std::string pluginDir = root + "/plugin";
    writeFile(pluginDir + "/libnidus.so", readFile(NIDUS_PLUGIN));
    std::string options = "--answer yes --plugin " + quote(pluginDir + "/libnidus.so") + " -o " +
                          quote(output) + " " + quote(source);
    CommandResult missing = convert(options);
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ("nidus-convert: no config.xml beside the plug-in (" + pluginDir +
                  "/config.xml); give one with --rules\n",
              missing.output);

    writeFile(pluginDir + "/config.xml", kRules);
    CommandResult found = convert(options);
    EXPECT_EQ(0, found.exitCode) << found.output;
    EXPECT_NE(std::string::npos, readFile(output + "/A.java").find("s.execute(\"x\");"));
}

TEST_F(CommandLineTest, RulesReadInPartAreReportedAndTheRunGoesOn) {
    // The keywords come first, so the plug-in keeps them and converts.
    writeFile(source + "/A.java", kConverts);
    writeFile(rules, std::string(kRules) + "<Members><member/></Members>\n");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_EQ(0u, result.output.find("nidus-convert: while reading its rules the plug-in logged "
                                     "TalaConfig:175: Attribute is null!\n"))
        << result.output;
    EXPECT_NE(std::string::npos, result.output.find("1 converted")) << result.output;
}

TEST_F(CommandLineTest, PluginThatCannotBeLoadedIsAUsageError) {
    writeFile(source + "/A.java", kConverts);
    writeFile(root + "/libbroken.so", "not a library");
    CommandResult result = convertTree("--plugin " + quote(root + "/libbroken.so"));
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ(1, lines(result.output)) << result.output;
    EXPECT_EQ(0u, result.output.find("nidus-convert: cannot load the plug-in: "));
    EXPECT_TRUE(listTree(output).empty());
}

TEST_F(CommandLineTest, OutputRootThatIsAFileIsAUsageError) {
    writeFile(source + "/A.java", kConverts);
    writeFile(output, "a file");
    CommandResult result = convertTree();
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ("nidus-convert: output root is not a directory: " + output + "\n", result.output);
}

TEST_F(CommandLineTest, UnknownOptionsAndBadValuesAreUsageErrors) {
    EXPECT_EQ(2, convert("--frobnicate " + quote(source)).exitCode);
    EXPECT_EQ(2, convert("--answer maybe " + quote(source)).exitCode);
    EXPECT_EQ(2, convert("--language French " + quote(source)).exitCode);
    EXPECT_EQ(2, convert("-o").exitCode);
    EXPECT_EQ(2, convert("").exitCode);
}

TEST_F(CommandLineTest, HelpAndVersionExitWithZero) {
    CommandResult help = convert("--help");
    EXPECT_EQ(0, help.exitCode);
    EXPECT_EQ(0u, help.output.find("usage: nidus-convert [options] SOURCE_DIR\n"));
    CommandResult version = convert("--version");
    EXPECT_EQ(0, version.exitCode);
    EXPECT_EQ("nidus-convert " NIDUS_VERSION_TEXT "\n", version.output);
}

TEST_F(CommandLineTest, FailedFileStaysUnchangedAndIsListedWithItsLog) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/a/B.java", kUnconfigured);
    CommandResult result = convertTree();
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_EQ(kUnconfigured, readFile(output + "/a/B.java"));
    EXPECT_NE(readFile(source + "/a/A.java"), readFile(output + "/a/A.java"));
    EXPECT_NE(std::string::npos,
              result.output.find("2 files: 1 converted, 0 copied unchanged, 1 failed"))
        << result.output;
    EXPECT_NE(
        std::string::npos,
        result.output.find("  a/B.java: conversion failed; copied unchanged\n"
                           "      message: No corresponding conversion item is configured!: flush\n"
                           "      log: TalaStmt:202: getNodeCode is null!\n"))
        << result.output;
}

TEST_F(CommandLineTest, ConvertedTextThatDoesNotParseIsReplacedByTheSource) {
    // A replacement that is no Java name: the plug-in writes it as it is.
    writeFile(rules,
              "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
              "<Imports><item code=\"net.olddb.Session\"><change "
              "code=\"org.newdb.Handle\"/></item></Imports>\n"
              "<Classes><class src=\"Session\" to=\"Handle(\"/></Classes>\n"
              "<Methods><method src=\"run\" to=\"execute\"/></Methods>\n");
    writeFile(source + "/a/A.java", kConverts);
    CommandResult result = convertTree();
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_EQ(kConverts, readFile(output + "/a/A.java"));
    EXPECT_NE(std::string::npos,
              result.output.find("1 files: 0 converted, 0 copied unchanged, 1 failed"))
        << result.output;
    EXPECT_NE(
        std::string::npos,
        result.output.find("  a/A.java: the converted text does not parse (line 7: syntax error); "
                           "copied unchanged\n"))
        << result.output;
}

TEST_F(CommandLineTest, RenamedNamesLeftAsWrittenOnUntypedReceiversAreListedToCheck) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/a/D.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass D {\n"
              "    Object f(Session s, Session[] all) {\n        all[0].run(\"typed\");\n"
              "        return s.run(\"x\").run(\"y\");\n    }\n}\n");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find("to check (converted; a name that a rule changes is left as "
                                 "written: its receiver's type is not known, or the method "
                                 "may override a vendor's):\n"
                                 "  a/D.java: line 8: run;\n"))
        << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("  a/A.java:")) << result.output;
}

TEST_F(CommandLineTest, OtherFilesAreCopiedByteForByte) {
    std::string binary("\x00\x01\r\n\xff", 5);
    writeFile(source + "/data/blob.bin", binary);
    writeFile(source + "/notes.txt", "olddb Session\r\n");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_EQ(binary, readFile(output + "/data/blob.bin"));
    EXPECT_EQ("olddb Session\r\n", readFile(output + "/notes.txt"));
}

TEST_F(CommandLineTest, SameQuestionIsAskedOnceAndAnsweredByTheAnswerMode) {
    writeFile(source + "/a/C.java", kDriver);
    writeFile(source + "/b/C.java", kDriver);
    CommandResult yes = convertTree("--answer yes");
    EXPECT_EQ(0, yes.exitCode) << yes.output;
    EXPECT_NE(std::string::npos, yes.output.find("1 questions asked")) << yes.output;
    EXPECT_EQ(1u, std::count(yes.output.begin(), yes.output.end(), '?')) << yes.output;

    CommandResult no = convertTree("--answer no");
    EXPECT_EQ(1, no.exitCode) << no.output;
    EXPECT_EQ(kDriver, readFile(output + "/a/C.java"));
    EXPECT_NE(std::string::npos, no.output.find("0 converted, 0 copied unchanged, 2 failed"))
        << no.output;
}

TEST_F(CommandLineTest, ChineseMessagesReachTheTerminalAsUtf8) {
    writeFile(source + "/B.java", kUnconfigured);
    CommandResult result = convertTree("--answer yes --language Chinese");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_NE(std::string::npos,
              result.output.find("\xE6\xB2\xA1\xE6\x9C\x89\xE9\x85\x8D\xE7\xBD\xAE"))  // 没有配置
        << result.output;
}

TEST_F(CommandLineTest, ProgressLineOnlyOnATerminal) {
    writeFile(source + "/A.java", kConverts);
    CommandResult piped = convertTree();
    EXPECT_EQ(std::string::npos, piped.output.find('\r')) << piped.output;

    // script(1) gives the program a terminal.
    if (runCommand("script --version").exitCode != 0) GTEST_SKIP() << "no script(1)";
    std::string command = std::string(NIDUS_CONVERT) + " --answer yes --rules " + quote(rules) +
                          " -o " + quote(output) + " " + quote(source);
    CommandResult terminal = runCommand("script -qec " + quote(command) + " /dev/null");
    EXPECT_EQ(0, terminal.exitCode) << terminal.output;
    EXPECT_NE(std::string::npos, terminal.output.find("[1/1] A.java")) << terminal.output;
}

}  // namespace
}  // namespace hosttest
