// Driver class names inside string literals: found around the package
// keyword, replaced through the class rules, and, without a rule, the
// question whether to go on when the literal names a driver or connection.
#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kRules =
    "<Classes><class src=\"x.olddb.y.Z\" to=\"p.Q\"/><class src=\"x.olddb.y\" to=\"p.Y\"/>"
    "<class src=\"x.olddb\" to=\"p.R\"/><class src=\"k.olddbx.olddb.D\" to=\"p.K\"/>"
    "<class src=\"net.olddb.jdbc.Driver\" to=\"org.newdb.jdbc.Driver\"/></Classes>\n"
    "<Words><word src=\"Z\" to=\"W\"/><word src=\"Foo\" to=\"Bar\"/></Words>\n"
    "<Methods><method src=\"f\" to=\"t\" params=\"2\"/></Methods>\n";

const LogLine kNodeCodeNull{"getNodeCode is null!", "", "TalaStmt", 202};

// A string literal node holding content between its quotes.
NodeSpec literal(const std::string& content) {
    return node(tala::kNodeString, "\"" + content + "\"");
}

StmtSpec forName(const std::string& content) {
    return statement("TOKENS")
        .withNodes("Class:11 .:4 forName:14@java.lang.Class.forName (:4")
        .withNode(literal(content))
        .withNodes("):4 ;:4");
}

std::string question(const std::string& className, const std::string& text) {
    return "There is no replacement configured for '" + className + "' in the " + text +
           "\nContinue conversion?";
}

class DriverString : public PluginTest {
protected:
    explicit DriverString(const char* language = "English") : language(language) {}

    void SetUp() override {
        PluginTest::SetUp();
        host.language = language;
        load(kRules);
    }

    const char* language;
};

TEST_F(DriverString, DottedNameAroundTheKeywordIsReplacedInsideTheQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x.olddb.y.Z", "p.Q"},
        {"url=x.olddb.y.Z;", "url=p.Q;"},
        {"x.olddb.y2.Z", "p.Y2.Z"},
        {"x.olddb", "p.R"},
        {"k.olddbx.olddb.D", "p.K"},
        // No dot before the keyword: no name, so the word rules apply.
        {"olddb.y Z", "olddb.y W"},
        // A name without a rule outside a call: kept whole, words included.
        {"x.olddb.D Foo", "x.olddb.D Foo"},
    };
    beginWriting();
    std::string expected;
    for (const auto& item : cases) {
        EXPECT_EQ(0, convert(statement("TOKENS")
                                 .withNodes("s:16 =:4")
                                 .withNode(literal(item.first))
                                 .withNodes(";:4")))
            << item.first;
        expected += "s = \"" + item.second + "\"; \n";
    }
    EXPECT_EQ(lines(expected), finishWriting());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DriverString, NoQuestionUnlessArgumentOfForNameOrGetConnection) {
    beginWriting();
    const std::string unknown = "net.olddb.Unknown";
    EXPECT_EQ(0, convert(statement("T")
                             .withNodes("Class:11 .:4 load:14 (:4")
                             .withNode(literal(unknown))
                             .withNodes("):4")));
    EXPECT_EQ(0, convert(statement("T")
                             .withNodes("Class:11 .:4 forName:16 (:4")
                             .withNode(literal(unknown))
                             .withNodes("):4")));
    EXPECT_EQ(0, convert(statement("T")
                             .withNodes("forName:14 (:4 a:16 ,:4")
                             .withNode(literal(unknown))
                             .withNodes("):4")));
    EXPECT_EQ(0, convert(statement("T").withNode(literal(unknown)).withNodes(";:4")));
    EXPECT_EQ(0, convert(forName("net.olddb.jdbc.Driver")));
    EXPECT_EQ(lines("Class.load(\"net.olddb.Unknown\")\n"
                    "Class.forName(\"net.olddb.Unknown\")\n"
                    "forName(a, \"net.olddb.Unknown\")\n"
                    "\"net.olddb.Unknown\"; \n"
                    "Class.forName(\"org.newdb.jdbc.Driver\"); \n"),
              finishWriting());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DriverString, AnswerYesKeepsTheLiteral) {
    beginWriting();
    answer(tala::kAnswerYes);
    EXPECT_EQ(0, convert(forName("net.olddb.Unknown")));
    answer(tala::kAnswerYes);
    EXPECT_EQ(0, convert(statement("T")
                             .withNodes("DriverManager:11 .:4 getConnection:14 (:4")
                             .withNode(literal("jdbc:net.olddb.thin:host"))
                             .withNodes("):4")));
    // Inside a rebuilt argument list the cursor is back on the literal.
    answer(tala::kAnswerYes);
    EXPECT_EQ(0, convert(statement("T")
                             .withNodes("f:14@net.olddb.S.f (:4 Class:11 .:4 forName:14 (:4")
                             .withNode(literal("net.olddb.Unknown"))
                             .withNodes("):4 ,:4 b:16 ):4")));
    EXPECT_EQ(lines("Class.forName(\"net.olddb.Unknown\"); \n"
                    "DriverManager.getConnection(\"jdbc:net.olddb.thin:host\")\n"
                    "t(Class.forName(\"net.olddb.Unknown\"), b)\n"),
              finishWriting());
    const MessageBoxCall unknown{question("net.olddb.Unknown", "\"net.olddb.Unknown\""), "Message",
                                 tala::kBoxQuestion};
    EXPECT_EQ(
        (std::vector<MessageBoxCall>{unknown,
                                     {question("net.olddb.thin", "\"jdbc:net.olddb.thin:host\""),
                                      "Message", tala::kBoxQuestion},
                                     unknown}),
        boxes());
    EXPECT_TRUE(log().empty());
}

