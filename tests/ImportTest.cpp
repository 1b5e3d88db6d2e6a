// Import statements: those under the rules become their replacement import
// lines, each written once per output file; the others are written as they
// stand. Unreadable and unconfigured imports are shown to the user.
#include <cctype>

#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kRules =
    "<Imports>"
    "<item code=\"net.olddb.*\"><change code=\"org.newdb.*\"/>"
    "<change code=\"org.newdb.util.*\"/><change code=\"org.newdb.sql.*\"/></item>"
    "<item code=\"net.olddb.Pool\"><change code=\"org.newdb.sql.*\"/>"
    "<change code=\"org.newdb.Pool\"/></item>"
    "<item code=\"olddb.*\"><change code=\"newdb.*\"/></item>"
    "</Imports>\n";

// An import statement with the nodes a host gives it: keywords (kind 7),
// names (kind 16) and punctuation (kind 4).
StmtSpec importOf(const std::string& source) {
    StmtSpec desc = statement(source).kind(tala::kStmtImport);
    for (const TokenSpec& token : desc.tokens) {
        int kind = tala::kNodeOperator;
        if (token.text == "import" || token.text == "static")
            kind = tala::kNodeKeyword;
        else if (std::isalnum(static_cast<unsigned char>(token.text[0])) || token.text[0] == '_')
            kind = tala::kNodeName;
        desc.withNode(node(kind, token.text));
    }
    return desc;
}

StmtSpec importNodes(const std::string& nodes) {
    return StmtSpec().kind(tala::kStmtImport).withNodes(nodes);
}

class Import : public PluginTest {
protected:
    // Both passes over a file of these statements; the checking pass must
    // ask for the writing pass and write nothing itself.
    std::string convertFile(const std::vector<StmtSpec>& file, const std::string& name) {
        sourceFile("", "", name);
        EXPECT_EQ(0, plugin->beginFile());
        for (const StmtSpec& stmt : file) EXPECT_EQ(0, convert(stmt));
        if (plugin->endFile() != 1) return "(copied)";
        EXPECT_EQ("", written()) << "the checking pass wrote";
        for (const StmtSpec& stmt : file) EXPECT_EQ(0, convert(stmt));
        return finishWriting();
    }
};

TEST_F(Import, EachChangeCodeIsWrittenOncePerFileInRuleOrder) {
    load(kRules);
    const std::vector<StmtSpec> file = {importOf("import net.olddb.*;"),
                                        importOf("import net.olddb.Pool;"),
                                        importOf("import net.olddb.*;")};
    EXPECT_EQ(lines("import org.newdb.*;\nimport org.newdb.util.*;\nimport org.newdb.sql.*;\n"
                    "import org.newdb.Pool;\n"),
              convertFile(file, "A.java"));
    // The next file starts with no code written.
    EXPECT_EQ(lines("import org.newdb.sql.*;\nimport org.newdb.Pool;\n"),
              convertFile({importOf("import net.olddb.Pool;")}, "B.java"));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Import, KeywordPartAndNameComeFromTheNodes) {
    const struct {
        const char* what;
        StmtSpec stmt;
        const char* output;
    } cases[] = {
        {"two keywords", importOf("import static net.olddb.Probe;"),
         "import static org.newdb.Probe;\n"},
        {"no keyword", importNodes("net:16 .:4 olddb:16 .:4 Probe:16 ;:4"), " org.newdb.Probe;\n"},
        {"no closing semicolon", importNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16"),
         "import org.newdb.Probe;\n"},
        {"nodes after the semicolon",
         importNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4 tail:16"),
         "import org.newdb.Probe;\n"},
        {"name part equal to a keyword", importOf("import olddb.*;"), "import newdb.*;\n"},
    };
    load(kRules);
    int file = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lines(c.output),
                  convertFile({c.stmt}, "Case" + std::to_string(++file) + ".java"));
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Import, ImportOutsideTheRulesIsWrittenAsItStands) {
    load(kRules);
    const std::string source = "import  java.util.List ;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, convert(importOf("import  java.util.List ;")));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());

    beginWriting();
    for (const char* text : {"import  java.util.List ;", "import olddbx.*;", "import Olddb.*;",
                             "import olddb2.*;", "import org.olddb_x.*;"}) {
        EXPECT_EQ(0, convert(importOf(text)));
    }
    EXPECT_EQ(lines("import java.util.List ;\nimport olddbx.*;\nimport Olddb.*;\n"
                    "import olddb2.*;\nimport org.olddb_x.*;\n"),
              finishWriting());
    EXPECT_TRUE(boxes().empty());
}

struct BoxLanguage {
    const char* language;
    const char* unknown;
    const char* notConfigured;
};

const BoxLanguage kLanguages[] = {
    {"English", "Unknown statement", "No corresponding conversion item is configured!"},
    {"Chinese", "\xCE\xB4\xD6\xAA\xD3\xEF\xBE\xE4",
     "\xC3\xBB\xD3\xD0\xC5\xE4\xD6\xC3\xB6\xD4\xD3\xA6\xB5\xC4\xD7\xAA\xBB\xBB\xCF\xEE"},
};

void PrintTo(const BoxLanguage& value, std::ostream* out) {
    *out << value.language;
}

class ImportBox : public Import, public ::testing::WithParamInterface<BoxLanguage> {
protected:
    void SetUp() override {
        Import::SetUp();
        host.language = GetParam().language;
        load(kRules);
    }
};

TEST_P(ImportBox, UnreadableImportShowsItsKeywordPartAndCountsNothing) {
    const std::string source = "import static * olddb;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(-1, convert(importNodes("import:7 static:7 *:4 olddb:16 ;:4")));
    EXPECT_EQ(-1, convert(importNodes(".:4 olddb:16 ;:4")));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());
    ASSERT_EQ(2u, boxes().size());
    EXPECT_EQ("import static *", boxes()[0].text);
    EXPECT_EQ(" .", boxes()[1].text);
    for (const MessageBoxCall& box : boxes()) {
        EXPECT_EQ(GetParam().unknown, box.caption);
        EXPECT_EQ(0u, box.flags);
    }
    EXPECT_TRUE(log().empty());
}

TEST_P(ImportBox, ImportWithoutRuleShowsItsNameInEachPassAndStillCounts) {
    sourceFile("");
    const StmtSpec gone = importOf("import net.olddb.Gone;");
    const StmtSpec unended = importNodes("import:7 net:16 .:4 olddb:16 .:4 Pool:16 x:16");
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(-1, convert(gone));
    EXPECT_EQ(-1, convert(unended));
    EXPECT_EQ(1, plugin->endFile());
    EXPECT_EQ("", written());
    EXPECT_EQ(-1, convert(gone));
    EXPECT_EQ("", finishWriting());
    ASSERT_EQ(3u, boxes().size());
    EXPECT_EQ("net.olddb.Gone", boxes()[0].text);
    EXPECT_EQ("net.olddb.Poolx", boxes()[1].text);
    EXPECT_EQ("net.olddb.Gone", boxes()[2].text);
    for (const MessageBoxCall& box : boxes()) {
        EXPECT_EQ(GetParam().notConfigured, box.caption);
        EXPECT_EQ(0u, box.flags);
    }
    EXPECT_TRUE(log().empty());
}

INSTANTIATE_TEST_SUITE_P(Import, ImportBox, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<BoxLanguage>& info) {
                             return std::string(info.param.language);
                         });

}  // namespace
}  // namespace nidustest
