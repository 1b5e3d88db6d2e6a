// The rule tables as conversion sees them: first occurrence wins, lookups
// are exact, word rules run in key order, and what the loader stores for
// imports and for methods with their parameter lists.
#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kSource = "unconverted source\n";

class RuleTables : public PluginTest {
protected:
    // Runs one statement through the whole cycle of a new source file and
    // returns the output file: the source when nothing was converted.
    std::string convertAlone(const StmtSpec& desc) {
        sourceFile(kSource, "", "F" + std::to_string(++files) + ".java");
        EXPECT_EQ(0, plugin->beginFile());
        convert(desc);
        if (plugin->endFile() == 1) {
            EXPECT_EQ(0, plugin->beginFile());
            EXPECT_EQ(0, convert(desc));
            EXPECT_EQ(0, plugin->endFile());
        }
        return written();
    }

    // The statement "<nodes>" ends with ";"; the line written for it.
    std::string convertNodes(const std::string& nodes) {
        return convertAlone(statement("s;").withNodes(nodes));
    }

    std::string convertString(const std::string& literal) {
        return convertAlone(
            statement("x = s;").withNodes("x:0 =:4").withNode(node(5, literal)).withNodes(";:4"));
    }

    std::string convertImport(const std::string& nodes) {
        return convertAlone(statement("import s;").kind(tala::kStmtImport).withNodes(nodes));
    }

    int files = 0;
};

TEST_F(RuleTables, ClassRuleOfTheFirstOccurrenceWinsAcrossSections) {
    load(
        "<Classes><class src=\"Conn\" to=\"Link\"/><class src=\"Conn\" to=\"Second\"/>"
        "<class src=\"Half\"/><class src=\"Empty\" to=\"\"/></Classes>"
        "<Classes><class src=\"Conn\" to=\"Third\"/><class to=\"X\" src=\"Later\"/></Classes>");
    EXPECT_EQ(lines("Link x; \n"), convertNodes("Conn:24 x:0 ;:4"));
    EXPECT_EQ(lines("X x; \n"), convertNodes("Later:24 x:0 ;:4"));
    // Rules without a source or a target are not stored.
    EXPECT_COPIED(kSource, convertNodes("Half:24 x:0 ;:4"));
    EXPECT_COPIED(kSource, convertNodes("Empty:24 x:0 ;:4"));
    EXPECT_TRUE(log().empty());
}

TEST_F(RuleTables, RulesReadBeforeALateFailureStillConvert) {
    load(
        "<Classes><class src=\"Old\" to=\"New\"/><class/><class src=\"Late\" to=\"X\"/></Classes>"
        "<Words><word src=\"ab\" to=\"cd\"/></Words>");
    ASSERT_EQ(1u, log().size());
    EXPECT_EQ(153, log()[0].line);
    EXPECT_EQ(lines("New x; \n"), convertNodes("Old:24 x:0 ;:4"));
    // Neither the rest of the failed section nor the sections after it.
    EXPECT_COPIED(kSource, convertNodes("Late:24 x:0 ;:4"));
    EXPECT_COPIED(kSource, convertString("\"ab\""));
}

TEST_F(RuleTables, MethodWithAFailingParamIsNotStoredButThoseBeforeItAre) {
    load(
        "<Methods><method src=\"ok\" to=\"fine\"/>"
        "<method src=\"bad\" to=\"worse\" params=\"1\"><param new=\"2\" old=\"1\"/></method>"
        "</Methods>");
    ASSERT_EQ(1u, boxes().size());
    EXPECT_EQ("Parameter list error!", boxes()[0].text);
    EXPECT_EQ(lines("fine(x); \n"), convertNodes("ok:14@olddb.ok (:4 x:0 ):4 ;:4"));
    EXPECT_COPIED(kSource, convertNodes("bad:14@olddb.bad (:4 x:0 ):4 ;:4"));
    ASSERT_EQ(2u, boxes().size());
    EXPECT_EQ("bad", boxes()[1].text);
    EXPECT_EQ("No corresponding conversion item is configured!", boxes()[1].caption);
}

TEST_F(RuleTables, LookupFindsOnlyTheWholeKeyByteForByte) {
    load("<Classes><class src=\"Conn\" to=\"Link\"/><class src=\"A&amp;B\" to=\" Y \"/></Classes>");
    for (const char* text :
         {"conn", "CONN", "Con", "Conns", "Conn ", " Conn", "x.Conn", "A&amp;B"}) {
        SCOPED_TRACE(text);
        EXPECT_COPIED(kSource, convertAlone(statement("s;").withNode(node(24, text))));
    }
    // Entities are resolved and blanks kept as the file has them.
    EXPECT_EQ(lines(" Y \n"), convertAlone(statement("s;").withNode(node(24, "A&B"))));
}

