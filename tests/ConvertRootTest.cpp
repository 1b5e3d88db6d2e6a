// The Convert root as the plug-in spells it. Files are found under it with
// either separator on Windows, so only the texts of its messages show that
// the root is the source root plus "Convert" and the system's separator.
#include "PluginTest.h"

namespace nidustest {
namespace {

const std::string kSep(1, kSeparator);

class ConvertRoot : public PluginTest {
protected:
    // A checking pass that counts one conversion; returns endFile's result.
    int openOutput() {
        EXPECT_EQ(0, plugin->beginFile());
        EXPECT_EQ(0, convert(statement("import net.olddb.Probe;")
                                 .kind(tala::kStmtImport)
                                 .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4")));
        return plugin->endFile();
    }
};

TEST_F(ConvertRoot, UnopenableOutputFileIsNamedWithTheSystemSeparator) {
    load();
    sourceFile("import net.olddb.Probe;\n");
    makeDirs(outputPath());  // a directory where the output file belongs
    EXPECT_EQ(-1, openOutput());
    ASSERT_EQ(1u, boxes().size());
    EXPECT_EQ((MessageBoxCall{"Create " + host.srcPath + "Convert" + kSep + "Main.java fail!",
                              "Message", 0x30}),
              boxes()[0]);
    EXPECT_TRUE(log().empty());
}

TEST_F(ConvertRoot, DirectoryThatCannotBeMadeIsNamedWithTheSystemSeparator) {
    load();
    sourceFile("import net.olddb.Probe;\n", "f" + kSep + "g" + kSep);
    const std::string convertRoot = host.srcPath + "Convert" + kSep;
    makeDirs(convertRoot);
    writeFile(convertRoot + "f", "a file where a directory belongs\n");
    EXPECT_EQ(-1, openOutput());
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ(convertRoot + "f" + kSep + "g", log()[0].message);
    EXPECT_EQ("", log()[0].detail);
    EXPECT_EQ("TalaBase", log()[0].file);
    EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace nidustest
