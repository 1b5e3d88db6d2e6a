// Names replaced through their rules, method calls with rebuilt argument
// lists, word rules inside string literals, and the element failures that
// stop a statement.
#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kRules =
    "<Methods>"
    "<method src=\"f\" to=\"t\" params=\"2\"/>"
    "<method src=\"p\" to=\"t\" params=\"2\"><param new=\"1\" old=\"2\"/>"
    "<param new=\"2\" old=\"1\"/><param new=\"3\" default=\"abc\" type=\"string\"/>"
    "<param new=\"4\" default=\"0\" type=\"code\"/></method>"
    "<method src=\"one\" to=\"t\" params=\"1\"/>"
    "<method src=\"none\" to=\"t\" params=\"0\"/>"
    "<method src=\"h\" to=\"k\" params=\"1\"/>"
    "<method src=\"m\" to=\"n\"/>"
    "<method src=\"A.q\" to=\"aq\"/><method src=\"q\" to=\"bq\"/>"
    "<method src=\"past\" to=\"t\" params=\"2\"><param new=\"1\" old=\"3\"/></method>"
    "<method src=\"zero\" to=\"t\" params=\"1\"><param new=\"1\" old=\"0\"/></method>"
    "<method src=\"below\" to=\"t\" params=\"1\"><param new=\"1\" old=\"-2\"/></method>"
    "</Methods>\n"
    "<Classes><class src=\"net.olddb.Conn\" to=\"org.newdb.Conn\"/>"
    "<class src=\"Stmt\" to=\"Statement\"/>"
    "<class src=\"x.Pool\" to=\"QualifiedPool\"/><class src=\"Pool\" to=\"BarePool\"/></Classes>\n"
    "<Members><member src=\"Types.VARCHAR\" to=\"java.sql.Types.VARCHAR\"/>"
    "<member src=\"OPEN\" to=\"State.OPEN\"/></Members>\n"
    "<Words><word src=\"Foo\" to=\"Bar\"/><word src=\"ab\" to=\"x\"/>"
    "<word src=\"abc\" to=\"y\"/><word src=\"Q\" to=\"QQ\"/></Words>\n";

// A method name node of a call under the rules.
std::string call(const std::string& name) {
    return name + ":14@net.olddb.Session." + name;
}

const char* const kNotConfigured = "No corresponding conversion item is configured!";
const LogLine kNodeCodeNull{"getNodeCode is null!", "", "TalaStmt", 202};

class MethodCall : public PluginTest {
protected:
    explicit MethodCall(const char* language = "English") : language(language) {}

    void SetUp() override {
        PluginTest::SetUp();
        host.language = language;
        load(kRules);
    }

    // Converts each statement in one writing pass; returns the file.
    std::string writeEach(const std::vector<std::string>& nodeLists) {
        beginWriting();
        for (const std::string& nodes : nodeLists)
            EXPECT_EQ(0, convert(statement("TOKENS").withNodes(nodes))) << nodes;
        return finishWriting();
    }

    // Converts one statement that is to fail and checks that it failed the
    // way an element failure does, with exactly these boxes.
    void expectFailure(const std::string& nodes, const std::vector<MessageBoxCall>& expected) {
        SCOPED_TRACE(nodes);
        host.log.clear();
        messageBoxes().shown.clear();
        EXPECT_EQ(-1, convert(statement("TOKENS").withNodes(nodes)));
        EXPECT_EQ(std::vector<LogLine>{kNodeCodeNull}, log());
        EXPECT_EQ(expected, boxes());
    }

    const char* language;
};

class MethodCallInChinese : public MethodCall {
protected:
    MethodCallInChinese() : MethodCall("Chinese") {}
};

