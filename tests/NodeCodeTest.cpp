// Statements rebuilt from their nodes: the spacing of the rebuilt line, its
// closing ";" or ":", the braces it counts, and its failures.
#include "PluginTest.h"

namespace nidustest {
namespace {

// Class rules for names standing alone: every statement below holds one, so
// it is rebuilt from its nodes, and the renaming shows in the line.
const char* const kRenames =
    "<Classes><class src=\"OldA\" to=\"A\"/><class src=\"Ka\" to=\"a\"/>"
    "<class src=\"Kb\" to=\"b\"/><class src=\"KM\" to=\"M\"/><class src=\"Kx\" to=\"x\"/>"
    "<class src=\"Ki\" to=\"i\"/><class src=\"Kone\" to=\"1\"/></Classes>";

// The tokens of every rebuilt statement: if they were written instead of
// the rebuilt line, this text would show in the output.
const char* const kTokens = "TOKENS";

StmtSpec rebuilt(const std::string& nodes) {
    return statement(kTokens).withNodes(nodes);
}

const LogLine kNodeCodeNull{"getNodeCode is null!", "", "TalaStmt", 202};

class NodeCode : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        load(kRenames);
    }

    // Hands each case on its own in one writing pass; the file written.
    std::string writeEach(const std::vector<std::pair<std::string, std::string>>& cases,
                          std::string& expected) {
        beginWriting();
        for (const auto& item : cases) {
            EXPECT_EQ(0, convert(rebuilt(item.first))) << item.first;
            expected += item.second + "\n";
        }
        return finishWriting();
    }
};

TEST_F(NodeCode, WorkedExampleEndsInBlankThenSeparator) {
    const std::string nodes = "L:11 <:4 S:11 >:4 v:12 =:4 new:7 OldA:24 <:4 >:4 (:4 ):4 ;:4";
    beginWriting();
    EXPECT_EQ(0, convert(rebuilt(nodes).last(";").lines(5, 4, 6)));
    EXPECT_EQ(0, convert(rebuilt(nodes).lines(6, 5, 6)));
    EXPECT_EQ(0, convert(rebuilt(nodes).lines(6, 6, 7)));
    EXPECT_EQ(lines("L<S>v = new A<>(); \n"
                    "L<S>v = new A<>();  L<S>v = new A<>(); \n"),
              finishWriting());
    EXPECT_TRUE(log().empty());
}

TEST_F(NodeCode, SpacingFollowsOperatorsGenericsAndPunctuation) {
    std::string expected;
    std::string output = writeEach({{"-:4 Kone:24", "-1"},
                                    {"Ka:24 &&:4 Kb:24", "a&&b"},
                                    {"Kx:24 *=:4 2:0", "x*=2"},
                                    {"Ki:24 ++:4", "i++"},
                                    {"a:16 <:4 Kb:24", "a < b"},
                                    {"Ka:24 >:4 Kb:24", "a > b"},
                                    {"KM:24 <:4 K:24 ,:4 V:24 >:4", "M<K, V>"},
                                    {"L:11 <:4 KM:24 <:4 K:24 >:4 >:4 l:16", "L<M<K>>l"},
                                    {"KM:24 <:4 K:24 >:4 >:4 Kb:24", "M<K> > b"},
                                    {"Ka:24 ,:4 b:16 ;:4 c:16", "a, b; c"},
                                    {"Kx:24 [:4 0:0 ]:4 .:4 f:0 (:4 ):4", "x[0].f()"},
                                    {"!:4 Kx:24 ?:4 1:0 ::4 2:0", "!x ? 1 : 2"},
                                    {"p:16 .:4 q:16 .:4 T:11 =:4 Kx:24 ;:4", "p.q.T = x; "},
                                    {"return:7 Kx:24 .:4 y:12", "return x.y"}},
                                   expected);
    EXPECT_EQ(lines(expected), output);
}

TEST_F(NodeCode, EveryOperatorTextAndNoOtherGetsBlanks) {
    const std::vector<std::string> operators = {
        "+",  "-",  "*",  "/",  "=",  "?",  ":",  "|",  "&",  ">",  "<",   "==",  "!=", "+=",
        "-=", "/=", "%=", "|=", "&=", "^=", ">=", "<=", "<<", ">>", "<<=", ">>=", ">>>"};
    const std::vector<std::string> others = {"&&", "||", "*=", "%", "^", "!", "~", "++", "--"};
    std::vector<std::pair<std::string, std::string>> cases;
    for (const std::string& op : operators)
        cases.push_back({"y:16 " + op + ":4 Kx:24", "y " + op + " x"});
    for (const std::string& op : others)
        cases.push_back({"y:16 " + op + ":4 Kx:24", "y" + op + "x"});
    std::string expected;
    std::string output = writeEach(cases, expected);
    EXPECT_EQ(lines(expected), output);
}

