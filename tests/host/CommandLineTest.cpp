// nidus-convert's command line: usage errors with their one-line reasons
// and exit code 2, failed files kept unchanged and listed with exit code 1,
// the plug-in's questions and messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

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
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    static unsigned mode(const std::string& path) {
        struct stat status {};
        return stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
    }
    std::string converted() const { return readFile(output + "/a/A.java"); }
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

TEST_F(CommandLineTest, RulesAtWhichThePluginStopsReadingAreRefusedWithItsMessageAndLine) {
    // The plug-in would stop at the rule, drop every later rule and section
    // and, with its keywords read before, convert with what it has.
    struct Case {
        std::string rules;
        std::string message;  // at line 5, after the four lines of kRules
    };
    const std::string method = "<Methods><method src=\"load\" to=\"write\" params=\"2\">";
    const Case cases[] = {
        {"<Members><member/></Members>", "Attribute is null! (a <member> without attributes)"},
        {"<KeyWords><Key/></KeyWords>", "Attribute is null! (a <Key> without attributes)"},
        {"<Imports><item kode=\"net.olddb.Pool\"><change code=\"x\"/></item></Imports>",
         "Convert item is null! (an <item> without a code)"},
        {"<Imports><item code=\"net.olddb.Pool\"><change/></item></Imports>",
         "Attribute is null! (a <change> without attributes)"},
        {"<Imports><item code=\"net.olddb.Pool\"><change kode=\"x\"/></item></Imports>",
         "Convert items is null! (an <item> for net.olddb.Pool without a <change code=...>)"},
        {"<Methods><method src=\"load\"/></Methods>",
         "Convert item is null! (a <method> without a to)"},
        {method + "<param new=\"1\" old=\"1\"/><param new=\"5\" old=\"2\"/></method></Methods>",
         "Parameter list error! (a <param new=\"5\"> in the method load where new=\"2\" comes "
         "next)"},
        {method + "<param new=\"1\" type=\"code\"/></method></Methods>",
         "Default value is not set! (a <param new=\"1\"> in the method load with neither old "
         "nor default)"},
    };
    writeFile(source + "/A.java", kConverts);
    for (const Case& c : cases) {
        writeFile(rules,
                  std::string(kRules) + c.rules + "\n<Words><word src=\"a\" to=\"b\"/></Words>\n");
        CommandResult result = convertTree();
        EXPECT_EQ(2, result.exitCode) << result.output;
        EXPECT_EQ("nidus-convert: " + rules + ":5: the plug-in stops reading its rules here: " +
                      c.message + "; every rule after it would be lost\n",
                  result.output);
        EXPECT_TRUE(listTree(output).empty());
    }
    // Before the keywords too: the plug-in would refuse every file.
    writeFile(rules, "<Methods><method/></Methods>\n" + std::string(kRules));
    CommandResult first = convertTree();
    EXPECT_EQ(2, first.exitCode);
    EXPECT_EQ(
        "nidus-convert: " + rules +
            ":1: the plug-in stops reading its rules here: "
            "Attribute is null! (a <method> without attributes); every rule after it would be "
            "lost\n",
        first.output);
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

TEST_F(CommandLineTest, AClassRuleThePluginDropsLeavesTheClassWithoutARuleAndFailsItsFile) {
    // Session stands alone under an import that becomes another name's:
    // left as written, it would name nothing.
    struct Case {
        std::string classRule;
        std::string warning;  // empty: none
    };
    const Case cases[] = {
        {"", ""},
        {"<class src=\"Session\" to=\"\"/>",
         ":3: a Classes rule for \"Session\" with an empty to; the plug-in drops it\n"},
        {"<class src=\"Session\" To=\"Handle\"/>",
         ":3: the plug-in ignores the attribute To of <class> (it knows src, to)\n"
         "nidus-convert: warning: RULES:3: a Classes rule for \"Session\" with no to "
         "attribute; the plug-in drops it\n"},
    };
    std::string java =
        "package a;\n\nimport net.olddb.Session;\n\nclass A {\n    Session open() {\n"
        "        return null;\n    }\n}\n";
    writeFile(source + "/a/A.java", java);
    for (const Case& c : cases) {
        writeFile(rules,
                  "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
                  "<Imports><item code=\"net.olddb.Session\"><change code=\"org.newdb.Handle\"/>"
                  "</item></Imports>\n<Classes>" +
                      c.classRule + "</Classes>\n");
        CommandResult result = convertTree("--answer yes --report " + quote(root + "/r.json"));
        EXPECT_EQ(1, result.exitCode) << result.output;
        std::string warning = c.warning;
        for (size_t at = warning.find("RULES"); at != std::string::npos; at = warning.find("RULES"))
            warning.replace(at, 5, rules);
        EXPECT_EQ(warning.empty() ? std::string::npos : 0u,
                  result.output.find("nidus-convert: warning: " + rules + warning))
            << result.output;
        EXPECT_TRUE(contains(result.output,
                             "a/A.java:6: no rule for class net.olddb.Session; copied unchanged\n"
                             "    |     Session open() {\n"))
            << result.output;
        EXPECT_EQ(java, converted());
        // The failure stands for the names of its code: none is to check.
        EXPECT_FALSE(contains(result.output, "to check (a vendor")) << result.output;
        std::string report = readFile(root + "/r.json");
        EXPECT_TRUE(contains(report, "{\"kind\": \"class\", \"name\": \"net.olddb.Session\""))
            << report;
        EXPECT_FALSE(contains(report, "\"section\": \"Classes\"")) << report;
    }
}

TEST_F(CommandLineTest, PluginThatCannotBeLoadedIsAUsageError) {
    writeFile(source + "/A.java", kConverts);
    writeFile(root + "/libbroken.so", "not a library");
    CommandResult result = convertTree("--plugin " + quote(root + "/libbroken.so"));
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ(1, lines(result.output)) << result.output;
    EXPECT_EQ(0u, result.output.find("nidus-convert: cannot load the plug-in: "));
    EXPECT_TRUE(listTree(output).empty());
    // A dry run leaves no folder of its own behind either.
    std::string temporary = root + "/tmp";
    std::filesystem::create_directories(temporary);
    CommandResult dry = runCommand("TMPDIR=" + quote(temporary) + " " + NIDUS_CONVERT +
                                   " --dry-run --plugin " + quote(root + "/libbroken.so") +
                                   " --rules " + quote(rules) + " " + quote(source));
    EXPECT_EQ(2, dry.exitCode) << dry.output;
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
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

TEST_F(CommandLineTest, ExactModeThatCannotStartIsAUsageErrorThatSaysWhy) {
    writeFile(source + "/a/A.java", kConverts);
    struct Case {
        std::string environment;  // before the command
        std::string classpath;
        std::string expected;
    };
    const Case cases[] = {
        {"env -u JAVA_HOME PATH=" + quote(root) + " ", quote(root),
         "nidus-convert: exact mode (--classpath) needs a JDK: no java program in JAVA_HOME or "
         "on PATH\n"},
        {"", quote("@" + root + "/cp.txt"),
         "nidus-convert: cannot read the classpath file " + root +
             "/cp.txt: No such file or directory\n"},
    };
    for (const Case& c : cases) {
        CommandResult result =
            runCommand(c.environment + NIDUS_CONVERT + " --classpath " + c.classpath + " --rules " +
                       quote(rules) + " -o " + quote(output) + " " + quote(source));
        EXPECT_EQ(2, result.exitCode) << result.output;
        EXPECT_TRUE(contains(result.output, c.expected)) << result.output;
        EXPECT_EQ(std::vector<std::string>(), listTree(output));
    }
}

// A classpath file as build tools write it: entries on lines, or joined.
TEST_F(CommandLineTest, ExactModeReadsTheClasspathFromAFile) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    std::string classes = compileClasses(NIDUS_STUBS_DIR "/olddb");
    writeFile(root + "/cp.txt", "\n" + root + "/missing.jar\n" + classes + "\n");
    writeFile(source + "/a/A.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass A {\n    boolean f(Session s) {\n"
              "        return s.run(\"x\").next();\n    }\n}\n");
    // No vendor name is written here: the compiler's records of the chain
    // through a library of the classpath bring the file to conversion.
    writeFile(source + "/a/B.java",
              "package a;\n\nimport org.relay.Relay;\n\nclass B {\n    boolean g(Relay relay) {\n"
              "        return relay.lease().run(\"x\").next();\n    }\n}\n");
    writeFile(rules,
              std::string(kRules) + "<Methods><method src=\"next\" to=\"advance\"/></Methods>\n");
    CommandResult result = convertTree("--classpath " + quote("@" + root + "/cp.txt"));
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(converted(), "return s.execute(\"x\").advance();")) << converted();
    EXPECT_TRUE(contains(readFile(output + "/a/B.java"),
                         "return relay.lease().execute(\"x\").advance();"))
        << readFile(output + "/a/B.java");
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
        result.output.find(source + "/a/B.java:7: no rule for method net.olddb.Session.flush; "
                                    "copied unchanged\n"
                                    "    |         s.flush();\n"
                                    "      message: No corresponding conversion item is "
                                    "configured!: flush\n"))
        << result.output;
    // Each message once; the plug-in's log lines with --verbose.
    EXPECT_EQ(std::string::npos,
              result.output.find("No corresponding", result.output.find("flush\n")));
    EXPECT_EQ(std::string::npos, result.output.find("log: "));
    CommandResult verbose = convertTree("--answer yes --verbose");
    EXPECT_TRUE(contains(verbose.output, "flush\n      log: TalaStmt:202: getNodeCode is null!\n"))
        << verbose.output;
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
    EXPECT_NE(std::string::npos,
              result.output.find(source + "/a/A.java: the converted text does not parse (line 7: "
                                          "syntax error); copied unchanged\n"))
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

