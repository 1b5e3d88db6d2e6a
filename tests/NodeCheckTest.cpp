// The node test: which nodes the rules concern. A statement with such a node
// is counted in the checking pass and rebuilt from its nodes in the writing
// pass (its spacing changes); a file without one is copied, and a statement
// without one is written token by token.
#include "PluginTest.h"

namespace nidustest {
namespace {

using NodeCheck = PluginTest;

const char* const kRules =
    "<KeyWords><Key kind=\"package\" code=\"org.util\"/></KeyWords>\n"
    "<Classes><class src=\"Probe\" to=\"Sonde\"/></Classes>\n"
    "<Members><member src=\"size\" to=\"count\"/></Members>\n"
    "<Methods><method src=\"open\" to=\"start\"/></Methods>\n"
    "<Words><word src=\"alpha\" to=\"omega\"/></Words>\n";

struct NodeCase {
    const char* what;
    const char* item;       // the node after "t =", as "text:kind@qualified"
    const char* converted;  // its rebuilt text, or null when nothing matches
};

TEST_F(NodeCheck, MatchingNodeDecidesBetweenCopyAndRebuild) {
    const NodeCase cases[] = {
        {"keyword as first part", "Probe:11@olddb.Probe", "Sonde"},
        {"keyword as middle part", "Probe:11@net.olddb.Probe", "Sonde"},
        {"keyword as last part", "Probe:11@net.olddb", "Sonde"},
        {"keyword as whole name", "Probe:11@olddb", "Sonde"},
        {"keyword followed by a letter", "Probe:11@olddbx.Probe", nullptr},
        {"keyword after letters", "Probe:11@net.myolddb.Probe", nullptr},
        {"keyword followed by an underscore", "Probe:11@olddb_v.Probe", nullptr},
        {"keyword followed by a digit", "Probe:11@olddb2.Probe", nullptr},
        {"keyword in other case", "Probe:11@Olddb.Probe", nullptr},
        {"whole occurrence after a joined one", "Probe:11@xolddb.olddb.Probe", "Sonde"},
        {"whole occurrence after one joined on its right", "Probe:11@olddbx.olddb", "Sonde"},
        {"two-part keyword inside", "Probe:11@a.org.util.b", "Sonde"},
        {"two-part keyword cut into", "Probe:11@org.utilx.Probe", nullptr},
        {"two-part keyword after letters", "Probe:11@myorg.util.Probe", nullptr},
        {"member", "size:12@olddb.Conn.size", "count"},
        {"other member kind", "size:13@olddb.Conn.size", "count"},
        {"method", "open:14@olddb.Conn.open", "start"},
        {"method outside the package", "open:14@java.io.open", nullptr},
        {"kind below the references", "Probe:10@olddb.Probe", nullptr},
        {"kind above the references", "Probe:15@olddb.Probe", nullptr},
        {"class name with a rule", "Probe:24", "Sonde"},
        {"class name without a rule", "Probes:24", nullptr},
        {"class name equal to a keyword", "olddb:24", nullptr},
        {"keyword node", "olddb:7", nullptr},
        {"word alone in a literal", "\"alpha\":5", "\"omega\""},
        {"word between blanks", "\"an alpha here\":5", "\"an omega here\""},
        {"word inside a longer word", "\"alphabet\":5", nullptr},
        {"word after an underscore", "\"_alpha\":5", nullptr},
        {"word before an underscore", "\"alpha_\":5", nullptr},
        {"word after a dot", "\"x.alpha\":5", nullptr},
        {"word before a dot", "\"alpha.x\":5", nullptr},
        {"word in other case", "\"Alpha\":5", nullptr},
        {"word before a digit", "\"alpha1\":5", "\"omega1\""},
        {"word after a digit", "\"2alpha\":5", "\"2omega\""},
        {"whole word after a joined one", "\"alphas alpha\":5", "\"alphas omega\""},
        {"keyword part in a literal", "\"net.olddb.Api\":5", "\"net.olddb.Api\""},
        {"keyword as whole literal", "\"olddb\":5", "\"olddb\""},
        {"keyword joined to a digit in a literal", "\"olddb2\":5", nullptr},
        {"keyword joined to letters in a literal", "\"my.olddbx\":5", nullptr},
    };
    load(kRules);
    int file = 0;
    for (const NodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string item = c.item;
        std::string text = item.substr(0, item.rfind(':', item.find('@')));
        StmtSpec stmt = statement("t=" + text + ";").withNodes("t:16 =:4 " + item).last(";");
        const std::string source = "t=" + text + ";\n";
        sourceFile(source, "", "Case" + std::to_string(++file) + ".java");

        ASSERT_EQ(0, plugin->beginFile());
        EXPECT_EQ(0, convert(stmt));
        int checked = plugin->endFile();
        if (c.converted == nullptr) {
            EXPECT_EQ(0, checked);
            EXPECT_COPIED(source, written());
            beginWriting();
            EXPECT_EQ(0, convert(stmt));
            EXPECT_EQ(lines(source), finishWriting());
        } else {
            EXPECT_EQ(1, checked);
            EXPECT_EQ("", written()) << "the checking pass wrote";
            EXPECT_EQ(0, convert(stmt));
            EXPECT_EQ(lines(std::string("t = ") + c.converted + ";\n"), finishWriting());
        }
    }
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace nidustest