TEST_F(DriverString, AnswerNoFailsTheStatement) {
    beginWriting();
    answer(tala::kAnswerNo);
    EXPECT_EQ(-1, convert(forName("net.olddb.Unknown")));
    EXPECT_EQ(std::vector<LogLine>{kNodeCodeNull}, log());
    EXPECT_EQ(1u, boxes().size());
    EXPECT_EQ("", finishWriting());
}

TEST_F(DriverString, AnswerNoInsideARebuiltCallFailsTheStatement) {
    beginWriting();
    answer(tala::kAnswerNo);
    EXPECT_EQ(-1,
              convert(statement("T")
                          .withNodes("f:14@net.olddb.S.f (:4 a:16 ,:4 Class:11 .:4 forName:14 (:4")
                          .withNode(literal("net.olddb.Unknown"))
                          .withNodes("):4 ):4 ;:4")));
    EXPECT_EQ(std::vector<LogLine>{kNodeCodeNull}, log());
    EXPECT_EQ(1u, boxes().size());
    EXPECT_EQ("", finishWriting());
}

TEST_F(DriverString, RebuiltCallEndingOnALiteralFailsInsteadOfKeepingTheLiteral) {
    beginWriting();
    // The statement ends inside the argument list, on a literal.
    EXPECT_EQ(
        -1,
        convert(
            statement("T").withNodes("f:14@net.olddb.S.f (:4 a:16 ,:4").withNode(literal("Foo"))));
    EXPECT_EQ(std::vector<LogLine>{kNodeCodeNull}, log());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ("", finishWriting());
}

TEST_F(DriverString, NoQuestionWhenTheStatementFailsBeforeTheLiteral) {
    beginWriting();
    EXPECT_EQ(-1, convert(statement("T")
                              .withNodes("Missing:11@net.olddb.Missing c:16 =:4 Class:11 .:4 "
                                         "forName:14 (:4")
                              .withNode(literal("net.olddb.Unknown"))
                              .withNodes("):4 ;:4")));
    EXPECT_EQ((std::vector<MessageBoxCall>{
                  {"Missing", "No corresponding conversion item is configured!", tala::kBoxOk}}),
              boxes());
    EXPECT_EQ("", finishWriting());
}

class DriverStringInChinese : public DriverString {
protected:
    DriverStringInChinese() : DriverString("Chinese") {}
};

TEST_F(DriverStringInChinese, QuestionIsTheGbkText) {
    beginWriting();
    EXPECT_EQ(0, convert(forName("a.olddb.B")));
    EXPECT_EQ(
        (std::vector<MessageBoxCall>{{"\xD4\xDA \"a.olddb.B\" "
                                      "\xD6\xD0\xA3\xAC\xC3\xBB\xD3\xD0\xC5\xE4\xD6\xC3 "
                                      "a.olddb.B "
                                      "\xB6\xD4\xD3\xA6\xB5\xC4\xD7\xAA\xBB\xBB\xCF\xEE\xA3\xA1"
                                      "\n\xCA\xC7\xB7\xF1\xBC\xCC\xD0\xF8\xD7\xAA\xBB\xBB?",
                                      "Message", tala::kBoxQuestion}}),
        boxes());
    EXPECT_EQ(lines("Class.forName(\"a.olddb.B\"); \n"), finishWriting());
}

}  // namespace
}  // namespace nidustest
