// The statement driver: braces and indentation of a body rebuilt from the
// host's levels and the statements' first words, and its block errors.
#include "PluginTest.h"

namespace nidustest {
namespace {

using StatementDriver = PluginTest;

// A statement on its own source line, between its neighbours' lines.
StmtSpec at(const std::string& source, int level, int prev, int next, int line) {
    return statement(source).levels(level, prev, next).lines(line, line - 1, line + 1);
}

// A statement whose first token is the host's single "else if" token.
StmtSpec elseIf(const std::string& condition) {
    StmtSpec desc = statement("else if " + condition);
    desc.tokens[0].text = "else if";
    desc.tokens.erase(desc.tokens.begin() + 1);
    return desc;
}

void openBlocks(tala::IConvert* plugin, int count) {
    for (int i = 0; i < count; ++i) plugin->beginBlock();
}

// A body run with mode 0 inside one block opened before it.
struct BodyCase {
    const char* what;
    std::vector<StmtSpec> body;
    const char* output;
};

TEST_F(StatementDriver, LevelsBecomeBracesAndIndentation) {
    const BodyCase cases[] = {
        {"a shallower statement closes each ended level",
         {at("if (a)", 1, 1, 2, 1), at("if (b)", 2, 1, 3, 2), at("x;", 3, 2, 1, 3),
          at("y;", 1, 3, -1, 4)},
         "{\n    if (a)\n    {\n        if (b)\n        {\n            x;\n        }\n    }\n"
         "    y;\n}\n"},
        {"while follows the last closing brace on its line",
         {at("do", 1, 1, 2, 1), at("if (a)", 2, 1, 3, 2), at("x++;", 3, 2, 1, 3),
          at("while (c);", 1, 3, -1, 4)},
         "{\n    do\n    {\n        if (a)\n        {\n            x++;\n        }\n"
         "    }while (c);\n}\n"},
        {"a statement beginning with a brace closes its level itself",
         {at("if (a) {", 1, 1, 2, 1), at("x;", 2, 1, 1, 2), at("}", 1, 2, -1, 3)},
         "{\n    if (a) {\n        x;\n    }\n}\n"},
        {"a brace opened on the line of the next statement",
         {statement("if (a)").levels(1, 1, 2).lines(5, 4, 5),
          statement("x = 1;").levels(2, 1, 1).lines(5, 5, 6), at("return;", 1, 2, -1, 7)},
         "{\n    if (a) {x = 1;\n    }\n    return;\n}\n"},
        {"the last statement closes the body's inner levels",
         {at("if (a)", 1, 1, 2, 1), at("if (b)", 2, 1, 3, 2), at("x;", 3, 2, -1, 3)},
         "{\n    if (a)\n    {\n        if (b)\n        {\n            x;\n        }\n    }\n}\n"},
        {"switch opens a brace whatever the levels, labels stand one level out",
         {at("switch (k)", 1, 1, 1, 1), at("case 1:", 1, 1, 2, 2), at("x = 1;", 2, 1, 2, 3),
          at("break;", 2, 2, 1, 4), at("default:", 1, 2, 2, 5), at("y = 2;", 2, 1, -1, 6)},
         "{\n    switch (k)\n    {\n    case 1:\n        x = 1;\n        break;\n"
         "    default:\n        y = 2;\n    }\n}\n"},
        {"a label's own brace takes one level more, given back at its closing brace",
         {at("switch (k)", 1, 1, 1, 1), at("case 1: {", 1, 1, 3, 2), at("x;", 3, 1, 1, 3),
          at("}", 1, 3, 1, 4), at("default:", 1, 1, 2, 5), at("y;", 2, 1, -1, 6)},
         "{\n    switch (k)\n    {\n    case 1: {\n                x;\n        }\n"
         "    default:\n        y;\n    }\n}\n"},
        {"a last statement at level 0 writes no closing line",
         {at("x;", 0, 0, -1, 1)},
         "{\n    x;\n}\n"},
        {"a last statement at a negative level writes no closing line",
         {at("x;", -2, -2, -1, 1)},
         "{\n    x;\n}\n"},
    };
    load();
    int file = 0;
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.what);
        sourceFile("", "", "Case" + std::to_string(++file) + ".java");
        beginWriting();
        plugin->beginBlock();
        EXPECT_EQ(0, runBody(c.body));
        EXPECT_EQ(lines(c.output), finishWriting());
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(StatementDriver, BraceLessBodyIsIndentedAfterIfForElseAndElseIfOnly) {
    const struct {
        StmtSpec head;
        const char* text;
        bool indents;
    } cases[] = {
        {statement("if (a)"), "if (a)", true},
        {statement("for (;;)"), "for (;;)", true},
        {statement("else"), "else", true},
        {elseIf("(b)"), "else if (b)", true},
        {statement("while (a)"), "while (a)", false},
        {statement("do"), "do", false},
    };
    load();
    int file = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sourceFile("", "", "Case" + std::to_string(++file) + ".java");
        beginWriting();
        plugin->beginBlock();
        StmtSpec head = c.head;
        head.levels(1, 1, 1).lines(1, 0, 2);
        EXPECT_EQ(0, runBody({head, at("x;", 1, 1, 1, 2), at("y;", 1, 1, -1, 3)}));
        EXPECT_EQ(lines(std::string("{\n    ") + c.text + "\n" +
                        (c.indents ? "        x;\n" : "    x;\n") + "    y;\n}\n"),
                  finishWriting());
    }
}

TEST_F(StatementDriver, NextBodyDoesNotInheritABraceLessHead) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, runBody({at("if (a)", 1, 1, -1, 1)}, tala::kBodyOpen));
    EXPECT_EQ(0, runBody({at("x;", 1, 1, -1, 2)}, tala::kBodyOpen));
    EXPECT_EQ(lines("if (a)\nx;\n"), finishWriting());
}

