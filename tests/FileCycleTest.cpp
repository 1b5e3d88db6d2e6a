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

TEST_F(FileCycle, EndBlockBelowDepthZeroClosesTheFile) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(-1, plugin->endBlock());
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ("File matching error!", log()[0].message);
    EXPECT_EQ("", log()[0].detail);
    EXPECT_EQ("TalaConvert", log()[0].file);
    EXPECT_EQ(0, plugin->beginBlock());
    EXPECT_EQ(0, plugin->endBlock());
    EXPECT_EQ("", written());
}

}  // namespace
}  // namespace nidustest