TEST_F(MethodCall, ArgumentListsAreRebuilt) {
    std::string output = writeEach({
        call("f") + " (:4 a:16 ,:4 b:16 ):4",
        call("p") + " (:4 x:16 ,:4 y:16 ):4",
        call("one") + " (:4 -:4 1:0 ):4",
        call("none") + " (:4 ):4",
        call("f") + " (:4 g:14 (:4 a:16 ):4 ,:4 (:4 b:16 +:4 c:16 ):4 *:4 d:16 ):4",
        call("one") + " (:4 new:7 K:24 (:4 ):4 ):4",
        call("f") + " (:4 " + call("h") + " (:4 1:0 ):4 ,:4 2:0 ):4",
        call("one") + " (:4 g:0 (:4 a:16 ,:4 b:16 ):4 ):4",
        "c:16 =:4 " + call("f") + " (:4 \"Foo\":5 ,:4 b:16 ):4 ;:4",
    });
    EXPECT_EQ(lines("t(a, b)\n"
                    "t(y, x, \"abc\", 0)\n"
                    "t( - 1)\n"
                    "t()\n"
                    "t(g(a), (b + c) * d)\n"
                    "t(new K())\n"
                    "t(k(1), 2)\n"
                    "t(g(a, b))\n"
                    "c = t(\"Bar\", b); \n"),
              output);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(MethodCall, QualifiedKeyFirstThenBareNameForTheWholeElement) {
    std::string output = writeEach({
        call("m") + " (:4 u:16 ):4",
        "A:11 .:4 q:14@net.olddb.A.q (:4 x:16 ):4",
        "B:11 .:4 q:14@net.olddb.B.q (:4 x:16 ):4",
        "r:16 .:4 q:14@net.olddb.R.q (:4 x:16 ):4",
        "this:7 .:4 q:14@net.olddb.S.q (:4 x:16 ):4",
        "s:16 .:4 " + call("f") + " (:4 a:16 ,:4 b:16 ):4",
        "net:16 .:4 olddb:16 .:4 Conn:11@net.olddb.Conn c:16 ;:4",
        "Stmt:11@net.olddb.Stmt s:16 ;:4",
        "olddb:16 .:4 Stmt:11@net.olddb.Stmt s:16 ;:4",
        "x:16 .:4 Pool:11@net.olddb.Pool p:16 ;:4",
        "y:16 .:4 Pool:11@net.olddb.Pool p:16 ;:4",
        "t:16 =:4 Types:11 .:4 VARCHAR:12@net.olddb.Types.VARCHAR ;:4",
        "t:16 =:4 OPEN:13@net.olddb.State.OPEN ;:4",
        "Other:24 o:16 =:4 new:7 Stmt:24 (:4 ):4 ;:4",
        "p:16 .:4 Stmt:24 s:16 ;:4",
        "return:7 net:16 .:4 olddb:16 .:4 Conn:11@net.olddb.Conn",
    });
    EXPECT_EQ(lines("n(u)\n"
                    "aq(x)\n"
                    "bq(x)\n"
                    "bq(x)\n"
                    "this.bq(x)\n"
                    "t(a, b)\n"
                    "org.newdb.Conn c; \n"
                    "Statement s; \n"
                    "Statement s; \n"
                    "QualifiedPool p; \n"
                    "BarePool p; \n"
                    "t = java.sql.Types.VARCHAR; \n"
                    "t = State.OPEN; \n"
                    "Other o = new Statement(); \n"
                    "Statement s; \n"
                    "return org.newdb.Conn\n"),
              output);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(MethodCall, WordRulesReplaceWholeWordsInAscendingKeyOrder) {
    std::string output = writeEach({
        "s:16 =:4 \"Foo.x FooBar _Foo Foo1 Foo\":5 ;:4",
        "s:16 =:4 \"abc ab\":5 ;:4",
        "s:16 =:4 \"Q Q\":5 ;:4",
    });
    EXPECT_EQ(lines("s = \"Foo.x FooBar _Foo Bar1 Bar\"; \n"
                    "s = \"y x\"; \n"
                    "s = \"QQ QQ\"; \n"),
              output);
}

using WordRules = PluginTest;

// Word rules whose replacements change a literal's length, on inputs where
// occurrences overlap, touch the ends of the text, sit beside joining bytes,
// or meet the text that an earlier replacement put in.
TEST_F(WordRules, ReplacementsThatChangeTheLength) {
    load(
        "<Words><word src=\"-\" to=\"x\"/><word src=\"Foo\" to=\"Foo Foo\"/>"
        "<word src=\"a a\" to=\"b\"/><word src=\"aa\" to=\"a\"/>"
        "<word src=\"x\" to=\"-x-\"/></Words>\n");
    struct WordCase {
        const char* literal;   // the node's text
        const char* replaced;  // the text written for it
    };
    const WordCase cases[] = {
        {"\"-\"", "\"-x-\""},
        // The "x" put in for the first "-" joins the second to it.
        {"\"--\"", "\"-x--\""},
        {"\"- -\"", "\"-x- -x-\""},
        {"\"Foo\"", "\"Foo Foo\""},
        {"\"Foo Foo\"", "\"Foo Foo Foo Foo\""},
        {"\"FooFoo Foo\"", "\"FooFoo Foo Foo\""},
        {"\"Foo.Foo .Foo Foo. _Foo Foo_ Foo\"", "\"Foo.Foo .Foo Foo. _Foo Foo_ Foo Foo\""},
        {"\"xFoo Foox 1Foo1\"", "\"xFoo Foox 1Foo Foo1\""},
        {"\"a a a\"", "\"b a\""},
        {"\"a a a a\"", "\"b b\""},
        {"\"a aa a\"", "\"a a a\""},
        {"\"aaa aaaa aa\"", "\"aaa aaaa a\""},
        {"\"aa aa\"", "\"a a\""},
        {"\"aa.aa aa_aa aa1aa\"", "\"aa.aa aa_aa a1a\""},
        // Without quotes the words stand at the very start and end.
        {"aa", "a"},
        {"-", "-x-"},
        {"a a", "b"},
        {"\"x x\"", "\"-x- -x-\""},
        {"\"-x-\"", "\"--x--\""},
    };
    beginWriting();
    for (const WordCase& c : cases) {
        StmtSpec stmt =
            statement("TOKENS").withNodes("s:16 =:4").withNode(node(tala::kNodeString, c.literal));
        EXPECT_EQ(0, convert(stmt.withNodes(";:4"))) << c.literal;
    }
    std::string expected;
    for (const WordCase& c : cases) expected += std::string("s = ") + c.replaced + "; \n";
    EXPECT_EQ(lines(expected), finishWriting());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(MethodCall, FailedElementsFailTheStatementAndWriteNothing) {
    beginWriting();
    const unsigned ok = tala::kBoxOk;
    const MessageBoxCall paramError{"Parameter replacement configuration error!", "error", ok};
    expectFailure("Missing:11@net.olddb.Missing m:16 ;:4", {{"Missing", kNotConfigured, ok}});
    expectFailure("net:16 .:4 olddb:16 .:4 Missing:11@net.olddb.Missing m:16 ;:4",
                  {{"net.olddb.Missing", kNotConfigured, ok}});
    expectFailure("s:16 .:4 run:14@net.olddb.Session.run (:4 ):4 ;:4",
                  {{"s.run", kNotConfigured, ok}});
    expectFailure("t:16 =:4 Types:11 .:4 CHAR:12@net.olddb.Types.CHAR ;:4",
                  {{"Types.CHAR", kNotConfigured, ok}});
    expectFailure("t:16 =:4 CLOSED:13@net.olddb.State.CLOSED ;:4",
                  {{"CLOSED", kNotConfigured, ok}});
    expectFailure(call("past") + " (:4 a:16 ,:4 b:16 ):4", {paramError});
    expectFailure(call("zero") + " (:4 a:16 ):4", {paramError});
    expectFailure(call("below") + " (:4 a:16 ):4", {paramError});
    // Failures without a message.
    expectFailure(call("f") + " (:4 a:16 ):4", {});
    expectFailure(call("f") + " (:4 a:16 ,:4 b:16 ,:4 c:16 ):4", {});
    expectFailure(call("none") + " (:4 a:16 ):4", {});
    expectFailure(call("f") + " (:4 a:16 ,:4 ):4", {});
    expectFailure(call("f") + " (:4 ,:4 a:16 ):4", {});
    expectFailure(call("f") + " (:4 a:16", {});
    expectFailure(call("f"), {});
    expectFailure(call("f") + " ;:4", {});
    expectFailure(call("f") + " (:4 " + call("h") + " (:4 ):4 ,:4 b:16 ):4", {});
    expectFailure("net:16 .:4 olddb:16 ;:4", {});
    expectFailure("net:16 .:4 olddb:16 .:4", {});
    EXPECT_EQ("", finishWriting());
}

TEST_F(MethodCallInChinese, BoxesUseTheirGbkTexts) {
    beginWriting();
    const unsigned ok = tala::kBoxOk;
    expectFailure(
        "Missing:11@net.olddb.Missing m:16 ;:4",
        {{"Missing",
          "\xC3\xBB\xD3\xD0\xC5\xE4\xD6\xC3\xB6\xD4\xD3\xA6\xB5\xC4\xD7\xAA\xBB\xBB\xCF\xEE", ok}});
    expectFailure(
        call("zero") + " (:4 a:16 ):4",
        {{"\xB2\xCE\xCA\xFD\xCC\xE6\xBB\xBB\xC5\xE4\xD6\xC3\xB4\xED\xCE\xF3!", "error", ok}});
    EXPECT_EQ("", finishWriting());
}

// Nodes of a call of "one" nested depth times around the argument a.
StmtSpec nestedCalls(int depth) {
    StmtSpec desc = statement("TOKENS");
    for (int i = 0; i < depth; ++i) desc.withNodes(call("one") + " (:4");
    desc.withNode(node(tala::kNodeName, "a"));
    for (int i = 0; i < depth; ++i) desc.withNode(node(tala::kNodeOperator, ")"));
    return desc;
}

TEST_F(MethodCall, NestingBeyondTheBoundFailsTheStatementNotTheStack) {
    beginWriting();
    EXPECT_EQ(-1, convert(nestedCalls(257)));
    ASSERT_EQ(2u, log().size());
    EXPECT_EQ("Call nesting is too deep!", log()[0].message);
    EXPECT_EQ("", log()[0].detail);
    EXPECT_EQ("TalaStmt", log()[0].file);
    EXPECT_EQ(kNodeCodeNull, log()[1]);
    // The bound is per statement: the next one may nest as deep as allowed.
    EXPECT_EQ(0, convert(nestedCalls(256)));
    std::string expected;
    for (int i = 0; i < 256; ++i) expected += "t(";
    expected += "a" + std::string(256, ')') + "\n";
    EXPECT_EQ(lines(expected), finishWriting());
    EXPECT_EQ(2u, log().size());
}

}  // namespace
}  // namespace nidustest
