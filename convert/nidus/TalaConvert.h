// TalaConvert: the converter object a host receives. Implements the ten
// IConvert operations and the two-pass cycle of every file (a checking pass
// that only counts, then a writing pass, or a plain copy) on top of the
// statement, import and writer layers.
#pragma once

#include "IConvert.h"
#include "TalaStmt.h"

namespace tala {

class TalaConvert final : public TalaStmt, public IConvert {
public:
    explicit TalaConvert(IConvertHost* host);

    int convertBody(int mode) override;
    int convertStmt(IStmt* stmt) override;
    int outputText(const std::string& text) override;
    int beginFile() override;
    int reserved1() override;
    int reserved2() override;
    int reserved3(int first, int second) override;
    int endFile() override;
    int beginBlock() override;
    int endBlock() override;

private:
    void resetFileState();
    // Closes one level with a "}" line; a level below 0 closes the file.
    int closeBlock();
};

}  // namespace tala
