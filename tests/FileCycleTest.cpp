// The two-pass cycle of a file: copied when nothing is converted, written
// anew when something is, and the IConvert operations around it.
#include "PluginTest.h"

namespace nidustest {
namespace {

using FileCycle = PluginTest;

TEST_F(FileCycle, FileWithoutConversionIsCopiedByteForByte) {
    load();
    const std::string source = "class Main {\r\n\tint x;\n}\n\x01\xff";
    sourceFile(source, "a" + std::string(1, kSeparator) + "b" + std::string(1, kSeparator));
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, convert(statement("int x;").lines(2, 1, 3)));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_TRUE(log().empty());
}

TEST_F(FileCycle, ConversionCountedOpensOutputThenClosesIt) {
    load();
    sourceFile("import net.olddb.Probe;\n");
    beginWriting();
    EXPECT_TRUE(fileExists(outputPath()));
    EXPECT_EQ(0, plugin->outputText("x"));
    EXPECT_EQ(0, plugin->outputText("y\n"));
    EXPECT_EQ(0, plugin->outputText(""));
    EXPECT_EQ(lines("x\ny\n"), finishWriting());
}

// Output that does not reach the disk fails the file: /dev/full takes the
// open and refuses the writes, at the close for a short text and already
// while writing for a long one.
TEST_F(FileCycle, OutputThatCannotBeWrittenFailsTheFileWithWriteFail) {
    if (kSeparator != '/') GTEST_SKIP() << "needs /dev/full";
    load();
    for (size_t length : {size_t(5), size_t(200000)}) {
        SCOPED_TRACE(std::to_string(length) + " bytes");
        host.log.clear();
        host.outPath = "/dev/";
        sourceFile("import net.olddb.Probe;\n", "", "full");
        beginWriting();
        EXPECT_EQ(0, plugin->outputText(std::string(length, 'x')));
        EXPECT_EQ(-1, plugin->endFile());
        EXPECT_EQ((std::vector<LogLine>{{"Write /dev/full fail!", "", "TalaBase", 102}}), log());
        // The file is closed: the next file starts afresh.
        host.log.clear();
        host.outPath = "";
        sourceFile("import net.olddb.Probe;\n");
        beginWriting();
        EXPECT_EQ(0, plugin->outputText("next"));
        EXPECT_EQ(lines("next\n"), finishWriting());
        EXPECT_TRUE(log().empty());
    }
}

TEST_F(FileCycle, KeepOriginalStatementCopiesEvenWithConversions) {
    load();
    const std::string source = "import net.olddb.Probe;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, convert(statement("import net.olddb.Probe;")
                             .kind(tala::kStmtImport)
                             .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4")));
    EXPECT_EQ(0, convert(statement("whatever").kind(tala::kStmtKeepFile)));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
}

TEST_F(FileCycle, WorkedBodyGivesSixLines) {
    load();
    sourceFile("");
    beginWriting();
    plugin->beginBlock();
    EXPECT_EQ(0, runBody({statement("if (a)").levels(1, 1, 2).lines(10, 9, 11),
                          statement("x = 1;").levels(2, 1, 1).lines(11, 10, 13),
                          statement("return;").levels(1, 2, -1).lines(13, 11, 14)}));
    EXPECT_EQ(lines("{\n"
                    "    if (a)\n"
                    "    {\n"
                    "        x = 1;\n"
                    "    }\n"
                    "    return;\n"
                    "}\n"),
              finishWriting());
}

TEST_F(FileCycle, ClosingBelowDepthZeroClosesTheFileWithMatchingError) {
    load();
    int file = 0;
    for (bool byBody : {false, true}) {
        SCOPED_TRACE(byBody ? "closed body" : "endBlock");
        host.log.clear();
        sourceFile("", "", "F" + std::to_string(++file) + ".java");
        beginWriting();
        EXPECT_EQ(0, plugin->outputText("first"));
        EXPECT_EQ(-1, byBody ? runBody({}) : plugin->endBlock());
        ASSERT_EQ(1u, log().size());
        EXPECT_EQ("File matching error!", log()[0].message);
        EXPECT_EQ("", log()[0].detail);
        EXPECT_EQ("TalaConvert", log()[0].file);
        // The file is closed: nothing more is written, no brace is followed.
        EXPECT_EQ(0, plugin->beginBlock());
        EXPECT_EQ(0, plugin->endBlock());
        EXPECT_EQ(0, plugin->outputText("later"));
        EXPECT_EQ(lines("first\n"), written());
    }
}

TEST_F(FileCycle, BeginFileDuringWritingPassLeavesTheOpenFileAlone) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, plugin->outputText("before"));
    EXPECT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, plugin->outputText("after"));
    EXPECT_EQ(lines("before\nafter\n"), finishWriting());
}