TEST_F(CommandLineTest, VendorKeywordsLeftInConvertedCodeAreListedToCheck) {
    // A qualified class literal is converted like any qualified name.
    const std::string file = "package a;\n\nimport net.olddb.Session;\n\nclass A {\n"
                             "    Object k = net.olddb.Session.class; // olddb\n"
                             "    void f(Session s) {\n        s.run(\"x\");\n    }\n}\n";
    writeFile(source + "/a/A.java", file);
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(converted(), "    Object k = Handle.class; // olddb\n")) << converted();
    EXPECT_FALSE(contains(result.output, "to check")) << result.output;
    // Rules that keep the vendor's class leave its dotted keyword in the
    // converted code, where no single name holds it.
    writeFile(rules, "<KeyWords><Key kind=\"package\" code=\"net.olddb\"/></KeyWords>\n"
                     "<Imports><item code=\"net.olddb.Session\"><change "
                     "code=\"net.olddb.Session\"/></item></Imports>\n"
                     "<Classes><class src=\"Session\" to=\"Session\"/>"
                     "<class src=\"net.olddb.Session\" to=\"net.olddb.Session\"/></Classes>\n"
                     "<Methods><method src=\"run\" to=\"execute\"/></Methods>\n");
    result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output,
                         "to check (a vendor keyword is left in the code, a string or a "
                         "javadoc reference):\n" +
                             source + "/a/A.java:3: net.olddb.Session\n" + source +
                             "/a/A.java:6: net.olddb.Session.class\n"))
        << result.output;
}

// Rules that cannot work as written are named before the run, rules that
// never fired after it, and vendor names that no rule reaches in any Java
// file of the output (a class name in a string, a javadoc reference) are
// listed to check; the exit code stays 0.
TEST_F(CommandLineTest, RulesThatCannotWorkAndNamesLeftBehindAreNamedOnScreen) {
    struct Case {
        const char* name;
        std::string extraRules;  // after kRules, from line 5 on
        std::string java;        // a/A.java
        std::vector<std::string> shown;
    } cases[] = {
        {"a word that a dot joins to its neighbours",
         "<Words><word src=\"olddb\" to=\"newdb\"/></Words>\n",
         "package a;\n\nclass A {\n    String key = \"net.olddb.session.key\";\n}\n",
         {"nidus-convert: warning: RULES:5: the word rule olddb can never fire: in every string "
          "where it stands, a dot, a letter or \"_\" joins it to its neighbours (a/A.java:4 "
          "\"net.olddb.session.key\"); write the whole dotted text as the word\n",
          "rules that never fired:\n  RULES:2: Imports net.olddb.Session\n",
          "  RULES:5: Words olddb\n"}},
        {"a package keyword that the replacements hold too",
         "<KeyWords><Key kind=\"package\" code=\"newdb\"/></KeyWords>\n", kConverts,
         {"nidus-convert: warning: RULES:2: the package keyword newdb stands in this rule's "
          "replacement org.newdb.Handle: converted code would be under the rules again"}},
        {"a qualified name that takes its bare name's rule", "",
         "package a;\n\nclass A {\n    void f(net.olddb.Session s) {\n"
         "        s.run(\"x\");\n    }\n}\n",
         {"to check (converted; a qualified name took the rule of its bare name, whose "
          "replacement leaves the qualifier out):\n  a/A.java: line 4: net.olddb.Session "
          "becomes Handle;\n"}},
        {"a javadoc reference in a file of the vendor's package", "",
         "package net.olddb.tools;\n\n/** Uses {@link net.olddb.Session}. */\nclass A {\n}\n",
         {"to check (a vendor keyword is left in the code, a string or a javadoc reference):\n"
          "SRC/a/A.java:3: {@link net.olddb.Session}\n"}},
        {"a class name in a string of a file left unchanged", "", kDriver,
         {"to check (a vendor keyword is left in the code, a string or a javadoc reference):\n"
          "SRC/a/A.java:5: \"net.olddb.jdbc.Driver\"\n"}},
        {"a javadoc reference in a converted file", "",
         "package a;\n\nimport net.olddb.Session;\n\n/**\n * Runs through a\n"
         " * {@link net.olddb.Session}.\n * @see net.olddb.Session#run\n */\n"
         "class A {\n    void f(Session s) {\n        s.run(\"x\");\n    }\n}\n",
         {"SRC/a/A.java:7: {@link net.olddb.Session}\nSRC/a/A.java:8: @see "
          "net.olddb.Session#run\n"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(source);
        writeFile(rules, std::string(kRules) + c.extraRules);
        writeFile(source + "/a/A.java", c.java);
        CommandResult result = convertTree();
        EXPECT_EQ(0, result.exitCode) << c.name << "\n" << result.output;
        for (std::string shown : c.shown) {
            for (const auto& name : {std::make_pair("RULES", rules), std::make_pair("SRC", source)})
                for (size_t at = shown.find(name.first); at != std::string::npos;
                     at = shown.find(name.first))
                    shown.replace(at, strlen(name.first), name.second);
            EXPECT_TRUE(contains(result.output, shown)) << c.name << "\n" << result.output;
        }
    }
}

TEST_F(CommandLineTest, OtherFilesAreCopiedByteForByte) {
    std::string binary("\x00\x01\r\n\xff", 5);
    writeFile(source + "/data/blob.bin", binary);
    writeFile(source + "/notes.txt", "olddb Session\r\n");
    // Larger than one buffer of the plain copy, and empty: whole either way.
    std::string large;
    for (int i = 0; i < 300000; ++i) large += static_cast<char>(i * 7 % 251);
    writeFile(source + "/data/large.bin", large);
    writeFile(source + "/data/empty.bin", "");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_EQ(binary, readFile(output + "/data/blob.bin"));
    EXPECT_EQ(large, readFile(output + "/data/large.bin"));
    EXPECT_EQ("", readFile(output + "/data/empty.bin"));
    EXPECT_EQ("olddb Session\r\n", readFile(output + "/notes.txt"));
}

TEST_F(CommandLineTest, SameQuestionIsAskedOnceAndAnsweredByTheAnswerMode) {
    writeFile(source + "/a/C.java", kDriver);
    writeFile(source + "/b/C.java", kDriver);
    CommandResult yes = convertTree("--answer yes");
    EXPECT_EQ(0, yes.exitCode) << yes.output;
    EXPECT_NE(std::string::npos, yes.output.find("1 questions asked")) << yes.output;

    CommandResult no = convertTree("--answer no");
    EXPECT_EQ(1, no.exitCode) << no.output;
    EXPECT_EQ(kDriver, readFile(output + "/a/C.java"));
    EXPECT_NE(std::string::npos, no.output.find("0 converted, 0 copied unchanged, 2 failed"))
        << no.output;

    // Workers that meet the question put it to the parent, which asks once.
    for (const char* folder : {"c", "d", "e", "f"}) writeFile(source + "/" + folder + "/C.java", kDriver);
    CommandResult asked = runCommand(
        "sh -c " + quote("printf 'y\\n' | " + std::string(NIDUS_CONVERT) +
                         " -j 3 --answer ask --rules " + quote(rules) + " -o " + quote(output) +
                         " " + quote(source) + " 2>&1"));
    EXPECT_EQ(0, asked.exitCode) << asked.output;
    EXPECT_TRUE(contains(asked.output, "6 files: 0 converted, 6 copied unchanged, 0 failed; 1 questions asked"))
        << asked.output;
    EXPECT_EQ(1, static_cast<int>(std::count(asked.output.begin(), asked.output.end(), '?')))
        << asked.output;
    // The worker's file and line come first, the plug-in's text as it is,
    // then what each answer does.
    EXPECT_TRUE(contains(asked.output,
                         "/C.java:5: Message: There is no replacement configured for "
                         "'net.olddb.jdbc.Driver' in the \"net.olddb.jdbc.Driver\"\nContinue "
                         "conversion?\nYes: convert the file, keeping the string as written; No: "
                         "the file fails and stays unchanged in the output."))
        << asked.output;
}

TEST_F(CommandLineTest, AWorkerThatDiesFailsItsFileWhichStaysUnchangedAndAnotherTakesItsPlace) {
    for (const char* folder : {"a", "b", "c", "d"}) writeFile(source + "/" + folder + "/A.java", kConverts);
    CommandResult result = runCommand("NIDUS_CONVERT_KILL_WORKER_AT=b/A.java " +
                                      std::string(NIDUS_CONVERT) + " -j 2 --answer yes --rules " +
                                      quote(rules) + " -o " + quote(output) + " " + quote(source));
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "4 files: 3 converted, 0 copied unchanged, 1 failed"))
        << result.output;
    EXPECT_TRUE(contains(result.output, source + "/b/A.java: the worker process converting it "
                                                 "killed by signal 9; copied unchanged\n"))
        << result.output;
    EXPECT_EQ(kConverts, readFile(output + "/b/A.java"));
    for (const char* folder : {"a", "c", "d"})
        EXPECT_NE(kConverts, readFile(output + "/" + folder + "/A.java")) << folder;
}