TEST_F(RuleTables, MemberRuleOfTheFirstOccurrenceWins) {
    load(
        "<Members><member src=\"TIMEOUT\" to=\"DELAY\"/><member src=\"TIMEOUT\" to=\"LATER\"/>"
        "</Members><Members><member src=\"TIMEOUT\" to=\"LAST\"/></Members>");
    EXPECT_EQ(lines("DELAY; \n"), convertNodes("TIMEOUT:12@olddb.TIMEOUT ;:4"));
}

// Each word rule sees the text as the rules before it left it, so the key
// order decides: the shorter key of a word and its extension runs first.
TEST_F(RuleTables, WordRulesRunInAscendingByteOrderOfTheirKeys) {
    load(
        "<Words><word src=\"abc\" to=\"Z\"/><word src=\"ab\" to=\"abc\"/>"
        "<word src=\"\xE9\" to=\"w\"/><word src=\"z\" to=\"\xE9\"/>"
        "<word src=\"ab\" to=\"dropped\"/></Words>");
    EXPECT_EQ(lines("x = \"Z\"; \n"), convertString("\"ab\""));
    // Bytes compare unsigned: "z" sorts before 0xE9.
    EXPECT_EQ(lines("x = \"w\"; \n"), convertString("\"z\""));
    EXPECT_EQ(lines("x = \"Z w\"; \n"), convertString("\"abc z\""));
}

TEST_F(RuleTables, ImportRuleKeepsItsFirstItemAndAllItsChangeCodesInOrder) {
    load(
        "<Imports><item code=\"net.olddb.Probe\"><change code=\"later.Probe\"/></item>"
        "<item code=\"olddb.Multi\"><change code=\"b.Two\"/><note code=\"skipped\"/>"
        "<change name=\"nothing\"/><change code=\"a.One\"/><change code=\"\"/>"
        "<change code=\"b.Two\"/></item>"
        "<item code=\"olddb.Multi\"><change code=\"dropped\"/></item></Imports>");
    EXPECT_EQ(lines("import org.newdb.Probe;\n"),
              convertImport("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4"));
    EXPECT_EQ(lines("import static b.Two;\nimport static a.One;\nimport static ;\n"),
              convertImport("import:7 static:7 olddb:16 .:4 Multi:16 ;:4"));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(RuleTables, MethodRulesStoreTheirParameterListsAsWritten) {
    load(
        "<Methods>"
        "<method src=\"swap\" to=\"exchange\" params=\"2\"><param new=\"1\" old=\"2\"/><note/>"
        "<param new=\"2\" old=\"1\" type=\"string\"/>"
        "<param new=\"3\" default=\"abc\" type=\"string\"/>"
        "<param new=\"4\" default=\"0\" type=\"String\"/><param new=\"5\" default=\"a b\"/>"
        "<param new=\"6\" old=\"-1\" default=\"q\" type=\"string \"/></method>"
        "<method src=\"keep\" to=\"second\" params=\"2\"><param new=\"1\" old=\"2\"/></method>"
        "<method src=\"none\" to=\"empty\" params=\"0\"/>"
        "<method src=\"text\" to=\"word\" params=\"many\"/>"
        "<method src=\"all\" to=\"every\" params=\"3\"/>"
        "<method src=\"plain\" to=\"renamed\"><param/><param new=\"4\"/></method>"
        "<method src=\"minus\" to=\"same\" params=\"-1\"><param new=\"2\"/></method>"
        "<method src=\"swap\" to=\"dropped\" params=\"-1\"/>"
        "</Methods>");
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
    struct Case {
        const char* call;
        const char* line;
    };
    const Case cases[] = {
        {"swap:14@olddb.swap (:4 x:0 ,:4 y:0 ):4 ;:4", "exchange(y, x, \"abc\", 0, a b, q); \n"},
        {"keep:14@olddb.keep (:4 x:0 ,:4 y:0 ):4 ;:4", "second(y); \n"},
        {"none:14@olddb.none (:4 ):4 ;:4", "empty(); \n"},
        // A count that is no number reads as 0.
        {"text:14@olddb.text (:4 ):4 ;:4", "word(); \n"},
        {"all:14@olddb.all (:4 x:0 ,:4 y:0 ,:4 z:0 ):4 ;:4", "every(x, y, z); \n"},
        // Without a count the parameters are not read: a plain renaming.
        {"plain:14@olddb.plain (:4 x:0 ):4 ;:4", "renamed(x); \n"},
        {"minus:14@olddb.minus (:4 x:0 ):4 ;:4", "same(x); \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(lines(c.line), convertNodes(c.call));
    }
}

}  // namespace
}  // namespace nidustest
