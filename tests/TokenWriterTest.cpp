// The token writer: statements that need no change come out token by token
// with the output layout, and a "}" below depth 0 closes the output file.
#include "PluginTest.h"

namespace nidustest {
namespace {

using TokenWriter = PluginTest;

struct LayoutCase {
    const char* what;
    StmtSpec stmt;
    const char* output;  // after the "{" line that sets depth 1
};

TEST_F(TokenWriter, LayoutKeepsLineBreaksAndRebuildsBlanksAndIndentation) {
    const LayoutCase cases[] = {
        {"blanks between tokens stay single", statement("a = { 1 }"), "    a = { 1 }\n"},
        {"runs of blanks and tabs become one blank", statement("a  =\t\t{1}"), "    a = {1}\n"},
        {"tokens without white space stay joined", statement("f(x)[0];"), "    f(x)[0];\n"},
        {"blank lines collapse; a continuation line gets no extra step",
         statement("x = f(\n\n\n      y);"), "    x = f(\n    y);\n"},
        {"a brace at a line end indents the lines inside it", statement("int[] a = {\n1,\n  2\n};"),
         "    int[] a = {\n        1,\n        2\n        };\n"},
        {"next statement on the same line: one blank", statement("a;").lines(3, 2, 3), "    a; "},
        {"next statement on a later line: a line break", statement("a;").lines(3, 2, 4),
         "    a;\n"},
        {"no line at all: a line break", statement("a;").lines(-1, 0, -1), "    a;\n"},
    };
    load();
    int file = 0;
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        sourceFile("", "", "Case" + std::to_string(++file) + ".java");
        beginWriting();
        plugin->beginBlock();
        EXPECT_EQ(0, convert(c.stmt));
        EXPECT_EQ(lines(std::string("{\n") + c.output), finishWriting());
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(TokenWriter, StatementsOnOneLineShareItSeparatedByOneBlank) {
    load();
    sourceFile("");
    beginWriting();
    plugin->beginBlock();
    EXPECT_EQ(0, convert(statement("a = 1;").lines(7, 6, 7)));
    EXPECT_EQ(0, convert(statement("b = 2;").lines(7, 7, 8)));
    EXPECT_EQ(lines("{\n    a = 1; b = 2;\n"), finishWriting());
}

TEST_F(TokenWriter, BraceTokensCarryTheDepthIntoLaterStatements) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, convert(statement("if (a) {").lines(1, 0, 2)));
    EXPECT_EQ(0, convert(statement("x = (1);").lines(2, 1, 3)));
    EXPECT_EQ(0, convert(statement("}").lines(3, 2, 4)));
    EXPECT_EQ(0, convert(statement("y;").lines(4, 3, 5)));
    EXPECT_EQ(lines("if (a) {\n    x = (1);\n}\ny;\n"), finishWriting());
}

TEST_F(TokenWriter, UnchangedKindIsWrittenWithoutIndentationAndFirstBraceKeepsDepth) {
    load();
    sourceFile("");
    beginWriting();
    plugin->beginBlock();
    EXPECT_EQ(0, convert(statement("}  x").kind(tala::kStmtUnchanged)));
    // The leading "}" lowered nothing: the block still closes normally.
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(lines("{\n} x\n}\n"), finishWriting());
    EXPECT_TRUE(log().empty());
}

struct BraceFailure {
    const char* what;
    StmtSpec stmt;
    const char* written;
};

TEST_F(TokenWriter, ClosingBraceBelowDepthZeroFailsAndClosesTheOutput) {
    const BraceFailure cases[] = {
        {"unchanged kind", statement("x }").kind(tala::kStmtUnchanged), "x }"},
        {"plain statement", statement("a = 1 }").lines(4, 3, 5), "a = 1 }"},
        {"second brace after a balanced pair", statement("{ } }").kind(tala::kStmtUnchanged),
         "{ } }"},
    };
    load();
    int file = 0;
    for (const BraceFailure& c : cases) {
        SCOPED_TRACE(c.what);
        host.log.clear();
        sourceFile("", "", "Case" + std::to_string(++file) + ".java");
        beginWriting();
        EXPECT_EQ(-1, convert(c.stmt));
        ASSERT_EQ(2u, log().size());
        EXPECT_EQ("fail!", log()[0].message);
        EXPECT_EQ("Output token fail!", log()[1].message);
        for (const LogLine& line : log()) {
            EXPECT_EQ("", line.detail);
            EXPECT_EQ("TalaFile", line.file);
            EXPECT_GT(line.line, 0);
        }
        // The file is closed: no separator, and nothing later reaches it.
        EXPECT_EQ(0, plugin->outputText("later"));
        EXPECT_EQ(0, plugin->beginBlock());
        EXPECT_EQ(lines(c.written), written());
    }
}

TEST_F(TokenWriter, CheckingPassWritesNoToken) {
    load();
    const std::string source = "a = { 1 }\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, convert(statement("a = { 1 }")));
    EXPECT_EQ(0, convert(statement("x }").kind(tala::kStmtUnchanged)));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_TRUE(log().empty());
}

}  // namespace
}  // namespace nidustest