TEST_F(CommandLineTest, ChineseMessagesReachTheTerminalAsUtf8) {
    writeFile(source + "/B.java", kUnconfigured);
    CommandResult result = convertTree("--answer yes --language Chinese");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_NE(std::string::npos,
              result.output.find("\xE6\xB2\xA1\xE6\x9C\x89\xE9\x85\x8D\xE7\xBD\xAE"))  // 没有配置
        << result.output;
}

// A name or a literal that a Chinese message quotes keeps the bytes the
// source gave it; only the plug-in's own texts around it come from GBK.
TEST_F(CommandLineTest, ChineseMessagesKeepTheNamesTheyQuoteAsTheSourceWritesThem) {
    writeFile(source + "/a/B.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass B {\n    void f(Session s) {\n"
              "        s.größe();\n    }\n}\n");
    writeFile(source + "/a/C.java",
              "package a;\n\nclass C {\n    void f() throws Exception {\n"
              "        Class.forName(\"net.olddb.größe.Driver\");\n    }\n}\n");
    CommandResult result = convertTree("--answer ask --language Chinese");
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output,
                         "B.java:7: no rule for method net.olddb.Session.größe; "
                         "copied unchanged\n"
                         "    |         s.größe();\n"
                         "      message: 没有配置对应的转换项: größe\n"))
        << result.output;
    // The plug-in's class name ends at the first byte that is no ASCII
    // letter, "_" or ".".
    EXPECT_TRUE(contains(result.output,
                         "Message: 在 \"net.olddb.größe.Driver\" 中，没有配置 "
                         "net.olddb.gr 对应的转换项！\n是否继续转换?\n"))
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

namespace safety {

namespace fs = std::filesystem;

// What the runs below must never change: the sources themselves.
void expectSourcesIntact(const std::string& source) {
    EXPECT_EQ(kConverts, readFile(source + "/a/A.java"));
    EXPECT_EQ(kConverts, readFile(source + "/a/b/A.java"));
}

}  // namespace safety

TEST_F(CommandLineTest, OutputRootsThatAreOrHoldTheSourceAreRefusedHoweverSpelled) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/a/b/A.java", kConverts);
    safety::fs::create_directory_symlink(source, root + "/link");
    const std::string spellings[] = {source,          source + "/.",  source + "//",
                                     "./src",         root + "/link", source + "/a/../a/b",
                                     source + "/a/b", root,           root + "/link/a"};
    for (const std::string& spelling : spellings) {
        CommandResult result =
            runCommand("cd " + quote(root) + " && " + NIDUS_CONVERT + " --answer yes --rules " +
                       quote(rules) + " -o " + quote(spelling) + " " + quote(source));
        EXPECT_EQ(2, result.exitCode) << spelling << "\n" << result.output;
        EXPECT_EQ(1, lines(result.output)) << spelling << "\n" << result.output;
        EXPECT_TRUE(contains(result.output, "give a folder outside it")) << result.output;
        safety::expectSourcesIntact(source);
    }
    // The default root may not be a link, to the source or elsewhere.
    for (const std::string& target : {std::string("."), std::string("../other")}) {
        safety::fs::create_directories(root + "/other");
        safety::fs::create_directory_symlink(target, source + "/Convert");
        CommandResult result =
            convert("--answer yes --rules " + quote(rules) + " " + quote(source));
        EXPECT_EQ(2, result.exitCode) << target << "\n" << result.output;
        EXPECT_TRUE(contains(result.output, "/Convert/ is a symbolic link")) << result.output;
        EXPECT_TRUE(listTree(root + "/other").empty());
        safety::fs::remove(source + "/Convert");
        safety::expectSourcesIntact(source);
    }
    // A bind mount of the source is the source, whatever its path.
    if (geteuid() == 0) {
        safety::fs::create_directories(root + "/view");
        if (runCommand("mount --bind " + quote(source) + " " + quote(root + "/view")).exitCode == 0) {
            CommandResult result = convert("--answer yes --rules " + quote(rules) + " -o " +
                                           quote(root + "/view") + " " + quote(source));
            runCommand("umount " + quote(root + "/view"));
            EXPECT_EQ(2, result.exitCode) << result.output;
            EXPECT_TRUE(contains(result.output, "is the source directory")) << result.output;
            safety::expectSourcesIntact(source);
        }
    }
    // The default SOURCE/Convert/ is never read as input, so a second run
    // converts the same files again.
    for (int run = 0; run < 2; ++run) {
        CommandResult result =
            convert("--answer yes --rules " + quote(rules) + " " + quote(source));
        EXPECT_EQ(0, result.exitCode) << result.output;
        EXPECT_TRUE(contains(result.output, "2 files: 2 converted")) << result.output;
    }
    safety::expectSourcesIntact(source);
}

TEST_F(CommandLineTest, LinksAreMadeAgainAsLinksAndNeverFollowed) {
    writeFile(root + "/outside/Out.java", kConverts);
    writeFile(source + "/a/A.java", kConverts);
    safety::fs::create_symlink(root + "/outside/Out.java", source + "/a/Out.java");
    safety::fs::create_directory_symlink("../../outside", source + "/a/shared");
    // A folder of the output that a link leads elsewhere is not written
    // through either (in the output of an earlier run).
    writeFile(output + "/.nidus-convert", "");
    safety::fs::create_directory_symlink(root + "/outside", output + "/b");
    writeFile(source + "/b/B.java", kConverts);
    CommandResult result = convertTree();
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_EQ(kConverts, readFile(root + "/outside/Out.java"));
    EXPECT_FALSE(safety::fs::exists(root + "/outside/B.java"));
    EXPECT_EQ(root + "/outside/Out.java",
              safety::fs::read_symlink(output + "/a/Out.java").string());
    EXPECT_EQ("../../outside", safety::fs::read_symlink(output + "/a/shared").string());
    EXPECT_TRUE(contains(result.output, "  a/Out.java -> " + root +
                                            "/outside/Out.java\n"
                                            "  a/shared -> ../../outside\n"))
        << result.output;
    EXPECT_TRUE(contains(result.output, source +
                                            "/b/B.java: not in the output: the output path "
                                            "goes through a symbolic link: " +
                                            output + "/b\n"))
        << result.output;
    EXPECT_NE(kConverts, converted());
}

