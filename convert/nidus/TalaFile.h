// TalaFile: the token writer. Writes a statement that needs no change token
// by token with the output layout (kept line breaks, single blanks, four
// blanks per brace level) and keeps the brace depth that sets the
// indentation of every line the converter writes. Uses TalaBase.
#pragma once

#include <cstdint>

#include "TalaConfig.h"

namespace tala {

class TalaFile : public TalaConfig {
public:
    explicit TalaFile(IConvertHost* host);

protected:
    ~TalaFile() = default;

    // Writes the statement's tokens and its separator. 0 when done or when
    // nothing is to be written, -1 on failure.
    int outputTokens(IStmt* stmt);
    // The per-token callback of outputTokens: 0 to go on, -1 on failure.
    int outputToken(IToken* token);
    // Writes depth times four blanks.
    void outputIndent();

    // Brace depth of the output: one indentation step per level.
    uint32_t depth = 0;
    // Braces opened inside the current statement minus those closed there.
    int32_t stmtBraces = 0;
};

}  // namespace tala
