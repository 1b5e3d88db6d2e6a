// A whole file through both passes, as a host hands it: the checking pass
// counts and asks without writing, the writing pass writes the converted
// file; a file with nothing under the rules is copied as it is.
#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kRules =
    "<Classes><class src=\"net.olddb.Session\" to=\"org.newdb.Session\"/></Classes>\n"
    "<Methods><method src=\"exec\" to=\"execute\" params=\"2\"><param new=\"1\" old=\"1\"/>"
    "<param new=\"2\" old=\"2\"/><param new=\"3\" default=\"false\"/></method></Methods>\n";

const char* const kSource =
    "import net.olddb.Probe;\n"
    "public class Main\n"
    "{\n"
    "    void run()\n"
    "    {\n"
    "        Connection c = DriverManager.getConnection(\"jdbc:net.olddb.thin:host\");\n"
    "        if (c == null)\n"
    "            return;\n"
    "        net.olddb.Session s = new net.olddb.Session(c);\n"
    "        s.exec(\"select 1\", 30);\n"
    "    }\n"
    "}\n";

class WholeFile : public PluginTest {
protected:
    // Hands the content of kSource the way a host does; the result of every
    // operation must be 0.
    void handFile() {
        EXPECT_EQ(0, convert(statement("import net.olddb.Probe;")
                                 .kind(tala::kStmtImport)
                                 .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4")));
        EXPECT_EQ(0, plugin->outputText("public class Main"));
        EXPECT_EQ(0, plugin->beginBlock());
        EXPECT_EQ(0, plugin->outputText("    void run()"));
        EXPECT_EQ(0, plugin->beginBlock());
        EXPECT_EQ(
            0,
            runBody({statement("Connection c = DriverManager.getConnection(\"jdbc:net.olddb.thin:"
                               "host\");")
                         .withNodes("Connection:24 c:16 =:4 DriverManager:11 .:4 "
                                    "getConnection:14@java.sql.DriverManager.getConnection (:4")
                         .withNode(node(tala::kNodeString, "\"jdbc:net.olddb.thin:host\""))
                         .withNodes("):4 ;:4")
                         .levels(1, 1, 1)
                         .lines(6, 5, 7),
                     statement("if (c == null)").levels(1, 1, 1).lines(7, 6, 8),
                     statement("return;").levels(1, 1, 1).lines(8, 7, 9),
                     statement("net.olddb.Session s = new net.olddb.Session(c);")
                         .withNodes("net:16 .:4 olddb:16 .:4 Session:11@net.olddb.Session s:16 =:4 "
                                    "new:7 net:16 .:4 olddb:16 .:4 Session:11@net.olddb.Session "
                                    "(:4 c:16 ):4 ;:4")
                         .levels(1, 1, 1)
                         .lines(9, 8, 10),
                     statement("s.exec(\"select 1\", 30);")
                         .withNodes("s:0 .:4 exec:14@net.olddb.Session.exec (:4 \"select 1\":5 ,:4 "
                                    "30:0 ):4 ;:4")
                         .levels(1, 1, -1)
                         .lines(10, 9, 11)}));
        EXPECT_EQ(0, plugin->endBlock());
    }
};

TEST_F(WholeFile, CheckingPassAsksThenWritingPassAsksAgainAndWrites) {
    load(kRules);
    sourceFile(kSource);
    ASSERT_EQ(0, plugin->beginFile());
    handFile();
    EXPECT_FALSE(fileExists(outputPath()));
    EXPECT_EQ(1u, boxes().size());
    ASSERT_EQ(1, plugin->endFile());
    ASSERT_EQ(0, plugin->beginFile());
    handFile();
    EXPECT_EQ(
        lines("import org.newdb.Probe;\n"
              "public class Main\n"
              "{\n"
              "    void run()\n"
              "    {\n"
              "        Connection c = DriverManager.getConnection(\"jdbc:net.olddb.thin:host\"); \n"
              "        if (c == null)\n"
              "            return;\n"
              "        org.newdb.Session s = new org.newdb.Session(c); \n"
              "        s.execute(\"select 1\", 30, false); \n"
              "    }\n"
              "}\n"),
        finishWriting());
    const MessageBoxCall asked{
        "There is no replacement configured for 'net.olddb.thin' in the "
        "\"jdbc:net.olddb.thin:host\"\nContinue conversion?",
        "Message", tala::kBoxQuestion};
    EXPECT_EQ((std::vector<MessageBoxCall>{asked, asked}), boxes());
    EXPECT_TRUE(log().empty());
}

// Only a statement whose node walk reaches its end counts as converted.
TEST_F(WholeFile, StatementThatFailsInTheCheckingPassCountsNothing) {
    load(kRules);
    const std::string source = "Missing m;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(-1, convert(statement(source).withNodes("Missing:11@net.olddb.Missing m:16 ;:4")));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_EQ(1u, boxes().size());
    EXPECT_EQ((std::vector<LogLine>{{"getNodeCode is null!", "", "TalaStmt", 202}}), log());
}

TEST_F(WholeFile, FileWithNothingUnderTheRulesIsCopiedByteForByte) {
    load(kRules);
    const std::string source = "class Plain {\r\n\tString s = \"olddbx.Driver\";\n}\n\xb5";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, plugin->outputText("class Plain"));
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, runBody({statement("String s = \"olddbx.Driver\";")
                              .withNodes("String:24 s:16 =:4 \"olddbx.Driver\":5 ;:4"),
                          statement("list.add(olddbx.Session.exec());")
                              .withNodes("list:16 .:4 add:14@java.util.List.add (:4 olddbx:16 .:4 "
                                         "Session:11@olddbx.Session .:4 "
                                         "exec:14@olddbx.Session.exec (:4 ):4 ):4 ;:4")}));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(log().empty());
}

}  // namespace
}  // namespace nidustest