TEST_F(CommandLineTest, AFullDiskLeavesOnlyWholeFilesAndFailsTheRest) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    std::string blob(3000, 'x');
    for (int i = 0; i < 12; ++i) {
        std::string name = std::to_string(10 + i);
        writeFile(source + "/a/A" + name + ".java", kConverts);
        writeFile(source + "/c/blob" + name + ".bin", blob);
    }
    CommandResult roomy = convertTree();
    ASSERT_EQ(0, roomy.exitCode) << roomy.output;
    std::string expected = readFile(output + "/a/A10.java");

    std::string small = root + "/small";
    safety::fs::create_directory(small);
    if (runCommand("mount -t tmpfs -o size=40k tmpfs " + quote(small)).exitCode != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    output = small + "/out";
    CommandResult full = convertTree();
    std::vector<std::string> written = listTree(output);
    std::vector<std::string> texts;
    for (const std::string& file : written) texts.push_back(readFile(output + "/" + file));
    runCommand("umount " + quote(small));
    for (size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(written[i].back() == 'a' ? expected : blob, texts[i]) << written[i];

    EXPECT_EQ(1, full.exitCode) << full.output;
    EXPECT_TRUE(contains(full.output, "No space left on device")) << full.output;
    EXPECT_FALSE(written.empty());
    EXPECT_LT(written.size(), 24u);
    int failed = 0;
    // The failed files' lines begin with their paths.
    std::string listed = "\n" + source + "/";
    for (size_t at = full.output.find(listed); at != std::string::npos;
         at = full.output.find(listed, at + 1))
        ++failed;
    // Every file is in the output whole or listed as failed, none both.
    EXPECT_EQ(24, static_cast<int>(written.size()) + failed) << full.output;
}

TEST_F(CommandLineTest, UnreadableFilesAndFoldersFailWithTheirReason) {
    if (geteuid() != 0 || runCommand("runuser --help").exitCode != 0)
        GTEST_SKIP() << "needs root and runuser to run as another user";
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/a/Secret.java", kConverts);
    writeFile(source + "/notes.txt", "text\n");
    writeFile(source + "/closed/X.java", kConverts);
    writeFile(source + "/a/Skipped.java", kConverts);
    chmod(root.c_str(), 0755);
    chmod((source + "/a/Secret.java").c_str(), 0);
    chmod((source + "/a/Skipped.java").c_str(), 0);
    chmod((source + "/notes.txt").c_str(), 0);
    chmod((source + "/closed").c_str(), 0);
    chmod(rules.c_str(), 0644);
    safety::fs::create_directory(output);
    runCommand("chown nobody " + quote(output));
    CommandResult result =
        runCommand("runuser -u nobody -- " + std::string(NIDUS_CONVERT) + " --answer yes --rules " +
                   quote(rules) + " --exclude a/Skipped.java -o " + quote(output) + " " +
                   quote(source));
    chmod((source + "/closed").c_str(), 0755);
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "4 failed")) << result.output;
    for (const char* line : {"/a/Secret.java: cannot be read: Permission denied\n",
                             "/a/Skipped.java: cannot be read: Permission denied\n",
                             "/notes.txt: cannot be read: Permission denied\n",
                             "/closed: the folder cannot be read: Permission denied\n"})
        EXPECT_TRUE(contains(result.output, source + line)) << result.output;
    EXPECT_EQ(std::vector<std::string>{"a/A.java"}, listTree(output));
}

TEST_F(CommandLineTest, WithoutATerminalAQuestionDeclinesAndItsFileFails) {
    writeFile(source + "/a/C.java", kDriver);
    // Standard input is not a terminal here, and empty for --answer ask.
    for (const char* answer : {"", "--answer ask"}) {
        CommandResult result = convertTree(answer);
        EXPECT_EQ(1, result.exitCode) << answer << "\n" << result.output;
        EXPECT_EQ(kDriver, readFile(output + "/a/C.java"));
        EXPECT_TRUE(contains(result.output, source + "/a/C.java:5: question answered No: driver "
                                                     "net.olddb.jdbc.Driver; copied unchanged\n"))
            << result.output;
    }
}

TEST_F(CommandLineTest, RuleFilesThatTheParserWouldReadOnlyInPartAreRefused) {
    struct Case {
        std::string rules;
        std::string reason;
    };
    const Case cases[] = {
        {std::string(kRules) + "<Words><word src=\"a/>\" to=\"b>\"/></Words></Methods>\n"
                               "<Words><word src=\"a\" to=\"b\"/></Words>\n",
         "ends early at line 5: an end tag without its start tag, where the XML parser stops "
         "reading"},
        {"<?xml version=\"1.0\"?>\n<!-- rules -->\n" + std::string(kRules) + "<Method/>\n",
         "has an unknown section <Method> at line 7 (the sections are KeyWords, Imports, "
         "Classes, Members, Methods and Words)"},
    };
    writeFile(source + "/a/A.java", kConverts);
    for (const Case& c : cases) {
        writeFile(rules, c.rules);
        CommandResult result = convertTree();
        EXPECT_EQ(2, result.exitCode) << result.output;
        EXPECT_EQ("nidus-convert: the rule file " + rules + " " + c.reason + "\n", result.output);
        EXPECT_TRUE(listTree(output).empty());
    }
}

TEST_F(CommandLineTest, CopiesAndConvertedFilesKeepTheirPermissionBits) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/run.sh", "#!/bin/sh\n");
    chmod((source + "/run.sh").c_str(), 0755);
    chmod((source + "/a/A.java").c_str(), 0640);
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_EQ(0755u, mode(output + "/run.sh"));
    EXPECT_EQ(0640u, mode(output + "/a/A.java"));
    EXPECT_NE(kConverts, converted());
}

TEST_F(CommandLineTest, AStagingFolderLeftByADeadRunIsRemoved) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(output + "/.nidus-convert-staging/a/A.java", "half a file");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_EQ(std::vector<std::string>{"a/A.java"}, listTree(output));
    EXPECT_NE(kConverts, converted());
}

TEST_F(CommandLineTest, ASignalEndsTheRunBetweenFilesWithTheSummarySoFar) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/b/C.java", kDriver);
    writeFile(source + "/c/Z.java", kConverts);
    struct Case {
        const char* signal;
        int exitCode;
    };
    for (const Case& c : {Case{"INT", 130}, Case{"TERM", 143}}) {
        safety::fs::remove_all(output);
        // The run waits at its question on a pipe that stays open; the
        // signal comes then. One process, so that no other file is in hand.
        std::string script =
            "cd " + quote(root) + " && rm -f fifo log && mkfifo fifo || exit 1; " + NIDUS_CONVERT +
            " -j 1 --answer ask --rules " + quote(rules) + " -o " + quote(output) + " " + quote(source) +
            " <fifo >log 2>&1 & pid=$!; exec 3>" + quote(root + "/fifo") +
            "; for i in $(seq 100); do grep -q 'Answer y' " + quote(root + "/log") +
            " && break; sleep 0.1; done; kill -" + c.signal +
            " $pid; wait $pid; echo \"exit $?\"; cat " + quote(root + "/log");
        CommandResult result = runCommand("sh -c " + quote(script));
        EXPECT_EQ(0u, result.output.find("exit " + std::to_string(c.exitCode) + "\n"))
            << result.output;
        EXPECT_TRUE(contains(result.output, std::string("nidus-convert: interrupted by SIG") +
                                                c.signal + " after 2 of 3 files"))
            << result.output;
        EXPECT_TRUE(contains(result.output, "2 files: 1 converted")) << result.output;
        EXPECT_EQ((std::vector<std::string>{"a/A.java", "b/C.java"}), listTree(output));
        EXPECT_EQ(kDriver, readFile(output + "/b/C.java"));
        EXPECT_FALSE(safety::fs::exists(output + "/.nidus-convert-staging"));
    }
}