TEST_F(FileCycle, CheckingPassWritesNothingAndFollowsNoBraces) {
    load();
    const std::string source = "int y;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, plugin->outputText("text"));
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, runBody({}));
    EXPECT_EQ(0, convert(statement("int y;").kind(tala::kStmtUnchanged)));
    EXPECT_FALSE(fileExists(outputPath()));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    EXPECT_TRUE(log().empty());
}

TEST_F(FileCycle, KeepOriginalInWritingPassSilencesEveryWriter) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, plugin->outputText("kept"));
    EXPECT_EQ(0, convert(statement("x").kind(tala::kStmtKeepFile)));
    EXPECT_EQ(0, plugin->outputText("dropped"));
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, convert(statement("int z;").kind(tala::kStmtUnchanged)));
    // Depth is 0 here: a followed brace would be a mismatch.
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(0, runBody({}));
    EXPECT_EQ(lines("kept\n"), finishWriting());
    EXPECT_TRUE(log().empty());
}

TEST_F(FileCycle, UnchangedStatementIsWrittenAsItStandsWithoutIndentation) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, convert(statement("int a = 1;").kind(tala::kStmtUnchanged)));
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(lines("{\nint a = 1;\n}\n"), finishWriting());
}

TEST_F(FileCycle, StatementWithoutTokensFailsWithLogLine) {
    load();
    sourceFile("");
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(-1, convert(StmtSpec()));
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ("getFirseToken fail!", log()[0].message);
    EXPECT_EQ("", log()[0].detail);
    EXPECT_EQ("TalaConvert", log()[0].file);
}

TEST_F(FileCycle, ReservedOperationsAlwaysFail) {
    load();
    sourceFile("");
    auto reserved = [this] {
        EXPECT_EQ(-1, plugin->reserved1());
        EXPECT_EQ(-1, plugin->reserved2());
        EXPECT_EQ(-1, plugin->reserved3(0, 0));
        EXPECT_EQ(-1, plugin->reserved3(-7, 1 << 30));
    };
    reserved();
    ASSERT_EQ(0, plugin->beginFile());
    reserved();
    beginWriting();
    reserved();
    EXPECT_EQ("", finishWriting());
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(FileCycle, BlocksIndentFourBlanksPerLevelAndTextIsNotIndented) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, plugin->outputText("raw"));
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ(lines("{\n    {\nraw\n        {\n        }\n    }\n}\n"), finishWriting());
}

