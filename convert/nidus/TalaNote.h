// TalaNote: comment output. Writes a statement's note, gathered from its
// node tree, as a block comment on a line of its own above the statement.
// Uses TalaFile for the indentation.
#pragma once

#include <string>

#include "TalaFile.h"

namespace tala {

class TalaNote : public TalaFile {
public:
    explicit TalaNote(IConvertHost* host);

protected:
    ~TalaNote() = default;

    // Writes the note of the statement, if it has one; the output file must
    // be open.
    void outputNote(IStmt* stmt);
    // The note text of a node; empty when it has none.
    std::string getNoteText(INode* node, bool logical);
};

}  // namespace tala