TEST_F(CommandLineTest, TokensThatTheRulesKeepLeaveTheFileByteForByteAndUncounted) {
    writeFile(rules,
              "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
              "<Imports><item code=\"net.olddb.Session\"><change "
              "code=\"net.olddb.Session\"/></item></Imports>\n"
              "<Classes><class src=\"Session\" to=\"Session\"/></Classes>\n"
              "<Methods><method src=\"run\" to=\"run\"/></Methods>\n");
    std::string spaced = std::string(kConverts) + "  // trailing  \n\n\n";
    writeFile(source + "/a/A.java", spaced);
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "1 files: 0 converted, 1 copied unchanged"))
        << result.output;
    EXPECT_EQ(spaced, converted());
}

TEST_F(CommandLineTest, AFileTooChangedToAlignKeepsThePluginsLayoutAndIsListed) {
    std::string calls;
    for (int i = 0; i < 2100; ++i) calls += "        s.run(\"x\");\n";
    writeFile(source + "/a/A.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass A {\n"
              "    void f(Session s) {\n" +
                  calls + "    }\n}\n");
    CommandResult result = convertTree();
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output,
                         "converted in the plug-in's own layout:\n"
                         "  a/A.java: layout as the plug-in wrote it: more than "
                         "1000 of 4000 tokens in a row differ\n"))
        << result.output;
    EXPECT_TRUE(contains(converted(), "class A\n{\n")) << converted().substr(0, 200);
}

namespace workflow {

// The number that stands after key in text ("\"converted\": 5", "5 converted").
int numberAfter(const std::string& text, const std::string& key) {
    size_t at = text.find(key);
    return at == std::string::npos ? -1 : atoi(text.c_str() + at + key.size());
}
int numberBefore(const std::string& text, const std::string& word) {
    size_t at = text.find(word);
    while (at > 0 && isdigit(static_cast<unsigned char>(text[at - 1]))) --at;
    return at == std::string::npos ? -1 : atoi(text.c_str() + at);
}

}  // namespace workflow

TEST_F(CommandLineTest, ADraftOfRulesReachesACleanRunInTwoRuns) {
    // The example's rules without four of them: every missing name comes in
    // the first run, with the report and a completed rule file.
    std::string draft;
    std::istringstream full(readFile(NIDUS_EXAMPLE_DIR "/config.xml"));
    for (std::string line; std::getline(full, line);) {
        for (const char* dropped :
             {"src=\"text\"", "src=\"Result\"", "\"net.olddb.Result\"", "\"OldTypes.VARCHAR2\""})
            if (line.find(dropped) != std::string::npos) line.clear();
        draft += line + "\n";
    }
    writeFile(rules, draft);
    std::string example = quote(NIDUS_EXAMPLE_DIR "/src");
    CommandResult first = convert("--rules " + quote(rules) + " -o " + quote(output) +
                                  " --report " + quote(root + "/report.json") + " --init-rules " +
                                  quote(root + "/rules2.xml") + " " + example);
    EXPECT_EQ(1, first.exitCode) << first.output;
    std::string report = readFile(root + "/report.json");
    // The report's summary is the printed one.
    for (const char* count : {"converted", "failed"})
        EXPECT_EQ(workflow::numberBefore(first.output, std::string(" ") + count),
                  workflow::numberAfter(report, std::string("\"") + count + "\": "))
            << count << "\n"
            << report;
    EXPECT_EQ(workflow::numberBefore(first.output, " copied unchanged"),
              workflow::numberAfter(report, "\"copied\": "));
    EXPECT_EQ(workflow::numberAfter(first.output, "nidus-convert: "),
              workflow::numberAfter(report, "\"files\": "));
    for (const char* missing :
         {"{\"kind\": \"import\", \"name\": \"net.olddb.Result\"",
          "{\"kind\": \"class\", \"name\": \"net.olddb.Result\"",
          "{\"kind\": \"member\", \"name\": \"net.olddb.OldTypes.VARCHAR2\"",
          "{\"kind\": \"method\", \"name\": \"net.olddb.Result.text\", \"arities\": [1]"})
        EXPECT_TRUE(contains(report, missing)) << missing << "\n" << report;
    for (const char* key : {"\"rules\": ", "\"hits\": ", "\"to_check\": ", "\"leftovers\": ",
                            "\"questions\": ", "\"status\": \"copied\""})
        EXPECT_TRUE(contains(report, key)) << key;
    EXPECT_TRUE(contains(first.output, "4 vendor names have no rule")) << first.output;
    std::string completed = readFile(root + "/rules2.xml");
    EXPECT_EQ(0u, completed.find(draft));
    EXPECT_TRUE(contains(completed,
                         "<!-- TODO: used in 2 files, e.g. "
                         "com/example/inventory/app/Report.java:31; calls with 1 "
                         "arguments -->\n    <method src=\"text\" to=\"text\"/>\n"))
        << completed;

    CommandResult second =
        convert("--rules " + quote(root + "/rules2.xml") + " -o " + quote(output) + " " + example);
    EXPECT_EQ(0, second.exitCode) << second.output;
    EXPECT_FALSE(contains(second.output, "have no rule")) << second.output;
}

TEST_F(CommandLineTest, ADryRunsDiffAppliedToTheSourceGivesTheConvertedTree) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/a/B.java", std::string(kConverts).substr(0, sizeof kConverts - 2));
    writeFile(source + "/notes.txt", "olddb\n");
    CommandResult dry = convertTree("--answer yes --dry-run --diff " + quote(root + "/d.patch"));
    EXPECT_EQ(0, dry.exitCode) << dry.output;
    EXPECT_FALSE(safety::fs::exists(output));
    EXPECT_TRUE(contains(readFile(root + "/d.patch"), "--- a/a/A.java\n+++ b/a/A.java\n"));
    CommandResult real = convertTree();
    ASSERT_EQ(0, real.exitCode) << real.output;
    std::string copy = root + "/copy";
    safety::fs::copy(source, copy, safety::fs::copy_options::recursive);
    CommandResult patched =
        runCommand("cd " + quote(copy) + " && patch -p1 -i " + quote(root + "/d.patch"));
    EXPECT_EQ(0, patched.exitCode) << patched.output;
    for (const std::string& rel : listTree(output))
        EXPECT_EQ(readFile(output + "/" + rel), readFile(copy + "/" + rel)) << rel;
}

TEST_F(CommandLineTest, DiffAndReportOfUnusualNamesApplyWithPatchAndGitAndStayUtf8) {
    const std::string names[] = {"a/with space.java", "a/tab\tname.java", "a/line\nbreak.java",
                                 "a/caf\xe9.java",    "a/quo\"te.java",   "a/back\\slash.java"};
    for (const std::string& name : names) writeFile(source + "/" + name, kConverts);
    std::string report = root + "/r.json";
    CommandResult run = convertTree("--answer yes --diff " + quote(root + "/d.patch") +
                                    " --report " + quote(report));
    ASSERT_EQ(0, run.exitCode) << run.output;
    ASSERT_EQ(6u, listTree(output).size());
    for (const std::string tool : {"patch -p1 -i", "git apply"}) {
        std::string copy = root + "/copy";
        safety::fs::remove_all(copy);
        safety::fs::copy(source, copy, safety::fs::copy_options::recursive);
        CommandResult patched =
            runCommand("cd " + quote(copy) + " && " + tool + " " + quote(root + "/d.patch"));
        EXPECT_EQ(0, patched.exitCode) << tool << ": " << patched.output;
        EXPECT_EQ(listTree(output), listTree(copy)) << tool;
        for (const std::string& rel : listTree(output))
            EXPECT_EQ(readFile(output + "/" + rel), readFile(copy + "/" + rel)) << tool << rel;
    }
    // The Latin-1 byte comes back from its escape.
    CommandResult read = runCommand(
        "python3 -c 'import json,sys; r = json.load(open(sys.argv[1], encoding=\"utf-8\")); "
        "print(sorted(f[\"path\"].encode(\"utf-8\", \"surrogateescape\") for f in "
        "r[\"files\"]))' " +
        quote(report));
    EXPECT_EQ(0, read.exitCode) << read.output;
    EXPECT_TRUE(contains(read.output, "b'a/caf\\xe9.java'")) << read.output;
}