TEST_F(StatementDriver, BodyAfterAFailedBodyDoesNotInheritABraceLessHead) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(-1, runBody({at("if (a)", 1, 1, 1, 1), statement("")}, tala::kBodyOpen));
    EXPECT_EQ(0, runBody({at("x;", 1, 1, -1, 5)}, tala::kBodyOpen));
    EXPECT_EQ(lines("if (a)\nx;\n"), finishWriting());
}

TEST_F(StatementDriver, StatementHandedOnItsOwnGetsNoBlockLogic) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, convert(at("case 1:", 1, 3, 2, 1)));
    EXPECT_EQ(0, convert(at("x;", 1, 1, 3, 2)));
    EXPECT_EQ(lines("case 1:\nx;\n"), finishWriting());
    EXPECT_TRUE(log().empty());
}

TEST_F(StatementDriver, ConvertedStatementKeepsItsPlaceInTheBody) {
    load("<Classes><class src=\"Probe\" to=\"Sonde\"/></Classes>");
    sourceFile("");
    beginWriting();
    plugin->beginBlock();
    EXPECT_EQ(0, runBody({statement("t=Probe;")
                              .withNodes("t:16 =:4 Probe:24")
                              .last(";")
                              .levels(1, 1, 1)
                              .lines(5, 4, 5),
                          statement("y;").levels(1, 1, -1).lines(5, 5, 6)}));
    EXPECT_EQ(lines("{\n    t = Sonde; y;\n}\n"), finishWriting());
}

TEST_F(StatementDriver, CheckingPassAsksForNoFirstTokenAndWritesNothing) {
    load();
    const std::string source = "case 1:\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, runBody({statement(""), at("case 1:", 1, 3, 4, 2)}));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_TRUE(log().empty());
}

struct FailCase {
    const char* name;
    int depth;
    std::vector<StmtSpec> body;
    const char* message;
    const char* written;
    bool stillOpen;
};

const char* const kMismatch = "File matching error!";

const FailCase kFailCases[] = {
    {"StatementWithoutFirstToken", 0, {statement("")}, "getFirseToken fail!", "", true},
    {"CaseLabelAtDepthZero", 0, {at("case 1:", 1, 1, -1, 1)}, kMismatch, "", true},
    {"ClosingLineAtDepthZero", 0, {at("x;", 1, 2, -1, 1)}, kMismatch, "", true},
    {"BlockTwoLevelsDeeperWithoutBrace",
     1,
     {at("x;", 1, 1, 3, 1), at("y;", 3, 1, -1, 2)},
     kMismatch,
     "{\n    x;\n",
     true},
    {"LastStatementClosingAtDepthZero", 0, {at("x;", 3, 3, -1, 1)}, kMismatch, "x;\n", true},
    {"BraceLessUndoAtDepthZero",
     0,
     {at("if (a)", 1, 1, 1, 1), at("}", 1, 1, -1, 2)},
     kMismatch,
     "if (a)\n}\n",
     true},
    {"LabelBraceExtraLoweringAtDepthZero",
     1,
     {at("case 1: {", 1, 1, 3, 1), at("x;", 1, 4, 1, 2), at("}", 1, 3, -1, 3)},
     kMismatch,
     "{\ncase 1: {\n        }\n    }\n}\nx;\n",
     true},
    {"LeadingBraceAtDepthZero", 0, {at("}", 1, 1, -1, 1)}, kMismatch, "", false},
};

void PrintTo(const FailCase& value, std::ostream* out) {
    *out << value.name;
}

// Each case gets a converter of its own.
class BlockError : public PluginTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(BlockError, FailsTheBodyAndOnlyALeadingBraceClosesTheOutput) {
    const FailCase& c = GetParam();
    load();
    sourceFile("");
    beginWriting();
    openBlocks(plugin, c.depth);
    EXPECT_EQ(-1, runBody(c.body));
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ(c.message, log()[0].message);
    EXPECT_EQ("", log()[0].detail);
    EXPECT_EQ("TalaStmt", log()[0].file);
    EXPECT_GT(log()[0].line, 0);
    EXPECT_EQ(0, plugin->outputText("after"));
    if (c.stillOpen) {
        EXPECT_EQ(lines(std::string(c.written) + "after\n"), finishWriting());
    } else {
        EXPECT_EQ(lines(c.written), written());
    }
}

INSTANTIATE_TEST_SUITE_P(StatementDriver, BlockError, ::testing::ValuesIn(kFailCases),
                         [](const ::testing::TestParamInfo<FailCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace nidustest