TEST_F(NodeCode, ClosingSemicolonOrColonComesFromTheLastToken) {
    beginWriting();
    EXPECT_EQ(0, convert(rebuilt("return:7 Kx:24").last(";")));
    EXPECT_EQ(0, convert(rebuilt("case:7 Kx:24").last(":")));
    EXPECT_EQ(0, convert(rebuilt("return:7 Kx:24").last(")")));
    EXPECT_EQ(0, convert(rebuilt("return:7 Kx:24")));
    // A last node ";" or "{" closes the line itself: no token is fetched.
    EXPECT_EQ(0, convert(rebuilt("Kx:24 ;:4").last(";")));
    EXPECT_EQ(0, convert(rebuilt("Kx:24 {:4").last(";")));
    EXPECT_EQ(lines("return x;\n"
                    "case x:\n"
                    "return x\n"
                    "return x\n"
                    "x; \n"
                    "x {\n"),
              finishWriting());
}

// The "{" of a rebuilt statement raises depth and stmtBraces: the next
// statement is indented, and no second brace is opened for it.
TEST_F(NodeCode, OpeningBraceIsCountedInTheBody) {
    beginWriting();
    EXPECT_EQ(0, runBody({rebuilt("if:7 (:4 Kx:24 ):4 {:4").levels(1, 1, 2).lines(1, 0, 2),
                          statement("y = 1;").levels(2, 1, 1).lines(2, 1, 3),
                          statement("}").levels(1, 2, -1).lines(3, 2, 4)},
                         tala::kBodyOpen));
    EXPECT_EQ(lines("if(x) {\n"
                    "    y = 1;\n"
                    "}\n"),
              finishWriting());
    EXPECT_TRUE(log().empty());
}

// A "}" that is the statement's first node closes nothing: here the block
// was already closed by the statement's first word.
TEST_F(NodeCode, LeadingClosingBraceIsNotCounted) {
    beginWriting();
    EXPECT_EQ(0, convert(statement("do {").lines(1, 0, 2)));
    EXPECT_EQ(0, convert(statement("} while (Kx);")
                             .withNodes("}:4 while:7 (:4 Kx:24 ):4")
                             .last(";")
                             .lines(2, 1, 3)));
    EXPECT_EQ(lines("do {\n"
                    "}while(x);\n"),
              finishWriting());
    EXPECT_TRUE(log().empty());
}

TEST_F(NodeCode, ClosingBraceBelowDepthZeroClosesTheOutputFile) {
    beginWriting();
    EXPECT_EQ(0, convert(rebuilt("Kx:24 ;:4")));
    EXPECT_EQ(-1, convert(rebuilt("Kx:24 }:4")));
    EXPECT_EQ((std::vector<LogLine>{{"fail!", "", "TalaStmt", 268}}), log());
    EXPECT_EQ(lines("x; \n"), written());
    EXPECT_EQ(0, plugin->outputText("after"));
    EXPECT_EQ(0, convert(rebuilt("Kx:24 ;:4")));
    EXPECT_EQ(lines("x; \n"), written());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(NodeCode, CheckingPassCountsWithoutWritingOrCountingBraces) {
    sourceFile("x }\n");
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, convert(rebuilt("Kx:24 }:4")));
    EXPECT_EQ(0, convert(rebuilt("if:7 (:4 Kx:24 ):4 {:4")));
    EXPECT_FALSE(fileExists(outputPath()));
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(1, plugin->endFile());
    EXPECT_EQ("", finishWriting());
}

TEST_F(NodeCode, DottedNameEndingInDotFailsTheStatement) {
    beginWriting();
    EXPECT_EQ(-1, convert(rebuilt("Kx:24 =:4 a:16 .:4 b:16 .:4")));
    EXPECT_EQ(std::vector<LogLine>{kNodeCodeNull}, log());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ("", finishWriting());
}

}  // namespace
}  // namespace nidustest