TEST_F(CommandLineTest, FailuresAndWarningsNameTheirPlacesInPlainWords) {
    struct Case {
        std::string rules;    // after the keywords
        std::string java;     // a/A.java
        std::string options;  // besides the rules and the tree
        std::string expected;
    };
    std::string keywords = "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n";
    std::string prepare =
        "package a;\n\nimport net.olddb.Statement;\n\nclass A {\n    void f(Statement s) {\n"
        "        s.prepare(\"q\", 1);\n    }\n}\n";
    std::string imports =
        "<Imports><item code=\"net.olddb.Statement\"><change "
        "code=\"org.newdb.Statement\"/></item></Imports>\n";
    writeFile(root + "/saved.txt",
              "yes\tThere is no replacement configured for 'net.olddb.jdbc.Driver' in the "
              "\"net.olddb.jdbc.Driver\"\\nContinue conversion?\n");
    const Case cases[] = {
        {imports + "<Methods>\n<method src=\"prepare\" to=\"compile\" params=\"3\">"
                   "<param new=\"1\" old=\"1\"/><param new=\"2\" old=\"2\"/>"
                   "<param new=\"3\" default=\"0\"/></method>\n</Methods>\n",
         prepare, "",
         source + "/a/A.java:7: the rule for net.olddb.Statement.prepare rebuilds calls with 3 "
                  "arguments; this call has 2; copied unchanged\n"
                  "    |         s.prepare(\"q\", 1);\n"},
        {imports + "<Methods>\n<method src=\"prepare\" to=\"compile\"/>\n"
                   "<method src=\"prepare\" to=\"run\"/>\n</Methods>\n",
         prepare, "",
         "nidus-convert: warning: " + rules +
             ":5: a second Methods rule for \"prepare\" (the first "
             "is at line 4); the plug-in keeps the first and ignores this one\n"},
        // A saved Yes, replayed in a batch run that would otherwise decline.
        {"", kDriver, "--answers " + quote(root + "/saved.txt"),
         "1 copied unchanged, 0 failed; 1 questions asked"},
    };
    for (const Case& c : cases) {
        writeFile(rules, keywords + c.rules);
        writeFile(source + "/a/A.java", c.java);
        CommandResult result = convertTree(c.options);
        EXPECT_TRUE(contains(result.output, c.expected)) << result.output;
    }
}

TEST_F(CommandLineTest, CompletedRulesKeyEachNameOnceAsThePluginLooksItUp) {
    // Two vendor classes' fields of one name: the plug-in looks both up as
    // "limit", so one rule covers both.
    writeFile(rules, std::string(kRules) +
                         "<Imports><item code=\"net.olddb.Pool\"><change code=\"org.newdb.Pool\"/>"
                         "</item></Imports>\n");
    writeFile(source + "/a/A.java",
              "package a;\n\nimport net.olddb.Pool;\nimport net.olddb.Session;\n\nclass A {\n"
              "    int f(Session s, Pool p) {\n        return s.limit + p.limit;\n    }\n}\n");
    CommandResult first = convertTree("--init-rules " + quote(root + "/rules2.xml"));
    EXPECT_EQ(1, first.exitCode) << first.output;
    std::string completed = readFile(root + "/rules2.xml");
    EXPECT_TRUE(contains(completed,
                         "<Members>\n    <!-- TODO: used in 1 file, e.g. a/A.java:8 -->\n"
                         "    <member src=\"limit\" to=\"limit\"/>\n</Members>\n"))
        << completed;
    writeFile(rules, completed);
    CommandResult second = convertTree();
    EXPECT_EQ(0, second.exitCode) << second.output;
    EXPECT_FALSE(contains(second.output, "warning")) << second.output;
}

TEST_F(CommandLineTest, AnOutputRootHasOneOwnerAndMirrorsItsSource) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/notes.txt", "old\n");
    // A folder that holds files of its own is not taken.
    writeFile(output + "/mine.txt", "keep\n");
    CommandResult refused = convertTree();
    EXPECT_EQ(2, refused.exitCode) << refused.output;
    EXPECT_TRUE(contains(refused.output, "holds files that no run of nidus-convert wrote"))
        << refused.output;
    EXPECT_EQ("keep\n", readFile(output + "/mine.txt"));
    safety::fs::remove(output + "/mine.txt");
    EXPECT_EQ(0, convertTree().exitCode);
    EXPECT_EQ((std::vector<std::string>{"a/A.java", "notes.txt"}), listTree(output));
    // What the source no longer has goes from the output in the next run.
    safety::fs::remove(source + "/notes.txt");
    EXPECT_EQ(0, convertTree().exitCode);
    EXPECT_EQ(std::vector<std::string>{"a/A.java"}, listTree(output));
    // A second run into the same root is refused while the first (slowed
    // down) holds it, naming the first: it starts once the root's mark
    // holds the first's process number, however slow the machine.
    std::string run = std::string(NIDUS_CONVERT) + " -j 1 --answer yes --rules " + quote(rules) +
                      " -o " + quote(output) + " " + quote(source);
    std::string waitForMark = "for i in $(seq 400); do [ \"$(cat " +
                              quote(output + "/.nidus-convert") +
                              " 2>/dev/null)\" = \"$first\" ] && break; sleep 0.05; done; ";
    CommandResult locked =
        runCommand("NIDUS_CONVERT_FAULTS=slow-ms=1500 " + run + " >/dev/null & first=$!; " +
                   waitForMark + run + "; echo \"exit $? first $first\"; wait $first");
    std::string first = locked.output.substr(locked.output.rfind(" first ") + 7);
    first = first.substr(0, first.find('\n'));
    EXPECT_TRUE(contains(locked.output, "exit 2 first")) << locked.output;
    EXPECT_TRUE(contains(locked.output,
                         "another run of nidus-convert (process " + first + ") is writing"))
        << locked.output;
    EXPECT_EQ(0, locked.exitCode) << locked.output;
    // A source entry with the name of the staging folder fails and says so;
    // it is not lost with the staging folder.
    safety::fs::create_symlink("a", source + "/.nidus-convert-staging");
    CommandResult reserved = convertTree();
    EXPECT_EQ(1, reserved.exitCode) << reserved.output;
    EXPECT_TRUE(contains(reserved.output, ".nidus-convert-staging: its name is one that "
                                          "nidus-convert keeps for itself"))
        << reserved.output;
}

TEST_F(CommandLineTest, ResultFilesAreCheckedBeforeTheRun) {
    writeFile(source + "/a/A.java", kConverts);
    safety::fs::create_directories(output);
    const std::pair<std::string, std::string> cases[] = {
        {"--report " + quote(source + "/report.json"), "lies in the source directory"},
        {"--diff " + quote(output + "/A.diff"), "lies in the output root"},
        {"--init-rules " + quote(rules), "is the rule file"},
        {"--report " + quote(root + "/missing/report.json"), "does not exist"},
        {"--answers " + quote(root), "is not a file"},
        {"-o ''", "needs a value, not an empty one"},
    };
    for (const auto& [options, message] : cases) {
        CommandResult result = convert("--answer yes --rules " + quote(rules) + " " + options +
                                       (options[1] == 'o' ? " " : " -o " + quote(output) + " ") +
                                       quote(source));
        EXPECT_EQ(2, result.exitCode) << options << "\n" << result.output;
        EXPECT_TRUE(contains(result.output, message)) << options << "\n" << result.output;
        EXPECT_TRUE(listTree(output).empty()) << options;
        EXPECT_FALSE(safety::fs::exists(source + "/Convert")) << options;
    }
    EXPECT_EQ(kRules, readFile(rules));
    CommandResult folder = convert("--answer yes --rules " + quote(root) + " " + quote(source));
    EXPECT_EQ(2, folder.exitCode);
    EXPECT_TRUE(contains(folder.output, "is not a file (a folder")) << folder.output;
}

