// TalaConfig: the conversion rules. Reads config.xml beside the library into
// the rule tables once, when the converter is built, and answers exact
// lookups on them; also keeps the per-file list of imports already written.
// Uses TalaBase for the host log and message boxes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "TalaBase.h"

namespace tinyxml2 {
class XMLElement;
}

namespace tala {

struct ParamRule {
    // -1: this argument is defaultValue; else the 1-based source argument.
    int32_t old = -1;
    std::string defaultValue;
    // "string" (quoted) or "code" (as written) when old is -1.
    std::string type;
};

struct MethodRule {
    std::string to;
    // -1: plain renaming; else the exact argument count of calls to rebuild.
    int32_t params = -1;
    std::vector<ParamRule> paramRules;
};

class TalaConfig : public TalaBase {
public:
    explicit TalaConfig(IConvertHost* host);

protected:
    ~TalaConfig() = default;

    // Reads config.xml from the library's directory. 0 when the whole file
    // was read and it named a package keyword; -1 after reporting a failure.
    int loadRules();
    int loadKeyWords(const tinyxml2::XMLElement* section);
    int loadImports(const tinyxml2::XMLElement* section);
    int loadClasses(const tinyxml2::XMLElement* section);
    int loadMembers(const tinyxml2::XMLElement* section);
    int loadMethods(const tinyxml2::XMLElement* section);
    int loadWords(const tinyxml2::XMLElement* section);

    // Exact lookups; null when no rule has exactly this key.
    const std::string* findClassRule(const std::string& name) const;
    const std::string* findMemberRule(const std::string& name) const;
    const MethodRule* findMethodRule(const std::string& name) const;
    const std::vector<std::string>* findImportRule(const std::string& code) const;

    // std::string orders bytes as unsigned values, a prefix before longer
    // keys: the key order the word rules are applied in.
    std::vector<std::string> packageKeywords;
    std::map<std::string, std::vector<std::string>> importRules;
    std::vector<std::string> emittedImports;
    std::map<std::string, std::string> classRules;
    std::map<std::string, std::string> memberRules;
    std::map<std::string, MethodRule> methodRules;
    std::map<std::string, std::string> wordRules;

private:
    int loadRenames(const tinyxml2::XMLElement* section, const char* childName, int line,
                    std::map<std::string, std::string>& table);
    int loadMethod(const tinyxml2::XMLElement* element);
    int loadParam(const tinyxml2::XMLElement* element, MethodRule& rule);
};

}  // namespace tala