// Modes other than 0 and 2 are not the converter's: they do nothing at all.
TEST_F(FileCycle, BodyModesZeroAndTwoDifferOnlyInTheClosingBrace) {
    struct Case {
        int mode;
        bool visits;
        const char* output;
        const char* emptyOutput;
    };
    const Case cases[] = {
        {tala::kBodyClosed, true, "{\n    a;\n}\n", "{\n}\n"},
        {tala::kBodyOpen, true, "{\n    a;\n", "{\n"},
        {1, false, "{\n", "{\n"},
        {3, false, "{\n", "{\n"},
        {-1, false, "{\n", "{\n"},
    };
    load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        sourceFile("", "", "Mode" + std::to_string(c.mode + 1) + ".java");
        beginWriting();
        ASSERT_EQ(0, plugin->beginBlock());
        host.statementsVisited = 0;
        EXPECT_EQ(0, runBody({statement("a;")}, c.mode));
        EXPECT_EQ(c.visits ? 1 : 0, host.statementsVisited);
        EXPECT_EQ(lines(c.output), finishWriting());

        sourceFile("", "", "Empty" + std::to_string(c.mode + 1) + ".java");
        beginWriting();
        ASSERT_EQ(0, plugin->beginBlock());
        EXPECT_EQ(0, runBody({}, c.mode));
        EXPECT_EQ(lines(c.emptyOutput), finishWriting());
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(FileCycle, FailedBodyWritesNoClosingBrace) {
    load();
    sourceFile("");
    beginWriting();
    ASSERT_EQ(0, plugin->beginBlock());
    // In the writing pass a statement without tokens cannot be driven.
    EXPECT_EQ(-1, runBody({StmtSpec()}));
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ("getFirseToken fail!", log()[0].message);
    EXPECT_EQ(lines("{\n"), finishWriting());
}

TEST_F(FileCycle, EndFileAfterBraceFailureOpensTheOutputAnew) {
    load();
    sourceFile("import net.olddb.Probe;\n");
    const StmtSpec probe = statement("import net.olddb.Probe;")
                               .kind(tala::kStmtImport)
                               .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4");
    beginWriting();
    EXPECT_EQ(0, convert(probe));
    EXPECT_EQ(0, plugin->outputText("stale text that is longer than the new one"));
    EXPECT_EQ(-1, plugin->endBlock());
    // The pass counted a conversion: the host is asked to run the file again.
    EXPECT_EQ(1, plugin->endFile());
    EXPECT_EQ("", written());
    EXPECT_EQ(0, convert(probe));
    EXPECT_EQ(0, plugin->outputText("fresh"));
    EXPECT_EQ(lines("import org.newdb.Probe;\nfresh\n"), finishWriting());
}

TEST_F(FileCycle, EndFileAfterBraceFailureWithNothingCountedCopiesTheSource) {
    load();
    const std::string source = "class A {}\n";
    sourceFile(source);
    beginWriting();
    EXPECT_EQ(0, plugin->outputText("partial"));
    EXPECT_EQ(-1, plugin->endBlock());
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
}

TEST_F(FileCycle, FileIsRefusedWithoutRulesInChineseOnlyForExactlyChinese) {
    const char* const english = "Configuration not initialized or initialization error!";
    const char* const chinese =
        "\xC3\xBB\xD3\xD0\xB3\xF5\xCA\xBC\xBB\xAF\xC5\xE4\xD6\xC3\xBB\xF2"
        "\xB3\xF5\xCA\xBC\xBB\xAF\xB4\xED\xCE\xF3\xA3\xA1";
    struct Case {
        std::string language;
        bool isChinese;
    };
    const Case cases[] = {{"English", false},  {"Chinese", true},
                          {"chinese", false},  {"CHINESE", false},
                          {"Chinese ", false}, {" Chinese", false},
                          {"", false},         {std::string("Chinese\0", 8), false}};
    int copy = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("language \"" + c.language + "\"");
        host.language = c.language;
        sourceFile("class A {}\n");
        ASSERT_NE(nullptr, loadRawIn("plugin" + std::to_string(++copy), "<Classes/>"));
        messageBoxes().shown.clear();
        EXPECT_EQ(-1, plugin->beginFile());
        ASSERT_EQ(1u, boxes().size());
        EXPECT_EQ(c.isChinese ? chinese : english, boxes()[0].text);
        EXPECT_EQ(c.isChinese ? "\xB4\xED\xCE\xF3" : "Error", boxes()[0].caption);
        EXPECT_EQ(0x30u, boxes()[0].flags);
    }
}

TEST_F(FileCycle, LanguageIsTheOneTheHostGaveWhenTheConverterWasBuilt) {
    host.language = "English";
    ASSERT_NE(nullptr, loadRaw("<Classes/>"));
    host.language = "Chinese";
    sourceFile("");
    EXPECT_EQ(-1, plugin->beginFile());
    ASSERT_EQ(1u, boxes().size());
    EXPECT_EQ("Error", boxes()[0].caption);
}

}  // namespace
}  // namespace nidustest