// The types of a file whose worker died still lead the files that use
// them to the vendor: the run reads them itself.
TEST_F(CommandLineTest, TheTypesOfAFileLostWithItsWorkerAreReadAgain) {
    writeFile(source + "/a/Db.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass Db {\n"
              "    Session session() {\n        return null;\n    }\n}\n");
    writeFile(source + "/a/User.java",
              "package a;\n\nclass User {\n    void f(Db db) {\n"
              "        db.session().run(\"x\");\n    }\n}\n");
    CommandResult result = runCommand("NIDUS_CONVERT_KILL_WORKER_AT=a/Db.java " +
                                      std::string(NIDUS_CONVERT) + " -j 2 --answer yes --rules " +
                                      quote(rules) + " -o " + quote(output) + " " + quote(source));
    EXPECT_EQ(1, result.exitCode) << result.output;
    EXPECT_EQ(readFile(source + "/a/Db.java"), readFile(output + "/a/Db.java"));
    EXPECT_TRUE(contains(readFile(output + "/a/User.java"), "db.session().execute(\"x\");"))
        << readFile(output + "/a/User.java");
}

TEST_F(CommandLineTest, ARunThatEndsTakesItsWorkersWithIt) {
    for (int i = 0; i < 400; ++i) writeFile(source + "/a/A" + std::to_string(i) + ".java", kConverts);
    // Starts a run with two workers and waits until they are there.
    std::string start = std::string(NIDUS_CONVERT) + " -j 2 --answer yes --rules " + quote(rules) +
                        " -o " + quote(output) + " " + quote(source) +
                        " >/dev/null 2>&1 & run=$!; for i in $(seq 100); do "
                        "kids=$(pgrep -P $run); [ -n \"$kids\" ] && break; sleep 0.05; done; ";
    // A stopped worker does not hold a run that SIGTERM ends.
    CommandResult stopped = runCommand(
        start + "kill -STOP $kids; kill -TERM $run; begun=$(date +%s); wait $run; "
                "echo \"exit $? after $(( $(date +%s) - begun )) s\"; kill -CONT $kids 2>/dev/null; true");
    EXPECT_TRUE(contains(stopped.output, "exit 143 after ")) << stopped.output;
    int seconds = atoi(stopped.output.c_str() + stopped.output.find(" after ") + 7);
    // Killed after five seconds, well before the run's own bound of ten.
    EXPECT_LT(seconds, 10) << stopped.output;
    // A run killed outright takes its workers with it: none goes on to
    // move files into the output.
    safety::fs::remove_all(output);
    CommandResult killed = runCommand(
        start + "kill -KILL $run; sleep 0.5; for kid in $kids; do "
                "state=$(ps -o stat= -p $kid); [ -n \"$state\" ] && [ \"${state#Z}\" = \"$state\" ] && "
                "echo \"worker $kid lives ($state)\"; done; true");
    EXPECT_FALSE(contains(killed.output, "lives")) << killed.output;
}


TEST_F(CommandLineTest, RunsKilledAtRandomMomentsLeaveATreeThatTheNextRunMakesWhole) {
    for (int i = 0; i < 300; ++i) {
        std::string name = std::to_string(i);
        writeFile(source + "/a" + std::to_string(i % 7) + "/A" + name + ".java",
                  i % 3 == 0 ? kUnconfigured : kConverts);
        writeFile(source + "/b/n" + name + ".txt", name + "\n");
    }
    std::string before = runCommand("cd " + quote(source) + " && find . -type f | sort | xargs md5sum").output;
    std::string clean = root + "/clean";
    EXPECT_EQ(1, convert("--answer yes --rules " + quote(rules) + " -o " + quote(clean) + " " +
                         quote(source)).exitCode);
    // Each round kills the run, or one of its workers, at a moment drawn by
    // the shell, and then lets a run go to its end into the same root.
    std::string run = std::string(NIDUS_CONVERT) + " -j 2 --answer yes --rules " + quote(rules) +
                      " -o " + quote(output) + " " + quote(source) + " >/dev/null 2>&1";
    // The run to be killed checks no leaks at its end: under the leak
    // checker a child of the run may be the checker's own tracer, which
    // the run waits for without end once it is killed.
    std::string killable = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 " + run;
    for (int round = 0; round < 6; ++round) {
        std::string victim = round % 2 == 0 ? "$run" : "$(pgrep -P $run | head -n1)";
        CommandResult killed = runCommand(
            killable + " & run=$!; sleep $(awk -v seed=$$ 'BEGIN { srand(seed); printf \"%.2f\", 0.05 + rand() }'); "
            "kill -KILL " + victim +
            " 2>/dev/null; wait $run; " + run + "; echo \"exit $?\"; diff -r -x .nidus-convert " +
            quote(clean) + " " + quote(output) + " && echo same");
        EXPECT_TRUE(contains(killed.output, "exit 1\nsame\n")) << round << "\n" << killed.output;
    }
    EXPECT_EQ(before,
              runCommand("cd " + quote(source) + " && find . -type f | sort | xargs md5sum").output);
}


TEST_F(CommandLineTest, AFileWhoseOutputFailsLosesTheOutputOfTheRunBefore) {
    for (int i = 0; i < 4; ++i) writeFile(source + "/a/A" + std::to_string(i) + ".java", kConverts);
    writeFile(source + "/b/notes.txt", "notes\n");
    // The disk faults of the second run, scripted: the Nth call fails.
    // (mkdir: the folder a/ of the output is to be made again.)
    for (const char* plan : {"write=2", "rename=3", "mkdir=1"}) {
        safety::fs::remove_all(output);
        ASSERT_EQ(0, convertTree().exitCode);
        if (plan[0] == 'm') safety::fs::remove_all(output + "/a");
        CommandResult faulty =
            runCommand(std::string("NIDUS_CONVERT_FAULTS=") + plan + " " + NIDUS_CONVERT +
                       " -j 1 --answer yes --rules " + quote(rules) + " -o " + quote(output) + " " +
                       quote(source));
        EXPECT_EQ(1, faulty.exitCode) << plan << "\n" << faulty.output;
        EXPECT_TRUE(contains(faulty.output, "Input/output error")) << faulty.output;
        // "not in the output" is true: the first run's text is gone too.
        std::vector<std::string> files = listTree(output);
        size_t failed = 0;
        std::istringstream lines(faulty.output);
        for (std::string line; std::getline(lines, line);) {
            if (line.compare(0, source.size() + 1, source + "/") != 0 ||
                !contains(line, "not in the output"))
                continue;
            std::string path = line.substr(source.size() + 1, line.find(": ") - source.size() - 1);
            EXPECT_EQ(files.end(), std::find(files.begin(), files.end(), path)) << plan << " " << path;
            ++failed;
        }
        EXPECT_NE(0u, failed) << plan << "\n" << faulty.output;
        EXPECT_EQ(5u, files.size() + failed) << plan << "\n" << faulty.output;
    }
    EXPECT_EQ(2, runCommand("NIDUS_CONVERT_FAULTS=write=0 " + std::string(NIDUS_CONVERT) + " " +
                            quote(source)).exitCode);
}


TEST_F(CommandLineTest, VersionControlFoldersAreLeftOutAndSaidAndAStuckFileEndsAfterTheSignal) {
    writeFile(source + "/a/A.java", kConverts);
    writeFile(source + "/.git/config", "[core]\n");
    writeFile(source + "/sub/.git/HEAD", "ref\n");
    CommandResult result = convertTree("--answer yes --report " + quote(root + "/report.json"));
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output,
                         "left out (version-control folders, never copied): .git/ sub/.git/\n"))
        << result.output;
    EXPECT_TRUE(contains(readFile(root + "/report.json"),
                         "\"left_out\": [\n    \".git/\",\n    \"sub/.git/\"\n  ]"))
        << readFile(root + "/report.json");
    EXPECT_EQ(std::vector<std::string>{"a/A.java"}, listTree(output));
    // A file that the run's own process takes too long to write (a slow
    // disk, scripted) ends ten seconds after SIGTERM, and is not in the output.
    safety::fs::remove_all(output);
    CommandResult stuck = runCommand(
        "NIDUS_CONVERT_FAULTS=slow-ms=60000 " + std::string(NIDUS_CONVERT) +
        " -j 1 --answer yes --rules " + quote(rules) + " -o " + quote(output) + " " +
        quote(source) + " & run=$!; sleep 1; kill -TERM $run; begun=$(date +%s); wait $run; "
        "echo \"exit $? after $(( $(date +%s) - begun )) s\"");
    EXPECT_TRUE(contains(stuck.output, "did not end within 10 s of the signal")) << stuck.output;
    EXPECT_TRUE(contains(stuck.output, "exit 143 after 9 s") ||
                contains(stuck.output, "exit 143 after 10 s") ||
                contains(stuck.output, "exit 143 after 11 s"))
        << stuck.output;
    // Only the staging folder holds it, which the next run removes.
    EXPECT_FALSE(safety::fs::exists(output + "/a/A.java"));
}

}  // namespace
}  // namespace hosttest

