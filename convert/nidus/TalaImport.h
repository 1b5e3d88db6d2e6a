// TalaImport: import statements. An import that the rules name becomes the
// import lines its rule lists, each written once per output file; others are
// written unchanged. Uses the node test, the token writer and the rules.
#pragma once

#include <string>

#include "TalaNode.h"

namespace tala {

class TalaImport : public TalaNode {
public:
    explicit TalaImport(IConvertHost* host);

protected:
    ~TalaImport() = default;

    // 0 done, -1 failure; called in both passes.
    int convertImportStmt(IStmt* stmt);
    // Reads the keyword part and the name, counts the conversion and writes
    // the replacement imports.
    int convertImport(IStmt* stmt);
    int outputImport(std::string keywords, std::string name);
    // Tells the user that a name under the rules has no rule.
    void showNotConfigured(const std::string& name);
};

}  // namespace tala
