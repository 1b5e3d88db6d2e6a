// Statement notes: written as one block comment on the line above the
// statement, at the statement's indentation.
#include "PluginTest.h"

namespace nidustest {
namespace {

using Note = PluginTest;

NodeSpec withFullText(NodeSpec desc, const std::string& fullText) {
    desc.fullText = fullText;
    return desc;
}

// A keyword node that carries its note in its operand.
NodeSpec keywordNote(int subType, const NodeSpec* operand) {
    NodeSpec desc = node(tala::kNodeKeyword, "note");
    desc.subType = subType;
    if (operand != nullptr) desc.operand = std::make_shared<NodeSpec>(*operand);
    return desc;
}

struct NoteCase {
    const char* what;
    NodeSpec root;
    int noteType;
    const char* comment;  // the line before the statement, "" for none
};

TEST_F(Note, NoteComesOutAsOneCommentLineAboveItsStatement) {
    const NodeSpec text = noteNode("from operand");
    const NodeSpec inner = keywordNote(124, &text);
    const NoteCase cases[] = {
        {"note node", noteNode("abc"), 1, "        /* abc */\n"},
        {"note type 0", noteNode("abc"), 0, ""},
        {"note type 2", noteNode("abc"), 2, ""},
        {"operator node: its full text", withFullText(node(tala::kNodeOperator, "="), "a = b"), 1,
         "        /* a = b */\n"},
        {"keyword 124: its operand's note", keywordNote(124, &text), 1,
         "        /* from operand */\n"},
        {"keyword 124 twice over", keywordNote(124, &inner), 1, "        /* from operand */\n"},
        {"keyword of another sub-kind", keywordNote(123, &text), 1, ""},
        {"keyword 124 without operand", keywordNote(124, nullptr), 1, ""},
        {"plain name", withFullText(node(tala::kNodeName, "n"), "n"), 1, ""},
        {"empty note text", noteNode(""), 1, ""},
        {"comment end inside the note", noteNode("a */ b"), 1, "        /* a * / b */\n"},
        {"comment ends back to back", noteNode("*/*/"), 1, "        /* * /* / */\n"},
    };
    load();
    int file = 0;
    for (const NoteCase& c : cases) {
        SCOPED_TRACE(c.what);
        sourceFile("", "", "Case" + std::to_string(++file) + ".java");
        beginWriting();
        plugin->beginBlock();
        plugin->beginBlock();
        EXPECT_EQ(0, runBody({statement("x;").note(c.root, c.noteType)}, tala::kBodyOpen));
        EXPECT_EQ(lines(std::string("{\n    {\n") + c.comment + "        x;\n"), finishWriting());
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Note, OperandChainBeyondAnyRealNoteGivesNoNote) {
    const auto chain = [](int links) {
        NodeSpec desc = noteNode("deep");
        for (int i = 0; i < links; ++i) desc = keywordNote(124, &desc);
        return desc;
    };
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, runBody({statement("x;").note(chain(256)), statement("y;").note(chain(257))},
                         tala::kBodyOpen));
    EXPECT_EQ(lines("/* deep */\nx;\ny;\n"), finishWriting());
}

TEST_F(Note, NoteOfABraceLessBodyTakesTheBodysIndentation) {
    load();
    sourceFile("");
    beginWriting();
    EXPECT_EQ(0, runBody({statement("if (a)").levels(1, 1, 1).lines(1, 0, 2),
                          statement("x;").levels(1, 1, -1).lines(2, 1, 3).note(noteNode("why"))},
                         tala::kBodyOpen));
    EXPECT_EQ(lines("if (a)\n    /* why */\n    x;\n"), finishWriting());
}

TEST_F(Note, StatementHandedOnItsOwnAndCheckingPassWriteNoNote) {
    load();
    const std::string source = "x;\n";
    sourceFile(source);
    ASSERT_EQ(0, plugin->beginFile());
    EXPECT_EQ(0, runBody({statement("x;").note(noteNode("abc"))}));
    EXPECT_EQ(0, plugin->endFile());
    EXPECT_COPIED(source, written());

    beginWriting();
    EXPECT_EQ(0, convert(statement("x;").note(noteNode("abc"))));
    EXPECT_EQ(lines("x;\n"), finishWriting());
}

}  // namespace
}  // namespace nidustest