namespace hosttest {
namespace {

TEST_F(CommandLineTest, ExcludedEntriesAreCopiedUnparsedAndNeverReachTheCompiler) {
    writeFile(source + "/a/A.java", kConverts);
    // Patch backups of the same class, a file that does not parse, build
    // output: each would be converted or fail without --exclude.
    writeFile(source + "/.pc/01-fix/a/A.java", kConverts);
    writeFile(source + "/target/gen/B.java", "class {{{\n");
    writeFile(source + "/sub/build/C.java", kConverts);
    writeFile(source + "/x/y/Gen.java", kConverts);
    writeFile(source + "/y/x/Gen.java", kConverts);
    writeFile(source + "/docs/build", "a file, not a folder\n");
    std::string report = root + "/report.json";
    CommandResult result =
        convertTree("--answer yes --exclude .pc --exclude target --exclude build/ --exclude "
                    "'/x/**/G?n.java' --report " + quote(report));
    EXPECT_EQ(0, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "7 files: 2 converted, 5 copied unchanged (4 excluded), "
                                        "0 failed"))
        << result.output;
    for (const char* kept : {".pc/01-fix/a/A.java", "sub/build/C.java", "x/y/Gen.java"})
        EXPECT_EQ(kConverts, readFile(output + "/" + kept)) << kept;
    EXPECT_EQ("class {{{\n", readFile(output + "/target/gen/B.java"));
    std::string json = readFile(report);
    const std::pair<const char*, const char*> statuses[] = {
        {".pc/01-fix/a/A.java", "excluded"}, {"target/gen/B.java", "excluded"},
        {"sub/build/C.java", "excluded"},    {"x/y/Gen.java", "excluded"},
        {"y/x/Gen.java", "converted"},       {"docs/build", "copied"}};
    for (const auto& status : statuses)
        EXPECT_TRUE(contains(json, std::string("{\"path\": \"") + status.first +
                                       "\", \"status\": \"" + status.second + "\""))
            << status.first << "\n" << json;
    EXPECT_TRUE(contains(json, "\"excluded\": 4")) << json;

    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    // The compiler sees a class declared twice unless the backups are left
    // out of its files.
    std::string classes = compileClasses(NIDUS_STUBS_DIR "/olddb");
    for (const char* other : {"target", "sub", "x", "y"}) safety::fs::remove_all(source + "/" + other);
    CommandResult shadowed = convertTree("--answer yes --classpath " + quote(classes));
    EXPECT_TRUE(contains(shadowed.output, "the compiler found errors")) << shadowed.output;
    CommandResult exact =
        convertTree("-j 2 --answer yes --exclude .pc --classpath " + quote(classes));
    EXPECT_EQ(0, exact.exitCode) << exact.output;
    EXPECT_FALSE(contains(exact.output, "the compiler found errors")) << exact.output;
    EXPECT_EQ(kConverts, readFile(output + "/.pc/01-fix/a/A.java"));
}

TEST_F(CommandLineTest, EmptyFoldersOfTheSourceAreMadeAndKeptInTheOutput) {
    writeFile(source + "/a/A.java", kConverts);
    for (const char* folder : {"jars", "lib", "doc/api"}) safety::fs::create_directories(source + "/" + folder);
    for (const char* jobs : {"-j 1", "-j 2"}) {
        // The second round runs over the output of the first.
        CommandResult result = convertTree(std::string(jobs) + " --answer yes");
        EXPECT_EQ(0, result.exitCode) << result.output;
        for (const char* folder : {"jars", "lib", "doc/api"})
            EXPECT_TRUE(safety::fs::is_directory(output + "/" + folder)) << jobs << " " << folder;
        EXPECT_TRUE(safety::fs::is_empty(output + "/doc/api"));
    }
    // A folder the source no longer has goes; one that now holds a file
    // gets it.
    safety::fs::remove(source + "/doc/api");
    writeFile(source + "/lib/x.txt", "x\n");
    EXPECT_EQ(0, convertTree().exitCode);
    EXPECT_FALSE(safety::fs::exists(output + "/doc/api"));
    EXPECT_TRUE(safety::fs::is_directory(output + "/doc"));
    EXPECT_EQ("x\n", readFile(output + "/lib/x.txt"));
}

}  // namespace
}  // namespace hosttest

namespace hosttest {
namespace {

TEST_F(CommandLineTest, ASignalWhileTheCompilerRunsEndsItAtOnceWithTheSummaryOfNoFiles) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    writeFile(source + "/a/A.java", kConverts);
    for (const char* signal : {"INT", "TERM"}) {
        // The signal comes once the helper's JVM has started; it must be gone
        // right after the run ends. The JVM only interprets, so that the
        // helper is still at work then: compiled, the whole run may take
        // 0.35 s; interpreted, 0.7 s.
        std::string script =
            "JAVA_TOOL_OPTIONS=-Xint " + std::string(NIDUS_CONVERT) + " --answer yes --classpath " +
            quote(root) + " --rules " +
            quote(rules) + " -o " + quote(output) + " " + quote(source) + " >" +
            quote(root + "/log") + " 2>&1 & pid=$!; for i in $(seq 200); do java=$(pgrep -P $pid); "
            "[ -n \"$java\" ] && break; sleep 0.05; done; sleep 0.1; kill -" + signal +
            " $pid; wait $pid; echo \"exit $?\"; sleep 0.3; kill -0 $java 2>/dev/null && echo "
            "'helper left'; cat " + quote(root + "/log");
        CommandResult result = runCommand("sh -c " + quote(script));
        int code = signal[0] == 'I' ? 130 : 143;
        EXPECT_EQ(0u, result.output.find("exit " + std::to_string(code) + "\n")) << result.output;
        EXPECT_FALSE(contains(result.output, "helper left")) << result.output;
        EXPECT_TRUE(contains(result.output, "nidus-convert: 0 files: 0 converted")) << result.output;
        EXPECT_TRUE(contains(result.output, std::string("nidus-convert: interrupted by SIG") +
                                                signal + " after 0 of 1 files"))
            << result.output;
        EXPECT_TRUE(listTree(output).empty());
    }
}

}  // namespace
}  // namespace hosttest

namespace hosttest {
namespace {

TEST_F(CommandLineTest, ExactModeSaysWhichNamesWithoutARuleOnlyTheCompilerFound) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    std::string classes = compileClasses(NIDUS_STUBS_DIR "/olddb");
    // The type of s.run("x") comes from the vendor's jar: only the compiler
    // knows that next() is the vendor's, and no rule names it.
    writeFile(source + "/a/A.java",
              "package a;\n\nimport net.olddb.Session;\n\nclass A {\n    boolean f(Session s) {\n"
              "        return s.run(\"x\").next();\n    }\n}\n");
    CommandResult own = convertTree();
    EXPECT_EQ(0, own.exitCode) << own.output;
    EXPECT_FALSE(contains(own.output, "only the compiler found")) << own.output;
    CommandResult exact = convertTree("--answer yes --classpath " + quote(classes));
    EXPECT_EQ(1, exact.exitCode) << exact.output;
    EXPECT_TRUE(contains(exact.output, "1 vendor names have no rule")) << exact.output;
    EXPECT_TRUE(contains(exact.output, "\n1 of them only the compiler found (exact mode)"))
        << exact.output;
    // A name the host finds as well is not counted.
    writeFile(source + "/a/B.java", kUnconfigured);
    CommandResult both = convertTree("-j 2 --answer yes --classpath " + quote(classes));
    EXPECT_TRUE(contains(both.output, "2 vendor names have no rule")) << both.output;
    EXPECT_TRUE(contains(both.output, "\n1 of them only the compiler found")) << both.output;
}

}  // namespace
}  // namespace hosttest
